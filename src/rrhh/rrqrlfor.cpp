#include "rrhh/rrqrlfor.h"

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

TfRRQRLFOR::TfRRQRLFOR(const QString& Orden, TForm* Dialogo, QWidget* owner)
    : TInformeListado(owner, QStringLiteral("fRRQRLFOR")) {
    Personal = TablaFuente(QStringLiteral("Personal"), QStringLiteral("PERSONAL"));
    HFormacion = TablaFuente(QStringLiteral("HFormacion"), QStringLiteral("HFORMACI"));
    PageHeader->setHeight(80);
    Detail = DetalleColumnas({
        {"Operario", "CodigoOperario", "QRDBText1", 55, false},
        {"Nombre", "Nombre", "QRDBText2", 200, false},
        {"Formación", "CodigoFormacion", "QRDBText4", 75, false},
        {"Descripción", "Descripcion", "QRDBText6", 220, false},
        {"Fecha Final", "FechaFinal", "QRDBText3", 85, true},
        {"Fecha Inicio", "FechaInicio", "QRDBText5", 85, true},
    });
    Preparar(Dialogo, DefinicionTemporal(Orden), true);
}

QString TfRRQRLFOR::DefinicionTemporal(const QString& Orden) {
    QStringList clave;
    if (Orden == QLatin1String("PorOperario"))
        clave = {"CodigoOperario", "CodigoFormacion", "FechaFinal"};
    else if (Orden == QLatin1String("PorFormacion"))
        clave = {"CodigoFormacion", "CodigoOperario", "FechaFinal"};
    else
        clave = {"FechaFinal", "CodigoOperario", "CodigoFormacion"};
    const auto tipo = [](const QString& columna) {
        if (columna == QLatin1String("CodigoOperario")) return QStringLiteral("ftInteger/0");
        if (columna == QLatin1String("CodigoFormacion")) return QStringLiteral("ftString/10");
        return QStringLiteral("ftDateTime/0");
    };
    QString d = QStringLiteral("Tabla Temporal\r\n");
    int n = 1;
    for (const QString& c : clave)
        d += QStringLiteral("/C/%1/%2/%3/*\r\n").arg(n++).arg(c, tipo(c));
    d += QStringLiteral(
             "/C/4/Nombre/ftString/40/\r\n"
             "/C/5/Descripcion/ftString/40/\r\n"
             "/C/6/FechaInicio/ftDateTime/0/\r\n"
             "/I/1/<Primary>/") +
         clave.join(QLatin1Char(';')) + QLatin1Char('/');
    return d;
}

QString TfRRQRLFOR::TituloListado() const {
    return QStringLiteral("Listado de Operarios por Nivel de Formación. Desde: ") +
           DateToStr(DesdeFecha.date()) + QStringLiteral(" Hasta: ") + DateToStr(HastaFecha.date());
}

TDataSet* TfRRQRLFOR::TablaControl() const {
    return Personal;
}

void TfRRQRLFOR::RellenarTemporal() {
    TField* hFinal = HFormacion->FieldByName(QStringLiteral("FechaFinal"));
    TField* tFinal = Temporal->FieldByName(QStringLiteral("FechaFinal"));
    RellenarHistorial(
        Personal, HFormacion, QStringLiteral("CodigoFormacion"), *this, DesdeFormacion,
        HastaFormacion, DesdeFecha, HastaFecha, false, [&](bool) {
            tFinal->setAsDateTime(hFinal->IsNull() ? ZeroDateTime() : hFinal->AsDateTime());
        });
}
