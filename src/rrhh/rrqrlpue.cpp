#include "rrhh/rrqrlpue.h"

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

TfRRQRLPUE::TfRRQRLPUE(const QString& Orden, TForm* Dialogo, QWidget* owner)
    : TInformeListado(owner, QStringLiteral("fRRQRLPUE")) {
    Personal = TablaFuente(QStringLiteral("Personal"), QStringLiteral("PERSONAL"));
    HPuesto = TablaFuente(QStringLiteral("HPuesto"), QStringLiteral("HPUESTO"));
    PageHeader->setHeight(80);
    Detail = DetalleColumnas({
        {"Operario", "CodigoOperario", "QRDBText1", 55, false},
        {"Nombre", "Nombre", "QRDBText2", 190, false},
        {"Puesto", "CodigoPuesto", "QRDBText4", 70, false},
        {"Descripción", "Descripcion", "QRDBText6", 190, false},
        {"Fecha Inicio", "FechaInicio", "QRDBText5", 85, true},
        {"Fecha Final", "FechaFinal", "QRDBText3", 85, true},
        {"", "PuestoActual", "QRDBText7", 15, false},
    });
    Preparar(Dialogo, DefinicionTemporal(Orden), true);
}

QString TfRRQRLPUE::DefinicionTemporal(const QString& Orden) {
    const QString operario = QStringLiteral("CodigoOperario/ftInteger/0/*\r\n");
    const QString puesto = QStringLiteral("CodigoPuesto/ftString/10/*\r\n");
    const bool porPuesto = Orden == QLatin1String("PorPuesto");
    return QStringLiteral("Tabla Temporal\r\n/C/1/") + (porPuesto ? puesto : operario) +
           QStringLiteral("/C/2/") + (porPuesto ? operario : puesto) +
           QStringLiteral(
               "/C/3/Nombre/ftString/40/\r\n"
               "/C/4/Descripcion/ftString/40/\r\n"
               "/C/5/FechaInicio/ftDateTime/0/\r\n"
               "/C/6/FechaFinal/ftDateTime/0/\r\n"
               "/C/7/PuestoActual/ftString/1/\r\n"
               "/I/1/<Primary>/") +
           (porPuesto ? QStringLiteral("CodigoPuesto;CodigoOperario/")
                      : QStringLiteral("CodigoOperario;CodigoPuesto/"));
}

QString TfRRQRLPUE::TituloListado() const {
    return QStringLiteral("Listado de Operarios por Puesto. Desde: ") + DateTimeToStr(DesdeFecha) +
           QStringLiteral(" Hasta: ") + DateTimeToStr(HastaFecha);
}

TDataSet* TfRRQRLPUE::TablaControl() const {
    return Personal;
}

void TfRRQRLPUE::RellenarTemporal() {
    TField* hFinal = HPuesto->FieldByName(QStringLiteral("FechaFinal"));
    TField* tFinal = Temporal->FieldByName(QStringLiteral("FechaFinal"));
    TField* tActual = Temporal->FieldByName(QStringLiteral("PuestoActual"));
    // From the most recent row (the highest line) back: it alone may carry
    // the "*", and of a position held twice the most recent row is kept.
    RellenarHistorial(Personal, HPuesto, QStringLiteral("CodigoPuesto"), *this, DesdePuesto,
                      HastaPuesto, DesdeFecha, HastaFecha, true, [&](bool MasReciente) {
                          if (!hFinal->IsNull()) tFinal->setAsDateTime(hFinal->AsDateTime());
                          tActual->setAsString(MasReciente ? QStringLiteral("*") : QString());
                      });
}
