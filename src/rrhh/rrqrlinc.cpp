#include "rrhh/rrqrlinc.h"

#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"

namespace RRQRLINC {
TSeleccionIncidencias Seleccion;
}

namespace {
constexpr int kTiempo = 400;
const char* const kMascaraTiempo = "#,##0.00";

// The time of day of an incidence's hour, "hh:nn:ss"; an empty one is
// midnight, as a date of 0.
QString HoraIncidencia(TField* Hora) {
    const QTime t = Hora->IsNull() ? QTime() : ParteHora(Hora->AsDateTime()).time();
    return (t.isValid() ? t : QTime(0, 0)).toString(QStringLiteral("HH:mm:ss"));
}
}  // namespace

QString TInformeIncidencias::DefinicionTablaIncidencias(const QString& TipoClasificacion) {
    // The group leads the key of its orders: not required, so that the
    // incidences without a group are kept, as a block with an empty code
    // that sorts first.
    const QString cola = QStringLiteral(
        "/C/6/HoraInicio/ftString/8/\r\n/C/7/HoraFinal/ftString/8/\r\n"
        "/C/8/Tiempo/ftFloat/0/\r\n/C/9/Descripcion/ftString/40/\r\n");
    QString columnas, clave;
    if (TipoClasificacion == QLatin1String("Por Operario/Fecha")) {
        columnas = QStringLiteral(
            "/C/1/CodigoOperario/ftInteger/0/*\r\n/C/2/Fecha/ftDateTime/0/*\r\n"
            "/C/3/Linea/ftInteger/0/*\r\n/C/4/Nombre/ftString/40/\r\n"
            "/C/5/GrupoAnalisis/ftString/10/\r\n");
        clave = QStringLiteral("CodigoOperario;Fecha;Linea");
    } else if (TipoClasificacion == QLatin1String("Por Operario/Gr.Analisis")) {
        columnas = QStringLiteral(
            "/C/1/CodigoOperario/ftInteger/0/*\r\n/C/2/GrupoAnalisis/ftString/10/\r\n"
            "/C/3/Fecha/ftDateTime/0/*\r\n/C/4/Linea/ftInteger/0/*\r\n"
            "/C/5/Nombre/ftString/40/\r\n");
        clave = QStringLiteral("CodigoOperario;GrupoAnalisis;Fecha;Linea");
    } else if (TipoClasificacion == QLatin1String("Por Gr.Analisis/Fecha")) {
        columnas = QStringLiteral(
            "/C/1/GrupoAnalisis/ftString/10/\r\n/C/2/Fecha/ftDateTime/0/*\r\n"
            "/C/3/Linea/ftInteger/0/*\r\n/C/4/CodigoOperario/ftInteger/0/*\r\n"
            "/C/5/Nombre/ftString/40/\r\n");
        clave = QStringLiteral("GrupoAnalisis;Fecha;Linea;CodigoOperario");
    } else if (TipoClasificacion == QLatin1String("Por Gr.Analisis/Operario")) {
        columnas = QStringLiteral(
            "/C/1/GrupoAnalisis/ftString/10/\r\n/C/2/CodigoOperario/ftInteger/0/*\r\n"
            "/C/3/Fecha/ftDateTime/0/*\r\n/C/4/Linea/ftInteger/0/*\r\n"
            "/C/5/Nombre/ftString/40/\r\n");
        clave = QStringLiteral("GrupoAnalisis;CodigoOperario;Fecha;Linea");
    } else {
        return QString();
    }
    return QStringLiteral("Tabla Temporal\r\n") + columnas + cola +
           QStringLiteral("/I/1/<Primary>/") + clave;
}

TQRGroup* TInformeIncidencias::grupo(const QString& nombre, const QString& expresion) {
    auto* g = new TQRGroup(this, QuickReport);
    g->setObjectName(nombre);
    g->setExpression(expresion);
    g->setHeight(22);
    QFont negrita = g->Font();
    negrita.setBold(true);
    g->setFont(negrita);
    return g;
}

TQRBand* TInformeIncidencias::pie(TQRGroup* grupo, const QString& nombre, const QString& caption,
                                  bool reiniciar) {
    auto* b = new TQRBand(this, QuickReport, grupo ? rbGroupFooter : rbSummary);
    b->setObjectName(nombre);
    b->setHeight(24);
    b->Frame.DrawBottom = true;
    if (grupo) grupo->setFooterBand(b);
    auto* l = new TQRLabel(this, b);
    l->setObjectName(QStringLiteral("QRLabel") + nombre);
    l->setCaption(caption);
    l->SetBounds(kTiempo - 150, 3, 145, 17);
    l->setAlignment(taRightJustify);
    auto* suma = new TQRDBCalc(this, b);
    suma->setObjectName(QStringLiteral("Suma") + nombre);
    suma->setDataSet(Temporal);
    suma->setDataField(QStringLiteral("Tiempo"));
    suma->setOperation(dbcSum);
    suma->setPrintMask(QLatin1String(kMascaraTiempo));
    suma->setResetAfterPrint(reiniciar);
    suma->SetBounds(kTiempo, 3, 60, 17);
    suma->setAlignment(taRightJustify);
    return b;
}

TInformeIncidencias::TInformeIncidencias(TForm* Dialogo, QWidget* owner, const QString& nombre,
                                         const TSeleccionIncidencias& Seleccion_, bool PorGrupo)
    : TInformeCalendario(owner, nombre), Seleccion(Seleccion_) {
    Personal = new TTable(this);
    Personal->setObjectName(QStringLiteral("Personal"));
    Personal->setTableName(QStringLiteral("PERSONAL"));
    PageHeader->setHeight(80);
    // The title names the order and the dates: at the frame's 12 points it
    // runs off a portrait page.
    QFont titulo = TituloInforme->Font();
    titulo.setPointSize(10);
    TituloInforme->setFont(titulo);
    TituloInforme->setWidth(620);

    struct ColumnaIncidencia {
        const char* titulo;
        const char* campo;
        int left, ancho;
    };
    const ColumnaIncidencia columnas[] = {
        {"Fecha", "Fecha", 0, 75},
        {PorGrupo ? "Operario" : "Gr.Análisis", PorGrupo ? "Nombre" : "GrupoAnalisis", 80, 170},
        {"H.Inicio", "HoraInicio", 255, 65},
        {"H.Final", "HoraFinal", 325, 65},
        {"Tiempo", "Tiempo", kTiempo, 60},
        {"Descripción", "Descripcion", 470, 250},
    };

    // The outer group is registered first.
    auto grupoOperario = [this] {
        GrupoOperario =
            grupo(QStringLiteral("GrupoOperario"), QStringLiteral("Temporal.CodigoOperario"));
        auto* l = new TQRLabel(this, GrupoOperario);
        l->setObjectName(QStringLiteral("QRLabelOperario"));
        l->setCaption(QStringLiteral("Operario:"));
        l->SetBounds(0, 3, 65, 17);
        Columna(GrupoOperario, QStringLiteral("QRDBTextCodigoOperario"),
                QStringLiteral("CodigoOperario"), 68, 40);
        Columna(GrupoOperario, QStringLiteral("QRDBTextNombre"), QStringLiteral("Nombre"), 112,
                300);
    };
    auto grupoAnalisis = [this] {
        GrupoGrAnalisis =
            grupo(QStringLiteral("GrupoGrAnalisis"), QStringLiteral("Temporal.GrupoAnalisis"));
        auto* l = new TQRLabel(this, GrupoGrAnalisis);
        l->setObjectName(QStringLiteral("QRLabelGrAnalisis"));
        l->setCaption(QStringLiteral("Gr.Análisis:"));
        l->SetBounds(0, 3, 80, 17);
        Columna(GrupoGrAnalisis, QStringLiteral("QRDBTextGrupoAnalisis"),
                QStringLiteral("GrupoAnalisis"), 85, 120);
    };
    if (PorGrupo) {
        grupoAnalisis();
        grupoOperario();
    } else {
        grupoOperario();
        grupoAnalisis();
    }

    Detail = new TQRBand(this, QuickReport, rbDetail);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setHeight(17);
    int n = 1;
    for (const auto& c : columnas) {
        Titulo(QStringLiteral("QRLabel%1").arg(n++), QString::fromUtf8(c.titulo), c.left, c.ancho);
        const QString campo = QLatin1String(c.campo);
        Columna(Detail, QStringLiteral("QRDBText") + campo, campo, c.left, c.ancho - 4,
                campo == QLatin1String("Fecha"));
    }
    if (auto* tiempo = findChild<TQRDBText*>(QStringLiteral("QRDBTextTiempo"))) {
        tiempo->setMask(QLatin1String(kMascaraTiempo));
        tiempo->setAlignment(taRightJustify);
    }
    if (auto* titulo = findChild<TQRLabel*>(QStringLiteral("QRLabel5")))
        titulo->setAlignment(taRightJustify);

    // Inner footer first: it prints before the outer one.
    if (PorGrupo) {
        PieOperario = pie(GrupoOperario, QStringLiteral("PieOperario"),
                          QStringLiteral("Total Operario:"), true);
        PieGrAnalisis = pie(GrupoGrAnalisis, QStringLiteral("PieGrAnalisis"),
                            QStringLiteral("Total Gr.Análisis:"), true);
    } else {
        PieGrAnalisis = pie(GrupoGrAnalisis, QStringLiteral("PieGrAnalisis"),
                            QStringLiteral("Total Gr.Análisis:"), true);
        PieOperario = pie(GrupoOperario, QStringLiteral("PieOperario"),
                          QStringLiteral("Total Operario:"), true);
    }
    PieListado =
        pie(nullptr, QStringLiteral("PieListado"), QStringLiteral("Total Listado:"), false);

    // The orders by date have no inner group.
    if (Seleccion.TipoClasificacion == QLatin1String("Por Operario/Fecha")) {
        GrupoGrAnalisis->setEnabled(false);
        PieGrAnalisis->setEnabled(false);
    } else if (Seleccion.TipoClasificacion == QLatin1String("Por Gr.Analisis/Fecha")) {
        GrupoOperario->setEnabled(false);
        PieOperario->setEnabled(false);
    }
    Preparar(Dialogo, DefinicionTablaIncidencias(Seleccion.TipoClasificacion), false);
}

QString TInformeIncidencias::TituloListado() const {
    return QStringLiteral("Listado de Incidencias de Calendario ") + Seleccion.TipoClasificacion +
           QStringLiteral(" (") + DateTimeToStr(Seleccion.DesdeFecha) + QStringLiteral(" - ") +
           DateTimeToStr(Seleccion.HastaFecha) + QStringLiteral(")");
}

TDataSet* TInformeIncidencias::TablaControl() const {
    return Personal;
}

void TInformeIncidencias::RellenarTemporal() {
    GrupoOperario->setForceNewPage(Seleccion.SaltoPagina);
    PieListado->setForceNewPage(Seleccion.SaltoPagina);
    if (!Temporal->Active()) return;
    const QDate desde = Seleccion.DesdeFecha.date(), hasta = Seleccion.HastaFecha.date();
    TField* eNombre = Personal->FieldByName(QStringLiteral("Nombre"));
    auto t = [this](const char* n) { return Temporal->FieldByName(QLatin1String(n)); };
    TField *tCodigo = t("CodigoOperario"), *tNombre = t("Nombre"), *tGrupo = t("GrupoAnalisis"),
           *tFecha = t("Fecha"), *tLinea = t("Linea"), *tInicio = t("HoraInicio"),
           *tFinal = t("HoraFinal"), *tTiempo = t("Tiempo"), *tDescripcion = t("Descripcion");
    TQuery q(this);
    q.setObjectName(QStringLiteral("Query1"));
    q.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    q.setRequestLive(false);

    RecorrerOperarios(
        Personal, Seleccion.DesdeOperario, Seleccion.HastaOperario, Seleccion.Activos,
        Seleccion.NoActivos, Seleccion.RangosGruposAnalisis,
        [&](int codigo, TRellenoListado& relleno) {
            q.Close();
            q.SQL().Clear();
            q.SQL().Add(QStringLiteral("SELECT * FROM INCCALOP  WHERE CodigoOperario = ") +
                        Entrecomillar(QString::number(codigo)) + QStringLiteral(" AND ") +
                        CondicionFechas(QStringLiteral("Fecha"), desde, hasta));
            if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open"))) return;
            if (q.Eof()) return;
            auto c = [&q](const char* n) { return q.FieldByName(QLatin1String(n)); };
            TField *fecha = c("Fecha"), *linea = c("Linea"), *grupo = c("GrupoAnalisis"),
                   *inicio = c("HoraInicio"), *final = c("HoraFinal"), *tiempo = c("Tiempo"),
                   *descripcion = c("Descripcion");
            const QString nombre = eNombre->AsString();
            const QString texto =
                QStringLiteral("Operario: ") + QString::number(codigo) + QStringLiteral(" Fecha: ");
            for (; !q.Eof(); q.Next()) {
                const QDateTime dia = fecha->AsDateTime();
                if (!relleno.Seguir(texto + DateToStr(dia.date()))) return;
                relleno.Anadir();
                tCodigo->setAsInteger(codigo);
                tNombre->setAsString(nombre);
                // No group is an empty code (never NULL, which the key of
                // the group-led orders refuses on one engine): those rows
                // make one block with the ones typed empty.
                const QString codigoGrupo = grupo->AsString();
                tGrupo->setAsString(codigoGrupo.isEmpty() ? QStringLiteral("") : codigoGrupo);
                tFecha->setAsDateTime(dia);
                tLinea->setAsInteger(linea->AsInteger());
                // As stored: the window shows the same value (a night
                // incidence gets its hours across midnight when it is saved).
                tTiempo->setAsFloat(tiempo->AsFloat());
                tDescripcion->setAsString(descripcion->AsString().left(40));
                tInicio->setAsString(HoraIncidencia(inicio));
                tFinal->setAsString(HoraIncidencia(final));
                relleno.Grabar();
            }
        });
}

TfRRQRLINC::TfRRQRLINC(TForm* Dialogo, QWidget* owner)
    : TInformeIncidencias(Dialogo, owner, QStringLiteral("fRRQRLINC"), RRQRLINC::Seleccion, false) {
}
