#include "rrhh/reqrlcal.h"

#include <QMap>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <array>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genegrup.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/session/sesion.h"
#include "report/bands.h"
#include "report/controls.h"
#include "report/quickrep.h"
#include "ui/component.h"

namespace REQRLCAL {
int DesdeOperario = 0;
int HastaOperario = 9999;
int AnoCalendario = 0;
QString Observaciones;
QString RangosGruposAnalisis;
bool MostrarHorarios = false;
bool MostrarTiposDia = true;
}  // namespace REQRLCAL

namespace {
constexpr int kCeldas = 40;
constexpr int kRanuras = 18;
constexpr int kIzquierda = 90;
constexpr int kPaso = 24;
// Colour values, red in the low byte.
constexpr int kBlanco = 0xFFFFFF;
constexpr int kNegro = 0x000000;
constexpr int kRojo = 0x0000FF;
constexpr int kVerde = 0x008000;
constexpr int kAzulTrabajado = 0xFF8000;  // RGB 0, 128, 255
constexpr int kGranate = 0x000080;
constexpr int kNaranja = 0x0080FF;  // RGB 255, 128, 0
constexpr int kFucsia = 0xFF00FF;
const char* const kIniciales[] = {"L", "M", "X", "J", "V", "S", "D"};
constexpr int kMeses = 12;
// Employees read before the report starts its pages (the first page ends
// when the second employee's lines begin), then by each later batch.
constexpr int kPrimerLote = 2;
constexpr int kLote = 32;

QString N(int n) {
    return QString::number(n);
}

// One day cell of a month line, as the passes leave it.
struct Celda {
    int dia = 0;
    int horario = 0;
    QString tr, lafe, vpp;
};
struct FilaMes {
    bool leida = false;  // the employee's calendar and name taken
    int calendario = 0;
    QString nombre;
    std::array<Celda, kCeldas + 1> celdas;
};
}  // namespace

// The two passes read side by side (the company's days, the employee's own
// days), by employee and date, and the statement that writes the month lines
// with the values it holds bound.
struct TfREQRLCAL::Carga {
    struct Pasada {
        QSqlQuery* q;
        bool propio;
        bool hay;
    };
    QSqlQuery general, propio;
    Pasada pasadas[2] = {{&general, false, false}, {&propio, true, false}};
    TDatabase* destino = nullptr;
    QString alta;                 // the insert's text
    QSqlQuery* ligada = nullptr;  // the statement the values below were bound on
    QList<QVariant> ligados;
    int largoNombre = 0;
    int seleccionados = 0;  // employees of the selection
    int leidos = 0;         // employees read
    int lineas = 0;         // month lines written
    explicit Carga(const QSqlDatabase& conexion) : general(conexion), propio(conexion) {}
    bool quedan() const { return pasadas[0].hay || pasadas[1].hay; }
};

TfREQRLCAL::TfREQRLCAL(TForm* Dialogo, QWidget* owner)
    : TInformeListado(owner, QStringLiteral("fREQRLCAL")),
      horarios_(REQRLCAL::MostrarHorarios),
      tiposDia_(REQRLCAL::MostrarTiposDia) {
    QuickReport->Page.Orientation = poLandscape;
    QuickReport->Page.LeftMargin = QuickReport->Page.RightMargin = 5;
    PageNumber->setText(QStringLiteral("Página "));
    Horario = new TTable(this);
    Horario->setObjectName(QStringLiteral("Horario"));
    Horario->setTableName(QStringLiteral("HORARIO"));

    BandaCabecera = new TQRGroup(this, QuickReport);
    BandaCabecera->setObjectName(QStringLiteral("BandaCabecera"));
    BandaCabecera->setExpression(
        QStringLiteral("Str(Temporal.CodigoOperario) + Str(Temporal.CodigoCalendario)"));
    BandaCabecera->setForceNewPage(true);
    BandaCabecera->setHeight(44);
    auto etiqueta = [this](TQRCustomBand* banda, const QString& nombre, const QString& caption,
                           int left, int top, int width) {
        auto* l = new TQRLabel(this, banda);
        l->setObjectName(nombre);
        l->setCaption(caption);
        l->SetBounds(left, top, width, 17);
        return l;
    };
    auto dato = [this](TQRCustomBand* banda, const QString& nombre, const QString& campo, int left,
                       int top, int width) {
        auto* t = new TQRDBText(this, banda);
        t->setObjectName(nombre);
        t->setDataSet(Temporal);
        t->setDataField(campo);
        t->SetBounds(left, top, width, 17);
        t->setWordWrap(false);
        return t;
    };
    etiqueta(BandaCabecera, QStringLiteral("QRLabelOperario"), QStringLiteral("Operario:"), 0, 2,
             60);
    dato(BandaCabecera, QStringLiteral("QRDBTextCodigoOperario"), QStringLiteral("CodigoOperario"),
         62, 2, 40);
    dato(BandaCabecera, QStringLiteral("QRDBTextNombreOperario"), QStringLiteral("NombreOperario"),
         105, 2, 300);
    etiqueta(BandaCabecera, QStringLiteral("QRLabelCalendario"), QStringLiteral("Calendario:"), 420,
             2, 70);
    dato(BandaCabecera, QStringLiteral("QRDBTextCodigoCalendario"),
         QStringLiteral("CodigoCalendario"), 492, 2, 40);
    QList<TQRLabel*> cabeceras;
    cabeceras << etiqueta(BandaCabecera, QStringLiteral("LBCabeceraMes"), QStringLiteral("Mes"), 0,
                          24, 85);
    for (int n = 1; n <= kCeldas; ++n)
        cabeceras << etiqueta(BandaCabecera, QStringLiteral("LBCabecera%1").arg(n),
                              QLatin1String(kIniciales[(n - 1) % 7]), kIzquierda + kPaso * (n - 1),
                              24, 21);
    for (TQRLabel* l : cabeceras) {
        l->setTag(1);
        l->setAlignment(taCenter);
        QFont f = l->Font();
        f.setBold(true);
        l->setFont(f);
    }

    Master = new TQRBand(this, QuickReport, rbDetail);
    Master->setObjectName(QStringLiteral("Master"));
    Master->setHeight(22);
    LBMes = dato(Master, QStringLiteral("LBMes"), QStringLiteral("Mes"), 0, 3, 85);
    LBMes->OnPrint = [](QObject*, QString& v) { v = NombreMes(v.toInt()); };
    for (int n = 1; n <= kCeldas; ++n) {
        TQRDBText* d = dato(Master, QStringLiteral("LBDia%1").arg(n),
                            QStringLiteral("Dia%1").arg(n), kIzquierda + kPaso * (n - 1), 3, 21);
        d->setTag(2);
        d->setAlignment(taCenter);
        d->setHeight(16);
        d->OnPrint = [](QObject*, QString& v) {
            if (v.toInt() <= 0) v.clear();
        };
        LBDia << d;
    }
    // In day-type mode the overlays cover the cell and show its digits.
    if (tiposDia_)
        for (TQRDBText* d : std::as_const(LBDia)) d->setEnabled(false);
    if (tiposDia_)
        for (int n = 1; n <= kCeldas; ++n) {
            CeldasTr << CrearEtiquetaCelda(n, QStringLiteral("Tr"));
            CeldasLaFe << CrearEtiquetaCelda(n, QStringLiteral("LaFe"));
            CeldasVaPuPe << CrearEtiquetaCelda(n, QStringLiteral("VaPuPe"));
        }
    Master->BeforePrint = [this](QObject*, bool&) { MasterBeforePrint(); };
    // The employees after the first ones are read as the report walks past
    // the lines written.
    QuickReport->OnNeedData = [this](QObject*, bool& Mas) {
        if (!carga_) return;
        const int antes = carga_->lineas;
        bool quedan = false;
        if (!RellenoCompleto([&] {
                TRellenoListado relleno(Temporal);
                quedan = CargarOperarios(relleno, kLote);
            })) {
            carga_.reset();
            DescartarPaginas();
            return;
        }
        Mas = quedan || carga_->lineas > antes;
        if (!quedan) carga_.reset();
    };

    PieGrupo = new TQRBand(this, QuickReport, rbGroupFooter);
    PieGrupo->setObjectName(QStringLiteral("PieGrupo"));
    PieGrupo->Frame.DrawTop = true;
    BandaCabecera->setFooterBand(PieGrupo);
    LBHorarios = etiqueta(PieGrupo, QStringLiteral("LBHorarios"), QString(), 0, 4, 120);
    for (int k = 1; k <= kRanuras; ++k) {
        const int columna = (k - 1) / 6, fila = (k - 1) % 6;
        const int left = 10 + columna * 340, top = 24 + fila * 16;
        TQRLabel* c = etiqueta(PieGrupo, QStringLiteral("Col%1").arg(k), QString(), left, top, 22);
        c->setHeight(14);
        c->setAlignment(taCenter);
        c->setFontColor(kBlanco);
        TQRLabel* t = etiqueta(PieGrupo, QStringLiteral("DescHorario%1").arg(k), QString(),
                               left + 28, top, 300);
        t->setHeight(14);
        Col << c;
        DescHorario << t;
    }
    const int observaciones = 24 + 6 * 16 + 4;
    etiqueta(PieGrupo, QStringLiteral("QRLabelObservaciones"), QStringLiteral("Observaciones:"), 0,
             observaciones, 90);
    LBObservaciones =
        etiqueta(PieGrupo, QStringLiteral("LBObservaciones"), QString(), 92, observaciones, 950);
    LBObservaciones->setAutoStretch(true);
    LBObservaciones->OnPrint = [](QObject*, QString& v) { v = REQRLCAL::Observaciones; };
    PieGrupo->setHeight(observaciones + 22);
    PieGrupo->BeforePrint = [this](QObject*, bool&) { PieGrupoBeforePrint(); };
    PieGrupo->AfterPrint = [this](QObject*, bool) { ListaHorarios.clear(); };

    Preparar(Dialogo, DefinicionTablaCalendario(horarios_, tiposDia_), false);
    // The headings after the style and compression steps, as the form's
    // creation sets them last.
    for (TQRLabel* l : cabeceras) {
        l->setColor(l->Caption() == QLatin1String("D") ? kRojo : kNegro);
        l->setFontColor(kBlanco);
        l->Frame = TQRFrame();
    }
}

TfREQRLCAL::~TfREQRLCAL() = default;

TQRLabel* TfREQRLCAL::CrearEtiquetaCelda(int n, const QString& tipo) {
    auto* l = new TQRLabel(this, Master);
    l->setObjectName(QStringLiteral("Celdas%1%2").arg(tipo).arg(n));
    l->setColor(kBlanco);
    l->setFont(MakeFont(QStringLiteral("Arial"), 7));
    l->setFontColor(kNegro);
    l->setTag(4);
    l->setWordWrap(false);
    const int base = kIzquierda + kPaso * (n - 1);
    if (tipo == QLatin1String("Tr"))
        l->SetBounds(base - 2, 4, 20, 16);
    else if (tipo == QLatin1String("LaFe"))
        l->SetBounds(base + 6, 4, 7, 16);
    else
        l->SetBounds(base + 12, 4, 7, 16);
    return l;
}

int TfREQRLCAL::CeldaDia(const QDate& Fecha) {
    return QDate(Fecha.year(), Fecha.month(), 1).dayOfWeek() + Fecha.day() - 1;
}

QString TfREQRLCAL::DefinicionTablaCalendario(bool Horarios, bool TiposDia) {
    QStringList l{QStringLiteral("Tabla Temporal"),
                  QStringLiteral("/C/1/CodigoOperario/ftInteger/0/*"),
                  QStringLiteral("/C/2/CodigoCalendario/ftInteger/0/*"),
                  QStringLiteral("/C/3/Mes/ftInteger/0/*"),
                  // An employee may have no name: not required.
                  QStringLiteral("/C/4/NombreOperario/ftString/40/")};
    auto serie = [&l](int columna, const char* nombre, const char* tipo) {
        for (int n = 1; n <= kCeldas; ++n)
            l << QStringLiteral("/C/%1/%2%3/%4/")
                     .arg(columna)
                     .arg(QLatin1String(nombre))
                     .arg(n)
                     .arg(QLatin1String(tipo));
    };
    serie(5, "Dia", "ftInteger/0");
    if (Horarios) serie(6, "NumeroHorario", "ftInteger/0");
    if (TiposDia) {
        serie(7, "EsDiaTrabajado", "ftString/2");
        serie(8, "EsDiaFestivoLaborable", "ftString/2");
        serie(9, "EsDiaVacacionesPuentePermiso", "ftString/2");
    }
    l << QStringLiteral("/I/1/<Primary>/CodigoOperario;CodigoCalendario;Mes");
    return l.join(QStringLiteral("\r\n"));
}

QString TfREQRLCAL::TituloListado() const {
    return QStringLiteral("Listado de Calendarios de Operarios del Año ") +
           N(REQRLCAL::AnoCalendario) +
           (horarios_ ? QStringLiteral(" - Horarios") : QStringLiteral(" - Tipos de Día"));
}

void TfREQRLCAL::RellenarTemporal() {
    LBHorarios->setCaption(horarios_ ? QStringLiteral("Horarios:")
                                     : QStringLiteral("Tipos de Dia:"));
    TRellenoListado relleno(Temporal, QStringLiteral("Clasificación del Listado"));
    relleno.Seguir(QStringLiteral("Procesando..."));
    horariosLeidos_.clear();
    camposCeldas_.clear();
    cuentasTipos_.clear();
    if (Horario->Active()) {
        TField* numero = Horario->FieldByName(QStringLiteral("Numero"));
        TField* descripcion = Horario->FieldByName(QStringLiteral("Descripcion"));
        TField* color = Horario->FieldByName(QStringLiteral("Color"));
        for (Horario->First(); !Horario->Eof(); Horario->Next())
            horariosLeidos_.insert(numero->AsInteger(),
                                   DatosHorario{descripcion->AsString(), color->AsInteger()});
    }
    ListaHorarios.clear();
    carga_.reset();
    QuickReport->setExpectedRecords(0);
    AbrirCalendarios();
    // The first employees before the first page; the others as the report
    // walks past the lines written. A job drawn straight onto a printer
    // cannot take back a page it drew: it reads every employee first, so
    // that a failure stops it before anything is printed.
    const int primeros = QuickReport->QRPrinter()->Busy() ? kPrimerLote : INT_MAX;
    if (carga_ && !CargarOperarios(relleno, primeros)) carga_.reset();
}

void TfREQRLCAL::DescartarPaginas() {
    TQRPrinter* paginas = QuickReport->QRPrinter();
    paginas->Abort();
    if (!paginas->PreviewOpen()) {
        // The caller (a PDF job, a run for the pages) gets a silent abort
        // instead of pages that are not the listing.
        throw EAbort();
    }
    // A preview goes as for a report that made no page: hidden once the run
    // has ended, so that the report's Preview returns, and released.
    const QPointer<TForm> ventana = qobject_cast<TForm*>(paginas->PreviewWindow());
    TQuickRep* informe = QuickReport;
    const TQRNotifyEvent previo = informe->AfterPrint;
    informe->AfterPrint = [informe, previo, ventana](QObject* Sender) {
        // Restored first: this handler ends with the assignment.
        const TQRNotifyEvent anterior = previo;
        const QPointer<TForm> v = ventana;
        informe->AfterPrint = anterior;
        if (anterior) anterior(Sender);
        if (v) {
            v->Hide();
            v->Release();
        }
    };
}

void TfREQRLCAL::AbrirCalendarios() {
    const int ano = REQRLCAL::AnoCalendario;
    if (ano < 1 || ano > 9999) return;
    const bool asistencia = EsProgramaEnEjecucion(QStringLiteral("MURDANE.EXE"));
    const QString codigo =
        asistencia ? QStringLiteral("OP.Codigo") : QStringLiteral("OP.CodigoOperario");
    const QString operarios = asistencia ? QStringLiteral("OPERARIO") : QStringLiteral("PERSONAL");
    QString condicion, uniones;
    SQLGruposAnalisis(ModuloDatos, REQRLCAL::RangosGruposAnalisis,
                      asistencia ? QStringLiteral("OPERARIO=OP.Codigo")
                                 : QStringLiteral("PERSONAL=OP.CodigoOperario"),
                      condicion, uniones);
    const QString rango = QStringLiteral("  WHERE ") + codigo + QStringLiteral(" >= ") +
                          N(REQRLCAL::DesdeOperario) + QStringLiteral("    AND ") + codigo +
                          QStringLiteral(" <= ") + N(REQRLCAL::HastaOperario);
    // The year as a range of dates: December's days end before 1 January,
    // whatever time of day a stored date carries.
    const QString hasta =
        ano < 9999 ? QString(QStringLiteral("    AND C.Fecha < ") + ValorSQL(QDate(ano + 1, 1, 1)))
                   : QString(QStringLiteral("    AND C.Fecha <= ") +
                             ValorSQL(QDateTime(QDate(ano, 12, 31), QTime(23, 59, 59))));
    auto sentencia = [&](bool propio) -> QString {
        QString s = QStringLiteral("SELECT ") +
                    (asistencia ? QStringLiteral("OP.Codigo as CodigoOperario")
                                : QStringLiteral("OP.CodigoOperario")) +
                    QStringLiteral(
                        ", OP.Nombre, OP.CodigoCalendario, C.Fecha, C.NumeroHorario,  "
                        "C.EsDiaTrabajado, C.EsDiaFestivo, C.EsDiaVacaciones, "
                        "C.EsDiaPuente") +
                    (propio ? QStringLiteral(", C.EsDiaPermiso") : QString()) +
                    QStringLiteral("   FROM ") + operarios + QStringLiteral(" OP JOIN ") +
                    (propio ? QString(QStringLiteral("CALENOPE C ON ") + codigo +
                                      QStringLiteral(" = C.CodigoOperario "))
                            : QStringLiteral("CALENDAR C ON OP.CodigoCalendario = C.Codigo ")) +
                    uniones + rango + QStringLiteral("    AND C.Fecha >= ") +
                    ValorSQL(QDate(ano, 1, 1)) + hasta;
        if (!condicion.isEmpty()) s += QStringLiteral(" AND ") + condicion;
        // By employee and date: both passes are read side by side, one
        // employee at a time, and each month line is written once.
        return s + QStringLiteral(" ORDER BY ") + codigo + QStringLiteral(", C.Fecha");
    };
    // Both passes are read as the engine hands the rows over: a whole year
    // of a few hundred employees is too much to hold as datasets.
    TDatabase* base = fGENEINIC->Database;
    auto carga = std::make_unique<Carga>(base->connection());
    // The employees of the selection, for the report's progress while their
    // lines are still to be read (a count of employees costs next to
    // nothing; one of month lines would cost a read of the year).
    {
        QSqlQuery cuenta(base->connection());
        cuenta.setForwardOnly(true);
        QString texto = QStringLiteral("SELECT COUNT(DISTINCT ") + codigo +
                        QStringLiteral(") FROM ") + operarios + QStringLiteral(" OP ") + uniones +
                        rango;
        if (!condicion.isEmpty()) texto += QStringLiteral(" AND ") + condicion;
        if (cuenta.exec(texto) && cuenta.next()) carga->seleccionados = cuenta.value(0).toInt();
    }
    for (Carga::Pasada& p : carga->pasadas) {
        const QString texto = sentencia(p.propio);
        CrearTablasSentencia(ModuloDatos, texto, QStringLiteral("Database"));
        // PostgreSQL's driver reads forward only row by row, and the rows
        // written between them would end that read: it takes the result
        // whole.
        p.q->setForwardOnly(base->engine() == Engine::Sqlite);
        if (!p.q->exec(texto))
            throw EDatabaseError(DbError::General, p.q->lastError().text(), texto);
    }
    for (Carga::Pasada& p : carga->pasadas) p.hay = p.q->next();
    // The month lines go in by one prepared statement: through the table
    // each line's 164 fields cost more than reading the whole year.
    QString columnas = QStringLiteral("CodigoOperario, CodigoCalendario, Mes, NombreOperario");
    auto columna = [&columnas](const char* nombre, int n) {
        columnas += QStringLiteral(", ") + QLatin1String(nombre) + QString::number(n);
    };
    for (int n = 1; n <= kCeldas; ++n) {
        columna("Dia", n);
        if (horarios_) columna("NumeroHorario", n);
        if (tiposDia_) {
            columna("EsDiaTrabajado", n);
            columna("EsDiaFestivoLaborable", n);
            columna("EsDiaVacacionesPuentePermiso", n);
        }
    }
    const int valores = int(columnas.count(QLatin1Char(','))) + 1;
    QStringList marcas(valores, QStringLiteral("?"));
    carga->destino = Temporal->Database();
    carga->alta = QStringLiteral("INSERT INTO ") + Temporal->TableName() + QStringLiteral(" (") +
                  columnas + QStringLiteral(") VALUES (") + marcas.join(QStringLiteral(", ")) +
                  QLatin1Char(')');
    carga->ligados.resize(valores);
    // The name as the column keeps it.
    carga->largoNombre = Temporal->FieldByName(QStringLiteral("NombreOperario"))->Size();
    carga_ = std::move(carga);
}

bool TfREQRLCAL::CargarOperarios(TRellenoListado& Relleno, int Operarios) {
    Carga& k = *carga_;
    QSqlQuery& alta = k.destino->Prepared(k.alta);
    // A statement keeps its values from one line to the next, and a cell
    // shows the same weekday in every month: only the values that changed
    // are bound again (binding costs more than the insert). The statement
    // may come from an earlier fill: its first line binds every value.
    bool primera = k.ligada != &alta;
    k.ligada = &alta;
    auto ligar = [&](int i, const QVariant& v) {
        if (!primera && k.ligados[i] == v && k.ligados[i].typeId() == v.typeId()) return;
        alta.bindValue(i, v);
        k.ligados[i] = v;
    };
    // An empty text is stored as no value, as a field set to it is.
    auto texto = [](const QString& t) { return t.isEmpty() ? QVariant() : QVariant(t); };
    const QString si = QStringLiteral("SI");
    const QString codigos[6] = {QStringLiteral("Tr"), QStringLiteral("La"), QStringLiteral("Fe"),
                                QStringLiteral("Va"), QStringLiteral("Pu"), QStringLiteral("Pe")};
    auto escribir = [&](int operario, int mes, const FilaMes& fila) {
        Relleno.AbrirLote();
        int i = 0;
        ligar(i++, operario);
        ligar(i++, fila.calendario);
        ligar(i++, mes);
        ligar(i++, TField::Coerce(fila.nombre, ftString, k.largoNombre));
        for (int n = 1; n <= kCeldas; ++n) {
            const Celda& c = fila.celdas[n];
            const bool hay = c.dia != 0;
            ligar(i++, hay ? QVariant(c.dia) : QVariant());
            if (horarios_) ligar(i++, hay ? QVariant(c.horario) : QVariant());
            if (tiposDia_) {
                ligar(i++, hay ? texto(c.tr) : QVariant());
                ligar(i++, hay ? texto(c.lafe) : QVariant());
                ligar(i++, hay ? texto(c.vpp) : QVariant());
            }
        }
        primera = false;
        // A line that cannot be stored is left out, as the table leaves it.
        if (!Relleno.Grabar([&] { k.destino->Run(alta); })) return;
        ++k.lineas;
        if (!tiposDia_) return;
        // The legend's counts of the employee, kept as the lines are written.
        std::array<int, 6>& cuenta = cuentasTipos_[operario];
        for (int n = 1; n <= kCeldas; ++n) {
            const Celda& c = fila.celdas[n];
            if (c.dia == 0) continue;
            for (const QString* v : {&c.tr, &c.lafe, &c.vpp})
                for (int j = 0; j < 6; ++j)
                    if (*v == codigos[j]) ++cuenta[j];
        }
    };

    auto fecha = [](const QVariant& v) {
        if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
        if (v.typeId() == QMetaType::QDate) return v.toDate();
        return QDate::fromString(v.toString().left(10), Qt::ISODate);
    };
    // Columns: 0 employee, 1 name, 2 calendar, 3 date, 4 schedule, 5 worked,
    // 6 holiday, 7 vacation, 8 bridge, 9 leave (own days only).
    for (int leidos = 0; leidos < Operarios && k.quedan(); ++leidos) {
        int operario = INT_MAX;
        for (const Carga::Pasada& p : k.pasadas)
            if (p.hay) operario = std::min(operario, p.q->value(0).toInt());
        // A cancel leaves the report unprinted: the rest need not be read.
        if (!Relleno.Seguir(QStringLiteral("Operario:") + N(operario))) return false;
        ++k.leidos;
        QMap<int, FilaMes> meses;
        for (Carga::Pasada& p : k.pasadas) {
            for (; p.hay && p.q->value(0).toInt() == operario; p.hay = p.q->next()) {
                const QDate dia = fecha(p.q->value(3));
                if (!dia.isValid()) continue;
                FilaMes& fila = meses[dia.month()];
                // The employee's columns are the same on every row of both passes.
                if (!fila.leida) {
                    fila.calendario = p.q->value(2).toInt();
                    fila.nombre = p.q->value(1).toString();
                    fila.leida = true;
                }
                Celda& c = fila.celdas[CeldaDia(dia)];
                c.dia = dia.day();
                // Each mode reads only the columns it shows.
                if (horarios_) c.horario = p.q->value(4).toInt();
                if (!tiposDia_) continue;
                c.tr = p.q->value(5).toString() == si ? QStringLiteral("Tr") : QString();
                c.lafe =
                    p.q->value(6).toString() == si ? QStringLiteral("Fe") : QStringLiteral("La");
                c.vpp.clear();
                if (p.q->value(7).toString() == si) c.vpp = QStringLiteral("Va");
                if (p.q->value(8).toString() == si) c.vpp = QStringLiteral("Pu");
                if (p.propio && p.q->value(9).toString() == si) c.vpp = QStringLiteral("Pe");
            }
        }
        for (auto m = meses.cbegin(); m != meses.cend(); ++m) escribir(operario, m.key(), *m);
    }
    // The lines still to come: a year's months for each employee not read
    // yet, until every row was read.
    const bool quedan = k.quedan();
    QuickReport->setExpectedRecords(
        quedan ? std::max(k.lineas + 1, k.lineas + (k.seleccionados - k.leidos) * kMeses)
               : k.lineas);
    return quedan;
}

void TfREQRLCAL::MasterBeforePrint() {
    // The fields of the row, looked up once per run: by name on every cell
    // they cost as much as the drawing.
    if (camposCeldas_.isEmpty()) {
        auto campo = [this](const char* nombre, int n) {
            return Temporal->FindField(QLatin1String(nombre) + QString::number(n));
        };
        camposCeldas_.resize(kCeldas + 1);
        for (int n = 1; n <= kCeldas; ++n)
            camposCeldas_[n] = {campo("Dia", n), campo("NumeroHorario", n),
                                campo("EsDiaTrabajado", n), campo("EsDiaFestivoLaborable", n),
                                campo("EsDiaVacacionesPuentePermiso", n)};
        campoOperario_ = Temporal->FieldByName(QStringLiteral("CodigoOperario"));
    }
    operarioImpreso_ = campoOperario_->AsInteger();
    for (int i = 0; i < kCeldas; ++i) {
        const CamposCelda& f = camposCeldas_[i + 1];
        TQRDBText* celda = LBDia[i];
        celda->setColor(kBlanco);
        celda->setFontColor(kNegro);
        celda->Frame = TQRFrame();
        const int dia = f.dia->AsInteger();
        if (horarios_) {
            if (dia <= 0) continue;
            auto h = horariosLeidos_.constFind(f.horario->AsInteger());
            if (h == horariosLeidos_.cend()) continue;
            celda->setColor(h->color);
            const QString entrada = QString::asprintf("%2.2d", h.key()) + QLatin1Char('-') +
                                    h->descripcion + QLatin1Char('|') + N(h->color);
            auto sitio = std::lower_bound(ListaHorarios.begin(), ListaHorarios.end(), entrada);
            if (sitio == ListaHorarios.end() || *sitio != entrada)
                ListaHorarios.insert(sitio, entrada);
            continue;
        }
        if (!tiposDia_) continue;
        TQRLabel *tr = CeldasTr[i], *lafe = CeldasLaFe[i], *vpp = CeldasVaPuPe[i];
        // A cell without a day prints nothing (its overlays would be white).
        for (TQRLabel* l : {tr, lafe, vpp}) l->setEnabled(dia > 0);
        if (dia <= 0) continue;
        const QString t = f.trabajado->AsString(), lf = f.festivo->AsString(),
                      v = f.vacaciones->AsString();
        const bool trabajado = t == QLatin1String("Tr");
        const bool laborable = lf == QLatin1String("La"), festivo = lf == QLatin1String("Fe");
        const int cTr = trabajado ? kAzulTrabajado : laborable ? kVerde : festivo ? kRojo : kBlanco;
        const int cLaFe = laborable   ? kVerde
                          : festivo   ? kRojo
                          : trabajado ? kAzulTrabajado
                                      : kBlanco;
        int cVaPuPe = laborable ? kVerde : festivo ? kRojo : kBlanco;
        if (v == QLatin1String("Va"))
            cVaPuPe = kGranate;
        else if (v == QLatin1String("Pu"))
            cVaPuPe = kNaranja;
        else if (v == QLatin1String("Pe"))
            cVaPuPe = kFucsia;
        // The overlays drawn in order show three thirds: from the left 0-7
        // the worked colour, 7-13 the working-day one, 13-20 the vacation
        // one. Thirds of one colour are painted as one box: the page then
        // holds half the boxes, with the same look.
        const int left = celda->Left();
        tr->setLeft(left);
        lafe->setLeft(left + 7);
        vpp->setLeft(left + 13);
        tr->setColor(cTr);
        lafe->setColor(cLaFe);
        vpp->setColor(cVaPuPe);
        const bool unoDos = cLaFe == cTr, dosTres = cVaPuPe == cLaFe;
        tr->setWidth(unoDos ? (dosTres ? 20 : 13) : 7);
        lafe->setTransparent(unoDos);
        lafe->setWidth(dosTres ? 13 : 6);
        vpp->setTransparent(dosTres);
        lafe->setCaption(N(dia >= 10 ? dia / 10 : dia));
        vpp->setCaption(dia >= 10 ? N(dia % 10) : QString());
    }
}

void TfREQRLCAL::PieGrupoBeforePrint() {
    for (int k = 0; k < kRanuras; ++k) {
        Col[k]->setCaption(QString());
        Col[k]->setColor(kBlanco);
        DescHorario[k]->setCaption(QString());
        DescHorario[k]->setColor(kBlanco);
    }
    if (horarios_) {
        for (int k = 0; k < ListaHorarios.size() && k < 12; ++k) {
            const QString& e = ListaHorarios[k];
            const int barra = e.lastIndexOf(QLatin1Char('|'));
            DescHorario[k]->setCaption(e.left(barra));
            bool ok = false;
            const int color = e.mid(barra + 1).toInt(&ok);
            Col[k]->setColor(ok ? color : 0);
        }
        return;
    }
    if (!tiposDia_) return;
    // The counts of the group's employee (the last one printed: the footer
    // may print with the next group's row current).
    const std::array<int, 6> cuentas = cuentasTipos_.value(operarioImpreso_);
    const QString codigos[6] = {QStringLiteral("Tr"), QStringLiteral("La"), QStringLiteral("Fe"),
                                QStringLiteral("Va"), QStringLiteral("Pu"), QStringLiteral("Pe")};
    struct Ranura {
        int color;
        const char* texto;
    };
    static const Ranura ranuras[6] = {
        {kAzulTrabajado, "Trabajados "}, {kVerde, "Laborables "}, {kRojo, "Festivos "},
        {kGranate, "Vacaciones "},       {kNaranja, "Puente "},   {kFucsia, "Permiso "}};
    for (int k = 0; k < 6; ++k) {
        Col[k]->setCaption(codigos[k]);
        Col[k]->setColor(ranuras[k].color);
        DescHorario[k]->setCaption(QLatin1String(ranuras[k].texto) + N(cuentas[k]) +
                                   QStringLiteral(" Dias"));
    }
}
