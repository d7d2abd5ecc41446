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
#include "gene/geneapp.h"
#include "gene/geneclav.h"
#include "gene/geneconv.h"
#include "gene/genedeta.h"
#include "gene/genefilt.h"
#include "gene/geneform.h"
#include "gene/geneinic.h"
#include "gene/geneinic_conexion.h"
#include "gene/geneinic_tablas.h"
#include "gene/genemaes.h"
#include "gene/genemodu.h"
#include "gene/genemodu_nombres.h"
#include "gene/genemodu_sql.h"
#include "gene/genereloj.h"
#include "gene/genesali.h"
#include "gene/genesali_dialogos.h"
#include "gene/genetext.h"
#include "gene/genevtex.h"
#include "gene/mensajes.h"
#include "gene/sesion.h"
#include "io/textfile.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

TfNOMIIOPE* fNOMIIOPE = nullptr;

namespace {

const char* const kPendiente = "Pendiente";
const char* const kTerminado = "Terminado";
const QString kCrLf = QStringLiteral("\r\n");

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
// Propio: only the rows that belong to the personnel file (the candidates
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

// The attachments of a master record, keyed by the record's code as text.
constexpr std::pair<const char*, const char*> kAnexos[] = {
    {"DOCUTRON", "ClaveTabla"},
    {"GRANTAB", "ClaveTabla"},
    {"CONTACTO", "CodigoTabla"},
    {"BLOBTAB", "ClaveTabla"},
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
    try {
        codigoOrigen = StrToInt(origen.trimmed());
    } catch (const EConvertError&) {
        DespacharExcepcion(this, std::current_exception());
        return false;
    }
    bool valido = true;
    if (!ExisteCodigo(origen)) {
        MensajeAdvertencia(QStringLiteral("¡No existe el Origen ") + origen + QStringLiteral("!"));
        valido = false;
    }
    try {
        codigoDestino = StrToInt(destino.trimmed());
    } catch (const EConvertError&) {
        DespacharExcepcion(this, std::current_exception());
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
    for (const QString& linea : LineasTexto(texto)) {
        if (linea.trimmed().isEmpty()) continue;
        const QStringList piezas = linea.split(separador);
        pares.append({piezas.value(0).trimmed(), piezas.value(1).trimmed()});
    }
    cargar(pares);
}

void TfNOMIIOPE::cargar(const QList<std::pair<QString, QString>>& Pares) {
    TCursorEspera espera;
    Temporal->CheckBrowseMode();
    {
        QScopedValueRollback<bool> importando(Importando, true);
        TControlesDesactivados controles(Temporal);
        for (const auto& [origen, destino] : Pares) AgregarPar(origen, destino);
    }
    mostrarNombres();
}

void TfNOMIIOPE::ExportaraArchivodeTexto1Click(QObject*) {
    TFileDialog* dialogo = SaveDialog1(ModuloDatos);
    dialogo->Title = QStringLiteral("Exportar a un Archivo de Texto");
    if (!dialogo->Execute()) return;
    const QString separador = Separador();
    QString texto;
    for (const Fila& f : filas()) texto += f.origen + separador + f.destino + kCrLf;
    if (!WriteTextFile(dialogo->FileName, texto, TextEncoding::Windows1252))
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el archivo!. Motivo: ") +
                           dialogo->FileName);
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
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
        if (Temporal->FieldByName(QStringLiteral("Situacion"))->AsString() !=
            QLatin1String(kPendiente))
            continue;
        // The grid stays on the row that stopped the run.
        if (!ValidarIntercambio()) return false;
    }
    return true;
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
        if (!IniciarTransaccion(fGENEINIC)) continue;
        bool hecho = false;
        try {
            hecho = IntercambiarPar(o, d);
        } catch (const EDatabaseError& e) {
            Incidencias << MotivoError(e);
        } catch (const EAbort&) {
        }
        if (hecho)
            hecho = ConfirmarTransaccion(fGENEINIC);
        else
            CancelarTransaccion(fGENEINIC);
        if (!hecho) {
            // The step's incidence names the table; this one, the pair.
            Incidencias << QStringLiteral("¡No se ha intercambiado el Origen ") + f.origen +
                               QStringLiteral(" por el Destino ") + f.destino + QStringLiteral("!");
            continue;
        }
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

bool TfNOMIIOPE::IntercambiarPar(const QString& Origen, const QString& Destino) {
    const QString propio = QStringLiteral("(NombreTabla = 'PERSONAL')");
    for (const TablaOperario& t : kTablasOperario)
        if (!CambiarDato(QLatin1String(t.tabla), QLatin1String(t.columna), Origen, Destino,
                         t.propio ? propio : QString()))
            return false;
    return IntercambiarMaestroYAnexos(Origen, Destino);
}

bool TfNOMIIOPE::IntercambiarMaestroYAnexos(const QString& Origen, const QString& Destino) {
    const bool ok = ExisteCodigo(Destino)
                        ? EliminarDato(datos_.TablaMaestra, datos_.CampoClave, Origen)
                        : CambiarDato(datos_.TablaMaestra, datos_.CampoClave, Origen, Destino);
    if (!ok) return false;
    const QString condicion =
        QStringLiteral("(NombreTabla = ") + ValorSQL(datos_.TablaMaestra) + QStringLiteral(")");
    for (const auto& [tabla, columna] : kAnexos)
        if (!CambiarDato(QLatin1String(tabla), QLatin1String(columna), Origen, Destino, condicion))
            return false;
    return true;
}

bool TfNOMIIOPE::CambiarDato(const QString& Tabla, const QString& Columna, const QString& Origen,
                             const QString& Destino, const QString& Condicion) {
    TDatabase* db = BaseDatosSelector(QStringLiteral("Database"));
    const QString fisico = FisicoDe(Tabla);
    // Several listed tables have no dictionary lines: one the company never
    // had holds nothing to change, and is not created for it.
    if (!db->TableExists(fisico)) return true;
    estado(QStringLiteral("Procesando ") + Columna + QLatin1Char(' ') + Origen +
           QStringLiteral(" tabla ") + Tabla);
    QString sql = QStringLiteral("UPDATE ") + fisico + QStringLiteral(" SET ") + Columna +
                  QStringLiteral(" = ? WHERE ") + Columna + QStringLiteral(" = ?");
    if (!Condicion.isEmpty()) sql += QStringLiteral(" AND ") + Condicion;
    try {
        db->Execute(sql, {ValorColumna(db, fisico, Columna, Destino),
                          ValorColumna(db, fisico, Columna, Origen)});
        return true;
    } catch (const EDatabaseError& e) {
        if (e.code() == DbError::KeyViolation)
            Incidencias << QStringLiteral("¡Error grabando el dato ") + Origen +
                               QStringLiteral(" en la tabla ") + Tabla + QStringLiteral("!");
        else
            Incidencias << QStringLiteral("La tabla ") + Tabla +
                               QStringLiteral(" no se puede procesar. Motivo: ") + MotivoError(e);
        return false;
    }
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
