#include "rrhh/rrqrlvac.h"

#include <QMap>

#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

const char* const TfRRQRLVAC::kDefinicionTemporal =
    "Tabla Temporal\r\n"
    "/C/1/CodigoOperario/ftInteger/0/*\r\n"
    "/C/2/Fecha/ftDateTime/0/*\r\n"
    "/C/3/Nombre/ftString/40/\r\n"
    "/C/4/EsDiaVacaciones/ftString/2/\r\n"
    "/C/5/EsDiaPuente/ftString/2/\r\n"
    "/C/6/EsDiaPermiso/ftString/2/\r\n"
    "/I/1/<Primary>/CodigoOperario;Fecha";

namespace {
const int kColumnas[3] = {180, 280, 380};
}  // namespace

TfRRQRLVAC::TfRRQRLVAC(TForm* Dialogo, QWidget* owner)
    : TInformeCalendario(owner, QStringLiteral("fRRQRLVAC")) {
    Personal = new TTable(this);
    Personal->setObjectName(QStringLiteral("Personal"));
    Personal->setTableName(QStringLiteral("PERSONAL"));
    PageHeader->setHeight(80);
    Titulo(QStringLiteral("QRLabelFecha"), QStringLiteral("Fecha"), 80, 90);
    Titulo(QStringLiteral("QRLabelVacaciones"), QStringLiteral("Vacaciones"), kColumnas[0], 90);
    Titulo(QStringLiteral("QRLabelPuente"), QStringLiteral("Puente"), kColumnas[1], 90);
    Titulo(QStringLiteral("QRLabelPermiso"), QStringLiteral("Permiso"), kColumnas[2], 90);

    auto etiqueta = [this](TQRCustomBand* banda, const QString& nombre, const QString& caption,
                           int left, int width) {
        auto* l = new TQRLabel(this, banda);
        l->setObjectName(nombre);
        l->setCaption(caption);
        l->SetBounds(left, 2, width, 17);
        return l;
    };
    GrupoOperario = new TQRGroup(this, QuickReport);
    GrupoOperario->setObjectName(QStringLiteral("GrupoOperario"));
    GrupoOperario->setExpression(QStringLiteral("Temporal.CodigoOperario"));
    GrupoOperario->setHeight(22);
    etiqueta(GrupoOperario, QStringLiteral("QRLabelOperario"), QStringLiteral("Operario:"), 0, 60);
    Columna(GrupoOperario, QStringLiteral("QRDBTextCodigoOperario"),
            QStringLiteral("CodigoOperario"), 62, 40);
    Columna(GrupoOperario, QStringLiteral("QRDBTextNombre"), QStringLiteral("Nombre"), 105, 300);

    Detail = new TQRBand(this, QuickReport, rbDetail);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setHeight(17);
    Columna(Detail, QStringLiteral("QRDBTextFecha"), QStringLiteral("Fecha"), 80, 90, true);
    Columna(Detail, QStringLiteral("QRDBTextEsDiaVacaciones"), QStringLiteral("EsDiaVacaciones"),
            kColumnas[0], 90);
    Columna(Detail, QStringLiteral("QRDBTextEsDiaPuente"), QStringLiteral("EsDiaPuente"),
            kColumnas[1], 90);
    Columna(Detail, QStringLiteral("QRDBTextEsDiaPermiso"), QStringLiteral("EsDiaPermiso"),
            kColumnas[2], 90);

    PieOperario = new TQRBand(this, QuickReport, rbGroupFooter);
    PieOperario->setObjectName(QStringLiteral("PieOperario"));
    PieOperario->setHeight(24);
    GrupoOperario->setFooterBand(PieOperario);
    etiqueta(PieOperario, QStringLiteral("QRLabelTotalOperario"), QStringLiteral("Total Operario:"),
             0, 100);
    lbParcialDiasVacaciones = etiqueta(PieOperario, QStringLiteral("lbParcialDiasVacaciones"),
                                       QString(), kColumnas[0], 90);
    lbParcialDiasPuentes =
        etiqueta(PieOperario, QStringLiteral("lbParcialDiasPuentes"), QString(), kColumnas[1], 90);
    lbParcialDiasPermisos =
        etiqueta(PieOperario, QStringLiteral("lbParcialDiasPermisos"), QString(), kColumnas[2], 90);

    PieListado = new TQRBand(this, QuickReport, rbSummary);
    PieListado->setObjectName(QStringLiteral("PieListado"));
    PieListado->setHeight(24);
    PieListado->Frame.DrawTop = true;
    etiqueta(PieListado, QStringLiteral("QRLabelTotalListado"), QStringLiteral("Total Listado:"), 0,
             100);
    lbTotalDiasVacaciones =
        etiqueta(PieListado, QStringLiteral("lbTotalDiasVacaciones"), QString(), kColumnas[0], 90);
    lbTotalDiasPuentes =
        etiqueta(PieListado, QStringLiteral("lbTotalDiasPuentes"), QString(), kColumnas[1], 90);
    lbTotalDiasPermisos =
        etiqueta(PieListado, QStringLiteral("lbTotalDiasPermisos"), QString(), kColumnas[2], 90);

    TField* campos[3] = {};
    Detail->AfterPrint = [this, campos](QObject*, bool impresa) mutable {
        if (!impresa) return;
        if (!campos[0]) {
            campos[0] = Temporal->FieldByName(QStringLiteral("EsDiaVacaciones"));
            campos[1] = Temporal->FieldByName(QStringLiteral("EsDiaPuente"));
            campos[2] = Temporal->FieldByName(QStringLiteral("EsDiaPermiso"));
        }
        for (int k = 0; k < 3; ++k)
            if (campos[k]->AsString() == QLatin1String("SI")) {
                ++parcial_[k];
                ++total_[k];
            }
    };
    PieOperario->BeforePrint = [this](QObject*, bool&) {
        lbParcialDiasVacaciones->setCaption(QString::number(parcial_[0]));
        lbParcialDiasPuentes->setCaption(QString::number(parcial_[1]));
        lbParcialDiasPermisos->setCaption(QString::number(parcial_[2]));
    };
    PieOperario->AfterPrint = [this](QObject*, bool) {
        for (int& p : parcial_) p = 0;
    };
    PieListado->BeforePrint = [this](QObject*, bool&) {
        lbTotalDiasVacaciones->setCaption(QString::number(total_[0]));
        lbTotalDiasPuentes->setCaption(QString::number(total_[1]));
        lbTotalDiasPermisos->setCaption(QString::number(total_[2]));
    };
    Preparar(Dialogo, QLatin1String(kDefinicionTemporal), false);
}

QString TfRRQRLVAC::TituloListado() const {
    return QStringLiteral("Listado de Dias de Vacaciones/Puentes/Permisos (") +
           DateToStr(DesdeFecha.date()) + QStringLiteral(" - ") + DateToStr(HastaFecha.date()) +
           QStringLiteral(")");
}

TDataSet* TfRRQRLVAC::TablaControl() const {
    return Personal;
}

void TfRRQRLVAC::RellenarTemporal() {
    GrupoOperario->setForceNewPage(SaltoPagina);
    PieListado->setForceNewPage(SaltoPagina);
    for (int k = 0; k < 3; ++k) parcial_[k] = total_[k] = 0;
    const QDate desde = DesdeFecha.date(), hasta = HastaFecha.date();
    TField* eNombre = Personal->FieldByName(QStringLiteral("Nombre"));
    TField* eCalendario = Personal->FieldByName(QStringLiteral("CodigoCalendario"));
    TField* tCodigo = Temporal->FieldByName(QStringLiteral("CodigoOperario"));
    TField* tFecha = Temporal->FieldByName(QStringLiteral("Fecha"));
    TField* tNombre = Temporal->FieldByName(QStringLiteral("Nombre"));
    TField* tVacaciones = Temporal->FieldByName(QStringLiteral("EsDiaVacaciones"));
    TField* tPuente = Temporal->FieldByName(QStringLiteral("EsDiaPuente"));
    TField* tPermiso = Temporal->FieldByName(QStringLiteral("EsDiaPermiso"));
    const QString si = QStringLiteral("SI"), no = QStringLiteral("NO");
    struct Dia {
        QString vacaciones, puente, permiso;
    };
    TQuery q(this);
    q.setObjectName(QStringLiteral("Query1"));
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.setRequestLive(false);

    RecorrerOperarios(
        Personal, DesdeOperario, HastaOperario, Activos, NoActivos, RangosGruposAnalisis,
        [&](int codigo, TRellenoListado& relleno) {
            const QString texto =
                QStringLiteral("Operario: ") + QString::number(codigo) + QStringLiteral(" Fecha: ");
            QMap<QDate, Dia> dias;
            // The company calendar first; the employee's own day decides a
            // date that both select.
            for (const bool propio : {false, true}) {
                // Calendar 0 (or none) means the employee has no company
                // calendar: never the days of a calendar numbered 0.
                if (!propio && eCalendario->AsInteger() == 0) continue;
                q.Close();
                q.SQL().Clear();
                q.SQL().Add(
                    (propio ? QStringLiteral("SELECT * FROM CALENOPE  WHERE CodigoOperario = ") +
                                  Entrecomillar(QString::number(codigo))
                            : QStringLiteral("SELECT * FROM CALENDAR  WHERE Codigo = ") +
                                  Entrecomillar(QString::number(eCalendario->AsInteger()))) +
                    QStringLiteral(" AND ") +
                    CondicionFechas(QStringLiteral("Fecha"), desde, hasta));
                if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open"))) return;
                TField* fecha = q.FieldByName(QStringLiteral("Fecha"));
                TField* vacaciones = q.FieldByName(QStringLiteral("EsDiaVacaciones"));
                TField* puente = q.FieldByName(QStringLiteral("EsDiaPuente"));
                TField* permiso = propio ? q.FieldByName(QStringLiteral("EsDiaPermiso")) : nullptr;
                for (; !q.Eof(); q.Next()) {
                    const QDate d = fecha->AsDateTime().date();
                    if (!relleno.Seguir(texto + DateToStr(d))) return;
                    const Dia dia{vacaciones->AsString(), puente->AsString(),
                                  permiso ? permiso->AsString() : no};
                    if ((dia.vacaciones == si && Vacaciones) || (dia.puente == si && Puentes) ||
                        (propio && dia.permiso == si && Permisos))
                        dias.insert(d, dia);
                }
            }
            q.Close();
            if (dias.isEmpty()) return;
            const QString nombre = eNombre->AsString();
            for (auto d = dias.cbegin(); d != dias.cend(); ++d) {
                relleno.Anadir();
                tCodigo->setAsInteger(codigo);
                tFecha->setAsDateTime(QDateTime(d.key(), QTime(0, 0)));
                tNombre->setAsString(nombre);
                tVacaciones->setAsString(d->vacaciones);
                tPuente->setAsString(d->puente);
                tPermiso->setAsString(d->permiso);
                relleno.Grabar();
            }
        });
}
