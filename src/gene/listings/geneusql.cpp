#include "gene/listings/geneusql.h"
#include "gene/session/geneinic_conexion.h"

#include <QHBoxLayout>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "db/clientdataset.h"
#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/geneexpt.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genevtex.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/listings/geneprog.h"
#include "gene/listings/genepsql.h"
#include "gene/session/geneapp.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/registry.h"

QPointer<TfGENEUSQL> fGENEUSQL;

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString Consultar(const QString& SQL, const QString& Selector) {
    return ConsultaSilenciosa(Modulo(), SQL, Selector);
}

}  // namespace

TfGENEUSQL::TfGENEUSQL(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEUSQL"));
    setFormStyle(fsMDIChild);
    construir();
    OnCreate = [this](QObject*) {
        PrepararFormulario(fGENEINIC, this);
        AjustarTamanoFormulario(fGENEINIC, this, QString());
        PanelParametros->setVisible(false);
        PrimeraEjecucion = true;
    };
    OnShow = [this](QObject*) { TraducirFormulario(fGENEINIC, this, QString()); };
    OnClose = [this](QObject*, TCloseAction& Action) {
        EtiquetasParametros.clear();
        EditoresParametros.clear();
        Action = caFree;
    };
    setKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    if (!fGENEUSQL) fGENEUSQL = this;
}

TfGENEUSQL::~TfGENEUSQL() = default;

void TfGENEUSQL::construir() {
    auto* raiz = new QVBoxLayout(this);
    TBarraConsulta barra(this, PanelControl, pbModificar, pbImprimir, pbEjecutar, pbExportar);
    auto boton = [&](const char* nombre, const QString& texto, const QString& ayuda) {
        return barra.Boton(nombre, texto, ayuda);
    };
    pbCambiarFont = boton("pbCambiarFont", QStringLiteral("Letra"),
                          QStringLiteral("Cambio de Tipo de Letra (Pantalla e Impresora)"));
    pbImprimirApaisado =
        boton("pbImprimirApaisado", QStringLiteral("Apaisado"),
              QStringLiteral("Imprimir los datos (en impresora en formato apaisado)"));
    pbImportar = boton("pbImportar", QStringLiteral("Importar"),
                       QStringLiteral("Importar los datos desde un fichero de texto (ASCII)"));
    pbExportarExcel = boton("pbExportarExcel", QStringLiteral("Excel"),
                            QStringLiteral("Exportar los datos a una Hoja Excel"));
    pbGuardarCambios = boton("pbGuardarCambios", QStringLiteral("Guardar"),
                             QStringLiteral("Guardar los cambios realizados en la consulta"));
    pbSalir = boton("pbSalir", QStringLiteral("&Salir"), QString());
    barra.Fila()->addStretch();
    for (TSpeedButton* b : {pbImprimir, pbExportar, pbImprimirApaisado, pbImportar, pbExportarExcel,
                            pbGuardarCambios})
        b->setEnabled(false);
    raiz->addWidget(PanelControl);

    // The parameter panel above the grid, the user sizing the two.
    Separador = new TSplitter(Qt::Vertical, this);
    Separador->setObjectName(QStringLiteral("Separador"));
    Separador->setChildrenCollapsible(false);
    PanelParametros = new TPanel(Separador);
    PanelParametros->setObjectName(QStringLiteral("PanelParametros"));
    LBPanelParametros =
        new TLabel(PanelParametros, QStringLiteral("Introduzca los valores para la consulta"));
    LBPanelParametros->setObjectName(QStringLiteral("LBPanelParametros"));
    LBPanelParametros->move(8, 4);
    PanelParametrosInterno = new TPanel(PanelParametros);
    PanelParametrosInterno->setObjectName(QStringLiteral("PanelParametrosInterno"));
    pbAplicar = new TButton(PanelParametrosInterno, QStringLiteral("Aplicar"));
    pbAplicar->setObjectName(QStringLiteral("pbAplicar"));
    Separador->addWidget(PanelParametros);
    // The layout sizes the panel after it is built: the inner panel follows.
    PanelParametros->installEventFilter(this);

    DBGrid1 = CrearRejillaResultado(Separador, PanelGrid);
    Separador->addWidget(PanelGrid);
    Separador->setStretchFactor(0, 0);
    Separador->setStretchFactor(1, 1);
    raiz->addWidget(Separador, 1);
    StatusBar1 = new TStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    raiz->addWidget(StatusBar1);

    QryConsultasSQL = new TQuery(this);
    QryConsultasSQL->setObjectName(QStringLiteral("QryConsultasSQL"));
    QryConsultasSQL->setUserStatement(true);  // typed by a user: one statement, read-only reads
    VigilarSentenciasUsuario();
    // The grid shows the first rows while the rest are still to be read.
    QryConsultasSQL->setPacketRecords(200);
    ClientDataSet1 = new TClientDataSet(this);
    ClientDataSet1->setObjectName(QStringLiteral("ClientDataSet1"));
    DataSource1 = new TDataSource(this);
    DataSource1->setDataSet(ClientDataSet1);
    DBGrid1->setDataSource(DataSource1);

    auto ejecutar = [this](QObject*) { EjecutarConsultaSQL(); };
    pbEjecutar->OnClick = ejecutar;
    pbAplicar->OnClick = ejecutar;
    pbModificar->OnClick = [this](QObject*) { pbModificarClick(); };
    pbGuardarCambios->OnClick = [this](QObject*) { pbGuardarCambiosClick(); };
    pbSalir->OnClick = [this](QObject*) { Close(); };

    Herramientas = std::make_unique<THerramientasRejilla>(
        this, DBGrid1, [this] { return Caption(); }, [this] { return SentenciaConsulta; });
    Herramientas->CrearMenu(false, nullptr);
    pbImprimir->OnClick = [this](QObject*) { Herramientas->Imprimir(false); };
    pbImprimirApaisado->OnClick = [this](QObject*) { Herramientas->Imprimir(true); };
    pbExportar->OnClick = [this](QObject*) { Herramientas->Exportar(); };
    pbExportarExcel->OnClick = [this](QObject*) { Herramientas->ExportarExcel(); };
    pbImportar->OnClick = [this](QObject*) { Herramientas->Importar(); };
    pbCambiarFont->OnClick = [this](QObject*) { Herramientas->CambiarFuente(); };
}

QString TfGENEUSQL::TraducirNombreConsulta(const QString& Nombre) const {
    return TraducirNombreFiltro(QStringLiteral("SQL"), Nombre);
}

void TfGENEUSQL::AbrirConsultaSQL(const QString& Nombre) {
    // Minimised until its query asks for values or shows rows.
    setWindowState(wsMinimized);
    setCaption(Nombre);
    auto condicionNombre = [](const QString& nombre) -> QString {
        return QStringLiteral("   WHERE NombreTabla = ") + Entrecomillar(QStringLiteral("SQL")) +
               QStringLiteral("    AND Descripcion = ") + Entrecomillar(nombre);
    };
    // The stored name, as the menu hands it; else a caption translated from one.
    QString condicion = condicionNombre(Nombre);
    SentenciaConsulta = Nombre.isEmpty()
                            ? QString()
                            : Consultar(QStringLiteral("SELECT Filtro FROM FILTRO") + condicion,
                                        QStringLiteral("Database"));
    if (SentenciaConsulta.isEmpty() && !IdiomaActual.isEmpty()) {
        const QString nombre = TraducirNombreConsulta(Nombre);
        condicion = condicionNombre(nombre);
        if (!nombre.isEmpty())
            SentenciaConsulta = Consultar(QStringLiteral("SELECT Filtro FROM FILTRO") + condicion,
                                          QStringLiteral("Database"));
    }
    if (SentenciaConsulta.isEmpty()) return;
    TextoInstrucciones = Consultar(QStringLiteral("SELECT Instrucciones FROM FILTRO") + condicion,
                                   QStringLiteral("Database"));
    QString lista;
    VariablesSQL(Modulo(), SentenciaConsulta, lista);
    variables_ = LineasTexto(lista);
    ConParametros = !variables_.isEmpty();
    if (ConParametros) {
        PrepararPanelParametros();
        return;
    }
    const QString error = EjecutarConsultaSQL();
    if (!error.isEmpty() || !EsSentenciaSelect(SentenciaConsulta)) Close();
}

void TfGENEUSQL::centrarPanelInterno() {
    CentrarControl(PanelParametrosInterno, QStringLiteral("Centro"));
    PanelParametrosInterno->setTop(PanelParametrosInterno->Top() + 8);
}

bool TfGENEUSQL::eventFilter(QObject* Objeto, QEvent* Evento) {
    if (Objeto == PanelParametros && Evento->type() == QEvent::Resize) centrarPanelInterno();
    return TForm::eventFilter(Objeto, Evento);
}

void TfGENEUSQL::PrepararPanelParametros() {
    qDeleteAll(EtiquetasParametros);
    qDeleteAll(EditoresParametros);
    EtiquetasParametros.clear();
    EditoresParametros.clear();
    int visibles = 0;
    for (const QString& v : std::as_const(variables_))
        if (!v.contains(QLatin1Char('_'))) ++visibles;
    PanelParametrosInterno->setBevelOuter(bvNone);
    const int ancho = visibles == 1 ? 325 : (visibles % 2 == 1 ? 494 : 573);
    PanelParametrosInterno->setWidth(ancho);
    PanelParametrosInterno->setHeight((visibles + 1) / 2 * 24 + 2);
    PanelParametros->setHeight(PanelParametrosInterno->Height() + 30);
    PanelParametros->setMinimumHeight(PanelParametros->Height());
    centrarPanelInterno();
    int j = 0;
    TEdit* ultimo = nullptr;
    for (int i = 0; i < variables_.size(); ++i) {
        const QString& v = variables_.at(i);
        const bool repetida = v.contains(QLatin1Char('_'));
        TLabel* etiqueta = nullptr;
        TEdit* edit = nullptr;
        CrearControlesVariable(PanelParametrosInterno, v, j % 2 == 0 ? 1 : 249, j / 2 * 24 + 5, 104,
                               false, etiqueta, edit);
        edit->setTabOrderIndex(i);
        if (repetida) {
            etiqueta->setVisible(false);
            edit->setVisible(false);
            edit->setFocusPolicy(Qt::NoFocus);
        } else {
            ++j;
            ultimo = edit;
        }
        EtiquetasParametros << etiqueta;
        EditoresParametros << edit;
    }
    if (ultimo)
        pbAplicar->SetBounds(ultimo->Left() + ultimo->Width() + 4, ultimo->Top() - 1, 75, 23);
    PanelParametros->setVisible(true);
    if (!EsSentenciaSelect(SentenciaConsulta)) {
        LBPanelParametros->setText(QStringLiteral("Introduzca los datos para realizar el proceso"));
        pbCambiarFont->setEnabled(false);
        pbModificar->setEnabled(false);
        // The splitter's handle goes with the grid.
        setHeight(Height() - PanelGrid->Height());
        PanelGrid->setVisible(false);
    } else {
        LBPanelParametros->setText(QStringLiteral("Introduzca los valores para la consulta"));
    }
    // Restored first: a minimised window's placement would not last.
    setWindowState(wsNormal);
    CentrarControl(this, QStringLiteral("Centro"));
    if (!EditoresParametros.isEmpty()) EditoresParametros.first()->setFocus();
}

bool TfGENEUSQL::ValidarParametros() {
    for (int i = 0; i < variables_.size(); ++i) {
        const QString& v = variables_.at(i);
        const qsizetype guion = v.indexOf(QLatin1Char('_'));
        if (guion < 0) continue;
        const int base = int(variables_.indexOf(v.left(guion)));
        if (base >= 0) EditoresParametros[i]->setText(EditoresParametros[base]->Text());
    }
    QStringList valores, etiquetas;
    for (int i = 0; i < variables_.size(); ++i) {
        valores << EditoresParametros[i]->Text();
        etiquetas << EtiquetasParametros[i]->text();
    }
    return ValidarValoresVariables(variables_, valores, etiquetas);
}

QString TfGENEUSQL::EjecutarConsultaSQL() {
    pbExportar->setEnabled(false);
    pbImportar->setEnabled(false);
    pbGuardarCambios->setEnabled(false);
    ClientDataSet1->Close();
    tablaDestino_.clear();
    columnasDestino_.clear();
    claveDestino_.clear();
    ocultosDestino_.clear();
    QryConsultasSQL->Close();
    const QString motivo = MotivoSegundaSentencia(SentenciaConsulta);
    if (!motivo.isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                           motivo);
        return QStringLiteral("Error: No ha sido posible realizar la consulta SQL");
    }
    if (!ValidarParametros()) return QStringLiteral("Error: Validación Incorrecta");
    QStringList valores;
    for (TEdit* e : std::as_const(EditoresParametros)) valores << e->Text();
    QryConsultasSQL->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
    AsignarSentenciaVariables(QryConsultasSQL, SentenciaConsulta, valores);
    // Judged as it will run, its variables written in.
    const bool consulta =
        EsSentenciaSelect(QryConsultasSQL->SQL().Text(), QryConsultasSQL->DatabaseName());
    const QString progreso = consulta ? QStringLiteral("Ejecutando la consulta...")
                                      : QStringLiteral("Procesando datos...");
    QString error;
    bool cancelada = false;
    {
        TCursorEspera espera;
        TBusyForm ocupado(this);
        if (ConParametros)
            MensajeBarraEstado(fGENEINIC, StatusBar1, progreso, QString());
        else
            MostrarVentanaProgreso(QStringLiteral("ON"), QStringLiteral("Consulta SQL"), progreso);
        // Cleared also when an error escapes the run.
        const auto fin = qScopeGuard([this] {
            if (ConParametros)
                MensajeBarraEstado(fGENEINIC, StatusBar1, QString(), QString());
            else
                MostrarVentanaProgreso(QStringLiteral("OFF"), QString(), QString());
        });
        QryConsultasSQL->setRequestLive(pbModificar->Down());
        try {
            if (AbrirConsulta(Modulo(), QryConsultasSQL,
                              consulta ? QStringLiteral("Open") : QStringLiteral("ExecSQL"))) {
                if (consulta) {
                    // Only a result the engine can write back by key is editable.
                    ClientDataSet1->setReadOnly(
                        !(pbModificar->Down() && QryConsultasSQL->CanModify()));
                    // Where the result came from, as the query resolved it.
                    const TQuery::LiveTarget destino = QryConsultasSQL->Target();
                    tablaDestino_ = destino.table;
                    columnasDestino_ = destino.columns;
                    claveDestino_ = destino.keyFields;
                    ocultosDestino_ = destino.leftOut;
                    ClientDataSet1->LoadFromQuery(QryConsultasSQL);
                    ClientDataSet1->First();
                    pbExportar->setEnabled(true);
                    pbExportarExcel->setEnabled(true);
                    pbImportar->setEnabled(pbModificar->Down());
                    pbGuardarCambios->setEnabled(pbModificar->Down());
                    Herramientas->AplicarFuente(
                        ValorParametro(QStringLiteral("Font"), TextoInstrucciones));
                    PrepararColumnasConsulta(this, DBGrid1);
                    setWindowState(wsNormal);
                    dimensionarConResultado();
                } else {
                    MensajeInformacion(QStringLiteral("El proceso ha finalizado correctamente"));
                }
                PrimeraEjecucion = false;
            } else {
                error = QStringLiteral("Error: No ha sido posible realizar la consulta SQL");
            }
        } catch (const EUserStatementCancelled&) {
            cancelada = true;
            error = QStringLiteral("Error: No ha sido posible realizar la consulta SQL");
        } catch (...) {
            QryConsultasSQL->Close();
            throw;
        }
        QryConsultasSQL->Close();
        pbImprimir->setEnabled(pbExportar->isEnabled());
        pbImprimirApaisado->setEnabled(pbExportar->isEnabled());
        pbExportarExcel->setEnabled(pbExportar->isEnabled());
    }
    // Said once the progress window is gone.
    if (cancelada) MensajeAdvertencia(TextoSentenciaCancelada());
    TraducirFormulario(fGENEINIC, this, QString());
    return error;
}

void TfGENEUSQL::dimensionarConResultado() {
    const int columnas = AnchoRejilla(Modulo(), DBGrid1);
    if (PrimeraEjecucion) {
        int w = Width();
        if (columnas < w) w = columnas + 40;
        w = std::max({w, 640, PanelParametrosInterno->Width() + 40});
        setWidth(w);
        if (!ConParametros) CentrarControl(this, QStringLiteral("Centro"));
    }
    // Narrow columns are spread over the whole grid, at the width it has now.
    if (columnas < Width()) {
        if (layout()) layout()->activate();
        AjustarRejilla(Modulo(), DBGrid1);
    }
}

void TfGENEUSQL::pbModificarClick() {
    DBGrid1->setReadOnly(!pbModificar->Down());
    if (!pbModificar->Down()) {
        pbImportar->setEnabled(false);
        return;
    }
    MensajeInformacion(
        QStringLiteral("Para hacer efectiva la activación de la Modificación de Datos debe "
                       "volver a ejecutar la consulta."));
}

bool TfGENEUSQL::pbGuardarCambiosClick() {
    if (!ClientDataSet1->Active()) return true;
    if (ClientDataSet1->State() == dsEdit || ClientDataSet1->State() == dsInsert)
        ClientDataSet1->Post();
    // Only a result of plain columns of one table with its key has rows of
    // its own to write back to.
    if (tablaDestino_.isEmpty()) {
        MensajeAdvertencia(QStringLiteral(
            "¡No es posible guardar los cambios! Motivo: el resultado de la consulta no está "
            "formado por columnas de una sola tabla con su clave."));
        return false;
    }
    try {
        ClientDataSet1->ApplyUpdates(BaseDatosSelector(QStringLiteral("Database")), tablaDestino_,
                                     claveDestino_, columnasDestino_, ocultosDestino_);
        ClientDataSet1->MergeChangeLog();
        return true;
    } catch (const std::exception& e) {
        // A row another user changed or deleted meanwhile: the session's
        // handler has the words for it.
        const auto* base = dynamic_cast<const EDatabaseError*>(&e);
        if (base &&
            (base->code() == DbError::RecordChanged || base->code() == DbError::RecordDeleted)) {
            DespacharExcepcion(this, std::current_exception());
            return false;
        }
        // A repeated key names the row's key (the dataset stands on it).
        QStringList clave;
        if (base && base->code() == DbError::KeyViolation)
            for (int i = 0; i < columnasDestino_.size() && i < ClientDataSet1->FieldCount(); ++i)
                if (claveDestino_.contains(columnasDestino_.at(i), Qt::CaseInsensitive))
                    clave << ClientDataSet1->Fields()[i]->FieldName();
        MensajeAdvertencia(QStringLiteral("¡No es posible guardar los cambios! Motivo: ") +
                           MotivoError(e) + TextoClave(ClientDataSet1, clave));
        return false;
    }
}

void InstalarEjecucionConsultasSQL() {
    if (!FormClassRegistered(QStringLiteral("TfGENEUSQL")))
        RegisterFormClass<TfGENEUSQL>(QStringLiteral("TfGENEUSQL"));
}
