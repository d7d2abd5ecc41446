#include "gene/print/geneimpr.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <memory>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/textfile.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/menus.h"
#include "ui/registry.h"

QString ModoImpresos;
TfGENEIMPR* fGENEIMPR = nullptr;

namespace {

const char* const kTiposDocumento[] = {"Albaran",
                                       "Albaran Web",
                                       "Bono Trabajo",
                                       "Certificado Calidad",
                                       "Cesta Web",
                                       "Etiqueta Adjunta OF",
                                       "Etiqueta Articulo",
                                       "Etiqueta Envio",
                                       "Etiqueta ODETTE",
                                       "Etiqueta Operacion",
                                       "Etiqueta Proveedor",
                                       "Etiqueta Recepcion",
                                       "Factura",
                                       "Factura E-Mail",
                                       "Factura Emitida",
                                       "Factura Recibida",
                                       "Factura Web",
                                       "Gama Control",
                                       "Hoja Ruta",
                                       "Hoja Ruta Auxiliar",
                                       "Inspeccion OF",
                                       "Inspeccion Recepcion",
                                       "Intrastat N-Exp",
                                       "Intrastat N-Imp",
                                       "Intrastat O-Exp",
                                       "Intrastat O-Imp",
                                       "Intrastat S-Exp",
                                       "Intrastat S-Imp",
                                       "Lista Empaque",
                                       "Lista Recambios",
                                       "Mailing",
                                       "Movimiento Almacen",
                                       "No Conformidad",
                                       "Nomina",
                                       "Notificacion AS Web",
                                       "Notificacion CD Web",
                                       "Notificacion RS Web",
                                       "Oferta Cliente",
                                       "Oferta Proveedor",
                                       "Orden Fabricacion",
                                       "Orden Trabajo",
                                       "Orden Transferencia",
                                       "Otros",
                                       "Pedido Cliente",
                                       "Pedido Cliente Web",
                                       "Pedido Proveedor",
                                       "Plan Mantenimiento",
                                       "Proyecto",
                                       "Recibo",
                                       "Registro Entrada",
                                       "Talon",
                                       "Ticket",
                                       "Transporte",
                                       "Visita"};

const char* const kErrorGrabar =
    "¡Imposible modificar el registro!. Es posible que esté siendo modificado por otro usuario.";

TDBEdit* nuevoEdit(QWidget* padre, const char* nombre, TDataSource* fuente, const char* campo) {
    auto* e = new TDBEdit(padre);
    e->setObjectName(QLatin1String(nombre));
    e->setDataSource(fuente);
    e->setDataField(QLatin1String(campo));
    return e;
}

TDBComboBox* nuevoCombo(QWidget* padre, const char* nombre, TDataSource* fuente, const char* campo,
                        const QStringList& elementos, int estilo) {
    auto* c = new TDBComboBox(padre);
    c->setObjectName(QLatin1String(nombre));
    c->setDataSource(fuente);
    c->setDataField(QLatin1String(campo));
    c->setStyle(estilo);
    c->setItems(elementos);
    return c;
}

// The most a format's program can sensibly hold: a bound on what "Importar"
// reads, so that a wrong choice (a video, a device) neither freezes the
// program nor fills its memory.
constexpr qint64 kMaximoImportar = 1024 * 1024;

// A format file as written here (UTF-8) or by older tools (Windows-1252);
// empty with the reason in Error when it is not a text a format can be.
QString LeerProgramaImpreso(const QString& Archivo, QString& Error) {
    const QFileInfo info(Archivo);
    const QString nombre = QStringLiteral("¡El archivo ") + Archivo;
    if (!info.exists()) {
        Error = QStringLiteral("¡No es posible leer el archivo ") + Archivo + QStringLiteral("!");
        return {};
    }
    if (!info.isFile()) {
        Error = nombre + QStringLiteral(" no es un archivo de texto!");
        return {};
    }
    QFile archivo(Archivo);
    if (!archivo.open(QIODevice::ReadOnly)) {
        Error = QStringLiteral("¡No es posible leer el archivo ") + Archivo + QStringLiteral("!");
        return {};
    }
    const QByteArray datos = archivo.read(kMaximoImportar + 1);
    if (datos.size() > kMaximoImportar) {
        Error = nombre + QStringLiteral(" es demasiado grande para ser un impreso (más de 1 MB)!");
        return {};
    }
    QString texto = DecodeText(datos);
    for (const QChar c : texto)
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\t') &&
            c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            Error = nombre + QStringLiteral(
                                 " no es un archivo de texto: contiene caracteres de "
                                 "control!");
            return {};
        }
    Error.clear();
    return texto;
}

}  // namespace

TfGENEIMPR::TfGENEIMPR(QWidget* owner)
    : TMaestroFicha(owner, QStringLiteral("fGENEIMPR"), QStringLiteral("Configuración de Impresos"),
                    QStringLiteral("IMPRESO")) {
    auto* datos = new QWidget(this);
    auto* rejilla = new QGridLayout(datos);
    EditCodigo = nuevoEdit(datos, "EditCodigo", DataSource1, "Codigo");
    EditDescripcion = nuevoEdit(datos, "EditDescripcion", DataSource1, "Descripcion");
    QStringList tipos;
    for (const char* t : kTiposDocumento) tipos << QLatin1String(t);
    EditTipoDocumento =
        nuevoCombo(datos, "EditTipoDocumento", DataSource1, "TipoDocumento", tipos, csDropDown);
    EditTipoDocumento->setSorted(true);
    EditModo = nuevoCombo(datos, "EditModo", DataSource1, "Modo",
                          {QStringLiteral("Grafico"), QStringLiteral("Texto"),
                           QStringLiteral("ASCII"), QStringLiteral("MSWord")},
                          csDropDownList);
    EditFormato =
        nuevoCombo(datos, "EditFormato", DataSource1, "Formato",
                   {QStringLiteral("A4"), QStringLiteral("A4-Apaisado"), QStringLiteral("A5"),
                    QStringLiteral("A5-Apaisado"), QStringLiteral("Sin Formato")},
                   csDropDown);
    auto etiqueta = [datos](const char* texto) {
        return new TLabel(datos, QString::fromUtf8(texto));
    };
    rejilla->addWidget(etiqueta("Código"), 0, 0);
    rejilla->addWidget(EditCodigo, 0, 1);
    rejilla->addWidget(etiqueta("Tipo Documento"), 0, 2);
    rejilla->addWidget(EditTipoDocumento, 0, 3);
    rejilla->addWidget(etiqueta("Descripción"), 1, 0);
    rejilla->addWidget(EditDescripcion, 1, 1, 1, 3);
    rejilla->addWidget(etiqueta("Modo"), 2, 0);
    rejilla->addWidget(EditModo, 2, 1);
    rejilla->addWidget(etiqueta("Formato"), 2, 2);
    rejilla->addWidget(EditFormato, 2, 3);

    PageControl1 = new TPageControl(datos);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    Instrucciones = new TTabSheet(PageControl1, QStringLiteral("Instrucciones"));
    Instrucciones->setObjectName(QStringLiteral("Instrucciones"));
    auto* li = new QGridLayout(Instrucciones);
    EditInstrucciones = new TDBMemo(Instrucciones);
    EditInstrucciones->setObjectName(QStringLiteral("EditInstrucciones"));
    EditInstrucciones->setDataSource(DataSource1);
    EditInstrucciones->setDataField(QStringLiteral("Instrucciones"));
    EditInstrucciones->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    li->addWidget(EditInstrucciones, 0, 0, 1, 4);
    auto boton = [this, li](const char* nombre, const char* texto, const char* hint, int col) {
        auto* b = new TBitBtn(Instrucciones, QString::fromUtf8(texto));
        b->setObjectName(QLatin1String(nombre));
        b->setHint(QString::fromUtf8(hint));
        li->addWidget(b, 1, col);
        return b;
    };
    pbSimular =
        boton("pbSimular", "Simular (F9)", "Salvar y Simular la previsualización del informe", 0);
    pbImportar = boton("pbImportar", "Importar", "Importar desde un Archivo de Texto", 1);
    pbExportar = boton("pbExportar", "Exportar", "Exportar a un Archivo de Texto", 2);
    pbCambiarFont = boton("pbCambiarFont", "Fuente", "Cambiar el tipo de letra", 3);
    Adicional = new TTabSheet(PageControl1, QStringLiteral("Adicional"));
    Adicional->setObjectName(QStringLiteral("Adicional"));
    auto* la = new QGridLayout(Adicional);
    EditImpresoraPorDefecto = nuevoCombo(Adicional, "EditImpresoraPorDefecto", DataSource1,
                                         "ImpresoraPorDefecto", {}, csDropDownList);
    la->addWidget(new TLabel(Adicional, QStringLiteral("Impresora por Defecto")), 0, 0);
    la->addWidget(EditImpresoraPorDefecto, 0, 1);
    la->setRowStretch(1, 1);
    la->setColumnStretch(1, 1);
    rejilla->addWidget(PageControl1, 3, 0, 1, 4);
    rejilla->setRowStretch(3, 1);
    rejilla->setColumnStretch(1, 1);
    rejilla->setColumnStretch(3, 1);
    AreaDatos->addWidget(datos, 1);
    CampoClave = EditCodigo;
    TextoErrorModificacion = QString::fromUtf8(kErrorGrabar);
    TextoErrorAlta = QString::fromUtf8(kErrorGrabar);
    resize(640, 520);

    pbSimular->OnClick = [this](QObject* s) { pbSimularClick(s); };
    pbImportar->OnClick = [this](QObject* s) { pbImportarClick(s); };
    pbExportar->OnClick = [this](QObject* s) { pbExportarClick(s); };
    pbCambiarFont->OnClick = [this](QObject* s) { pbCambiarFontClick(s); };
    // "ASCII" turns the format into "Sin Formato" as soon as the mode is left.
    EditModo->OnExit = [this](QObject* s) { ComprobarDatos(s); };
    fGENEIMPR = this;
}

TfGENEIMPR::~TfGENEIMPR() {
    if (fGENEIMPR == this) fGENEIMPR = nullptr;
}

void TfGENEIMPR::FormCreate(QObject* Sender) {
    if (ModuloDatos &&
        !ProcesoAutorizado(ModuloDatos, CodigoUsuarioActual, QStringLiteral("Modificar Impresos")))
        FormularioSoloLectura(fGENEINIC, this);
    TMaestroFicha::FormCreate(Sender);
    DocumentacionElectronica1->setEnabled(false);
    QStringList impresoras{QStringLiteral("Predeterminada")};
    impresoras << ImpresorasInstaladas();
    EditImpresoraPorDefecto->setItems(impresoras);
    PageControl1->setCurrentWidget(Instrucciones);
}

void TfGENEIMPR::FormClose(QObject* Sender, TCloseAction& Action) {
    ModoImpresos.clear();
    TMaestroFicha::FormClose(Sender, Action);
}

// The editor's own keys: the common key handling is not used here, so Esc,
// Ctrl+letters and the rest do nothing of theirs in a format's program.
void TfGENEIMPR::FormKeyDown(QObject*, int& Key, int Shift) {
    const bool sinTeclas = (Shift & (ssShift | ssCtrl | ssAlt)) == 0;
    if (Key == VK_F9) {
        Key = 0;
        pbSimularClick(pbSimular);
    } else if (Key == VK_F2 && !(Shift & ssShift)) {
        Key = 0;
        BuscarDatosDBEdit(this);
    } else if (Key == VK_F1 && sinTeclas) {
        Key = 0;
        pbAyudaClick(this);
    } else if (Key == VK_RETURN && sinTeclas && ActiveControl() != EditInstrucciones) {
        Key = VK_TAB;
    }
}

void TfGENEIMPR::FormKeyPress(QObject* Sender, QChar& Key) {
    // Enter only: the memo keeps every other character as typed.
    if (Key == QLatin1Char('\r')) TFormularioMaestro::FormKeyPress(Sender, Key);
}

void TfGENEIMPR::pbAyudaClick(QObject*) {
    QString titulo = Caption();
    if (titulo.contains(QLatin1String(": "))) titulo = titulo.section(QStringLiteral(": "), 1);
    bool ok = false;
    const int contexto = ValorLista(titulo, MapaContextos).trimmed().toInt(&ok);
    if (fGENEINIC) MostrarAyuda(fGENEINIC, ok ? contexto : 0);
}

QString TfGENEIMPR::CodigoActual() const {
    return Table1->Active() ? Table1->FieldByName(QStringLiteral("Codigo"))->AsString() : QString();
}

void TfGENEIMPR::setCodigoImpreso(const QString& Codigo) {
    if (Table1->Active() && !Codigo.isEmpty()) Table1->FindKey({Codigo});
}

void TfGENEIMPR::Table1NewRecord(TDataSet* DataSet) {
    TMaestroFicha::Table1NewRecord(DataSet);
    Table1->FieldByName(QStringLiteral("TipoDocumento"))->setAsString(QStringLiteral("Otro"));
    Table1->FieldByName(QStringLiteral("Modo"))->setAsString(QStringLiteral("Grafico"));
    Table1->FieldByName(QStringLiteral("Formato"))->setAsString(QStringLiteral("A4"));
    Table1->FieldByName(QStringLiteral("ImpresoraPorDefecto"))
        ->setAsString(QStringLiteral("Predeterminada"));
}

bool TfGENEIMPR::ComprobarDatos(QObject* Control) {
    const TDataSetState estado = Table1->State();
    if (estado != dsEdit && estado != dsInsert) return true;
    if (Control && ActiveControl() == pbCancelar) return true;
    if ((!Control || Control == EditCodigo) &&
        Table1->FieldByName(QStringLiteral("Codigo"))->AsString().trimmed().isEmpty()) {
        MensajeAdvertencia(
            QStringLiteral("¡No es posible crear registros con el código en blanco!"));
        return false;
    }
    if ((!Control || Control == EditModo) &&
        Table1->FieldByName(QStringLiteral("Modo"))->AsString() == QLatin1String("ASCII"))
        Table1->FieldByName(QStringLiteral("Formato"))->setAsString(QStringLiteral("Sin Formato"));
    return true;
}

void TfGENEIMPR::Table1BeforePost(TDataSet* DataSet) {
    TMaestroFicha::Table1BeforePost(DataSet);
    if (!ComprobarDatos(nullptr)) Abort();
}

void TfGENEIMPR::Table1AfterPost(TDataSet*) {
    // The whole record written again in place of the common after-post step.
    ActualizarRegistroSQL(ModuloDatos, Table1);
    if (AltaTrasGrabarAlta && EstadoAntesDeGrabar == dsInsert) IniciarAlta();
}

void TfGENEIMPR::pbSimularClick(QObject*) {
    // The format being typed is saved first, without starting another one:
    // the preview shows the format just saved. A refused post stops here.
    if (Editando()) {
        const bool alta = Table1->State() == dsInsert;
        try {
            Table1->Post();
        } catch (const EAbort&) {
            return;
        } catch (const std::exception&) {
            if (!alta) Table1->Cancel();
            MensajeAdvertencia(QString::fromUtf8(kErrorGrabar));
            return;
        }
    }
    if (!Table1->Active() || Table1->IsEmpty()) return;
    NombreLlamadorImpreso = objectName();
    PrevisualizarImpreso = true;
    CodigoImpreso = CodigoActual();
    std::unique_ptr<TfGENELIMP> motor(new TfGENELIMP);
    TBusyForm ocupado(this);
    try {
        CrearTablaEstructura(fGENEINIC, motor->Temporal,
                             QStringLiteral("Tabla Temporal\r\n"
                                            "/C/1/CodigoTemporal/ftInteger/0/*\r\n"
                                            "/I/1/<Primary>/CodigoTemporal\r\n"),
                             -1);
        CrearTablaEstructura(fGENEINIC, motor->LTemporal,
                             QStringLiteral("Tabla Temporal 1\r\n"
                                            "/C/1/CodigoTemporal/ftInteger/0/*\r\n"
                                            "/C/2/Linea/ftSmallint/0/*\r\n"
                                            "/C/3/LineaMemo/ftSmallint/0/*\r\n"
                                            "/I/1/<Primary>/CodigoTemporal;Linea;LineaMemo\r\n"),
                             -1);
        motor->LTemporal->setIndexFieldNames(QStringLiteral("CodigoTemporal;Linea;LineaMemo"));
        motor->LTemporal->setMasterFields(QStringLiteral("CodigoTemporal"));
        motor->Temporal->Open();
        motor->LTemporal->Open();
        motor->Temporal->EmptyTable();
        motor->LTemporal->EmptyTable();
        motor->Temporal->Append();
        motor->Temporal->FieldByName(QStringLiteral("CodigoTemporal"))->setAsInteger(1);
        motor->Temporal->Post();
        motor->LTemporal->Append();
        motor->LTemporal->FieldByName(QStringLiteral("CodigoTemporal"))->setAsInteger(1);
        motor->LTemporal->FieldByName(QStringLiteral("Linea"))->setAsInteger(1);
        motor->LTemporal->FieldByName(QStringLiteral("LineaMemo"))->setAsInteger(0);
        motor->LTemporal->Post();
        motor->Temporal->First();
        motor->EjecutarImpreso();
    } catch (const std::exception&) {
        // The engine and its work tables go before the session shows the error.
        motor.reset();
        NombreLlamadorImpreso.clear();
        throw;
    }
    motor.reset();
    NombreLlamadorImpreso.clear();
}

void TfGENEIMPR::pbImportarClick(QObject*) {
    TFileDialog* d = OpenDialog1(ModuloDatos);
    d->Title = QStringLiteral("Importar desde un Archivo de Texto");
    if (!d->Execute()) return;
    // A file that is no format's text leaves the stored program as it is.
    QString error;
    const QString texto = LeerProgramaImpreso(d->FileName, error);
    if (!error.isEmpty()) {
        MensajeAdvertencia(error);
        return;
    }
    if (Table1->State() != dsEdit && Table1->State() != dsInsert) Table1->Edit();
    Table1->FieldByName(QStringLiteral("Instrucciones"))->setAsString(texto);
}

void TfGENEIMPR::pbExportarClick(QObject*) {
    TFileDialog* d = SaveDialog1(ModuloDatos);
    d->Title = QStringLiteral("Exportar a un Archivo de Texto");
    if (!d->Execute()) return;
    QString motivo;
    if (!WriteWholeFile(d->FileName,
                        Table1->FieldByName(QStringLiteral("Instrucciones"))->AsString().toUtf8(),
                        &motivo))
        AvisarArchivoNoGrabado(d->FileName, motivo);
}

void TfGENEIMPR::pbCambiarFontClick(QObject*) {
    TFontDialog* d = FontDialog1(ModuloDatos);
    d->Font = EditInstrucciones->font();
    if (d->Execute()) EditInstrucciones->setFont(d->Font);
}

void RegistrarTfGENEIMPR() {
    if (!FormClassRegistered(QStringLiteral("TfGENEIMPR")))
        RegisterFormClass<TfGENEIMPR>(QStringLiteral("TfGENEIMPR"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENEIMPR();
    return true;
}();
}  // namespace
