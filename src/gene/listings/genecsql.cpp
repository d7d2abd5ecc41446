#include "gene/listings/genecsql.h"
#include "gene/session/geneinic_conexion.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "db/database.h"
#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genecopi.h"
#include "gene/dialogs/genevtex.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genecsql_accesos.h"
#include "gene/listings/genecsql_rejilla.h"
#include "gene/listings/geneprog.h"
#include "gene/listings/genepsql.h"
#include "gene/listings/geneusql.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbgrid.h"
#include "ui/menus.h"
#include "ui/registry.h"

QPointer<TfGENECSQL> fGENECSQL;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

bool EsAdministrador() {
    return ExigirAdministrador(Modulo(), CodigoUsuarioActual, QStringLiteral("Silencio"));
}

QStringList Items(const QString& Lista) {
    return Lista.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

}  // namespace

TfGENECSQL::TfGENECSQL(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENECSQL"));
    setCaption(QStringLiteral("Consultas SQL"));
    setFormStyle(fsMDIChild);
    construir();
    OnCreate = [this](QObject*) { formCreate(); };
    OnShow = [this](QObject*) { TraducirFormulario(fGENEINIC, this, QString()); };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    setKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key == VK_F9) {
            Key = 0;
            pbEjecutarClick();
            return;
        }
        const bool ctrlMayus = (Shift & ssCtrl) && (Shift & ssShift);
        if (ctrlMayus && Key == 'C' && QryConsultasSQL->Active()) {
            QString texto;
            ValoresRegistro(Modulo(), QryConsultasSQL, texto);
            Key = 0;
            return;
        }
        if (ctrlMayus && Key == 'V' && QryConsultasSQL->Active()) {
            Key = 0;
            // The result refuses changes while modification is off.
            if (!QryConsultasSQL->CanModify()) return;
            AsignarValoresRegistro(Modulo(), QryConsultasSQL, QString());
            return;
        }
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    if (!fGENECSQL) fGENECSQL = this;
}

TfGENECSQL::~TfGENECSQL() = default;

void TfGENECSQL::construir() {
    auto* raiz = new QVBoxLayout(this);
    TBarraConsulta barra(this, PanelControl, pbModificar, pbImprimir, pbEjecutar, pbExportar);
    auto boton = [&](const char* nombre, const QString& texto, const QString& ayuda) {
        return barra.Boton(nombre, texto, ayuda);
    };
    pbGuardarFiltro = boton("pbGuardarFiltro", QStringLiteral("Guardar"),
                            QStringLiteral("Guardar la sentencia SQL"));
    pbGuardarFiltroComo = boton("pbGuardarFiltroComo", QStringLiteral("Guardar como"),
                                QStringLiteral("Guardar la sentencia SQL como"));
    pbEliminarFiltro = boton("pbEliminarFiltro", QStringLiteral("Eliminar"),
                             QStringLiteral("Eliminar la sentencia SQL"));
    pbCambioDatabase = boton("pbCambioDatabase", QStringLiteral("Base Datos"),
                             QStringLiteral("Cambio de Base de Datos"));
    pbCambiarFont = boton("pbCambiarFont", QStringLiteral("Letra"),
                          QStringLiteral("Cambio de Tipo de Letra (Pantalla e Impresora)"));
    pbImprimirApaisado =
        boton("pbImprimirApaisado", QStringLiteral("Apaisado"),
              QStringLiteral("Imprimir los datos (en impresora en formato apaisado)"));
    pbRefrescar = boton("pbRefrescar", QStringLiteral("Refrescar"),
                        QStringLiteral("Refrescar el contenido de la rejilla"));
    pbImportar = boton("pbImportar", QStringLiteral("Importar"),
                       QStringLiteral("Importar datos desde un fichero de texto (ASCII)"));
    pbZoom = boton("pbZoom", QStringLiteral("Zoom"),
                   QStringLiteral("Activar/Desactivar el zoom de rejilla"));
    pbZoom->setGroupIndex(2);
    pbZoom->setCheckable(true);
    pbGrafico = boton("pbGrafico", QStringLiteral("Gráfico"),
                      QStringLiteral("Ver los datos en representación gráfica"));
    pbExportarExcel = boton("pbExportarExcel", QStringLiteral("Excel"),
                            QStringLiteral("Exportar los datos a una Hoja Excel"));
    pbRestringirAUsuarios =
        boton("pbRestringirAUsuarios", QStringLiteral("Usuarios"),
              QStringLiteral("Restringir el Acceso a la Consulta a determinados Usuarios"));
    pbPersonalizarMenu = boton("pbPersonalizarMenu", QStringLiteral("Menú"),
                               QStringLiteral("Personalizar la Consulta en un Menú de Aplicación"));
    pbCopiarConfiguracion =
        boton("pbCopiarConfiguracion", QStringLiteral("Copiar Conf."),
              QStringLiteral("Copiar la configuración de esta consulta a otras consultas"));
    pbCopiarAOtrasEmpresas = boton("pbCopiarAOtrasEmpresas", QStringLiteral("A Empresas"),
                                   QStringLiteral("Copiar todos los Informes a otras Empresas"));
    pbSalir = boton("pbSalir", QStringLiteral("&Salir"), QString());
    barra.Fila()->addStretch();
    raiz->addWidget(PanelControl);
    for (TSpeedButton* b :
         {pbImprimir, pbExportar, pbImprimirApaisado, pbImportar, pbGrafico, pbExportarExcel})
        b->setEnabled(false);

    PanelDescripcionFiltro = new TPanel(this);
    PanelDescripcionFiltro->setObjectName(QStringLiteral("PanelDescripcionFiltro"));
    auto* fila = new QHBoxLayout(PanelDescripcionFiltro);
    fila->addWidget(
        new TLabel(PanelDescripcionFiltro, QStringLiteral("Descripción de la Sentencia SQL")));
    EditDescripcionFiltro = new TComboBox(PanelDescripcionFiltro);
    EditDescripcionFiltro->setObjectName(QStringLiteral("EditDescripcionFiltro"));
    EditDescripcionFiltro->setStyle(csDropDownList);
    EditDescripcionFiltro->setMaxVisibleItems(27);
    fila->addWidget(EditDescripcionFiltro, 1);
    raiz->addWidget(PanelDescripcionFiltro);

    PanelSentenciaSQL = new TPanel(this);
    PanelSentenciaSQL->setObjectName(QStringLiteral("PanelSentenciaSQL"));
    auto* sentencia = new QVBoxLayout(PanelSentenciaSQL);
    sentencia->addWidget(new TLabel(PanelSentenciaSQL, QStringLiteral("Sentencia SQL")));
    SentenciaSQL = new TMemo(PanelSentenciaSQL);
    SentenciaSQL->setObjectName(QStringLiteral("SentenciaSQL"));
    sentencia->addWidget(SentenciaSQL);
    raiz->addWidget(PanelSentenciaSQL, 1);

    DBGrid1 = CrearRejillaResultado(this, PanelGrid);
    raiz->addWidget(PanelGrid, 2);

    // The floating insertion panel: four lists side by side.
    PanelInserciones = new TPanel(this);
    PanelInserciones->setObjectName(QStringLiteral("PanelInserciones"));
    auto* listas = new QHBoxLayout(PanelInserciones);
    auto lista = [&](const char* nombre, const QString& titulo) {
        auto* columna = new QVBoxLayout;
        columna->addWidget(new TLabel(PanelInserciones, titulo));
        auto* l = new TListBox(PanelInserciones);
        l->setObjectName(QLatin1String(nombre));
        columna->addWidget(l);
        listas->addLayout(columna);
        return l;
    };
    LBComandosSQL = lista("LBComandosSQL", QStringLiteral("Comando SQL"));
    LBOperacion = lista("LBOperacion", QStringLiteral("OP"));
    LBTablas = lista("LBTablas", QStringLiteral("Tabla"));
    LBCampos = lista("LBCampos", QStringLiteral("Campo"));
    LBComandosSQL->setItems({"SELECT",
                             "DISTINCT",
                             "FROM",
                             "WHERE",
                             "GROUP BY",
                             "HAVING",
                             "ORDER BY",
                             "DESCENDING",
                             "JOIN",
                             "ON",
                             "AND",
                             "OR",
                             "NOT",
                             "LIKE",
                             "IS NULL",
                             "IS NOT NULL",
                             "BETWEEN ... AND",
                             "ALL",
                             "ANY",
                             "SOME",
                             "EXISTS",
                             "SINGULAR",
                             "AVG( )",
                             "COUNT( )",
                             "MIN( )",
                             "MAX( )",
                             "SUM( )"});
    LBOperacion->setItems({"=", ">", "<", ">=", "<=", "<>", "+", "-", "*", "/"});
    LBTablas->setSortingEnabled(true);
    PanelInserciones->resize(520, 220);
    PanelInserciones->setVisible(false);
    // The panel follows the mouse while its border is dragged.
    PanelInserciones->installEventFilter(this);

    Filtro = new TTable(this);
    Filtro->setObjectName(QStringLiteral("Filtro"));
    Filtro->setTableName(QStringLiteral("FILTRO"));
    DSFiltro = new TDataSource(this);
    DSFiltro->setDataSet(Filtro);
    QryConsultasSQL = new TQuery(this);
    QryConsultasSQL->setObjectName(QStringLiteral("QryConsultasSQL"));
    QryConsultasSQL->setUserStatement(true);  // typed by a user: one statement, read-only reads
    VigilarSentenciasUsuario();
    // The grid holds the rows it has reached, the rest read as it needs
    // them; Last, the record count, exports and printing read every row.
    QryConsultasSQL->setPacketRecords(200);
    DataSource1 = new TDataSource(this);
    DataSource1->setDataSet(QryConsultasSQL);
    DBGrid1->setDataSource(DataSource1);
    Table1 = new TTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));

    pbEjecutar->OnClick = [this](QObject*) { pbEjecutarClick(); };
    pbModificar->OnClick = [this](QObject*) { pbModificarClick(); };
    pbGuardarFiltro->OnClick = [this](QObject*) { pbGuardarFiltroClick(); };
    pbGuardarFiltroComo->OnClick = [this](QObject*) { pbGuardarFiltroComoClick(); };
    pbEliminarFiltro->OnClick = [this](QObject*) { pbEliminarFiltroClick(); };
    pbCambioDatabase->OnClick = [this](QObject*) { pbCambioDatabaseClick(); };
    pbRestringirAUsuarios->OnClick = [this](QObject*) { pbRestringirAUsuariosClick(); };
    pbPersonalizarMenu->OnClick = [this](QObject*) { pbPersonalizarMenuClick(); };
    pbCopiarConfiguracion->OnClick = [this](QObject*) { pbCopiarConfiguracionClick(); };
    pbCopiarAOtrasEmpresas->OnClick = [this](QObject*) { pbCopiarAOtrasEmpresasClick(); };
    pbZoom->OnClick = [this](QObject*) { PanelSentenciaSQL->setVisible(!pbZoom->Down()); };
    pbRefrescar->OnClick = [this](QObject*) {
        try {
            if (QryConsultasSQL->Active()) QryConsultasSQL->Refresh();
        } catch (const EUserStatementCancelled&) {
            MensajeAdvertencia(TextoSentenciaCancelada());
        } catch (const std::exception& e) {
            // The grid keeps the rows it held; the user learns why no others came.
            MensajeAdvertencia(
                QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                MotivoError(e));
        }
    };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    EditDescripcionFiltro->OnChange = [this](QObject*) { EditDescripcionFiltroClick(); };
    LBTablas->OnClick = [this](QObject*) { CargaLBCampos(); };
    LBTablas->OnDblClick = [this](QObject*) { InsertarTabla(); };
    LBCampos->OnDblClick = [this](QObject*) { InsertarCampo(); };
    LBOperacion->OnDblClick = [this](QObject*) { InsertarOperacion(); };
    LBComandosSQL->OnDblClick = [this](QObject*) { InsertarComando(); };

    auto* menu = new TPopupMenu(this);
    auto elemento = [&](const char* nombre, const QString& texto, TListBox* l) {
        auto* m = new TMenuItem(menu->Items(), QLatin1String(nombre), texto);
        m->OnClick = [this, l](QObject*) { MostrarInserciones(l); };
    };
    elemento("InsertarComandoSQL1", QStringLiteral("Insertar Comando S&QL"), LBComandosSQL);
    elemento("InsertarTabla1", QStringLiteral("Insertar &Tabla"), LBTablas);
    elemento("InsertarCampo1", QStringLiteral("Insertar &Campo"), LBCampos);
    SentenciaSQL->setPopupMenu(menu);

    Herramientas = std::make_unique<THerramientasRejilla>(
        this, DBGrid1, [this] { return EditDescripcionFiltro->Text(); },
        [this] { return SentenciaSQL->Text(); });
    Herramientas->CrearMenu(true, [this] { CancelarOrdenadoPor1Click(); });
    DBGrid1->OnTitleClick = [this](TColumn* Columna) {
        if (Columna) DBGrid1TitleClick(Columna->FieldName());
    };
    pbImprimir->OnClick = [this](QObject*) { Herramientas->Imprimir(false); };
    pbImprimirApaisado->OnClick = [this](QObject*) { Herramientas->Imprimir(true); };
    pbExportar->OnClick = [this](QObject*) { Herramientas->Exportar(); };
    pbExportarExcel->OnClick = [this](QObject*) { Herramientas->ExportarExcel(); };
    pbImportar->OnClick = [this](QObject*) { Herramientas->Importar(); };
    pbGrafico->OnClick = [this](QObject*) { Herramientas->Grafico(); };
    pbCambiarFont->OnClick = [this](QObject*) {
        const QString fuente = Herramientas->CambiarFuente();
        if (!fuente.isEmpty()) asignarInstrucciones(QStringLiteral("Font"), fuente);
    };
}

void TfGENECSQL::DBGrid1TitleClick(const QString& Campo) {
    if (!QryConsultasSQL->Active()) return;
    SentenciaSQL->setText(SentenciaOrdenadaPor(SentenciaSQL->Text(), Campo));
    pbEjecutarClick();
}

void TfGENECSQL::CancelarOrdenadoPor1Click() {
    SentenciaSQL->setText(SentenciaSinOrden(SentenciaSQL->Text()));
    pbEjecutarClick();
}

bool TfGENECSQL::eventFilter(QObject* Objeto, QEvent* Evento) {
    if (Objeto == PanelInserciones) {
        // Only the mouse events are QMouseEvents: the cast waits for the type.
        const auto raton = [Evento] { return static_cast<QMouseEvent*>(Evento); };
        switch (Evento->type()) {
            case QEvent::MouseButtonPress:
                arrastrando_ = true;
                inicioArrastre_ = raton()->globalPosition().toPoint();
                inicioPanel_ = PanelInserciones->pos();
                return true;
            case QEvent::MouseMove:
                if (arrastrando_)
                    PanelInserciones->move(inicioPanel_ + raton()->globalPosition().toPoint() -
                                           inicioArrastre_);
                return arrastrando_;
            case QEvent::MouseButtonRelease:
                arrastrando_ = false;
                return true;
            default:
                break;
        }
    }
    return TForm::eventFilter(Objeto, Evento);
}

void TfGENECSQL::formCreate() {
    PrepararFormulario(fGENEINIC, this);
    AjustarTamanoFormulario(fGENEINIC, this, QString());
    BaseDatosConsulta = NombreBaseDatosSelector(QStringLiteral("Database"));
    if (AbrirTabla(fGENEINIC, Filtro)) {
        // Only the saved queries the user may run are listed.
        TDerechoConsultas derecho(Modulo(), CodigoUsuarioActual);
        Filtro->OnFilterRecord = [derecho](TDataSet* d, bool& Aceptar) mutable {
            Aceptar =
                d->FieldByName(QStringLiteral("NombreTabla"))->AsString() == QLatin1String("SQL") &&
                derecho.Autorizada(d->FieldByName(QStringLiteral("Instrucciones"))->AsString());
        };
        Filtro->setFiltered(true);
        Filtro->First();
        recargarNombres(QString());
        if (NombresConsultas().isEmpty())
            SentenciaSQL->setText(QStringLiteral("SELECT * FROM "));
        else
            CargarSentencia();
        CargarTablas(BaseDatosConsulta);
        arrastrando_ = false;
        SentenciaSQL->setFocus();
        const bool administrador = EsAdministrador();
        pbRestringirAUsuarios->setEnabled(administrador);
        pbPersonalizarMenu->setEnabled(administrador);
        // The copy writes other queries' users and menus: a restriction is
        // the administrator's to lift.
        pbCopiarConfiguracion->setEnabled(administrador);
    }
    // A read-only user of the window never gets to change rows or run
    // anything but a query.
    QString nivel;
    if (ModuloDatosPreparado && NivelAccesoPrograma(Modulo(), CodigoUsuarioActual, Caption(),
                                                    nivel) == QLatin1String("Solo Lectura")) {
        pbModificar->setDown(false);
        pbModificar->setEnabled(false);
    }
    QryConsultasSQL->setReadOnly(true);
}

QStringList TfGENECSQL::NombresConsultas() const {
    return EditDescripcionFiltro->Items();
}

void TfGENECSQL::recargarNombres(const QString& Actual) {
    QStringList nombres;
    const QString antes = Filtro->Active()
                              ? Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString()
                              : QString();
    if (Filtro->Active()) {
        Filtro->DisableControls();
        for (Filtro->First(); !Filtro->Eof(); Filtro->Next())
            nombres << Filtro->FieldByName(QStringLiteral("Descripcion"))->AsString();
        Filtro->EnableControls();
    }
    const QString elegido =
        Actual.isEmpty() ? (nombres.contains(antes) ? antes : nombres.value(0)) : Actual;
    EditDescripcionFiltro->blockSignals(true);
    EditDescripcionFiltro->setItems(nombres);
    EditDescripcionFiltro->setItemIndex(int(nombres.indexOf(elegido)));
    EditDescripcionFiltro->blockSignals(false);
    irAConsulta(elegido);
}

bool TfGENECSQL::irAConsulta(const QString& Nombre) {
    if (!Filtro->Active() || Nombre.isEmpty()) return false;
    const bool hallada = Filtro->Locate(QStringLiteral("Descripcion"), Nombre, 0);
    InstruccionesConsulta =
        hallada ? LineasTexto(Filtro->FieldByName(QStringLiteral("Instrucciones"))->AsString())
                : QStringList();
    return hallada;
}

void TfGENECSQL::CargarSentencia() {
    if (Filtro->Active() && !Filtro->IsEmpty())
        SentenciaSQL->setText(Filtro->FieldByName(QStringLiteral("Filtro"))->AsString());
    QryConsultasSQL->Close();
}

void TfGENECSQL::EditDescripcionFiltroClick() {
    if (!irAConsulta(EditDescripcionFiltro->Text())) return;
    CargarSentencia();
    if (pbZoom->Down()) pbEjecutarClick();
}

// ---------------------------------------------------------------- running

void TfGENECSQL::pbEjecutarClick() {
    const QStringList autorizados =
        Items(ValorLista(QStringLiteral("UsuariosAutorizados"), InstruccionesConsulta));
    if (!autorizados.isEmpty() && !autorizados.contains(CodigoUsuarioActual)) {
        MensajeAdvertencia(QStringLiteral("¡Vd. no tiene acceso a la consulta!"));
        return;
    }
    EjecutarSentenciaSQL();
    TraducirFormulario(fGENEINIC, this, QString());
}

void TfGENECSQL::EjecutarSentenciaSQL() {
    pbImportar->setEnabled(false);
    QryConsultasSQL->Close();
    QString texto = SentenciaSQL->Text();
    // Only one statement runs: a second one would run with the program's rights.
    const QString motivo = MotivoSegundaSentencia(texto);
    if (!motivo.isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                           motivo);
        return;
    }
    Herramientas->AplicarFuente(ValorLista(QStringLiteral("Font"), InstruccionesConsulta));
    QString lista;
    VariablesSQL(Modulo(), texto, lista);
    const QStringList variables = LineasTexto(lista);
    QStringList valores;
    for (const QString& v : variables) {
        const qsizetype guion = v.indexOf(QLatin1Char('_'));
        if (guion >= 0) {
            valores << valores.value(variables.indexOf(v.left(guion)));
            continue;
        }
        QString nombre = v;
        for (const char* c : {"$", "#", "&", "\r", "\n"}) nombre.remove(QLatin1String(c));
        valores << MensajePeticion(QStringLiteral("Introduzca el valor para la variable ") +
                                   nombre);
    }
    QryConsultasSQL->setDatabaseName(BaseDatosConsulta);
    AsignarSentenciaVariables(QryConsultasSQL, texto, valores);
    texto = QryConsultasSQL->SQL().Text();
    // Judged as it will run, the answers written in.
    if (const QString segunda = MotivoSegundaSentencia(texto); !segunda.isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") +
                           segunda);
        return;
    }

    QStringList lineas = SentenciaSQL->Lines();
    if (!lineas.isEmpty()) {
        QString& ultima = lineas.last();
        if (ultima.size() >= 2 && ultima.at(ultima.size() - 2) == QLatin1Char(',')) {
            ultima.remove(ultima.size() - 2, 1);
            SentenciaSQL->setLines(lineas);
        }
    }
    // With modification off, a text the engine cannot read is opened as a
    // query, which writes nothing: the engine then tells why.
    const std::optional<bool> lectura = LecturaSentenciaUsuario(texto, BaseDatosConsulta);
    const bool consulta =
        lectura.value_or(!pbModificar->Down() || EsSentenciaSelect(texto, BaseDatosConsulta));
    if (!consulta && !pbModificar->Down()) return;
    PanelInserciones->setVisible(false);
    bool correcto = false;
    bool cancelada = false;
    {
        TCursorEspera espera;
        QryConsultasSQL->setReadOnly(!pbModificar->Down());
        TBusyForm ocupado(this);
        try {
            correcto = AbrirConsulta(Modulo(), QryConsultasSQL,
                                     consulta ? QStringLiteral("Open") : QStringLiteral("ExecSQL"));
        } catch (const EUserStatementCancelled&) {
            cancelada = true;
        }
    }
    if (cancelada) {
        MensajeAdvertencia(TextoSentenciaCancelada());
        pbExportar->setEnabled(false);
    } else if (correcto) {
        if (consulta) {
            prepararColumnas();
            QryConsultasSQL->First();
            pbImportar->setEnabled(pbModificar->Down());
        }
        pbExportar->setEnabled(consulta);
    } else {
        MensajeAdvertencia(QStringLiteral("¡No se ha podido ejecutar la sentencia SQL!"));
        pbExportar->setEnabled(false);
    }
    for (TSpeedButton* b : {pbExportarExcel, pbImprimir, pbImprimirApaisado, pbGrafico})
        b->setEnabled(pbExportar->isEnabled());
}

void PrepararColumnasConsulta(TForm* Formulario, TDBGrid* DBGrid1) {
    OcultarCamposNoVisibles(fGENEINIC, Formulario);
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
        TColumn* c = DBGrid1->Columns()[i];
        TField* f = c->Field();
        c->Title()->setCaption(AbreviarTitulo(c->FieldName(), 1));
        if (!f) continue;
        if (f->DataType() == ftMemo) {
            c->setButtonStyle(cbsEllipsis);
            c->setWidth(200);
        }
        if (f->DataType() == ftFloat) {
            QString formato;
            FormatoCampoImporte(fGENEINIC, f->FieldName(), formato);
            f->setDisplayFormat(formato);
        }
        if (f->DataType() == ftDateTime || f->DataType() == ftDate) {
            f->setEditMask(QString());
            if (f->FieldName().toUpper().contains(QLatin1String("HORA")))
                f->setDisplayFormat(QStringLiteral("HH:MM:SS"));
            f->setDisplayWidth(10);
        }
    }
}

void TfGENECSQL::prepararColumnas() {
    PrepararColumnasConsulta(this, DBGrid1);
}

void TfGENECSQL::pbModificarClick() {
    DBGrid1->setReadOnly(!pbModificar->Down());
    if (!pbModificar->Down()) pbImportar->setEnabled(false);
    // The open result follows the button at once.
    const bool abierta = QryConsultasSQL->Active();
    QryConsultasSQL->Close();
    QryConsultasSQL->setReadOnly(!pbModificar->Down());
    if (abierta) {
        try {
            QryConsultasSQL->Open();
            prepararColumnas();
            pbImportar->setEnabled(pbModificar->Down());
        } catch (const std::exception&) {
        }
    }
}

// ---------------------------------------------------------------- storage

void TfGENECSQL::pbGuardarFiltroClick() {
    const QString nombre = EditDescripcionFiltro->Text();
    // Positioning on the row reloads the settings: the ones to store are taken first.
    const QStringList instrucciones = InstruccionesConsulta;
    if (nombre.isEmpty() || !irAConsulta(nombre)) {
        InstruccionesConsulta = instrucciones;
        pbGuardarFiltroComoClick();
        return;
    }
    try {
        Filtro->Edit();
        Filtro->FieldByName(QStringLiteral("Filtro"))->setAsString(SentenciaSQL->Text());
        Filtro->FieldByName(QStringLiteral("Instrucciones"))
            ->setAsString(instrucciones.join(kCrLf));
        Filtro->Post();
        MenusConsultasModificados();
    } catch (const std::exception&) {
        Filtro->Cancel();
        MensajeAdvertencia(QStringLiteral("¡El registro está siendo utilizado por otro usuario!"));
    }
    InstruccionesConsulta = instrucciones;
}

void TfGENECSQL::pbGuardarFiltroComoClick() {
    const QString nombre =
        MensajePeticion(QStringLiteral("Introduzca la Descripción de la Sentencia SQL: "));
    if (nombre.isEmpty()) {
        // A cancel is the user's own choice; an accepted empty name is not.
        if (!PeticionCancelada())
            MensajeAdvertencia(
                QStringLiteral("¡No es posible grabar la sentencia SQL sin una descripción!"));
        return;
    }
    const QStringList instrucciones = InstruccionesConsulta;
    try {
        Filtro->Insert();
        Filtro->FieldByName(QStringLiteral("NombreTabla"))->setAsString(QStringLiteral("SQL"));
        Filtro->FieldByName(QStringLiteral("Descripcion"))->setAsString(nombre);
        Filtro->FieldByName(QStringLiteral("Filtro"))->setAsString(SentenciaSQL->Text());
        Filtro->FieldByName(QStringLiteral("Instrucciones"))
            ->setAsString(instrucciones.join(kCrLf));
        Filtro->Post();
    } catch (const std::exception&) {
        Filtro->Cancel();
        MensajeAdvertencia(QStringLiteral("¡Imposible grabar el registro!"));
        return;
    }
    MenusConsultasModificados();
    recargarNombres(nombre);
    CargarSentencia();
}

void TfGENECSQL::pbEliminarFiltroClick() {
    if (MensajeConfirmacion(QStringLiteral("¿Está seguro de querer eliminar la sentencia SQL?")) ==
        QLatin1String("NO"))
        return;
    try {
        if (irAConsulta(EditDescripcionFiltro->Text())) Filtro->Delete();
    } catch (const std::exception&) {
        if (Filtro->State() != dsBrowse) Filtro->Cancel();
    }
    MenusConsultasModificados();
    recargarNombres(QString());
    CargarSentencia();
}

// ---------------------------------------------------------------- settings

void TfGENECSQL::asignarInstrucciones(const QString& Clave, const QString& Valor) {
    AsignarValorLista(Clave, Valor, InstruccionesConsulta);
}

void TfGENECSQL::avisarCambios(bool PreguntarGuardar) {
    RecordarCambiosAccesos();
    if (PreguntarGuardar &&
        MensajeConfirmacion(QStringLiteral(
            "Para que los cambios realizados queden registrados debe guardar la Sentencia SQL "
            "actual. ¿Desea hacerlo a continuación?")) == QLatin1String("SI"))
        pbGuardarFiltroClick();
}

void TfGENECSQL::pbRestringirAUsuariosClick() {
    if (!EsAdministrador()) return;
    QString valor = ValorLista(QStringLiteral("UsuariosAutorizados"), InstruccionesConsulta);
    if (!ElegirUsuariosAutorizados(
            QStringLiteral("Titulo=Seleccion de Usuarios\r\nFormato=0,0,300,0\r\nModo=Multiple"),
            valor))
        return;
    asignarInstrucciones(QStringLiteral("UsuariosAutorizados"), valor);
    avisarCambios(true);
}

void TfGENECSQL::pbPersonalizarMenuClick() {
    if (!EsAdministrador()) return;
    QString valor = ValorLista(QStringLiteral("AplicacionesContenedoras"), InstruccionesConsulta);
    ElegirAplicacionesContenedoras(
        QStringLiteral("Titulo=Seleccion de Aplicaciones Contenedoras\r\n"
                       "Formato=0,0,300,0\r\nModo=Multiple\r\nOpciones=Ordenada"),
        valor);
    asignarInstrucciones(QStringLiteral("AplicacionesContenedoras"), valor);
    avisarCambios(true);
}

void TfGENECSQL::pbCopiarConfiguracionClick() {
    if (!ExigirAdministrador(Modulo(), CodigoUsuarioActual, QString())) return;
    QString lista;
    ConsultasGuardadas(Modulo(), QString(), QString(), QStringLiteral("ConsultasSQL"), lista);
    const QStringList elegidas =
        SeleccionarMarcados(QStringLiteral("Titulo=Seleccion de Consultas SQL\r\n"
                                           "Formato=0,0,300,0\r\nModo=Multiple"),
                            LineasTexto(lista), {});
    Esperar(500);
    if (MensajeConfirmacion(QStringLiteral(
            "¿Está seguro de querer copiar la configuración a las consultas SQL indicadas?")) !=
        QLatin1String("SI"))
        return;
    const QString actual = EditDescripcionFiltro->Text();
    const QString instrucciones = InstruccionesConsulta.join(kCrLf);
    {
        TCursorEspera espera;
        for (const QString& nombre : elegidas) {
            if (!Filtro->Locate(QStringLiteral("Descripcion"), nombre, 0)) continue;
            try {
                Filtro->Edit();
                Filtro->FieldByName(QStringLiteral("Instrucciones"))->setAsString(instrucciones);
                Filtro->Post();
            } catch (const std::exception&) {
                Filtro->Cancel();
            }
        }
    }
    irAConsulta(actual);
    MensajeInformacion(kRecuerdeCambiosAccesos);
}

void TfGENECSQL::pbCopiarAOtrasEmpresasClick() {
    CopiarRegistrosAEmpresas(Filtro);
}

namespace {

// The database of one of the companies the user may open that a name stands
// for, as the editor opens it (the session's own connection for the current
// company); "" for anything else.
QString BaseDatosEmpresaUsuario(const QString& Nombre) {
    QString lista;
    LeerConfiguracionUsuario(Modulo(), CodigoUsuarioActual, QStringLiteral("Empresas"), lista);
    QList<int> empresas;
    for (const QString& linea : LineasTexto(lista)) {
        bool ok = false;
        const int codigo = linea.trimmed().toInt(&ok);
        if (ok && UsuarioAccedeEmpresa(Modulo(), CodigoUsuarioActual, codigo)) empresas << codigo;
    }
    const int codigo = EmpresaBaseDatos(fGENEINIC, Nombre, empresas);
    if (codigo == 0) return QString();
    return codigo == CodigoEmpresaActual
               ? NombreBaseDatosSelector(QStringLiteral("Database"))
               : QLatin1Char('?') + NombreBaseDatosEmpresa(fGENEINIC, codigo);
}

}  // namespace

void TfGENECSQL::pbCambioDatabaseClick() {
    // The answer is judged before anything is opened or kept: a cancelled,
    // empty or refused one leaves the editor's database as it was.
    const QString propuesta = BaseDatosConsulta;
    const QString nombre =
        MensajePeticion(QStringLiteral("Introduzca el nombre de la nueva Base de Datos: "),
                        propuesta)
            .trimmed();
    if (nombre.isEmpty()) return;
    const QString base = BaseDatosEmpresaUsuario(nombre);
    if (base.isEmpty()) {
        MensajeAdvertencia(QStringLiteral("¡No es posible abrir la Base de Datos! Motivo: ") +
                           QStringLiteral("«") + nombre +
                           QStringLiteral("» no es la base de datos de ninguna de las empresas "
                                          "a las que Vd. tiene acceso"));
        return;
    }
    CargarTablas(base);
}

// ---------------------------------------------------------------- insertions

void TfGENECSQL::CargarTablas(const QString& BaseDatos) {
    if (BaseDatos.isEmpty()) return;
    QStringList tablas;
    try {
        tablas = BaseDatosSelector(BaseDatos)->TableNames();
    } catch (const std::exception& e) {
        MensajeAdvertencia(QStringLiteral("¡No es posible abrir la Base de Datos! Motivo: ") +
                           MotivoError(e));
        return;
    }
    QryConsultasSQL->Close();
    Table1->Close();
    BaseDatosConsulta = BaseDatos;
    Table1->setDatabaseName(BaseDatos);
    LBTablas->Clear();
    LBTablas->setItems(tablas);
    LBTablas->setItemIndex(0);
    CargaLBCampos();
}

void TfGENECSQL::CargaLBCampos() {
    LBCampos->Clear();
    const QString tabla = LBTablas->currentItem() ? LBTablas->currentItem()->text() : QString();
    if (tabla.isEmpty()) return;
    Table1->Close();
    Table1->setTableName(tabla);
    QStringList campos;
    try {
        Table1->FieldDefs().Clear();
        Table1->UpdateFieldDefs();
        for (int i = 0; i < Table1->FieldDefs().Count(); ++i) campos << Table1->FieldDefs()[i].Name;
    } catch (const std::exception&) {
    }
    LBCampos->setItems(campos);
    LBCampos->setItemIndex(0);
}

void TfGENECSQL::MostrarInserciones(TListBox* Lista) {
    PanelInserciones->setVisible(true);
    PanelInserciones->raise();
    CentrarControl(PanelInserciones, QStringLiteral("Centro"));
    Lista->setFocus();
}

QString TfGENECSQL::ultimaLinea() const {
    const QStringList l = SentenciaSQL->Lines();
    return l.isEmpty() ? QString() : l.last();
}

void TfGENECSQL::cambiarUltimaLinea(const QString& Linea) {
    QStringList l = SentenciaSQL->Lines();
    if (l.isEmpty())
        l << Linea;
    else
        l.last() = Linea;
    SentenciaSQL->setLines(l);
}

namespace {
// The comma a field insertion left ("..., ") goes before a word or operator.
QString SinComaFinal(QString Linea) {
    if (Linea.size() >= 2 && Linea.at(Linea.size() - 2) == QLatin1Char(','))
        Linea.remove(Linea.size() - 2, 1);
    return Linea;
}
}  // namespace

void TfGENECSQL::InsertarTabla() {
    const int i = LBTablas->ItemIndex();
    if (i < 0) return;
    cambiarUltimaLinea(ultimaLinea() + LBTablas->item(i)->text() + QStringLiteral(" T") +
                       QString::number(i) + QLatin1Char(' '));
}

void TfGENECSQL::InsertarCampo() {
    const int t = LBTablas->ItemIndex();
    const int c = LBCampos->ItemIndex();
    if (t < 0 || c < 0) return;
    cambiarUltimaLinea(ultimaLinea() + QLatin1Char('T') + QString::number(t) + QLatin1Char('.') +
                       LBCampos->item(c)->text() + QStringLiteral(", "));
}

void TfGENECSQL::InsertarOperacion() {
    const int i = LBOperacion->ItemIndex();
    if (i < 0) return;
    cambiarUltimaLinea(SinComaFinal(ultimaLinea()) + LBOperacion->item(i)->text() +
                       QLatin1Char(' '));
}

void TfGENECSQL::InsertarComando() {
    const int i = LBComandosSQL->ItemIndex();
    if (i < 0) return;
    const QString palabra = LBComandosSQL->item(i)->text();
    static const QStringList enLineaNueva = {"FROM", "WHERE", "ON", "ORDER BY", "GROUP BY"};
    static const QStringList funciones = {"AVG( )", "SUM( )", "COUNT( )", "MAX( )", "MIN( )"};
    if (enLineaNueva.contains(palabra)) {
        cambiarUltimaLinea(SinComaFinal(ultimaLinea()));
        QStringList l = SentenciaSQL->Lines();
        l << QStringLiteral("    ") + palabra + QLatin1Char(' ');
        SentenciaSQL->setLines(l);
    } else if (funciones.contains(palabra)) {
        QString linea = ultimaLinea() + palabra + QStringLiteral(", ");
        const int t = LBTablas->ItemIndex();
        const QString campo = LBCampos->currentItem() ? LBCampos->currentItem()->text() : QString();
        linea.replace(QStringLiteral("( )"), QStringLiteral("(T") + QString::number(t) +
                                                 QLatin1Char('.') + campo + QLatin1Char(')'));
        cambiarUltimaLinea(linea);
    } else {
        cambiarUltimaLinea(SinComaFinal(ultimaLinea()) + palabra + QLatin1Char(' '));
    }
}

std::optional<bool> LecturaSentenciaUsuario(const QString& Sentencia, const QString& BaseDatos) {
    // The engine tells a query from an action: WITH, VALUES and TABLE read
    // too, and RETURNING or SELECT ... INTO write.
    try {
        TDatabase* db = BaseDatosSelector(BaseDatos);
        if (db && db->Connected()) return db->IsUserQuery(Sentencia);
    } catch (const EDatabaseError&) {
    }
    return std::nullopt;
}

namespace {

// The verb of the statement's main part: its first word, or after a WITH the
// first verb outside the parentheses of its named results. Quoted texts,
// names and comments are not read.
QString VerboPrincipal(const QString& Sentencia) {
    QString codigo(Sentencia.size(), QLatin1Char(' '));
    ScanSqlText(Sentencia, SqlLexis::Standard,
                [&](qsizetype desde, qsizetype hasta, bool esCodigo) {
                    if (esCodigo)
                        codigo.replace(desde, hasta - desde, Sentencia.mid(desde, hasta - desde));
                });
    static const QStringList verbos = {QStringLiteral("SELECT"),  QStringLiteral("INSERT"),
                                       QStringLiteral("UPDATE"),  QStringLiteral("DELETE"),
                                       QStringLiteral("REPLACE"), QStringLiteral("VALUES")};
    int nivel = 0;
    bool primera = true, conWith = false;
    QString palabra;
    for (qsizetype i = 0; i <= codigo.size(); ++i) {
        const QChar c = i < codigo.size() ? codigo.at(i) : QChar(u' ');
        if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            palabra += c;
            continue;
        }
        if (!palabra.isEmpty() && nivel == 0) {
            const QString p = palabra.toUpper();
            if (primera && p != QLatin1String("WITH")) return p;
            if (primera)
                conWith = true;
            else if (conWith && verbos.contains(p))
                return p;
            primera = false;
        }
        palabra.clear();
        if (c == QLatin1Char('(')) ++nivel;
        if (c == QLatin1Char(')')) nivel = std::max(0, nivel - 1);
    }
    return QString();
}

}  // namespace

bool EsSentenciaSelect(const QString& Sentencia, const QString& BaseDatos) {
    if (const std::optional<bool> consulta = LecturaSentenciaUsuario(Sentencia, BaseDatos))
        return *consulta;
    // A text the engine cannot read (its variables not yet written in, a
    // table not yet made) goes by the verb of its main part.
    return VerboPrincipal(Sentencia) == QLatin1String("SELECT");
}

void InstalarConsultasSQL() {
    InstalarEjecucionConsultasSQL();
    if (!FormClassRegistered(QStringLiteral("TfGENECSQL")))
        RegisterFormClass<TfGENECSQL>(QStringLiteral("TfGENECSQL"));
}
