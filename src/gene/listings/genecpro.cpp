#include "gene/listings/genecpro.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genefilt.h"
#include "gene/dialogs/genevtex.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

QPointer<TfGENECPRO> fGENECPRO;

namespace {

const QString kSeleccion = QStringLiteral("De Rejilla a Lista");
const QString kRejilla = QStringLiteral("De Lista a Rejilla");

// A restriction on a field hidden from the user would tell its values by the
// rows it leaves: refused with a warning naming the field.
bool SinCamposOcultos(const QString& Condicion, TDataSet* Origen) {
    const QString oculto = CampoNoVisibleFiltro(Condicion, Origen);
    if (oculto.isEmpty()) return true;
    MensajeAdvertencia(TextoCampoNoVisibleFiltro(oculto));
    return false;
}

bool EsTipoFecha(const QString& Tipo) {
    return Tipo == QLatin1String("ftDate") || Tipo == QLatin1String("ftDateTime");
}

// The date of a typed text, or an invalid date.
QDate FechaTecleada(const QString& Texto) {
    QDate d;
    if (TryStrToDate(Texto.trimmed(), d)) return d;
    QDateTime dt;
    if (TryStrToDateTime(Texto.trimmed(), dt)) return dt.date();
    return QDate();
}

bool EsTipoReal(const QString& Tipo) {
    return Tipo == QLatin1String("ftFloat") || Tipo == QLatin1String("ftCurrency") ||
           Tipo == QLatin1String("ftBCD");
}

bool EsTipoEntero(const QString& Tipo) {
    return Tipo == QLatin1String("ftInteger") || Tipo == QLatin1String("ftSmallint") ||
           Tipo == QLatin1String("ftWord") || Tipo == QLatin1String("ftAutoInc");
}

// A typed real as the filter lines read it: a "." with no "," is the decimal point.
QString TextoRealTecleado(QString Texto) {
    if (Texto.contains(QLatin1Char('.')) && !Texto.contains(QLatin1Char(',')))
        Texto.replace(QLatin1Char('.'), QLatin1Char(','));
    return Texto;
}

QString LiteralFecha(const QDate& Fecha, bool ModoDataSet) {
    if (ModoDataSet) return Entrecomillar(Fecha.toString(QStringLiteral("dd/MM/yyyy")));
    return ValorSQL(Fecha);
}

}  // namespace

QString LiteralFiltroListado(const QString& Tipo, QString& Valor, bool ModoDataSet, bool& Valido) {
    Valido = true;
    if (EsTipoFecha(Tipo)) {
        const QDate d = FechaTecleada(Valor);
        if (!d.isValid()) {
            Valido = false;
            return QString();
        }
        return LiteralFecha(d, ModoDataSet);
    }
    if (Tipo == QLatin1String("ftFloat")) {
        Valor = TextoRealTecleado(Valor);
        return Entrecomillar(ValorSQL(TextoAReal(Valor)));
    }
    return Entrecomillar(Valor);
}

// ---------------------------------------------------------------- the form

TfGENECPRO::TfGENECPRO(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENECPRO"));
    setCaption(QStringLiteral("Listado Programable"));
    construir();
    OnCreate = [this](QObject*) {
        PrepararFormulario(fGENEINIC, this);
        resize(width(), PanelControl->geometry().bottom() + AjusteAlturaFormularios + 420);
    };
    OnShow = [this](QObject*) {
        CargarFormato(this);
        IrAPagina(PagSeleccionCampos);
        TraducirFormulario(fGENEINIC, this, QString());
    };
    OnClose = [this](QObject*, TCloseAction&) { FormClose(); };
    // F1 opens the window's help, Enter moves on as Tab does. The dialog
    // is modal: the main window's F1 never sees the key.
    setKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key == VK_F1 && (Shift & (ssShift | ssCtrl | ssAlt)) == 0) {
            Key = 0;
            if (fGENEINIC) MostrarAyuda(fGENEINIC, ContextoAyuda(Caption()));
            return;
        }
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    if (!fGENECPRO) fGENECPRO = this;
}

TfGENECPRO::~TfGENECPRO() {
    StringGrid->OnDrawCell = nullptr;
    if (Temporal->Active()) {
        try {
            Temporal->Close();
            Temporal->DeleteTable();
        } catch (...) {
        }
    }
}

void TfGENECPRO::construir() {
    auto* raiz = new QVBoxLayout(this);
    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* barra = new QHBoxLayout(PanelControl);
    NombreFormato = new TComboBox(PanelControl);
    NombreFormato->setObjectName(QStringLiteral("NombreFormato"));
    NombreFormato->setToolTip(QStringLiteral("Seleccione el formato a utilizar"));
    NombreFormato->setMinimumWidth(180);
    NombreFormato->setStyle(csDropDownList);
    barra->addWidget(NombreFormato);
    auto boton = [&](const char* nombre, const QString& texto, const QString& ayuda) {
        return CrearBotonBarra(PanelControl, barra, QLatin1String(nombre), texto, ayuda);
    };
    pbGuardar =
        boton("pbGuardar", QStringLiteral("Guardar"), QStringLiteral("Guardar el formato actual"));
    pbGuardarComo = boton("pbGuardarComo", QStringLiteral("Guardar como"),
                          QStringLiteral("Guardar el formato actual como..."));
    pbEliminar =
        boton("pbEliminar", QStringLiteral("Eliminar"), QStringLiteral("Eliminar el formato"));
    pbStandard = boton("pbStandard", QStringLiteral("Standard"),
                       QStringLiteral("Recuperar el formato standard por defecto"));
    pbCambiarFont = boton("pbCambiarFont", QStringLiteral("Letra"),
                          QStringLiteral("Cambio de Tipo de Letra (Pantalla e Impresora)"));
    pbActivarTablaLogica =
        boton("pbActivarTablaLogica", QStringLiteral("Tabla Lógica"),
              QStringLiteral(
                  "Activar el origen de datos desde la Tabla Física/Lógica de la Base de Datos"));
    pbActivarTablaLogica->setGroupIndex(1);
    pbActivarTablaLogica->setCheckable(true);
    pbExportarExcel = boton("pbExportarExcel", QStringLiteral("Excel"),
                            QStringLiteral("Exportar los datos a una Hoja Excel"));
    pbExportarExcel->setGroupIndex(2);
    pbExportarExcel->setCheckable(true);
    DBNavigator1 = new TDBNavigator(PanelControl);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons((1 << nbFirst) | (1 << nbPrior) | (1 << nbNext) |
                                    (1 << nbLast));
    barra->addWidget(DBNavigator1);
    barra->addStretch();
    raiz->addWidget(PanelControl);

    auto* fila = new QHBoxLayout;
    fila->addWidget(new TLabel(this, QStringLiteral("Título del Listado")));
    Titulo = new TEdit(this);
    Titulo->setObjectName(QStringLiteral("Titulo"));
    Titulo->setMaxLength(100);
    fila->addWidget(Titulo);
    raiz->addLayout(fila);

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PagSeleccionCampos = new TTabSheet(PageControl1, QStringLiteral("Selección"));
    PagSeleccionCampos->setObjectName(QStringLiteral("PagSeleccionCampos"));
    PagDesdeHasta = new TTabSheet(PageControl1, QStringLiteral("Desde-Hasta"));
    PagDesdeHasta->setObjectName(QStringLiteral("PagDesdeHasta"));
    PagFiltros = new TTabSheet(PageControl1, QStringLiteral("Filtros"));
    PagFiltros->setObjectName(QStringLiteral("PagFiltros"));
    PagAjustar = new TTabSheet(PageControl1, QStringLiteral("Ajustar"));
    PagAjustar->setObjectName(QStringLiteral("PagAjustar"));
    raiz->addWidget(PageControl1, 1);

    // Selección
    auto* sel = new QGridLayout(PagSeleccionCampos);
    sel->addWidget(new TLabel(PagSeleccionCampos, QStringLiteral("Campos Disponibles")), 0, 0);
    sel->addWidget(new TLabel(PagSeleccionCampos, QStringLiteral("Campos Seleccionados")), 0, 1);
    LBDisponible = new TListBox(PagSeleccionCampos);
    LBDisponible->setObjectName(QStringLiteral("LBDisponible"));
    LBDisponible->setMultiSelect(true);
    LBDisponible->setDragMode(true);
    LBSeleccionado = new TListBox(PagSeleccionCampos);
    LBSeleccionado->setObjectName(QStringLiteral("LBSeleccionado"));
    LBSeleccionado->setMultiSelect(true);
    LBSeleccionado->setDragMode(true);
    sel->addWidget(LBDisponible, 1, 0);
    sel->addWidget(LBSeleccionado, 1, 1);
    LBSeleccionado->OnDragDrop = [this](QObject*, QObject* origen) {
        if (origen == LBDisponible) AgregarDisponibles();
    };
    LBDisponible->OnDragDrop = [this](QObject*, QObject* origen) {
        if (origen == LBSeleccionado) QuitarSeleccionados();
    };
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto accion = [this](const char* nombre, const QString& texto, std::function<void()> f) {
        auto* item = new TMenuItem(PopupMenu1->Items(), QLatin1String(nombre), texto);
        item->OnClick = [f](QObject*) { f(); };
    };
    accion("Borrarfiltros1", QStringLiteral("&Borrar filtros"),
           [this] { MemoFiltros->setText(QString()); });
    accion("DeseleccionarTodoslosCamposSeleccionados1",
           QStringLiteral("&Deseleccionar Todos los Campos Seleccionados"),
           [this] { LBSeleccionado->Clear(); });
    accion("SeleccionarTodoslosCamposDisponibles1",
           QStringLiteral("&Seleccionar Todos los Campos Disponibles"),
           [this] { LBSeleccionado->setItems(LBDisponible->Items()); });
    LBDisponible->setPopupMenu(PopupMenu1);
    LBSeleccionado->setPopupMenu(PopupMenu1);

    // Desde-Hasta
    auto* rangos = new QVBoxLayout(PagDesdeHasta);
    StringGrid = new TStringGrid(PagDesdeHasta);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setColCount(3);
    StringGrid->setRowCount(2);
    StringGrid->setOptions(StringGrid->Options() | goEditing);
    // Titles in navy, field names abbreviated, both translated, values as
    // typed; the cells keep the whole names, which the conditions read.
    StringGrid->setDefaultDrawing(false);
    StringGrid->OnDrawCell = [this](QObject*, int c, int r, const QRect& rect, int estado) {
        QPainter* p = StringGrid->Canvas();
        if (!p) return;
        const bool fija = c < StringGrid->FixedCols() || r < StringGrid->FixedRows();
        p->fillRect(rect, fija ? palette().button()
                               : (estado & gdSelected ? palette().highlight() : palette().base()));
        const QString texto = TextoRejillaRangos(c, r);
        p->setPen(r == 0 ? QColor(0, 0, 128)
                         : (estado & gdSelected && !fija ? palette().highlightedText().color()
                                                         : QColor(Qt::black)));
        p->drawText(rect.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    texto);
    };
    rangos->addWidget(StringGrid);

    // Filtros
    auto* filtros = new QGridLayout(PagFiltros);
    filtros->addWidget(new TLabel(PagFiltros, QStringLiteral("Campo")), 0, 0);
    filtros->addWidget(new TLabel(PagFiltros, QStringLiteral("Operador")), 0, 1);
    filtros->addWidget(new TLabel(PagFiltros, QStringLiteral("Valor")), 0, 2);
    ListaCampos = new TComboBox(PagFiltros);
    ListaCampos->setObjectName(QStringLiteral("ListaCampos"));
    ListaCampos->setStyle(csDropDownList);
    ListaCampos->setMinimumWidth(150);
    Operador = new TComboBox(PagFiltros);
    Operador->setObjectName(QStringLiteral("Operador"));
    Operador->setStyle(csDropDownList);
    Operador->setMinimumWidth(60);
    Operador->setItems({QStringLiteral("="), QStringLiteral("<"), QStringLiteral(">"),
                        QStringLiteral(">="), QStringLiteral("<="), QStringLiteral("<>")});
    Valor = new TEdit(PagFiltros);
    Valor->setObjectName(QStringLiteral("Valor"));
    pbAgregar = new TButton(PagFiltros, QStringLiteral("&Agregar"));
    pbAgregar->setObjectName(QStringLiteral("pbAgregar"));
    pbAgregar->setToolTip(QStringLiteral("Agregar el filtro a la lista"));
    filtros->addWidget(ListaCampos, 1, 0);
    filtros->addWidget(Operador, 1, 1);
    filtros->addWidget(Valor, 1, 2);
    filtros->addWidget(pbAgregar, 1, 3);
    filtros->addWidget(new TLabel(PagFiltros, QStringLiteral("Filtros")), 2, 0);
    MemoFiltros = new TMemo(PagFiltros);
    MemoFiltros->setObjectName(QStringLiteral("MemoFiltros"));
    filtros->addWidget(MemoFiltros, 3, 0, 1, 4);

    // Ajustar
    auto* ajustar = new QGridLayout(PagAjustar);
    DBGrid1 = new TDBGrid(PagAjustar);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setToolTip(QStringLiteral(
        "Utilice el ratón para ajustar la posición y el tamaño proporcional de las columnas"));
    DBGrid1->setReadOnly(true);
    QFont titulos = MakeFont(QStringLiteral("Arial"), 8);
    DBGrid1->setTitleFont(titulos);
    DBGrid1->setTitleFontColor(clNavy);
    ajustar->addWidget(DBGrid1, 0, 0, 1, 6);
    FormatoFicha = new TCheckBox(PagAjustar, QStringLiteral("Formato Ficha"));
    FormatoFicha->setObjectName(QStringLiteral("FormatoFicha"));
    NumeroColumnasFicha = new TSpinEdit(PagAjustar);
    NumeroColumnasFicha->setObjectName(QStringLiteral("NumeroColumnasFicha"));
    NumeroColumnasFicha->setRange(1, 10);
    NumeroColumnasFicha->setValue(1);
    NumeroLineasMemoFicha = new TSpinEdit(PagAjustar);
    NumeroLineasMemoFicha->setObjectName(QStringLiteral("NumeroLineasMemoFicha"));
    NumeroLineasMemoFicha->setRange(1, 50);
    NumeroLineasMemoFicha->setValue(3);
    SepararPorPaginas = new TCheckBox(PagAjustar, QStringLiteral("Separar por Página"));
    SepararPorPaginas->setObjectName(QStringLiteral("SepararPorPaginas"));
    ajustar->addWidget(FormatoFicha, 1, 0);
    ajustar->addWidget(new TLabel(PagAjustar, QStringLiteral("Columnas")), 1, 1);
    ajustar->addWidget(NumeroColumnasFicha, 1, 2);
    ajustar->addWidget(new TLabel(PagAjustar, QStringLiteral("Líneas Memo")), 1, 3);
    ajustar->addWidget(NumeroLineasMemoFicha, 1, 4);
    ajustar->addWidget(SepararPorPaginas, 1, 5);

    // Formato y Opciones
    auto* abajo = new QHBoxLayout;
    auto* grupoFormato = new TGroupBox(this, QStringLiteral("Formato"));
    auto* gf = new QHBoxLayout(grupoFormato);
    cbApaisado = new TCheckBox(grupoFormato, QStringLiteral("Apaisado"));
    cbApaisado->setObjectName(QStringLiteral("cbApaisado"));
    cbTamanio = new TComboBox(grupoFormato);
    cbTamanio->setObjectName(QStringLiteral("cbTamanio"));
    cbTamanio->setStyle(csDropDownList);
    cbTamanio->setItems({QStringLiteral("A3"), QStringLiteral("A4")});
    cbTamanio->setItemIndex(1);
    gf->addWidget(cbApaisado);
    gf->addWidget(new TLabel(grupoFormato, QStringLiteral("Tamaño")));
    gf->addWidget(cbTamanio);
    auto* grupoOpciones = new TGroupBox(this, QStringLiteral("Opciones"));
    auto* go = new QHBoxLayout(grupoOpciones);
    VisualizacionPrevia = new TCheckBox(grupoOpciones, QStringLiteral("Visualización Previa"));
    VisualizacionPrevia->setObjectName(QStringLiteral("VisualizacionPrevia"));
    VisualizacionPrevia->setChecked(true);
    cbClasificado = new TCheckBox(grupoOpciones, QStringLiteral("Clasificado"));
    cbClasificado->setObjectName(QStringLiteral("cbClasificado"));
    cbClasificado->setChecked(true);
    cbClasificado->setToolTip(QStringLiteral("Clasificar el listado por los campos seleccionados"));
    LimitarPalabras = new TCheckBox(grupoOpciones, QStringLiteral("Limitar Palabras"));
    LimitarPalabras->setObjectName(QStringLiteral("LimitarPalabras"));
    LimitarPalabras->setToolTip(QStringLiteral("Limitar las palabras al tamaño del campo"));
    go->addWidget(VisualizacionPrevia);
    go->addWidget(cbClasificado);
    go->addWidget(LimitarPalabras);
    abajo->addWidget(grupoFormato);
    abajo->addWidget(grupoOpciones);
    abajo->addStretch();
    pbConforme = new TButton(this, QStringLiteral("Conforme"));
    pbConforme->setObjectName(QStringLiteral("pbConforme"));
    pbConforme->setDefault(true);
    pbSalir = new TButton(this, QStringLiteral("&Salir "));
    pbSalir->setObjectName(QStringLiteral("pbSalir"));
    pbSalir->setCancel(true);
    abajo->addWidget(pbConforme);
    abajo->addWidget(pbSalir);
    raiz->addLayout(abajo);

    Formato = new TTable(this);
    Formato->setObjectName(QStringLiteral("Formato"));
    Formato->setTableName(QStringLiteral("FORMLIST"));
    DataSource1 = new TDataSource(this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DataSource1->setDataSet(Formato);
    DBNavigator1->setDataSource(DataSource1);
    DataSource1->OnDataChange = [this](TDataSource*, TField* campo) {
        if (!campo) DataSource1DataChange();
    };
    TablaFisica = new TTable(this);
    TablaFisica->setObjectName(QStringLiteral("TablaFisica"));
    Query1 = new TQuery(this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->setRequestLive(false);
    Query1->setUserStatement(true);  // the filters are typed SQL
    VigilarSentenciasUsuario();      // and an endless one is stopped with Esc
    DSAjustar = new TDataSource(this);
    DSAjustar->setObjectName(QStringLiteral("DSAjustar"));
    Temporal = new TTable(this);
    Temporal->setObjectName(QStringLiteral("Temporal"));
    DBGrid1->setDataSource(DSAjustar);

    resize(640, 520);

    // Handlers.
    NombreFormato->OnChange = [this](QObject*) {
        if (!cargando_) NombreFormatoChange();
    };
    DBNavigator1->OnNavClick = [this](QObject*, TNavigateBtn) { CargarFormato(DBNavigator1); };
    pbStandard->OnClick = [this](QObject*) { CargarFormato(pbStandard); };
    pbGuardar->OnClick = [this](QObject*) { pbGuardarClick(); };
    pbGuardarComo->OnClick = [this](QObject*) { pbGuardarComoClick(); };
    pbEliminar->OnClick = [this](QObject*) { pbEliminarClick(); };
    pbActivarTablaLogica->OnClick = [this](QObject*) { pbActivarTablaLogicaClick(); };
    pbAgregar->OnClick = [this](QObject*) { pbAgregarClick(); };
    pbCambiarFont->OnClick = [this](QObject*) { pbCambiarFontClick(); };
    FormatoFicha->OnClick = [this](QObject*) { FormatoFichaClick(); };
    PageControl1->OnChanging = [this](QObject*, bool& permitir) { PageControl1Changing(permitir); };
    PageControl1->OnChange = [this](QObject*) { PageControl1Change(); };
    pbConforme->OnClick = [this](QObject*) { pbConformeClick(); };
    pbSalir->OnClick = [this](QObject*) { Close(); };
    FormatoFichaClick();
}

bool TfGENECPRO::ModoDataSet() const {
    return pbActivarTablaLogica->Down();
}

// ---------------------------------------------------------------- a call

namespace {
QString condicionAcceso;
QString avisoAcceso;
}  // namespace

TRestriccionListado::TRestriccionListado(const QString& Condicion, const QString& Aviso) {
    condicionAcceso = Condicion;
    avisoAcceso = Aviso;
}

TRestriccionListado::~TRestriccionListado() {
    condicionAcceso.clear();
    avisoAcceso.clear();
}

QString TRestriccionListado::Condicion() {
    return condicionAcceso;
}

QString TRestriccionListado::Aviso() {
    return avisoAcceso;
}

bool TfGENECPRO::ListadoProgramable(TDataSet* DataSet, const QString& Prefijo,
                                    const QString& Opciones, const QString& Caption, bool Mostrar) {
    TituloListado = Caption;
    CamposOrdenados = !Opciones.contains(QLatin1String("CamposOrdenadosOFF"));
    // The caller's dataset would show every row: a restricted listing keeps
    // to the table's rows it allows.
    const bool restringido = !TRestriccionListado::Condicion().isEmpty();
    if (restringido) {
        pbActivarTablaLogica->setDown(false);
        pbActivarTablaLogica->setVisible(false);
    }
    struct Boton {
        TSpeedButton* b;
        bool restringido;
        ~Boton() {
            if (restringido) b->setVisible(true);
        }
    } boton{pbActivarTablaLogica, restringido};
    DataSetListado = DataSet;
    PrefijoListado = Prefijo;
    Formato->Close();
    bool abiertas = DataSet != nullptr;
    if (abiertas && ModoDataSet()) {
        FiltroOriginal = DataSet->Filter();
        DBGrid1->Columns().RestoreDefaults();
        DSAjustar->setDataSet(DataSet);
        abiertas = DataSet->Active() && AbrirTabla(fGENEINIC, Formato);
    } else if (abiertas) {
        DSAjustar->setDataSet(Query1);
        TablaFisica->Close();
        QString nombre;
        if (auto* t = qobject_cast<TTable*>(DataSet)) nombre = t->TableName();
        QString fisico = nombre;
        if (ModuloDatos) NombreTablaFisico(ModuloDatos, nombre, fisico);
        try {
            TablaFisica->setTableName(fisico);
            if (auto* t = qobject_cast<TTable*>(DataSet))
                TablaFisica->setDatabaseName(t->DatabaseName());
            TablaFisica->Open();
        } catch (const EDatabaseError&) {
            abiertas = false;
        }
        abiertas = abiertas && TablaFisica->Active() && AbrirTabla(fGENEINIC, Formato);
    }
    if (!abiertas) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible abrir las tablas!"));
        return false;
    }
    try {
        const QString clave = ClaveFormatos();
        Formato->SetRange({clave}, {clave});
        Formato->First();
    } catch (const EDatabaseError&) {
    }
    if (Mostrar && !isVisible()) {
        ShowModal();
    } else if (!Mostrar) {
        CargarFormato(this);
        IrAPagina(PagSeleccionCampos);
    }
    return true;
}

QString TfGENECPRO::ClaveFormatos() const {
    if (!PrefijoListado.isEmpty()) return PrefijoListado;
    QString nombre;
    if (ModoDataSet()) {
        if (auto* t = qobject_cast<TTable*>(DataSetListado.data())) nombre = t->TableName();
    } else {
        nombre = TablaFisica->TableName();
    }
    QString sin = nombre;
    if (ModuloDatos) NombreTablaSinPropietario(ModuloDatos, nombre, sin);
    return sin;
}

void TfGENECPRO::pbActivarTablaLogicaClick() {
    if (!DataSetListado) return;
    ListadoProgramable(DataSetListado, QString(), QString(), QString(), false);
    NombreFormatoChange();
}

// ---------------------------------------------------------------- formats

void TfGENECPRO::CargarFormato(QObject* Sender) {
    cargando_ = true;
    const bool hay = Formato->Active() && !DataSetVacio(ModuloDatos, Formato);
    // The names of the prefix, the current one shown.
    QStringList nombres;
    QString actual;
    if (hay) {
        actual = Formato->FieldByName(QStringLiteral("Nombre"))->AsString();
        const TBookmark marca = Formato->GetBookmark();
        Formato->DisableControls();
        for (Formato->First(); !Formato->Eof(); Formato->Next())
            nombres << Formato->FieldByName(QStringLiteral("Nombre"))->AsString();
        if (Formato->BookmarkValid(marca)) Formato->GotoBookmark(marca);
        Formato->EnableControls();
    }
    NombreFormato->setItems(nombres);
    NombreFormato->setItemIndex(int(nombres.indexOf(actual)));
    ListaCampos->setItems({});
    LBDisponible->Clear();
    TiposCampos.clear();

    TDataSet* origen = ModoDataSet() ? DataSetListado.data() : static_cast<TDataSet*>(TablaFisica);
    QStringList disponibles;
    if (origen && origen->Active())
        for (TField* f : origen->Fields())
            if (!CampoNoVisible(ModuloDatos, f->FieldName())) disponibles << f->FieldName();
    if (CamposOrdenados) disponibles.sort(Qt::CaseInsensitive);
    LBDisponible->setItems(disponibles);
    ListaCampos->setItems(disponibles);
    for (const QString& n : disponibles)
        TiposCampos << NombreTipoCampo(origen->FieldByName(n)->DataType());
    Operador->setItemIndex(-1);
    Valor->setText(QString());

    if (!hay || Sender == pbStandard) {
        QString tabla = ClaveFormatos();
        if (!PrefijoListado.isEmpty()) {
            QString nombre;
            if (auto* t = qobject_cast<TTable*>(DataSetListado.data())) nombre = t->TableName();
            if (ModuloDatos) NombreTablaSinPropietario(ModuloDatos, nombre, tabla);
        }
        Titulo->setText(TituloListado.isEmpty()
                            ? QStringLiteral("Listado programable de la tabla ") + tabla
                            : TituloListado);
        LBSeleccionado->setItems(disponibles);
        MemoFiltros->setText(QString());
    } else {
        Titulo->setText(Formato->FieldByName(QStringLiteral("Titulo"))->AsString());
        const QStringList lineas =
            Formato->FieldByName(QStringLiteral("ListaSeleccionado"))
                ->AsString()
                .split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
        QStringList seleccion;
        for (qsizetype i = lineas.size() - 1; i >= 0; --i) {
            const QString n = lineas[i].trimmed();
            if (!disponibles.contains(n) || CampoNoVisible(ModuloDatos, n)) continue;
            seleccion.prepend(n);
        }
        LBSeleccionado->setItems(seleccion);
        MemoFiltros->setText(Formato->FieldByName(QStringLiteral("ListaFiltrosSQL"))->AsString());
    }
    prepararRejillaRangos();
    cargando_ = false;
}

void TfGENECPRO::prepararRejillaRangos() {
    StringGrid->setRowCount(int(ListaCampos->count()) + 1);
    for (int r = 0; r < StringGrid->RowCount(); ++r)
        for (int c = 0; c < 3; ++c) StringGrid->setCells(c, r, QString());
    StringGrid->setCells(0, 0, QStringLiteral("Campo"));
    StringGrid->setCells(1, 0, QStringLiteral("Desde Valor"));
    StringGrid->setCells(2, 0, QStringLiteral("Hasta Valor"));
    anchosRejillaRangos();
    for (int i = 0; i < ListaCampos->count(); ++i)
        StringGrid->setCells(0, i + 1, ListaCampos->itemText(i));
}

QString TfGENECPRO::TextoRejillaRangos(int Columna, int Fila) {
    const QString celda = StringGrid->Cells(Columna, Fila);
    if (celda.isEmpty() || (Fila > 0 && Columna > 0)) return celda;
    const QString clave =
        IdiomaActual + (Fila > 0 ? QStringLiteral("|C|") : QStringLiteral("|T|")) + celda;
    auto hallado = textosRangos_.constFind(clave);
    if (hallado != textosRangos_.constEnd()) return *hallado;
    QString texto;
    Traducir(ModuloDatos, Fila > 0 ? AbreviarTitulo(celda, 1) : celda, QString(), QString(), texto);
    textosRangos_.insert(clave, texto);
    return texto;
}

void TfGENECPRO::DataSource1DataChange() {
    // Only a move between stored rows: saving or adding a format keeps the page.
    if (cargando_ || Formato->State() != dsBrowse) return;
    IrAPagina(PagSeleccionCampos);
}

void TfGENECPRO::anchosRejillaRangos() {
    StringGrid->setColWidths(0, 120);
    int ancho = (StringGrid->width() - 127) / 2;
    if (StringGrid->RowCount() > 10) ancho -= 8;
    StringGrid->setColWidths(1, std::max(40, ancho));
    StringGrid->setColWidths(2, std::max(40, ancho));
}

void TfGENECPRO::NombreFormatoChange() {
    IrAPagina(PagSeleccionCampos);
    const QString nombre = NombreFormato->Text();
    if (Formato->Active() && !nombre.isEmpty()) {
        try {
            Formato->Locate(QStringLiteral("Nombre"), nombre, {});
        } catch (const EDatabaseError&) {
        }
    }
    CargarFormato(NombreFormato);
}

namespace {

void EscribirFormato(TfGENECPRO* f) {
    f->Formato->FieldByName(QStringLiteral("Titulo"))->setAsString(f->Titulo->Text());
    f->Formato->FieldByName(QStringLiteral("ListaSeleccionado"))
        ->setAsString(f->LBSeleccionado->Items().join(QStringLiteral("\r\n")) +
                      (f->LBSeleccionado->count() ? QStringLiteral("\r\n") : QString()));
    f->Formato->FieldByName(QStringLiteral("ListaFiltrosSQL"))
        ->setAsString(f->MemoFiltros->Text().replace(QRegularExpression(QStringLiteral("\r?\n")),
                                                     QStringLiteral("\r\n")));
}

}  // namespace

namespace {

// A row of FORMLIST written and posted; on a failure the edit is cancelled,
// the warning shown, and false returned.
bool GrabarFormato(TfGENECPRO* f, const std::function<void()>& Preparar, const QString& Aviso) {
    try {
        Preparar();
        EscribirFormato(f);
        f->Formato->Post();
        return true;
    } catch (const std::exception&) {
        try {
            f->Formato->Cancel();
        } catch (...) {
        }
        MensajeAdvertencia(Aviso);
        return false;
    }
}

}  // namespace

void TfGENECPRO::pbGuardarClick() {
    // Nothing stored yet: saving is saving under a new name.
    if (DataSetVacio(ModuloDatos, Formato)) {
        pbGuardarComoClick();
        return;
    }
    GrabarFormato(
        this, [this] { Formato->Edit(); },
        QStringLiteral("¡No ha sido posible grabar el registro!"));
}

void TfGENECPRO::pbGuardarComoClick() {
    QString respuesta = NombreFormato->Text();
    // No longer than the stored name can be: a name cut on saving would
    // clash with another that starts alike.
    MensajePeticion(QStringLiteral("Introduzca el Nombre del Formato:"), respuesta,
                    Formato->FieldByName(QStringLiteral("Nombre"))->Size());
    respuesta = respuesta.trimmed();
    if (respuesta.isEmpty()) return;
    const bool grabado = GrabarFormato(
        this,
        [&] {
            Formato->Insert();
            Formato->FieldByName(QStringLiteral("Prefijo"))->setAsString(ClaveFormatos());
            Formato->FieldByName(QStringLiteral("Nombre"))->setAsString(respuesta);
        },
        QStringLiteral("¡Ya existe el formato!"));
    if (grabado) CargarFormato(pbGuardarComo);
}

void TfGENECPRO::pbEliminarClick() {
    if (DataSetVacio(ModuloDatos, Formato)) return;
    if (MensajeConfirmacion(QStringLiteral(
            "¿ Esta seguro de querer eliminar el formato actual ?")) != QLatin1String("SI"))
        return;
    try {
        Formato->Delete();
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible eliminar el registro!"));
    }
    CargarFormato(pbEliminar);
}

// ---------------------------------------------------------------- filters

void TfGENECPRO::pbAgregarClick() {
    const int i = ListaCampos->ItemIndex();
    // No field chosen: there is no type for it and nothing to add.
    if (i < 0 || i >= TiposCampos.size()) return;
    QString valor = Valor->Text();
    if (valor.isEmpty()) return;
    bool valido = true;
    const QString literal = LiteralFiltroListado(TiposCampos[i], valor, ModoDataSet(), valido);
    Valor->setText(valor);
    // An unreadable date adds nothing and leaves the memo as it was.
    if (!valido) return;
    QString operador = Operador->Text();
    if (operador.isEmpty()) operador = QStringLiteral("=");
    QStringList lineas = MemoFiltros->Lines();
    while (!lineas.isEmpty() && lineas.last().trimmed().isEmpty()) lineas.removeLast();
    if (!lineas.isEmpty()) lineas.last() += QStringLiteral(" AND");
    lineas << QLatin1Char('(') + ListaCampos->itemText(i) + QLatin1Char(' ') + operador +
                  QLatin1Char(' ') + literal + QLatin1Char(')');
    MemoFiltros->setLines(lineas);
}

QString TfGENECPRO::literalRango(int Fila, const QString& Texto) const {
    const QString tipo = TiposCampos.value(Fila);
    if (EsTipoFecha(tipo)) {
        const QDate d = FechaTecleada(Texto);
        if (d.isValid()) return LiteralFecha(d, ModoDataSet());
    }
    // Numbers go as numbers: a quoted text compares as text on SQLite and is
    // refused on PostgreSQL. RangosValidos has refused what is no number.
    if (EsTipoReal(tipo)) return ValorSQL(TextoAReal(TextoRealTecleado(Texto.trimmed())));
    if (EsTipoEntero(tipo)) return ValorSQL(StrToInt(Texto.trimmed()));
    return Entrecomillar(Texto);
}

bool TfGENECPRO::RangosValidos() const {
    for (int i = 0; i < ListaCampos->count(); ++i) {
        const QString tipo = TiposCampos.value(i);
        const QString campo = ListaCampos->itemText(i);
        for (int columna : {1, 2}) {
            const QString texto = StringGrid->Cells(columna, i + 1);
            if (texto.isEmpty()) continue;
            if (EsTipoReal(tipo) && !ValidarReal(TextoRealTecleado(texto.trimmed()), campo))
                return false;
            if (EsTipoEntero(tipo) && !ValidarEntero(texto.trimmed(), campo)) return false;
        }
    }
    return true;
}

QString TfGENECPRO::CondicionRangosListado() const {
    QStringList piezas;
    for (int i = 0; i < ListaCampos->count(); ++i) {
        const QString campo = ListaCampos->itemText(i);
        const QString desde = StringGrid->Cells(1, i + 1);
        const QString hasta = StringGrid->Cells(2, i + 1);
        if (!desde.isEmpty())
            piezas << QLatin1Char('(') + campo + QStringLiteral(" >= ") + literalRango(i, desde) +
                          QLatin1Char(')');
        if (!hasta.isEmpty())
            piezas << QLatin1Char('(') + campo + QStringLiteral(" <= ") + literalRango(i, hasta) +
                          QLatin1Char(')');
    }
    if (piezas.isEmpty()) return QString();
    return QLatin1Char('(') + piezas.join(QStringLiteral(" AND ")) + QLatin1Char(')');
}

QString TfGENECPRO::CondicionListado() const {
    const QString rangos = CondicionRangosListado();
    QString memo = MemoFiltros->Text();
    memo.replace(QRegularExpression(QStringLiteral("\r?\n")), QStringLiteral("\r\n"));
    const QString filtros =
        memo.trimmed().isEmpty() ? QString() : QLatin1Char('(') + memo + QLatin1Char(')');
    if (!filtros.isEmpty() && !rangos.isEmpty()) return filtros + QStringLiteral(" AND ") + rangos;
    return filtros.isEmpty() ? rangos : filtros;
}

bool TfGENECPRO::AplicarFiltroTabla() {
    TDataSet* ds = DataSetListado;
    if (!ds || !RangosValidos()) return false;
    QString condicion = CondicionListado();
    condicion.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (!SinCamposOcultos(condicion, ds)) return false;
    try {
        ds->setFiltered(false);
        ds->setFilter(condicion);
        ds->setFiltered(true);
        return true;
    } catch (const std::exception&) {
        // A filter the dataset refuses must not list the rows it meant to leave out.
        try {
            ds->setFiltered(false);
            ds->setFilter(FiltroOriginal);
            ds->setFiltered(!FiltroOriginal.isEmpty());
        } catch (...) {
        }
        MensajeAdvertencia(
            QStringLiteral("¡La lista de filtros es incorrecta! Inténtelo de nuevo."));
        return false;
    }
}

QString TfGENECPRO::TablaSentencia() const {
    QString tabla = TablaFisica->TableName();
    if (MotorActual() == Engine::SqlServer && !tabla.startsWith(QLatin1String("dbo.")))
        tabla = QStringLiteral("dbo.") + tabla;
    return tabla;
}

QString TfGENECPRO::SentenciaListado() const {
    QStringList lineas;
    // A field hidden from the user is never printed: not read either (a
    // user's statement naming it is refused).
    QStringList sel;
    for (const QString& campo : LBSeleccionado->Items())
        if (!CampoNoVisible(ModuloDatos, campo)) sel << campo;
    if (sel.isEmpty()) sel = LBSeleccionado->Items();
    lineas << QStringLiteral("SELECT ") + sel.join(QLatin1Char(','));
    lineas << QStringLiteral("FROM ") + TablaSentencia();
    QString condicion = CondicionListado();
    const QString acceso = TRestriccionListado::Condicion();
    if (!acceso.isEmpty())
        condicion = condicion.isEmpty() ? acceso
                                        : QLatin1Char('(') + condicion + QStringLiteral(") AND (") +
                                              acceso + QLatin1Char(')');
    if (!condicion.isEmpty()) lineas << QStringLiteral("WHERE ") + condicion;
    if (cbClasificado->isChecked()) {
        QStringList orden;
        for (qsizetype i = 0; i < sel.size() && i < 10; ++i) {
            TField* f = TablaFisica->FindField(sel[i]);
            if (f && (f->IsBlob() || f->DataType() == ftMemo)) continue;
            orden << sel[i];
        }
        lineas << QStringLiteral("ORDER BY ") + orden.join(QLatin1Char(','));
    }
    return lineas.join(QStringLiteral("\r\n"));
}

bool TfGENECPRO::EjecutarSentenciaListado() {
    if (!RangosValidos()) return false;
    TCursorEspera espera;
    const bool enAjustar = PageControl1->ActivePage() == PagAjustar;
    DBGrid1->setDataSource(enAjustar ? DSAjustar : nullptr);
    try {
        Query1->Close();
        Query1->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        const QString condicion = CondicionListado();
        // A condition the filter grammar reads is judged as the dataset
        // mode judges it; any other SQL is the engine's to judge.
        if (!SinCamposOcultos(condicion, TablaFisica)) {
            TraducirFormulario(fGENEINIC, this, QString());
            return false;
        }
        const QString motivo = MotivoSegundaSentencia(condicion);
        if (!motivo.isEmpty()) throw EDatabaseError(DbError::General, motivo);
        Query1->SQL().setText(SentenciaListado());
        try {
            Query1->Open();
        } catch (const EUserStatementCancelled&) {
            MensajeAdvertencia(TextoSentenciaCancelada());
            TraducirFormulario(fGENEINIC, this, QString());
            return false;
        }
        if (enAjustar) {
            for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
                TColumn* c = DBGrid1->Columns()[i];
                c->Title()->setCaption(AbreviarTitulo(c->FieldName(), 1));
            }
            for (TField* f : Query1->Fields()) {
                if (f->DataType() != ftDateTime && f->DataType() != ftDate) continue;
                const bool hora = f->FieldName().toUpper().contains(QLatin1String("HORA"));
                f->setEditMask(QString());
                if (hora) f->setDisplayFormat(QStringLiteral("HH:MM:SS"));
                f->OnGetText = [hora](TField* campo, QString& texto, bool) {
                    if (hora)
                        TextoCampoFechaHora(ModuloDatos, campo, texto);
                    else
                        TextoCampoFecha(ModuloDatos, campo, texto);
                };
                f->setDisplayWidth(10);
            }
        }
    } catch (const std::exception& e) {
        QString mensaje = TextoExcepcion(std::current_exception());
        MensajeAdvertencia(QStringLiteral("Imposible ejecutar la sentencia SQL. Motivo: ") +
                           mensaje);
        TraducirFormulario(fGENEINIC, this, QString());
        return false;
    }
    TraducirFormulario(fGENEINIC, this, QString());
    return true;
}

// ---------------------------------------------------------------- pages

void TfGENECPRO::IrAPagina(TTabSheet* Pagina) {
    if (PageControl1->ActivePage() == Pagina) return;
    bool permitir = true;
    PageControl1Changing(permitir);
    if (!permitir) return;
    PageControl1->blockSignals(true);
    PageControl1->setActivePage(Pagina);
    PageControl1->blockSignals(false);
    PageControl1Change();
}

void TfGENECPRO::PageControl1Changing(bool& Permitir) {
    Permitir = true;
    TTabSheet* actual = PageControl1->ActivePage();
    if (ModoDataSet() && actual == PagSeleccionCampos) SincronizarCampos(kRejilla);
    if (actual == PagAjustar) SincronizarCampos(kSeleccion);
}

void TfGENECPRO::PageControl1Change() {
    // The grid has its real width only once its page is shown.
    if (PageControl1->ActivePage() == PagDesdeHasta) anchosRejillaRangos();
    if (PageControl1->ActivePage() == PagAjustar) {
        const bool bien = ModoDataSet() ? AplicarFiltroTabla() : EjecutarSentenciaListado();
        if (!bien) {
            PageControl1->blockSignals(true);
            PageControl1->setActivePage(PagSeleccionCampos);
            PageControl1->blockSignals(false);
        }
    }
    OcultarCamposNoVisibles(fGENEINIC, this);
}

void TfGENECPRO::SincronizarCampos(const QString& Modo) {
    const QStringList sel = LBSeleccionado->Items();
    if (Modo == kRejilla) {
        TDataSet* ds = DSAjustar->DataSet();
        if (ModoDataSet() && ds) {
            for (qsizetype i = 0; i < sel.size(); ++i)
                if (TField* f = ds->FindField(sel[i])) f->setIndex(int(i));
        }
        for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
            TColumn* c = DBGrid1->Columns()[i];
            c->setVisible(sel.contains(c->FieldName(), Qt::CaseInsensitive));
        }
        return;
    }
    if (!DBGrid1->DataSource() || !DSAjustar->DataSet() || !DSAjustar->DataSet()->Active()) return;
    QStringList nuevos;
    for (int i = 0; i < DBGrid1->Columns().Count(); ++i) {
        TColumn* c = DBGrid1->Columns()[i];
        if (ModoDataSet() && !c->Visible()) continue;
        nuevos << c->FieldName();
    }
    LBSeleccionado->setItems(nuevos);
}

void TfGENECPRO::AgregarDisponibles() {
    QStringList sel = LBSeleccionado->Items();
    for (int i = 0; i < LBDisponible->count(); ++i)
        if (LBDisponible->Selected(i) && !sel.contains(LBDisponible->item(i)->text()))
            sel << LBDisponible->item(i)->text();
    LBSeleccionado->setItems(sel);
}

void TfGENECPRO::QuitarSeleccionados() {
    QStringList quedan;
    for (int i = 0; i < LBSeleccionado->count(); ++i)
        if (!LBSeleccionado->Selected(i)) quedan << LBSeleccionado->item(i)->text();
    LBSeleccionado->setItems(quedan);
}

void TfGENECPRO::FormatoFichaClick() {
    const bool ficha = FormatoFicha->isChecked();
    NumeroColumnasFicha->setEnabled(ficha);
    NumeroLineasMemoFicha->setEnabled(ficha);
    SepararPorPaginas->setEnabled(ficha);
    SepararPorPaginas->setChecked(ficha);
    if (!ficha) {
        NumeroColumnasFicha->setValue(1);
        NumeroLineasMemoFicha->setValue(3);
    }
}

void TfGENECPRO::pbCambiarFontClick() {
    TFontDialog* dialogo = FontDialog1(ModuloDatos);
    dialogo->Font = DBGrid1->font();
    if (!dialogo->Execute()) return;
    DBGrid1->setTitleFont(dialogo->Font);
    DBGrid1->setTitleFontColor(clNavy);
    DBGrid1->setFont(dialogo->Font);
}

void TfGENECPRO::FormClose() {
    if (ModoDataSet() && DataSetListado) {
        TDataSet* ds = DataSetListado;
        try {
            if (ds->Filter() != FiltroOriginal) {
                if (!FiltroOriginal.isEmpty()) {
                    ds->setFilter(FiltroOriginal);
                    ds->setFiltered(true);
                } else {
                    ds->setFiltered(false);
                    ds->setFilter(QString());
                }
            }
        } catch (const std::exception&) {
            MensajeAdvertencia(
                QStringLiteral("¡No ha sido posible restaurar los filtros de la tabla!"));
        }
    }
    if (Temporal->Active()) {
        try {
            Temporal->Close();
            Temporal->DeleteTable();
        } catch (...) {
        }
    }
}

// ---------------------------------------------------------------- installation

namespace {

void ListadoProgramableGancho(TDataSet* DataSet, const QString& Prefijo, const QString& Titulo,
                              const QString& Opciones, bool FuenteFija) {
    if (!fGENECPRO) {
        try {
            CreateForm(QStringLiteral("TfGENECPRO"));
        } catch (const std::exception&) {
            return;
        }
    }
    QPointer<TfGENECPRO> f = fGENECPRO;
    if (!f) return;
    if (FuenteFija) {
        f->pbActivarTablaLogica->setDown(true);
        f->pbActivarTablaLogica->setVisible(false);
    }
    f->ListadoProgramable(DataSet, Prefijo, Opciones, Titulo);
    if (FuenteFija && f) {
        f->pbActivarTablaLogica->setVisible(true);
        f->pbActivarTablaLogica->setDown(false);
    }
}

}  // namespace

void InstalarListadosProgramables() {
    GanchoListadoProgramable = ListadoProgramableGancho;
    if (!FormClassRegistered(QStringLiteral("TfGENECPRO")))
        RegisterFormClass<TfGENECPRO>(QStringLiteral("TfGENECPRO"));
}

namespace {
const bool listadosInstalados = [] {
    InstalarListadosProgramables();
    return true;
}();
}  // namespace
