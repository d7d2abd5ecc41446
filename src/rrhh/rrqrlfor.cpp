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
    const QString personal = QStringLiteral("PERSONAL");
    Personal->setIndexName(QString());
    Personal->CancelRange();
    Personal->SetRange({DesdeOperario}, {HastaOperario});
    HFormacion->setIndexName(QString());
    TField* eCodigo = Personal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* eNombre = Personal->FieldByName(QStringLiteral("Nombre"));
    TField* hFormacion = HFormacion->FieldByName(QStringLiteral("CodigoFormacion"));
    TField* hDescripcion = HFormacion->FieldByName(QStringLiteral("Descripcion"));
    TField* hInicio = HFormacion->FieldByName(QStringLiteral("FechaInicio"));
    TField* hFinal = HFormacion->FieldByName(QStringLiteral("FechaFinal"));
    TField* tCodigo = Temporal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* tNombre = Temporal->FieldByName(QStringLiteral("Nombre"));
    TField* tFormacion = Temporal->FieldByName(QStringLiteral("CodigoFormacion"));
    TField* tDescripcion = Temporal->FieldByName(QStringLiteral("Descripcion"));
    TField* tInicio = Temporal->FieldByName(QStringLiteral("FechaInicio"));
    TField* tFinal = Temporal->FieldByName(QStringLiteral("FechaFinal"));

    TRellenoListado relleno(Temporal, QStringLiteral("Listado de Operarios"));
    for (Personal->First(); !Personal->Eof(); Personal->Next()) {
        const int codigo = eCodigo->AsInteger();
        if (!relleno.Seguir(QStringLiteral("Operario: ") + QString::number(codigo))) break;
        if (!OperarioSeleccionado(codigo, Activos, NoActivos, RangosGruposAnalisis)) continue;
        HFormacion->SetRange({personal, codigo}, {personal, codigo});
        for (HFormacion->First(); !HFormacion->Eof(); HFormacion->Next()) {
            const QString formacion = hFormacion->AsString();
            QDateTime inicio;
            if (!HistorialEnRangos(formacion, DesdeFormacion, HastaFormacion, hInicio, DesdeFecha,
                                   HastaFecha, inicio))
                continue;
            relleno.Anadir();
            tCodigo->setAsInteger(codigo);
            tNombre->setAsString(eNombre->AsString());
            tFormacion->setAsString(formacion);
            tDescripcion->setAsString(hDescripcion->AsString());
            tInicio->setAsDateTime(inicio);
            tFinal->setAsDateTime(hFinal->IsNull() ? ZeroDateTime() : hFinal->AsDateTime());
            relleno.Grabar();
        }
    }
    HFormacion->CancelRange();
    Personal->CancelRange();
}
