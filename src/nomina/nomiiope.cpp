#include "nomina/nomiiope.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScopedValueRollback>
#include <QVBoxLayout>
#include <climits>

#include "db/controlsguard.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneapp.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/dialogs/genedeta.h"
#include "gene/session/genedicc.h"
#include "gene/dialogs/genefilt.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/genemaes.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/dialogs/genevtex.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/textfile.h"
#include "nomina/nomiiope_filas.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfNOMIIOPE* fNOMIIOPE = nullptr;

namespace {

const char* const kPendiente = "Pendiente";
const char* const kTerminado = "Terminado";
const QString kCrLf = QStringLiteral("\r\n");
const char* const kOtraTransaccion =
    "¡ Hay otra transacción activa en curso !. Debe finalizarla previamente.";

TDatosIntercambio DatosOperarios() {
    return {QStringLiteral("fNOMIIOPE"),
            QStringLiteral("Intercambio de Códigos de Operario"),
            QStringLiteral("PERSONAL"),
            QStringLiteral("CodigoOperario"),
            9999,
            QStringLiteral("Operario Origen"),
            QStringLiteral("Operario Destino"),
            QStringLiteral("ImportarOperarios"),
            QStringLiteral("Importar &Operarios")};
}

// The tables that hold an employee's code, in the order they are rewritten;
// propio: only the rows that belong to the personnel file (the candidates
// share these tables).
struct TablaOperario {
    const char* tabla;
    const char* columna;
    bool propio;
};
constexpr TablaOperario kTablasOperario[] = {
    {"ATRASOS", "CodigoOperario", false},          {"BAJA", "CodigoOperario", false},
    {"CALENOPE", "CodigoOperario", false},         {"CONCOPER", "CodigoOperario", false},
    {"HBONIFIC", "CodigoOperario", false},         {"HCONTRAT", "CodigoOperario", false},
    {"HFORMACI", "CodigoOperario", true},          {"HPUESTO", "CodigoOperario", true},
    {"LBONIFIC", "CodigoOperario", false},         {"LCOTIZAC", "CodigoOperario", false},
    {"LNOMINA", "CodigoOperario", false},          {"EVLCION", "CodigoOperario", false},
    {"EVLCION", "CodigoOperarioEvaluador", false}, {"LEVLCION", "CodigoOperario", false},
    {"MATRCAPA", "CodigoOperario", false},         {"MATRMAQU", "CodigoOperario", false},
    {"NOMINA", "CodigoOperario", false},           {"PLANFORM", "CodigoOperario", false},
};
// Columns that name an employee without being his rows: who fixed a
// training need, who did, approved and registered a documented record.
constexpr TablaOperario kReferenciasOperario[] = {
    {"PLANFORM", "CodigoOpNecesidad", false},
    {"RESPDOC", "RealizadoPor", false},
    {"RESPDOC", "AprobadoPor", false},
    {"RESPDOC", "RegistradoPor", false},
};

QString FisicoDe(const QString& Tabla) {
    QString fisico;
    NombreTablaFisico(ModuloDatos, Tabla, fisico);
    return fisico;
}

// A code as the column holds it: text columns get the digits, the others the number.
QVariant ValorColumna(TDatabase* db, const QString& Fisico, const QString& Columna,
                      const QString& Codigo) {
    for (const TFieldDef& d : db->ColumnDefs(Fisico))
        if (d.Name.compare(Columna, Qt::CaseInsensitive) == 0)
            return IsStringType(d.DataType) ? QVariant(Codigo) : QVariant(Codigo.toLongLong());
    return Codigo.toLongLong();
}

// The company's field separator of text files; an empty parameter would join
// both codes into one, so the standard one stands in for it.
QString Separador() {
    const QString s = ParametroGeneral(ModuloDatos, QStringLiteral("CaracterSeparadorASCII"));
    return s.isEmpty() ? QStringLiteral("|") : s;
}

// The integer of a code as typed; false for anything else.
bool Entero(const QString& Texto, int& Valor) {
    return TryStrToInt(Texto.trimmed(), Valor);
}

}  // namespace

TfNOMIIOPE::TfNOMIIOPE(QWidget* owner) : TfNOMIIOPE(owner, DatosOperarios()) {
    fNOMIIOPE = this;
}

TfNOMIIOPE::TfNOMIIOPE(QWidget* owner, const TDatosIntercambio& datos)
    : TForm(owner), datos_(datos) {
    construir();
}

TfNOMIIOPE::~TfNOMIIOPE() {
    if (fNOMIIOPE == this) fNOMIIOPE = nullptr;
    // The grid lets go of the table before it goes; the equivalence table
    // lives only as long as the form.
    DBGrid1->setDataSource(nullptr);
    try {
        Temporal->Close();
        if (!Temporal->TableName().isEmpty() && Temporal->Exists()) Temporal->DeleteTable();
    } catch (...) {
    }
}

void TfNOMIIOPE::construir() {
    setObjectName(datos_.NombreFormulario);
    setCaption(datos_.Titulo);
    // Sized before it becomes a child, which takes the size it has then.
    resize(560, 440);
    setFormStyle(fsMDIChild);
    setKeyPreview(true);

    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    Temporal->AddField(QStringLiteral("DatoOrigen"), ftString, 20);
    Temporal->AddField(QStringLiteral("DatoDestino"), ftString, 20);
    Temporal->AddField(QStringLiteral("Situacion"), ftString, 15);
    Temporal->AddField(QStringLiteral("Nombre"), ftString, 40, fkCalculated);
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Temporal);
    Maestro = new TTable(this);
    Maestro->setObjectName(QStringLiteral("Maestro"));
    Maestro->setTableName(datos_.TablaMaestra);

    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    TMenuItem* raizMenu = PopupMenu1->Items();
    auto item = [raizMenu](const QString& nombre, const QString& titulo) {
        return new TMenuItem(raizMenu, nombre, titulo);
    };
    Inicializartabladeequivalencias1 = item(QStringLiteral("Inicializartabladeequivalencias1"),
                                            QStringLiteral("I&nicializar tabla de equivalencias"));
    ImportarMaestro = item(datos_.NombreImportar, datos_.TituloImportar);
    ImportardesdeArchivodeTexto1 = item(QStringLiteral("ImportardesdeArchivodeTexto1"),
                                        QStringLiteral("&Importar desde Archivo de Texto..."));
    ExportaraArchivodeTexto1 = item(QStringLiteral("ExportaraArchivodeTexto1"),
                                    QStringLiteral("&Exportar a Archivo de Texto..."));
    IntercambiarDatoOrigenporDatoDestino1 =
        item(QStringLiteral("IntercambiarDatoOrigenporDatoDestino1"),
             QStringLiteral("In&tercambiar Origen por Destino"));
    AgregarcifraenDestino = item(QStringLiteral("AgregarcifraenDestino"),
                                 QStringLiteral("&Agregar una cifra en Destino..."));
    EliminarcifraenDestino = item(QStringLiteral("EliminarcifraenDestino"),
                                  QStringLiteral("E&liminar una cifra en Destino..."));

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    Memo1 = new TMemo(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLines(
        {QStringLiteral("   Este proceso puede comprometer la integridad de los datos de la "
                        "aplicación."),
         QStringLiteral("   Se recomienda encarecidamente realizar una COPIA DE SEGURIDAD previa"),
         QStringLiteral("   con el objeto de evitar la pérdida de los mismos por motivos ajenos "
                        "a la aplicación."),
         QStringLiteral("¡Cierre todas las ventanas de la aplicación, incluidas las de otros "
                        "usuarios!")});
    Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 14);
    raiz->addWidget(Memo1);

    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setDataSource(DataSource1);
    DBGrid1->setPopupMenu(PopupMenu1);
    const struct {
        const char* campo;
        QString titulo;
        int ancho;
    } columnas[] = {{"DatoOrigen", datos_.TituloOrigen, 120},
                    {"DatoDestino", datos_.TituloDestino, 131},
                    {"Nombre", QStringLiteral("Nombre"), 240}};
    for (const auto& c : columnas) {
        TColumn* columna = DBGrid1->Columns().Add();
        columna->setFieldName(QLatin1String(c.campo));
        columna->Title()->setCaption(c.titulo);
        columna->setWidth(c.ancho);
        if (qstrcmp(c.campo, "Nombre") == 0) columna->setReadOnly(true);
    }
    raiz->addWidget(DBGrid1, 1);

    pbConforme = CrearBotonDialogo(this, QStringLiteral("pbConforme"), QStringLiteral("&Conforme"),
                                   QStringLiteral("Comenzar el intercambio"), mrNone);
    pbSalir = CrearBotonDialogo(this, QStringLiteral("pbSalir"), QStringLiteral("&Salir"),
                                QStringLiteral("Salir"), mrNone);
    PanelControl = CrearPanelCentrado(this, QStringLiteral("PanelControl"), {pbConforme, pbSalir});
    raiz->addWidget(PanelControl);
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSimplePanel(true);
    raiz->addWidget(StatusBar1);

    OnCreate = [this](QObject*) { FormCreate(); };
    OnCloseQuery = [this](QObject*, bool& puede) { puede = !Ejecutando; };
    OnClose = [this](QObject*, TCloseAction& accion) { accion = Ejecutando ? caNone : caFree; };
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) { TeclaPresionadaFormulario(fGENEINIC, this, Key); };
    Temporal->OnNewRecord = [](TDataSet* d) {
        d->FieldByName(QStringLiteral("Situacion"))->setAsString(QLatin1String(kPendiente));
    };
    Temporal->BeforePost = [this](TDataSet*) { temporalBeforePost(); };
    Temporal->OnCalcFields = [this](TDataSet*) { temporalCalcFields(); };
    DBGrid1->OnDrawColumnCell = [this](QObject*, const QRect& Rect, int Columna, TColumn*,
                                       int Estado) { dibujarCelda(Rect, Columna, Estado); };
    pbConforme->OnClick = [this](QObject* s) { pbConformeClick(s); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    Inicializartabladeequivalencias1->OnClick = [this](QObject* s) {
        Inicializartabladeequivalencias1Click(s);
    };
    ImportarMaestro->OnClick = [this](QObject* s) { ImportarMaestroClick(s); };
    ImportardesdeArchivodeTexto1->OnClick = [this](QObject* s) {
        ImportardesdeArchivodeTexto1Click(s);
    };
    ExportaraArchivodeTexto1->OnClick = [this](QObject* s) { ExportaraArchivodeTexto1Click(s); };
    IntercambiarDatoOrigenporDatoDestino1->OnClick = [this](QObject* s) {
        IntercambiarDatoOrigenporDatoDestino1Click(s);
    };
    AgregarcifraenDestino->OnClick = [this](QObject* s) { AgregarcifraenDestinoClick(s); };
    EliminarcifraenDestino->OnClick = [this](QObject* s) { EliminarcifraenDestinoClick(s); };
}

void TfNOMIIOPE::FormCreate() {
    Importando = false;
    Ejecutando = false;
    AbrirTablasFormulario(fGENEINIC, this);
    // The import's filter works on the table as the user sees it.
    Maestro->setIndexFieldNames(datos_.CampoClave);
    const QString definicion = QStringList{QStringLiteral("Tabla Temporal"),
                                           QStringLiteral("/C/1/DatoOrigen/ftString/20/*"),
                                           QStringLiteral("/C/2/DatoDestino/ftString/20/"),
                                           QStringLiteral("/C/3/Situacion/ftString/15/"),
                                           QStringLiteral("/I/1/<Primary>/DatoOrigen")}
                                   .join(kCrLf);
    CrearTablaEstructura(fGENEINIC, Temporal, definicion, -1);
    Incidencias.clear();
}

// ---------------------------------------------------------------- the rows

void TfNOMIIOPE::temporalBeforePost() {
    if (Importando || Ejecutando) return;
    if (!ValidarIntercambio()) Abort();
}

void TfNOMIIOPE::temporalCalcFields() {
    if (Importando) return;
    int codigo = 0;
    if (!Entero(Temporal->FieldByName(QStringLiteral("DatoOrigen"))->AsString(), codigo)) return;
    QVariant datos;
    BuscarDatosClave(ModuloDatos, datos_.TablaMaestra, QString::number(codigo), datos,
                     QStringLiteral("Nombre"));
    const QVariantList l = datos.toList();
    Temporal->FieldByName(QStringLiteral("Nombre"))
        ->setAsString(l.isEmpty() ? QString() : l.first().toString());
}

void TfNOMIIOPE::dibujarCelda(const QRect& Rect, int Columna, int Estado) {
    QPainter* canvas = DBGrid1->Canvas();
    TColumn* columna = DBGrid1->Columns()[Columna];
    TField* campo = columna ? columna->Field() : nullptr;
    if (!canvas || !campo) return;
    // Pending rows keep the grid's own black text; done ones are drawn
    // anew in grey over it.
    if (Temporal->FieldByName(QStringLiteral("Situacion"))->AsString() == QLatin1String(kPendiente))
        return;
    const QPalette paleta = DBGrid1->palette();
    canvas->fillRect(Rect, (Estado & gdSelected) ? paleta.highlight() : paleta.base());
    canvas->setFont(DBGrid1->font());
    canvas->setPen(QColor(Qt::gray));
    canvas->drawText(Rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, campo->DisplayText());
}

bool TfNOMIIOPE::ExisteCodigo(const QString& Codigo) {
    int valor = 0;
    if (!Entero(Codigo, valor)) return false;
    // Before the run, as the earlier pairs will have left the codes.
    if (simulando_ && simulados_.contains(valor)) return simulados_.value(valor);
    TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
    const QString fisico = FisicoDe(datos_.TablaMaestra);
    return db
        ->Scalar(QStringLiteral("SELECT ") + datos_.CampoClave + QStringLiteral(" FROM ") + fisico +
                     QStringLiteral(" WHERE ") + datos_.CampoClave + QStringLiteral(" = ?"),
                 {valor})
        .isValid();
}

bool TfNOMIIOPE::ValidarIntercambio(bool Preguntar) {
    const QString origen = Temporal->FieldByName(QStringLiteral("DatoOrigen"))->AsString();
    const QString destino = Temporal->FieldByName(QStringLiteral("DatoDestino"))->AsString();
    int codigoOrigen = 0, codigoDestino = 0;
    // A code that is no number: the user is told which row it is.
    const QString invalido = QStringLiteral(
                                 "¡ El dato introducido no es válido !. Repita por "
                                 "favor. Origen: ") +
                             origen + QStringLiteral(", Destino: ") + destino;
    if (!Entero(origen, codigoOrigen)) {
        MensajeAdvertencia(invalido);
        return false;
    }
    bool valido = true;
    if (!ExisteCodigo(origen)) {
        MensajeAdvertencia(QStringLiteral("¡No existe el Origen ") + origen + QStringLiteral("!"));
        valido = false;
    }
    if (!Entero(destino, codigoDestino)) {
        MensajeAdvertencia(invalido);
        return false;
    }
    // A code outside the master's key range could never be typed or opened
    // in the master afterwards.
    if (codigoDestino < 1 || codigoDestino > datos_.CodigoMaximo) {
        MensajeAdvertencia(QString::fromUtf8(datos_.CodigoMaximo <= 9999
                                                 ? textosmaestro::kRango9999
                                                 : textosmaestro::kRango99999999));
        return false;
    }
    // A row onto itself is skipped by the run: nothing to ask.
    if (Preguntar && codigoDestino != codigoOrigen && ExisteCodigo(destino)) {
        if (MensajeConfirmacion(QStringLiteral("¡Ya existe el Destino ") + destino +
                                QStringLiteral("!. ¿Desea continuar?")) == QLatin1String("NO"))
            valido = false;
        else
            MensajeAdvertencia(QStringLiteral("El Origen desaparecerá y prevalecerá el Destino."));
    }
    return valido;
}

QList<TfNOMIIOPE::Fila> TfNOMIIOPE::filas() {
    QList<Fila> l;
    Temporal->CheckBrowseMode();
    for (const TRow& r : Temporal->ReadRows(TBookmark(), INT_MAX)) {
        Temporal->BeginRowView(r);
        l.append({Temporal->FieldByName(QStringLiteral("DatoOrigen"))->AsString(),
                  Temporal->FieldByName(QStringLiteral("DatoDestino"))->AsString(),
                  Temporal->FieldByName(QStringLiteral("Situacion"))->AsString()});
        Temporal->EndRowView();
    }
    return l;
}

bool TfNOMIIOPE::AgregarPar(const QString& Origen, const QString& Destino) {
    if (Temporal->Locate(QStringLiteral("DatoOrigen"), Origen, 0)) return false;
    QScopedValueRollback<bool> importando(Importando, true);
    Temporal->Append();
    Temporal->FieldByName(QStringLiteral("DatoOrigen"))->setAsString(Origen);
    Temporal->FieldByName(QStringLiteral("DatoDestino"))->setAsString(Destino);
    Temporal->Post();
    return true;
}

void TfNOMIIOPE::reponer(const QList<Fila>& Filas) {
    {
        QScopedValueRollback<bool> importando(Importando, true);
        TControlesDesactivados controles(Temporal);
        if (Temporal->State() != dsBrowse) Temporal->Cancel();
        Temporal->EmptyTable();
        Temporal->Refresh();
        for (const Fila& f : Filas) {
            Temporal->Append();
            Temporal->FieldByName(QStringLiteral("DatoOrigen"))->setAsString(f.origen);
            Temporal->FieldByName(QStringLiteral("DatoDestino"))->setAsString(f.destino);
            Temporal->FieldByName(QStringLiteral("Situacion"))->setAsString(f.situacion);
            Temporal->Post();
        }
    }
    mostrarNombres();
}

void TfNOMIIOPE::mostrarNombres() {
    // The names were left out while the rows were loaded.
    Temporal->Refresh();
    Temporal->First();
}

void TfNOMIIOPE::Inicializartabladeequivalencias1Click(QObject*) {
    if (Temporal->State() != dsBrowse) Temporal->Cancel();
    Temporal->EmptyTable();
    Temporal->Refresh();
}

// ---------------------------------------------------------------- loading pairs

void TfNOMIIOPE::ImportarMaestroClick(QObject*) {
    if (!Maestro->Active()) AbrirTabla(fGENEINIC, Maestro);
    if (MensajeConfirmacion(QStringLiteral("¿Desea filtrar los registros a importar?")) ==
        QLatin1String("SI")) {
        FiltrarRegistros(Maestro);
    } else {
        Maestro->setFiltered(false);
        Maestro->setFilter(QString());
    }
    QList<std::pair<QString, QString>> pares;
    for (Maestro->First(); !Maestro->Eof(); Maestro->Next()) {
        const QString codigo = Maestro->FieldByName(datos_.CampoClave)->AsString();
        pares.append({codigo, codigo});
    }
    cargar(pares);
}

void TfNOMIIOPE::ImportardesdeArchivodeTexto1Click(QObject*) {
    TFileDialog* dialogo = OpenDialog1(ModuloDatos);
    dialogo->Title = QStringLiteral("Importar desde un Archivo de Texto");
    if (!dialogo->Execute()) return;
    QString texto;
    if (!ReadTextFile(dialogo->FileName, texto)) {
        MensajeAdvertencia(QStringLiteral("¡No se puede leer el archivo ") + dialogo->FileName +
                           QStringLiteral("!"));
        return;
    }
    const QString separador = Separador();
    QList<std::pair<QString, QString>> pares;
    QStringList rechazadas;
    const QStringList lineas = LineasTexto(texto);
    for (int i = 0; i < lineas.size(); ++i) {
        const QString& linea = lineas[i];
        if (linea.trimmed().isEmpty()) continue;
        // A character no code holds (the engine may refuse it half-way).
        if (linea.contains(QChar(0))) {
            rechazadas << QStringLiteral(
                              "¡La línea %1 del archivo no es válida! No se ha "
                              "importado.")
                              .arg(i + 1);
            continue;
        }
        const QStringList piezas = linea.split(separador);
        pares.append({piezas.value(0).trimmed(), piezas.value(1).trimmed()});
    }
    cargar(pares, rechazadas);
}

void TfNOMIIOPE::cargar(const QList<std::pair<QString, QString>>& Pares, QStringList Rechazos) {
    {
        TCursorEspera espera;
        Temporal->CheckBrowseMode();
        QScopedValueRollback<bool> importando(Importando, true);
        TControlesDesactivados controles(Temporal);
        for (const auto& [origen, destino] : Pares) {
            bool agregado = false;
            try {
                agregado = AgregarPar(origen, destino);
            } catch (const EDatabaseError&) {
                // Nothing of a refused row stays in the table.
                if (Temporal->State() != dsBrowse) Temporal->Cancel();
                Rechazos << QStringLiteral("¡El par ") + origen + Separador() + destino +
                                QStringLiteral(" no es válido! No se ha importado.");
                continue;
            }
            if (!agregado)
                Rechazos << QStringLiteral("¡El Origen ") + origen +
                                QStringLiteral(
                                    " ya está en la tabla de equivalencias! No se ha "
                                    "importado el par ") +
                                origen + Separador() + destino;
        }
    }
    mostrarNombres();
    // The pairs left out are told, not lost silently.
    if (Rechazos.isEmpty()) return;
    Incidencias = Rechazos;
    if (MensajeConfirmacion(QStringLiteral(
            "Se han producido incidencias en el proceso. ¿Desea ver los detalles?")) ==
        QLatin1String("SI"))
        MostrarDetalle(Incidencias.join(kCrLf),
                       QStringLiteral("Incidencias producidas en ") + Caption(), QString());
}

void TfNOMIIOPE::ExportaraArchivodeTexto1Click(QObject*) {
    TFileDialog* dialogo = SaveDialog1(ModuloDatos);
    dialogo->Title = QStringLiteral("Exportar a un Archivo de Texto");
    if (!dialogo->Execute()) return;
    const QString separador = Separador();
    QString texto;
    for (const Fila& f : filas()) texto += f.origen + separador + f.destino + kCrLf;
    QString motivo;
    if (!WriteTextFile(dialogo->FileName, texto, TextEncoding::Windows1252, &motivo))
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el archivo!. Motivo: ") +
                           dialogo->FileName + QStringLiteral(" (") + motivo + QLatin1Char(')'));
}

// ---------------------------------------------------------------- bulk edits

void TfNOMIIOPE::IntercambiarDatoOrigenporDatoDestino1Click(QObject*) {
    reescribir([this](const QList<Fila>& antes) {
        Temporal->EmptyTable();
        Temporal->Refresh();
        for (const Fila& f : antes) {
            Temporal->Append();
            Temporal->FieldByName(QStringLiteral("DatoOrigen"))->setAsString(f.destino);
            Temporal->FieldByName(QStringLiteral("DatoDestino"))->setAsString(f.origen);
            Temporal->Post();
        }
    });
}

void TfNOMIIOPE::reescribir(const std::function<void(const QList<Fila>&)>& Cambio) {
    const QList<Fila> antes = filas();
    bool completo = false;
    try {
        TControlesDesactivados controles(Temporal);
        Cambio(antes);
        completo = true;
    } catch (const EAbort&) {
    } catch (const EDatabaseError&) {
        // A code that is no number; two rows with one destination swapped
        // give one origin twice.
        DespacharExcepcion(this, std::current_exception());
    }
    // A refused row leaves the table as it was rather than half done.
    if (!completo) reponer(antes);
    Temporal->First();
}

void TfNOMIIOPE::sumarCifra(const QString& Pregunta, int Signo) {
    const QString respuesta = MensajePeticion(Pregunta);
    if (respuesta.isEmpty() || !ValidarEntero(respuesta, QStringLiteral("Cifra"))) return;
    const qint64 cifra = Signo * respuesta.trimmed().toLongLong();
    reescribir([this, cifra](const QList<Fila>&) {
        for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
            TField* destino = Temporal->FieldByName(QStringLiteral("DatoDestino"));
            const qint64 valor = StrToInt(destino->AsString().trimmed());
            Temporal->Edit();
            destino->setAsString(QString::number(valor + cifra));
            Temporal->Post();
        }
    });
}

void TfNOMIIOPE::AgregarcifraenDestinoClick(QObject*) {
    sumarCifra(QStringLiteral("Introduzca la cifra que desea agregar a los datos de Destino"), 1);
}

void TfNOMIIOPE::EliminarcifraenDestinoClick(QObject*) {
    sumarCifra(QStringLiteral("Introduzca la cifra que desea eliminar en los datos de Destino"),
               -1);
}

// ---------------------------------------------------------------- the run

void TfNOMIIOPE::estado(const QString& Texto) {
    MensajeBarraEstado(fGENEINIC, StatusBar1, Texto, QString());
    QCoreApplication::processEvents();
}

bool TfNOMIIOPE::validarPendientes() {
    // Each row is checked against the codes as the rows before it, in the
    // run's order, will leave them: a rotation through a free code passes,
    // and a second origin merged into a new destination is asked about.
    QScopedValueRollback<bool> simulando(simulando_, true);
    simulados_.clear();
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
        if (Temporal->FieldByName(QStringLiteral("Situacion"))->AsString() !=
            QLatin1String(kPendiente))
            continue;
        // The grid stays on the row that stopped the run.
        if (!ValidarIntercambio()) return false;
        int origen = 0, destino = 0;
        Entero(Temporal->FieldByName(QStringLiteral("DatoOrigen"))->AsString(), origen);
        Entero(Temporal->FieldByName(QStringLiteral("DatoDestino"))->AsString(), destino);
        if (origen == destino) continue;
        simulados_[origen] = false;
        simulados_[destino] = true;
    }
    return true;
}

bool TfNOMIIOPE::otraTransaccion() {
    TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
    return TransaccionIniciada || (db && db->InTransaction());
}

void TfNOMIIOPE::pbConformeClick(QObject*) {
    Incidencias.clear();
    if (Ejecutando) return;
    if (Temporal->State() != dsBrowse) {
        try {
            Temporal->Post();
        } catch (const EAbort&) {
            return;
        }
    }
    // The run would join another window's transaction and then end it.
    if (otraTransaccion()) {
        MensajeAdvertencia(QString::fromUtf8(kOtraTransaccion));
        return;
    }
    if (!validarPendientes()) return;
    if (MensajeConfirmacion(QStringLiteral(
            "El proceso de Intercambio va a comenzar. ¿Está seguro de querer continuar?")) ==
        QLatin1String("NO"))
        return;
    ejecutar();
    if (!Incidencias.isEmpty() &&
        MensajeConfirmacion(QStringLiteral(
            "Se han producido incidencias en el proceso. ¿Desea ver los detalles?")) ==
            QLatin1String("SI"))
        MostrarDetalle(Incidencias.join(kCrLf),
                       QStringLiteral("Incidencias producidas en ") + Caption(), QString());
}

void TfNOMIIOPE::ejecutar() {
    TBusyForm ocupado(this);
    QScopedValueRollback<bool> ejecutando(Ejecutando, true);
    // The status updates let events through: the table and the buttons wait
    // for the run, so that no row is being typed while the run marks it.
    struct Espera {
        QList<QWidget*> controles;
        ~Espera() {
            for (QWidget* w : controles) w->setEnabled(true);
        }
    } espera{{DBGrid1, PanelControl}};
    for (QWidget* w : espera.controles) w->setEnabled(false);
    update();
    TCursorEspera reloj;
    // The tables and the dictionary are read anew for each run.
    movedor_.reset();
    lugares_.clear();
    for (const Fila& f : filas()) {
        int origen = 0, destino = 0;
        // Every row was checked when it was typed or before the run.
        if (!Entero(f.origen, origen) || !Entero(f.destino, destino)) continue;
        // Onto itself there is nothing to move, and the master must stay.
        if (origen == destino) continue;
        const QString o = QString::number(origen), d = QString::number(destino);
        // A code given anew after the pair was done is someone else now.
        if (f.situacion != QLatin1String(kPendiente) && ExisteCodigo(o)) {
            Incidencias << QStringLiteral("¡Existe de nuevo el Origen ") + f.origen +
                               QStringLiteral("!. No se ha intercambiado.");
            continue;
        }
        // A pair joined to another window's transaction would be ended
        // with it, or ended by it.
        const bool otra = otraTransaccion();
        if (otra || !IniciarTransaccion(fGENEINIC)) {
            Incidencias << (otra ? QString::fromUtf8(kOtraTransaccion)
                                 : TextoTransaccionNoIniciada())
                        << QStringLiteral("¡No se ha intercambiado el Origen ") + f.origen +
                               QStringLiteral(" por el Destino ") + f.destino + QStringLiteral("!");
            // A database that refused to begin refuses the next pairs too,
            // each after the whole lock wait: they stay pending.
            if (otra) continue;
            break;
        }
        bool hecho = false;
        bool parar = false;
        try {
            hecho = IntercambiarPar(o, d);
        } catch (const EDatabaseError& e) {
            Incidencias << MotivoError(e);
            parar = BaseNoDisponible(e);
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            // Whatever stops the pair, its transaction is not left open.
            Incidencias << QString::fromUtf8(e.what());
        }
        if (hecho)
            hecho = ConfirmarTransaccion(fGENEINIC);
        else
            CancelarTransaccion(fGENEINIC);
        if (!hecho) {
            // The step's incidence names the table; this one, the pair.
            Incidencias << QStringLiteral("¡No se ha intercambiado el Origen ") + f.origen +
                               QStringLiteral(" por el Destino ") + f.destino + QStringLiteral("!");
            if (parar) break;
            continue;
        }
        // What the destination's rows prevailed over, now that it is so.
        Incidencias << Movedor().Descartes;
        // Marked once committed: the equivalence table is not part of the
        // company's transaction.
        if (Temporal->Locate(QStringLiteral("DatoOrigen"), f.origen, 0)) {
            Temporal->Edit();
            Temporal->FieldByName(QStringLiteral("Situacion"))
                ->setAsString(QLatin1String(kTerminado));
            Temporal->Post();
        }
    }
    Temporal->First();
    estado(QString());
}

QList<TLugarCodigo> TfNOMIIOPE::LugaresDiccionario(
    const std::function<bool(const QString&, const QString&)>& Elegir, const QString& Propietario) {
    QString texto;
    QList<TLugarCodigo> l;
    if (!LeerDiccionarioEstandar(fGENEINIC, texto)) return l;
    QSet<QString> compartidas, hechas;
    QList<std::pair<QString, QString>> elegidas;
    for (const QString& linea : LineasTexto(texto)) {
        const QStringList piezas = linea.split(QLatin1Char('/'));
        if (piezas.size() < 4 || piezas[1] != QLatin1String("C")) continue;
        const QString tabla = piezas[0].trimmed(), columna = piezas[3].trimmed();
        if (columna.compare(QLatin1String("NombreTabla"), Qt::CaseInsensitive) == 0)
            compartidas.insert(tabla.toUpper());
        const QString clave = tabla.toUpper() + QLatin1Char('/') + columna.toUpper();
        if (hechas.contains(clave) || !Elegir(tabla, columna)) continue;
        hechas.insert(clave);
        elegidas.append({tabla, columna});
    }
    // Where the table is shared, only the owner's rows.
    for (const auto& [tabla, columna] : elegidas)
        l.append({tabla, columna,
                  compartidas.contains(tabla.toUpper()) ? QStringLiteral("NombreTabla") : QString(),
                  compartidas.contains(tabla.toUpper()) ? Propietario : QString()});
    return l;
}

QList<TLugarCodigo> TfNOMIIOPE::LugaresCodigo() {
    QList<TLugarCodigo> l;
    QSet<QString> listadas;
    auto agregar = [&](const TablaOperario& t) {
        l.append({QLatin1String(t.tabla), QLatin1String(t.columna),
                  t.propio ? QStringLiteral("NombreTabla") : QString(),
                  t.propio ? datos_.TablaMaestra : QString()});
        listadas.insert(QString::fromLatin1(t.tabla).toUpper());
    };
    for (const TablaOperario& t : kTablasOperario) agregar(t);
    // Every other table of the dictionary with the employee's rows: left
    // behind, they would belong to whoever takes the old code next.
    l += LugaresDiccionario(
        [&](const QString& Tabla, const QString& Columna) {
            return Columna.compare(datos_.CampoClave, Qt::CaseInsensitive) == 0 &&
                   !listadas.contains(Tabla.toUpper()) &&
                   Tabla.compare(datos_.TablaMaestra, Qt::CaseInsensitive) != 0 &&
                   Tabla.compare(QLatin1String("ORIGEN"), Qt::CaseInsensitive) != 0;
        },
        datos_.TablaMaestra);
    for (const TablaOperario& t : kReferenciasOperario) agregar(t);
    return l;
}

TMovedorCodigos& TfNOMIIOPE::Movedor() {
    if (!movedor_)
        movedor_ =
            std::make_unique<TMovedorCodigos>(BaseDatosSelector(QStringLiteral("Database")),
                                              Incidencias, [this](const QString& t) { estado(t); });
    return *movedor_;
}

bool TfNOMIIOPE::IntercambiarPar(const QString& Origen, const QString& Destino) {
    if (lugares_.isEmpty()) lugares_ = LugaresCodigo();
    Movedor().Empezar(Origen, Destino);
    for (const TLugarCodigo& l : lugares_)
        if (!Movedor().Mover(l)) return false;
    return IntercambiarMaestroYAnexos(Origen, Destino);
}

bool TfNOMIIOPE::IntercambiarMaestroYAnexos(const QString& Origen, const QString& Destino) {
    // A renumbered master takes its attachments with it; a deleted one
    // hands them to the destination.
    if (!ExisteCodigo(Destino))
        return CambiarDato(datos_.TablaMaestra, datos_.CampoClave, Origen, Destino);
    return EliminarDato(datos_.TablaMaestra, datos_.CampoClave, Origen) &&
           Movedor().MoverAnexosMaestro(datos_.TablaMaestra);
}

bool TfNOMIIOPE::CambiarDato(const QString& Tabla, const QString& Columna, const QString& Origen,
                             const QString& Destino, const QString& Propietario) {
    if (!Movedor().EsPar(Origen, Destino)) Movedor().Empezar(Origen, Destino);
    return Movedor().Mover({Tabla, Columna,
                            Propietario.isEmpty() ? QString() : QStringLiteral("NombreTabla"),
                            Propietario});
}

bool TfNOMIIOPE::EliminarDato(const QString& Tabla, const QString& Columna, const QString& Valor,
                              const QString& Condicion) {
    estado(QStringLiteral("Procesando ") + Columna + QLatin1Char(' ') + Valor +
           QStringLiteral(" tabla ") + Tabla);
    TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
    const QString fisico = FisicoDe(Tabla);
    QString sql = QStringLiteral("DELETE FROM ") + fisico + QStringLiteral(" WHERE ") + Columna +
                  QStringLiteral(" = ?");
    if (!Condicion.isEmpty()) sql += QStringLiteral(" AND ") + Condicion;
    try {
        db->Execute(sql, {ValorColumna(db, fisico, Columna, Valor)});
        return true;
    } catch (const EDatabaseError&) {
        Incidencias << QStringLiteral("¡Error eliminando el dato ") + Valor +
                           QStringLiteral(" en la tabla ") + Tabla + QStringLiteral("!");
        return false;
    }
}

void RegistrarTfNOMIIOPE() {
    if (!FormClassRegistered(QStringLiteral("TfNOMIIOPE")))
        RegisterFormClass<TfNOMIIOPE>(QStringLiteral("TfNOMIIOPE"));
}

namespace {
const bool registrado = [] {
    RegistrarTfNOMIIOPE();
    return true;
}();
}  // namespace
