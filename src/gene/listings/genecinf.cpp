#include "gene/listings/genecinf.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <cmath>

#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genereloj.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/dialogs/genevtex.h"
#include "gene/listings/genecinf_filtro.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/listings/genecsql_accesos.h"
#include "gene/listings/geneprog.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/grids.h"
#include "ui/menus.h"
#include "ui/registry.h"

QPointer<TfGENECINF> fGENECINF;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kFormato = QStringLiteral("Formato");
const QString kExpresion = QStringLiteral("_Expresion AS ");
// Pixels per millimetre of the width grid and its ruler.
constexpr int kPixelesMm = 3;
constexpr int kReglaMaxMm = 400;

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

// An entry split into what it shows and its quoted title: "(a + b) AS 'x'"
// gives "(a + b)" and "'x'"; an entry without title gives itself and "".
struct Partes {
    QString base;
    QString titulo;
};
Partes PartirEntrada(const QString& Entrada) {
    static const QRegularExpression conTitulo(QStringLiteral("^(.*) AS ('(?:[^']|'')*')$"),
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = conTitulo.match(Entrada);
    if (m.hasMatch()) return {m.captured(1), m.captured(2)};
    return {Entrada, QString()};
}

bool EsExpresion(const QString& Columna) {
    return Columna.startsWith(QLatin1Char('('));
}

// How the ordering, group and sum lists name a column: an expression by its
// title, a field column as it stands.
QString ReferenciaColumna(const QString& Columna) {
    if (!EsExpresion(Columna)) return Columna;
    const QString titulo = PartirEntrada(Columna).titulo;
    return titulo.isEmpty() ? QString() : kExpresion + titulo;
}

QString PrimeraPalabra(const QString& Texto) {
    return Texto.section(QLatin1Char(' '), 0, 0);
}

QString SinDesc(const QString& Entrada) {
    return Entrada.endsWith(QLatin1String(" DESC")) ? Entrada.chopped(5) : Entrada;
}

// The field name of a T.F column ("Expresion" for an expression).
QString NombreCampo(const QString& Columna) {
    if (EsExpresion(Columna)) return QStringLiteral("Expresion");
    return PrimeraPalabra(Columna).section(QLatin1Char('.'), 1);
}

// The title as typed: its quotes off and its doubled quotes single again,
// so that editing it keeps an apostrophe.
QString Titulo(const QString& Entrada) {
    const QString t = PartirEntrada(Entrada).titulo;
    if (t.size() < 2) return QString();
    return t.mid(1, t.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
}

bool EnLista(const TListBox* Lista, const QString& Texto) {
    return Lista->Items().contains(Texto);
}

// A positive number typed with a decimal comma or point; 0 when it is not one.
double NumeroPositivo(const QString& Texto) {
    QString t = Texto.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok && std::isfinite(v) && v > 0 ? v : 0;
}

// The titles are drawn in bold: their widths are measured so.
QFontMetrics MetricaTitulos(const TStringGrid* Rejilla) {
    QFont f = Rejilla->horizontalHeader()->font();
    f.setBold(true);
    return QFontMetrics(f);
}

}  // namespace

QString TituloColumna(const QString& Entrada) {
    QString titulo = PartirEntrada(Entrada).titulo;
    if (!titulo.isEmpty())
        titulo.remove(QLatin1Char('\''));
    else
        titulo = AbreviarTitulo(NombreCampo(Entrada), 1);
    QString traducido;
    Traducir(Modulo(), titulo, QString(), QString(), traducido);
    return traducido.isEmpty() ? titulo : traducido;
}

// ---------------------------------------------------------------- the form

TfGENECINF::TfGENECINF(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENECINF"));
    setCaption(QStringLiteral("Configuración de Informes Personalizados"));
    setFormStyle(fsMDIChild);
    construir();
    OnCreate = [this](QObject*) { formCreate(); };
    OnShow = [this](QObject*) { TraducirFormulario(fGENEINIC, this, QString()); };
    OnActivate = [this](QObject*) { update(); };
    setKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (fGENEINIC) TeclaPulsadaFormulario(fGENEINIC, this, Key, Shift);
    };
    OnKeyPress = [this](QObject*, QChar& Key) {
        if (fGENEINIC) TeclaPresionadaFormulario(fGENEINIC, this, Key);
    };
    OnClose = [](QObject*, TCloseAction& Action) { Action = caFree; };
    if (!fGENECINF) fGENECINF = this;
}

TfGENECINF::~TfGENECINF() {
    SGFormatoColumnas->OnDrawCell = nullptr;
    PaintBox1->OnPaint = nullptr;
}

void TfGENECINF::construir() {
    auto* raiz = new QVBoxLayout(this);
    PanelControl = new TPanel(this);
    PanelControl->setObjectName(QStringLiteral("PanelControl"));
    auto* barra = new QHBoxLayout(PanelControl);
    barra->setContentsMargins(2, 2, 2, 2);
    auto boton = [&](const char* nombre, const QString& texto, const QString& ayuda) {
        return CrearBotonBarra(PanelControl, barra, QLatin1String(nombre), texto, ayuda);
    };
    pbNuevo = boton("pbNuevo", QStringLiteral("Nuevo"),
                    QStringLiteral("Crear un Nuevo Informe en Blanco"));
    pbGuardar =
        boton("pbGuardar", QStringLiteral("Guardar"), QStringLiteral("Guardar el Informe actual"));
    pbGuardarComo = boton("pbGuardarComo", QStringLiteral("Guardar como..."),
                          QStringLiteral("Guardar el Informe actual como..."));
    pbEliminar = boton("pbEliminar", QStringLiteral("Eliminar"),
                       QStringLiteral("Eliminar el Informe actual"));
    pbValidarInforme = boton("pbValidarInforme", QStringLiteral("Validar Informe"),
                             QStringLiteral("Validar el Informe actual"));
    pbRestringirAUsuarios =
        boton("pbRestringirAUsuarios", QStringLiteral("Usuarios"),
              QStringLiteral("Restringir el Acceso al Informe a determinados Usuarios"));
    pbPersonalizarMenu = boton("pbPersonalizarMenu", QStringLiteral("Menú"),
                               QStringLiteral("Personalizar el Informe en un Menú de Aplicación"));
    pbCopiarConfiguracion = boton("pbCopiarConfiguracion", QStringLiteral("Copiar configuración"),
                                  QStringLiteral("Copiar la configuración de Usuarios y "
                                                 "Aplicaciones de este informe a otros informes"));
    pbCopiarAOtrasEmpresas = boton("pbCopiarAOtrasEmpresas", QStringLiteral("Otras Empresas"),
                                   QStringLiteral("Copiar todos los Informes a otras Empresas"));
    pbZoom = boton("pbZoom", QStringLiteral("Zoom"),
                   QStringLiteral("Ajustar el área visible a la pantalla"));
    pbImportar = boton("pbImportar", QStringLiteral("Importar"),
                       QStringLiteral("Importar los datos desde un fichero de texto (ASCII)"));
    pbExportar = boton("pbExportar", QStringLiteral("Exportar"),
                       QStringLiteral("Exportar los datos a un fichero de texto (ASCII)"));
    pbImprimir = boton("pbImprimir", QStringLiteral("Imprimir"),
                       QStringLiteral("Imprimir el Informe Actual"));
    pbSalir = boton("pbSalir", QStringLiteral("&Salir"), QString());
    barra->addStretch();
    raiz->addWidget(PanelControl);

    auto* fila = new QHBoxLayout;
    fila->addWidget(new TLabel(this, QStringLiteral("Nombre Informe")));
    pbBuscar = new TSpeedButton(this, QStringLiteral("..."));
    pbBuscar->setObjectName(QStringLiteral("pbBuscar"));
    pbBuscar->setToolTip(QStringLiteral("Buscar un Informe Existente"));
    fila->addWidget(pbBuscar);
    edNombreInforme = new TEdit(this);
    edNombreInforme->setObjectName(QStringLiteral("edNombreInforme"));
    edNombreInforme->setReadOnly(true);
    fila->addWidget(edNombreInforme, 1);
    raiz->addLayout(fila);

    PageControl1 = new TPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PagConfiguracion = new TTabSheet(PageControl1, QStringLiteral("Configuración"));
    PagConfiguracion->setObjectName(QStringLiteral("PagConfiguracion"));
    PagFormato = new TTabSheet(PageControl1, QStringLiteral("Formato"));
    PagFormato->setObjectName(QStringLiteral("PagFormato"));
    raiz->addWidget(PageControl1, 3);

    // Configuración: the seven lists, each with its heading and buttons.
    PopMenuLB = new TPopupMenu(this);
    PopMenuLB->setObjectName(QStringLiteral("PopMenuLB"));
    auto elemento = [&](const char* nombre, const QString& texto, void (TfGENECINF::*accion)()) {
        auto* m = new TMenuItem(PopMenuLB->Items(), QLatin1String(nombre), texto);
        m->OnClick = [this, accion](QObject*) { (this->*accion)(); };
    };
    elemento("AgregarElementoLista", QStringLiteral("Agregar un elemento a la lista"),
             &TfGENECINF::AgregarElementoListaClick);
    elemento("EliminarElementoLista",
             QStringLiteral("Eliminar el elemento seleccionado de la lista"),
             &TfGENECINF::EliminarElementoListaClick);
    elemento("SubirElementoLista", QStringLiteral("Subir el elemento seleccionado de la lista"),
             &TfGENECINF::SubirElementoListaClick);
    elemento("BajarElementoSeleccionado",
             QStringLiteral("Bajar el elemento seleccionado de la lista"),
             &TfGENECINF::BajarElementoSeleccionadoClick);

    auto* listas = new QGridLayout(PagConfiguracion);
    auto lista = [&](const QString& nombre, const QString& titulo, int f, int c, int ancho = 1) {
        auto* caja = new QVBoxLayout;
        auto* cabecera = new QHBoxLayout;
        cabecera->addWidget(new TLabel(PagConfiguracion, titulo), 1);
        auto* l = new TListBox(PagConfiguracion);
        l->setObjectName(QStringLiteral("LB") + nombre);
        const struct {
            const char* prefijo;
            const char* texto;
            const char* ayuda;
            void (TfGENECINF::*accion)(QObject*);
        } botones[] = {
            {"pbSubir", "▲", "Subir el elemento seleccionado de la lista",
             &TfGENECINF::pbSubirLBClick},
            {"pbBajar", "▼", "Bajar el elemento seleccionado de la lista",
             &TfGENECINF::pbBajarLBClick},
            {"pbEliminar", "−", "Eliminar el elemento seleccionado de la lista",
             &TfGENECINF::pbEliminarLBClick},
            {"pbAgregar", "+", "Agregar un elemento a la lista", &TfGENECINF::pbAgregarLBClick},
        };
        for (const auto& b : botones) {
            auto* sb = new TSpeedButton(PagConfiguracion, QString::fromUtf8(b.texto));
            sb->setObjectName(QLatin1String(b.prefijo) + nombre);
            sb->setToolTip(QString::fromUtf8(b.ayuda));
            sb->setFixedSize(20, 18);
            sb->OnClick = [this, accion = b.accion](QObject* s) { (this->*accion)(s); };
            cabecera->addWidget(sb);
        }
        caja->addLayout(cabecera);
        caja->addWidget(l);
        l->setPopupMenu(PopMenuLB);
        listas->addLayout(caja, f, c, 1, ancho);
        return l;
    };
    LBTablas = lista(QStringLiteral("Tablas"), QStringLiteral("Tablas (FROM)"), 0, 0);
    LBColumnas = lista(QStringLiteral("Columnas"), QStringLiteral("Columnas (SELECT)"), 0, 1);
    LBRestricciones =
        // Their entries are the longest.
        lista(QStringLiteral("Restricciones"), QStringLiteral("Restricciones (WHERE)"), 0, 2, 2);
    LBVinculos = lista(QStringLiteral("Vinculos"), QStringLiteral("Vínculos (JOIN..ON)"), 1, 0);
    LBOrdenacion =
        lista(QStringLiteral("Ordenacion"), QStringLiteral("Ordenación (ORDER BY)"), 1, 1);
    LBGrupos = lista(QStringLiteral("Grupos"), QStringLiteral("Grupos (Datos de Cabecera)"), 1, 2);
    LBSumatorios = lista(QStringLiteral("Sumatorios"), QStringLiteral("Sumatorios"), 1, 3);
    listas->setColumnStretch(1, 2);
    listas->setColumnStretch(2, 2);
    listas->setColumnStretch(0, 1);
    listas->setColumnStretch(3, 1);
    LBColumnas->OnDblClick = [this](QObject*) { LBColumnasDblClick(); };
    LBOrdenacion->OnDblClick = [this](QObject*) { LBOrdenacionDblClick(); };

    // Formato
    auto* formato = new QVBoxLayout(PagFormato);
    auto* aspecto = new TGroupBox(PagFormato);
    aspecto->setTitle(QStringLiteral("Ajuste del Aspecto"));
    auto* filaAspecto = new QHBoxLayout(aspecto);
    FormatoColumnar = new TRadioButton(aspecto, QStringLiteral("Formato Columnar"));
    FormatoColumnar->setObjectName(QStringLiteral("FormatoColumnar"));
    FormatoFicha = new TRadioButton(aspecto, QStringLiteral("Formato Ficha"));
    FormatoFicha->setObjectName(QStringLiteral("FormatoFicha"));
    NumeroColumnasFicha = new TSpinEdit(aspecto);
    NumeroColumnasFicha->setObjectName(QStringLiteral("NumeroColumnasFicha"));
    NumeroColumnasFicha->setRange(1, 10);
    NumeroLineasMemoFicha = new TSpinEdit(aspecto);
    NumeroLineasMemoFicha->setObjectName(QStringLiteral("NumeroLineasMemoFicha"));
    NumeroLineasMemoFicha->setRange(1, 50);
    OrientacionApaisada = new TCheckBox(aspecto, QStringLiteral("Orientación Apaisada"));
    OrientacionApaisada->setObjectName(QStringLiteral("OrientacionApaisada"));
    SepararPorPaginas = new TCheckBox(aspecto, QStringLiteral("Separar Grupos por Páginas"));
    SepararPorPaginas->setObjectName(QStringLiteral("SepararPorPaginas"));
    filaAspecto->addWidget(FormatoColumnar);
    filaAspecto->addWidget(FormatoFicha);
    filaAspecto->addWidget(new TLabel(aspecto, QStringLiteral("Columnas")));
    filaAspecto->addWidget(NumeroColumnasFicha);
    filaAspecto->addWidget(new TLabel(aspecto, QStringLiteral("Líneas Memo")));
    filaAspecto->addWidget(NumeroLineasMemoFicha);
    filaAspecto->addSpacing(16);
    filaAspecto->addWidget(OrientacionApaisada);
    filaAspecto->addWidget(SepararPorPaginas);
    filaAspecto->addStretch();
    formato->addWidget(aspecto);

    PanelAjusteColumnas = new TPanel(PagFormato);
    PanelAjusteColumnas->setObjectName(QStringLiteral("PanelAjusteColumnas"));
    auto* ajuste = new QVBoxLayout(PanelAjusteColumnas);
    auto* cabeceraAjuste = new QHBoxLayout;
    cabeceraAjuste->addWidget(
        new TLabel(PanelAjusteColumnas, QStringLiteral("Ajuste de Columnas")));
    cabeceraAjuste->addStretch();
    pbAutoajuste = new TButton(PanelAjusteColumnas, QStringLiteral("Autoajuste"));
    pbAutoajuste->setObjectName(QStringLiteral("pbAutoajuste"));
    cabeceraAjuste->addWidget(pbAutoajuste);
    ajuste->addLayout(cabeceraAjuste);
    PaintBox1 = new TPaintBox(PanelAjusteColumnas);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setFixedHeight(24);
    ajuste->addWidget(PaintBox1);
    SGFormatoColumnas = new TStringGrid(PanelAjusteColumnas);
    SGFormatoColumnas->setObjectName(QStringLiteral("SGFormatoColumnas"));
    SGFormatoColumnas->setFixedCols(0);
    SGFormatoColumnas->setFixedRows(0);
    SGFormatoColumnas->setColCount(0);
    SGFormatoColumnas->setRowCount(3);
    // The titles are the grid's header: dragging its edges sets the widths,
    // dragging a title moves the column. The three rows keep the data only.
    for (int r = 0; r < 3; ++r) SGFormatoColumnas->setRowHidden(r, true);
    QHeaderView* cabecera = SGFormatoColumnas->horizontalHeader();
    cabecera->show();
    cabecera->setSectionsMovable(true);
    cabecera->setSectionResizeMode(QHeaderView::Interactive);
    cabecera->setMinimumSectionSize(1);
    cabecera->setStretchLastSection(false);
    cabecera->setDefaultAlignment(Qt::AlignCenter);
    cabecera->setStyleSheet(QStringLiteral(
        "QHeaderView::section { color: navy; font-weight: bold; border: 1px solid gray; "
        "margin: 1px; padding: 0px; background: palette(window); }"));
    // Sized for its titles and scroll bar: it has no rows to show.
    cabecera->setFixedHeight(SGFormatoColumnas->fontMetrics().height() + 16);
    SGFormatoColumnas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SGFormatoColumnas->setFixedHeight(
        cabecera->height() + SGFormatoColumnas->horizontalScrollBar()->sizeHint().height() +
        2 * SGFormatoColumnas->frameWidth());
    ajuste->addWidget(SGFormatoColumnas);
    ajuste->addStretch();
    formato->addWidget(PanelAjusteColumnas, 1);

    auto* sentencia = new QVBoxLayout;
    sentencia->addWidget(new TLabel(this, QStringLiteral("Sentencia SQL")));
    MemoSentenciaSQL = new TMemo(this);
    MemoSentenciaSQL->setObjectName(QStringLiteral("MemoSentenciaSQL"));
    MemoSentenciaSQL->setReadOnly(true);
    MemoSentenciaSQL->setVisible(false);
    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    sentencia->addWidget(WebBrowser1);
    raiz->addLayout(sentencia, 2);

    Filtro = new TTable(this);
    Filtro->setObjectName(QStringLiteral("Filtro"));
    Filtro->setTableName(QStringLiteral("FILTRO"));

    pbNuevo->OnClick = [this](QObject*) { pbNuevoClick(); };
    pbGuardar->OnClick = [this](QObject*) { pbGuardarClick(); };
    pbGuardarComo->OnClick = [this](QObject*) { pbGuardarComoClick(); };
    pbEliminar->OnClick = [this](QObject*) { pbEliminarClick(); };
    pbValidarInforme->OnClick = [this](QObject*) { pbValidarInformeClick(); };
    pbRestringirAUsuarios->OnClick = [this](QObject*) { pbRestringirAUsuariosClick(); };
    pbPersonalizarMenu->OnClick = [this](QObject*) { pbPersonalizarMenuClick(); };
    pbCopiarConfiguracion->OnClick = [this](QObject*) { pbCopiarConfiguracionClick(); };
    pbCopiarAOtrasEmpresas->OnClick = [this](QObject*) { pbCopiarAOtrasEmpresasClick(); };
    pbZoom->OnClick = [this](QObject*) { pbZoomClick(); };
    pbImportar->OnClick = [this](QObject*) { pbImportarClick(); };
    pbExportar->OnClick = [this](QObject*) { pbExportarClick(); };
    pbImprimir->OnClick = [this](QObject*) { pbImprimirClick(); };
    pbSalir->OnClick = [this](QObject*) { pbSalirClick(); };
    pbBuscar->OnClick = [this](QObject*) { BuscarDatosDBEdit(); };
    edNombreInforme->OnDblClick = [this](QObject*) { BuscarDatosDBEdit(); };
    FormatoColumnar->OnClick = [this](QObject*) { FormatoClick(); };
    FormatoFicha->OnClick = [this](QObject*) { FormatoClick(); };
    OrientacionApaisada->OnClick = [this](QObject*) { OrientacionApaisadaClick(); };
    pbAutoajuste->OnClick = [this](QObject*) { pbAutoajusteClick(); };
    PaintBox1->OnPaint = [this](QObject*) { PaintBox1Paint(); };
    connect(cabecera, &QHeaderView::sectionMoved, this,
            [this](int, int Desde, int Hasta) { SGFormatoColumnasColumnMoved(Desde, Hasta); });
    connect(cabecera, &QHeaderView::sectionResized, PaintBox1, [this] { PaintBox1->update(); });
    connect(SGFormatoColumnas->horizontalScrollBar(), &QScrollBar::valueChanged, PaintBox1,
            [this] { PaintBox1->update(); });
    cabecera->viewport()->installEventFilter(this);
}

bool TfGENECINF::eventFilter(QObject* Objeto, QEvent* Evento) {
    if (Evento->type() == QEvent::MouseButtonRelease &&
        Objeto == SGFormatoColumnas->horizontalHeader()->viewport())
        SGFormatoColumnasMouseUp();
    return TForm::eventFilter(Objeto, Evento);
}

void TfGENECINF::formCreate() {
    // The check runs the design's typed SQL: Esc in the progress window
    // must be able to stop it.
    VigilarSentenciasUsuario();
    PrepararFormulario(fGENEINIC, this);
    AjustarTamanoFormulario(fGENEINIC, this, QString());
    PageControl1->setCurrentWidget(PagConfiguracion);
    const bool administrador =
        ExigirAdministrador(Modulo(), CodigoUsuarioActual, QStringLiteral("Silencio"));
    pbRestringirAUsuarios->setEnabled(administrador);
    pbPersonalizarMenu->setEnabled(administrador);
    LimpiarInforme();
    CargarInforme(PrimerInforme());
}

// ---------------------------------------------------------------- the design

DefinicionInforme TfGENECINF::Definicion() const {
    DefinicionInforme d;
    d.Tablas = LBTablas->Items();
    d.Columnas = LBColumnas->Items();
    d.Restricciones = LBRestricciones->Items();
    d.Ordenacion = LBOrdenacion->Items();
    d.Vinculos = LBVinculos->Items();
    d.Grupos = LBGrupos->Items();
    d.Sumatorios = LBSumatorios->Items();
    d.FormatoColumnas = FormatoColumnasRejilla();
    d.Opciones = OpcionesFormato();
    d.UsuariosAutorizados = UsuariosAutorizados;
    d.AplicacionesContenedoras = AplicacionesContenedoras;
    return d;
}

QString TfGENECINF::OpcionesFormato() const {
    QString o = FormatoFicha->isChecked()
                    ? QStringLiteral("FormatoFicha(") +
                          QString::number(NumeroColumnasFicha->value()) + QLatin1Char(',') +
                          QString::number(NumeroLineasMemoFicha->value()) + QStringLiteral("),")
                    : QStringLiteral("FormatoColumnar,");
    if (OrientacionApaisada->isChecked()) o += QStringLiteral("OrientacionApaisada,");
    if (SepararPorPaginas->isChecked()) o += QStringLiteral("SepararPorPaginas,");
    return o;
}

int TfGENECINF::AnchoPagina() const {
    return OrientacionApaisada->isChecked() ? 297 : 210;
}

int TfGENECINF::AnchoColumna(int Columna) const {
    if (SGFormatoColumnas->isColumnHidden(Columna)) return -1;
    return SGFormatoColumnas->ColWidths(Columna);
}

void TfGENECINF::setAnchoColumna(int Columna, int Ancho) {
    SGFormatoColumnas->setColumnHidden(Columna, Ancho < 0);
    if (Ancho >= 0) SGFormatoColumnas->setColWidths(Columna, Ancho);
}

QString TfGENECINF::FormatoColumnasRejilla() const {
    const int n = SGFormatoColumnas->ColCount();
    if (n == 0 || SGFormatoColumnas->Cells(0, 2) != kFormato) return QString();
    QString r;
    for (int c = 0; c < n; ++c) {
        const int w = AnchoColumna(c);
        r += (w < 0 ? QStringLiteral("-1")
                    : FloatToStr(double(w) / (kPixelesMm * AnchoPagina()) * 100.0)) +
             QLatin1Char('|');
    }
    return r;
}

void TfGENECINF::LimpiarInforme() {
    for (TListBox* l :
         {LBTablas, LBColumnas, LBRestricciones, LBOrdenacion, LBVinculos, LBGrupos, LBSumatorios})
        l->Clear();
    UsuariosAutorizados.clear();
    AplicacionesContenedoras.clear();
    FormatoColumnar->setChecked(true);
    FormatoFicha->setChecked(false);
    OrientacionApaisada->setChecked(false);
    SepararPorPaginas->setChecked(false);
    NumeroColumnasFicha->setValue(1);
    NumeroLineasMemoFicha->setValue(3);
    reconstruyendo_ = true;
    SGFormatoColumnas->setColCount(0);
    reconstruyendo_ = false;
    MemoSentenciaSQL->setText(QString());
}

void TfGENECINF::CargarInforme(const QString& Nombre) {
    edNombreInforme->setText(Nombre);
    LimpiarInforme();
    QString sql, instrucciones;
    if (!Nombre.isEmpty() && LeerInforme(Nombre, sql, instrucciones)) {
        const DefinicionInforme d = LeerInstrucciones(instrucciones);
        LBTablas->setItems(d.Tablas);
        LBColumnas->setItems(d.Columnas);
        LBRestricciones->setItems(d.Restricciones);
        LBOrdenacion->setItems(d.Ordenacion);
        LBVinculos->setItems(d.Vinculos);
        LBGrupos->setItems(d.Grupos);
        LBSumatorios->setItems(d.Sumatorios);
        if (d.Opciones.contains(QLatin1String("FormatoFicha"))) {
            FormatoFicha->setChecked(true);
            const qsizetype a = d.Opciones.indexOf(QLatin1Char('('));
            const qsizetype b = d.Opciones.indexOf(QLatin1Char(')'), a + 1);
            const QStringList numeros =
                a >= 0 && b > a ? d.Opciones.mid(a + 1, b - a - 1).split(QLatin1Char(','))
                                : QStringList();
            bool ok = false;
            const int columnas = numeros.value(0).trimmed().toInt(&ok);
            NumeroColumnasFicha->setValue(ok ? columnas : 1);
            const int lineas = numeros.value(1).trimmed().toInt(&ok);
            NumeroLineasMemoFicha->setValue(ok ? lineas : 3);
        }
        OrientacionApaisada->setChecked(d.Opciones.contains(QLatin1String("OrientacionApaisada")));
        SepararPorPaginas->setChecked(d.Opciones.contains(QLatin1String("SepararPorPaginas")));
        UsuariosAutorizados = d.UsuariosAutorizados;
        AplicacionesContenedoras = d.AplicacionesContenedoras;
        // The grid from the stored columns, then their stored widths.
        reconstruyendo_ = true;
        SGFormatoColumnas->setColCount(int(d.Columnas.size()));
        const QFontMetrics fm = MetricaTitulos(SGFormatoColumnas);
        for (int c = 0; c < d.Columnas.size(); ++c) {
            const QString titulo = TituloColumna(d.Columnas.at(c));
            SGFormatoColumnas->setCells(c, 0, titulo);
            SGFormatoColumnas->setCells(c, 1, d.Columnas.at(c));
            SGFormatoColumnas->setHorizontalHeaderItem(c, new QTableWidgetItem(titulo));
            setAnchoColumna(c, fm.horizontalAdvance(titulo) + 8);
        }
        const QStringList anchos = d.FormatoColumnas.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        if (!d.FormatoColumnas.isEmpty() && anchos.size() == d.Columnas.size()) {
            for (int c = 0; c < anchos.size(); ++c) {
                QString t = anchos.at(c).trimmed();
                t.replace(QLatin1Char(','), QLatin1Char('.'));
                bool ok = false;
                const double p = t.toDouble(&ok);
                if (!ok) continue;
                setAnchoColumna(
                    c, p < 0 ? -1 : int(std::lround(p * kPixelesMm * AnchoPagina() / 100.0)));
                SGFormatoColumnas->setCells(c, 2, kFormato);
            }
        }
        reconstruyendo_ = false;
    }
    ActualizarSentenciaSQL(QStringLiteral("Forzado"));
    pintarListas();
    FormatoClick();
}

bool TfGENECINF::GrabarInforme(const QString& Nombre, const QString& Opciones) {
    if (!Opciones.contains(QLatin1String("Nuevo"))) {
        DefinicionInforme d = Definicion();
        QString sql = MemoSentenciaSQL->Text();
        const QString resultado = ValidarSentenciaInforme(d, sql, QStringLiteral("Silenciosa"));
        // The validation may have put the groups at the head of the ordering.
        if (d.Ordenacion != LBOrdenacion->Items()) {
            LBOrdenacion->setItems(d.Ordenacion);
            ActualizarSentenciaSQL(QStringLiteral("Forzado"));
            pintarListas();
        }
        if (resultado.startsWith(QLatin1String("Error")) &&
            MensajeConfirmacion(QStringLiteral(
                "El informe contiene errores. ¿Desea continuar con la grabación?")) !=
                QLatin1String("SI"))
            return false;
    }
    QString motivo;
    bool escrito = false;
    {
        TCursorEspera reloj;
        escrito = EscribirInforme(Nombre, MemoSentenciaSQL->Text(),
                                  ComponerInstrucciones(Definicion()), motivo);
    }
    if (!escrito) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el registro!. Motivo: ") +
                           motivo);
        return false;
    }
    return true;
}

bool TfGENECINF::InformeModificado() {
    return ::InformeModificado(edNombreInforme->Text(), MemoSentenciaSQL->Text(),
                               ComponerInstrucciones(Definicion()));
}

void TfGENECINF::ActualizarSentenciaSQL(const QString& Opciones) {
    const QString sql = GenerarSentenciaSQL(Definicion(), MotorActual());
    if (sql == MemoSentenciaSQL->Text() && !Opciones.contains(QLatin1String("Forzado"))) return;
    MemoSentenciaSQL->setText(sql);
    MostrarHTML(fGENEINIC, SentenciaSQLEnHTML(sql), WebBrowser1);
    reconstruirRejilla();
}

void TfGENECINF::reconstruirRejilla() {
    const QStringList columnas = LBColumnas->Items();
    const QStringList grupos = LBGrupos->Items();
    const QFontMetrics fm = MetricaTitulos(SGFormatoColumnas);
    // Widths of the columns already there, by the entry less its title.
    QHash<QString, int> anteriores;
    bool marcada = false;
    for (int c = 0; c < SGFormatoColumnas->ColCount(); ++c) {
        anteriores.insert(PartirEntrada(SGFormatoColumnas->Cells(c, 1)).base, AnchoColumna(c));
        marcada = marcada || SGFormatoColumnas->Cells(c, 2) == kFormato;
    }
    reconstruyendo_ = true;
    SGFormatoColumnas->setColCount(0);
    SGFormatoColumnas->setColCount(int(columnas.size()));
    for (int c = 0; c < columnas.size(); ++c) {
        const QString& entrada = columnas.at(c);
        const QString titulo = TituloColumna(entrada);
        const int anchoTitulo = fm.horizontalAdvance(titulo) + 8;
        int ancho = anchoTitulo;
        const auto anterior = anteriores.constFind(PartirEntrada(entrada).base);
        const QString referencia = ReferenciaColumna(entrada);
        // A group prints in its header, never as a column.
        if (grupos.contains(entrada) || (!referencia.isEmpty() && grupos.contains(referencia)))
            ancho = -1;
        else if (anterior != anteriores.constEnd() && *anterior >= 0)
            ancho = *anterior;
        SGFormatoColumnas->setCells(c, 0, titulo);
        SGFormatoColumnas->setCells(c, 1, entrada);
        if (marcada) SGFormatoColumnas->setCells(c, 2, kFormato);
        SGFormatoColumnas->setHorizontalHeaderItem(c, new QTableWidgetItem(titulo));
        setAnchoColumna(c, ancho);
    }
    reconstruyendo_ = false;
    PaintBox1->update();
}

// ---------------------------------------------------------------- lists

TListBox* TfGENECINF::listaDe(QObject* Boton, const QString& Prefijo) const {
    if (!Boton) return nullptr;
    const QString nombre = Boton->objectName();
    if (!nombre.startsWith(Prefijo)) return nullptr;
    return findChild<TListBox*>(QStringLiteral("LB") + nombre.mid(Prefijo.size()));
}

TListBox* TfGENECINF::listaConFoco() const {
    for (TListBox* l :
         {LBTablas, LBColumnas, LBRestricciones, LBOrdenacion, LBVinculos, LBGrupos, LBSumatorios})
        if (l->hasFocus()) return l;
    return nullptr;
}

void TfGENECINF::pbAgregarLBClick(QObject* Sender) {
    if (TListBox* l = listaDe(Sender, QStringLiteral("pbAgregar"))) AgregarElemento(l);
}
void TfGENECINF::pbEliminarLBClick(QObject* Sender) {
    if (TListBox* l = listaDe(Sender, QStringLiteral("pbEliminar"))) EliminarElemento(l);
}
void TfGENECINF::pbSubirLBClick(QObject* Sender) {
    if (TListBox* l = listaDe(Sender, QStringLiteral("pbSubir"))) MoverElemento(l, -1);
}
void TfGENECINF::pbBajarLBClick(QObject* Sender) {
    if (TListBox* l = listaDe(Sender, QStringLiteral("pbBajar"))) MoverElemento(l, 1);
}
void TfGENECINF::AgregarElementoListaClick() {
    if (TListBox* l = listaConFoco()) AgregarElemento(l);
}
void TfGENECINF::EliminarElementoListaClick() {
    if (TListBox* l = listaConFoco()) EliminarElemento(l);
}
void TfGENECINF::SubirElementoListaClick() {
    if (TListBox* l = listaConFoco()) MoverElemento(l, -1);
}
void TfGENECINF::BajarElementoSeleccionadoClick() {
    if (TListBox* l = listaConFoco()) MoverElemento(l, 1);
}

QStringList TfGENECINF::camposCandidatos() const {
    QStringList r;
    for (const QString& t : LBTablas->Items()) {
        QString campos;
        CamposTablaDiccionario(fGENEINIC, t, QString(), campos);
        for (const QString& c : LineasTexto(campos))
            if (!c.trimmed().isEmpty()) r << t + QLatin1Char('.') + c.trimmed();
    }
    return r;
}

// The column entries whose field is of one of the types, and the titled
// expression columns in their "_Expresion AS" form.
QStringList TfGENECINF::candidatosTipo(const QStringList& Tipos) const {
    QStringList r;
    for (const QString& c : LBColumnas->Items()) {
        if (EsExpresion(c)) {
            const QString referencia = ReferenciaColumna(c);
            if (!referencia.isEmpty()) r << referencia;
            continue;
        }
        const QString campo = PrimeraPalabra(c);
        if (Tipos.contains(TipoCampoDiccionario(campo.section(QLatin1Char('.'), 0, 0),
                                                campo.section(QLatin1Char('.'), 1))))
            r << c;
    }
    return r;
}

namespace {
QString OpcionesSeleccion(const QString& Titulo, bool Multiple, bool Ordenada) {
    QString o = QStringLiteral("Titulo=") + Titulo + kCrLf + QStringLiteral("Formato=0,0,300,0");
    if (Multiple) o += kCrLf + QStringLiteral("Modo=Multiple");
    if (Ordenada) o += kCrLf + QStringLiteral("Opciones=Ordenada");
    return o;
}

// The key fields of a dictionary table in key order: its "<Primary>" index,
// else what the database's catalog says; none when neither knows (the
// catalog has then said why).
QStringList CamposClaveTabla(const QString& Tabla) {
    QString diccionario, definicion;
    LeerDiccionarioEstandar(fGENEINIC, diccionario);
    DefinicionTablaDiccionario(fGENEINIC, Tabla, diccionario, definicion,
                               QStringLiteral("Indices"));
    for (const QString& linea : LineasTexto(definicion))
        if (linea.section(QLatin1Char('/'), 3, 3) == QLatin1String("<Primary>"))
            return linea.section(QLatin1Char('/'), 4, 4)
                .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    QString campos;
    CamposClaveSQL(Modulo(), Tabla, QString(), campos);
    if (campos.startsWith(QLatin1String("Error"))) return {};
    return campos.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// The line chosen in a single selection; "" when none.
QString ElegirUno(const QString& Titulo, const QStringList& Elementos, bool Ordenada,
                  const QString& Preseleccion = QString()) {
    return SeleccionarMarcados(OpcionesSeleccion(Titulo, false, Ordenada), Elementos,
                               Preseleccion.isEmpty() ? QStringList() : QStringList{Preseleccion})
        .value(0);
}

// A typed constant as a quoted literal; false when the prompt is cancelled.
bool PedirConstante(QString& Operando) {
    const QString valor = MensajePeticion(QStringLiteral("Introduzca el valor de la constante: "));
    if (PeticionCancelada()) return false;
    Operando = Entrecomillar(valor);
    return true;
}

// A date constant that is no date is refused when it is added.
bool FechaConstanteValida(const QString& Entrada, bool Vinculo) {
    DefinicionInforme d;
    (Vinculo ? d.Vinculos : d.Restricciones) << Entrada;
    const QString mala = RestriccionFechaNoValida(d);
    if (mala.isEmpty()) return true;
    MensajeAdvertencia(AvisoFechaNoValida(mala));
    return false;
}

// Adds the chosen entries not already in the list.
void AgregarNuevos(TListBox* Lista, const QStringList& Elegidos) {
    QStringList items = Lista->Items();
    for (const QString& e : Elegidos)
        if (!e.isEmpty() && !items.contains(e)) items << e;
    Lista->setItems(items);
}

void Seleccionar(TListBox* Lista, int Indice) {
    if (Indice >= 0 && Indice < Lista->count()) Lista->setItemIndex(Indice);
}
}  // namespace

void TfGENECINF::AgregarElemento(TListBox* Lista) {
    if (Lista == LBTablas) {
        agregarTablas();
    } else if (Lista == LBColumnas) {
        agregarColumnas();
    } else if (Lista == LBRestricciones) {
        agregarRestriccion();
    } else if (Lista == LBVinculos) {
        agregarVinculo();
    } else if (Lista == LBSumatorios || Lista == LBGrupos) {
        agregarGruposOSumas(Lista);
    } else if (Lista == LBOrdenacion) {
        agregarOrdenaciones();
    }
}

void TfGENECINF::agregarTablas() {
    QString tablas;
    ListaTablasDiccionario(fGENEINIC, QStringLiteral("ExcluirTablasBDGeneral"), tablas);
    AgregarNuevos(
        LBTablas,
        SeleccionarMarcados(OpcionesSeleccion(QStringLiteral("Seleccion de Tablas"), true, true),
                            LineasTexto(tablas), {}));
    LBDrawItem();
}

void TfGENECINF::agregarColumnas() {
    const QStringList elegidos = SeleccionarMarcados(
        OpcionesSeleccion(QStringLiteral("Seleccion de Campos"), true, true),
        QStringList{QStringLiteral("_Expresion"), QStringLiteral("_Expresion_GrupoAnalisis")} +
            camposCandidatos(),
        {});
    for (const QString& e : elegidos) {
        if (e == QLatin1String("_Expresion")) {
            const QString expresion = MensajePeticion(QStringLiteral("Introduzca la expresión: "));
            if (expresion.trimmed().isEmpty()) continue;
            const QString entrada = QLatin1Char('(') + expresion + QLatin1Char(')');
            if (EnLista(LBColumnas, entrada)) continue;
            LBColumnas->addItem(entrada);
            LBColumnas->setItemIndex(LBColumnas->count() - 1);
            LBColumnasDblClick();
        } else if (e == QLatin1String("_Expresion_GrupoAnalisis")) {
            const QString tabla = ElegirUno(QStringLiteral("Seleccion de Tabla con G.Análisis"),
                                            LBTablas->Items(), true);
            if (tabla.isEmpty()) continue;
            const QStringList claves = CamposClaveTabla(tabla);
            if (claves.isEmpty()) continue;
            const QString categoria =
                MensajePeticion(QStringLiteral("Introduzca la Categoría del Grupo de Análisis: "));
            if (categoria.trimmed().isEmpty()) continue;
            const QString entrada = ColumnaGrupoAnalisis(tabla, claves, categoria);
            if (EnLista(LBColumnas, entrada)) continue;
            LBColumnas->addItem(entrada);
            LBColumnas->setItemIndex(LBColumnas->count() - 1);
        } else if (!EnLista(LBColumnas, e)) {
            LBColumnas->addItem(e);
        }
    }
    LBDrawItem();
}

namespace {
const char* const kRelaciones[][2] = {
    {"Igual a", "="},
    {"Mayor que", ">"},
    {"Menor que", "<"},
    {"Mayor o igual que", ">="},
    {"Menor o igual que", "<="},
    {"Distinto de", "<>"},
    {"Incluido en", "IN"},
    {"No incluido en", "NOT IN"},
};

QString NombreVariable(const QString& Texto) {
    QString n = Texto;
    n.remove(QRegularExpression(QStringLiteral("\\s")));
    return n;
}
}  // namespace

void TfGENECINF::agregarRestriccion() {
    QStringList campos = camposCandidatos();
    const QString parteA = ElegirUno(QStringLiteral("Seleccion de Campo (Parte A)"), campos, true);
    if (parteA.isEmpty()) return;
    QStringList relaciones;
    for (const auto& r : kRelaciones) relaciones << QString::fromUtf8(r[0]);
    const QString relacion = ElegirUno(QStringLiteral("Seleccion de Relación"), relaciones, false);
    QString operador;
    for (const auto& r : kRelaciones)
        if (relacion == QString::fromUtf8(r[0])) operador = QString::fromUtf8(r[1]);
    if (operador.isEmpty()) return;
    const bool lista = operador.endsWith(QLatin1String("IN"));
    QStringList opciones;
    QString preseleccion;
    if (lista) {
        opciones = {QStringLiteral("_Una constante multiple"),
                    QStringLiteral("_Una variable multiple")};
        preseleccion = opciones.at(1);
    } else {
        campos.sort();
        opciones =
            QStringList{QStringLiteral("_Una constante"), QStringLiteral("_Una variable")} + campos;
        preseleccion = opciones.at(1);
    }
    const QString parteB =
        ElegirUno(QStringLiteral("Seleccion de Campo (Parte B)"), opciones, false, preseleccion);
    if (parteB.isEmpty()) return;
    QString operando;
    if (parteB == QLatin1String("_Una constante")) {
        if (!PedirConstante(operando)) return;
    } else if (parteB == QLatin1String("_Una constante multiple")) {
        const QString valor = MensajePeticion(
            QStringLiteral("Introduzca el valor de las constantes separadas por una coma: "));
        if (PeticionCancelada()) return;
        operando = QLatin1Char('(') + ListaConstantesSQL(valor) + QLatin1Char(')');
    } else if (parteB == QLatin1String("_Una variable") ||
               parteB == QLatin1String("_Una variable multiple")) {
        const QString nombre = NombreVariable(
            MensajePeticion(QStringLiteral("Introduzca el nombre de la variable: ")));
        if (nombre.isEmpty()) return;
        if (lista) {
            operando = QStringLiteral("( :*") + nombre + QStringLiteral(" )");
        } else {
            const QString tipo = TipoCampoDiccionario(parteA.section(QLatin1Char('.'), 0, 0),
                                                      parteA.section(QLatin1Char('.'), 1));
            // A field no longer in the dictionary is asked as text.
            const QChar marca = tipo == QLatin1String("ftInteger") ||
                                        tipo == QLatin1String("ftSmallint") ||
                                        tipo == QLatin1String("ftFloat")
                                    ? QLatin1Char('#')
                                : tipo == QLatin1String("ftDateTime") ? QLatin1Char('&')
                                                                      : QLatin1Char('$');
            operando = QLatin1Char(':') + marca + nombre;
        }
    } else {
        operando = parteB;
    }
    const QString entrada = parteA + QLatin1Char(' ') + operador + QLatin1Char(' ') + operando;
    if (!FechaConstanteValida(entrada, false)) return;
    LBRestricciones->addItem(entrada);
    LBDrawItem();
}

void TfGENECINF::agregarVinculo() {
    QStringList campos = camposCandidatos();
    const QString parteA = ElegirUno(QStringLiteral("Seleccion de Campo (Parte A)"), campos, true);
    if (parteA.isEmpty()) return;
    campos.sort();
    const QString parteB = ElegirUno(QStringLiteral("Seleccion de Campo (Parte B)"),
                                     QStringList{QStringLiteral("Una constante")} + campos, false);
    if (parteB.isEmpty()) return;
    QString operando = parteB;
    if (parteB == QLatin1String("Una constante") && !PedirConstante(operando)) return;
    if (!FechaConstanteValida(parteA + QStringLiteral(" = ") + operando, true)) return;
    LBVinculos->addItem(parteA + QStringLiteral(" = ") + operando);
    LBDrawItem();
}

void TfGENECINF::agregarGruposOSumas(TListBox* Lista) {
    const bool sumas = Lista == LBSumatorios;
    const QStringList candidatos =
        sumas ? candidatosTipo({QStringLiteral("ftFloat")})
              : candidatosTipo({QStringLiteral("ftString"), QStringLiteral("ftInteger"),
                                QStringLiteral("ftSmallint"), QStringLiteral("ftDateTime")});
    AgregarNuevos(Lista, SeleccionarMarcados(
                             OpcionesSeleccion(sumas ? QStringLiteral("Seleccion de Sumatorios")
                                                     : QStringLiteral("Seleccion de Grupos"),
                                               true, true),
                             candidatos, {}));
    if (sumas) {
        LBDrawItem();
    } else {
        pintarListas();
        ActualizarSentenciaSQL(QStringLiteral("Forzado"));
    }
}

void TfGENECINF::agregarOrdenaciones() {
    QStringList candidatos;
    for (const QString& c : LBColumnas->Items()) {
        const QString r = ReferenciaColumna(c);
        if (!r.isEmpty()) candidatos << r;
    }
    // An ordering already there, ascending or descending, is not added again.
    QStringList presentes;
    for (const QString& o : LBOrdenacion->Items()) presentes << SinDesc(o);
    QStringList items = LBOrdenacion->Items();
    for (const QString& e : SeleccionarMarcados(
             OpcionesSeleccion(QStringLiteral("Seleccion de Ordenación"), true, true), candidatos,
             {}))
        if (!presentes.contains(e)) items << e;
    LBOrdenacion->setItems(items);
    pintarListas();
    ActualizarSentenciaSQL(QStringLiteral("Forzado"));
}

void TfGENECINF::EliminarElemento(TListBox* Lista) {
    const int indice = Lista->ItemIndex();
    if (indice < 0 || indice >= Lista->count()) return;
    const QString entrada = Lista->item(indice)->text();
    auto quitar = [](TListBox* l, const std::function<bool(const QString&)>& condicion) {
        for (int i = l->count() - 1; i >= 0; --i)
            if (condicion(l->item(i)->text())) delete l->takeItem(i);
    };
    if (Lista == LBTablas) {
        if (MensajeConfirmacion(
                QStringLiteral(
                    "Esta acción eliminará todas las referencias del informe a la tabla ") +
                entrada + QStringLiteral(". ") + QStringLiteral("¿Está seguro de continuar?")) !=
            QLatin1String("SI"))
            return;
        auto deLaTabla = [&](const QString& e) {
            return e.section(QLatin1Char('.'), 0, 0) == entrada;
        };
        auto referida = [&](const QString& e) {
            return deLaTabla(e) || e.contains(QLatin1Char(' ') + entrada + QLatin1Char('.'));
        };
        for (TListBox* l : {LBColumnas, LBOrdenacion, LBGrupos, LBSumatorios}) quitar(l, deLaTabla);
        for (TListBox* l : {LBRestricciones, LBVinculos}) quitar(l, referida);
    } else if (Lista == LBColumnas) {
        const QString palabra = PrimeraPalabra(entrada);
        if (MensajeConfirmacion(
                QStringLiteral(
                    "Esta acción eliminará todas las referencias del informe a la columna ") +
                palabra + QStringLiteral(". ") + QStringLiteral("¿Está seguro de continuar?")) !=
            QLatin1String("SI"))
            return;
        // An expression column is referred to by its title.
        const QString referencia = EsExpresion(entrada) ? ReferenciaColumna(entrada) : QString();
        for (TListBox* l : {LBOrdenacion, LBGrupos, LBSumatorios})
            quitar(l, [&](const QString& e) {
                return PrimeraPalabra(e) == palabra ||
                       (!referencia.isEmpty() && SinDesc(e) == referencia);
            });
    }
    delete Lista->takeItem(indice);
    if (Lista->count() > 0) Seleccionar(Lista, indice == 0 ? 0 : indice - 1);
    pintarListas();
    ActualizarSentenciaSQL(QStringLiteral("Forzado"));
}

void TfGENECINF::MoverElemento(TListBox* Lista, int Desplazamiento) {
    const int i = Lista->ItemIndex();
    const int j = i + Desplazamiento;
    if (i < 0 || j < 0 || j >= Lista->count()) return;
    QListWidgetItem* item = Lista->takeItem(i);
    Lista->insertItem(j, item);
    Lista->setItemIndex(j);
    LBDrawItem();
}

void TfGENECINF::LBColumnasDblClick() {
    const int i = LBColumnas->ItemIndex();
    if (i < 0 || i >= LBColumnas->count()) return;
    const QString anterior = LBColumnas->item(i)->text();
    const Partes partes = PartirEntrada(anterior);
    const QString campo = NombreCampo(anterior);
    QString respuesta = partes.titulo.isEmpty() ? AbreviarTitulo(campo, 1) : Titulo(anterior);
    MensajePeticion(QStringLiteral("Introduzca el Título para la columna ") + campo, respuesta);
    if (PeticionCancelada()) return;
    QString nueva;
    if (EsExpresion(anterior)) {
        // An expression is named only by its title: an empty one keeps the old.
        if (respuesta.isEmpty()) return;
        nueva = partes.base + QStringLiteral(" AS ") + Entrecomillar(respuesta);
    } else if (respuesta.isEmpty() || respuesta == campo || respuesta == AbreviarTitulo(campo, 1)) {
        nueva = partes.base;
    } else {
        nueva = partes.base + QStringLiteral(" AS ") + Entrecomillar(respuesta);
    }
    LBColumnas->item(i)->setText(nueva);
    const QString referenciaAnterior = ReferenciaColumna(anterior);
    const QString referenciaNueva = ReferenciaColumna(nueva);
    for (TListBox* l : {LBOrdenacion, LBGrupos, LBSumatorios}) {
        for (int k = 0; k < l->count(); ++k) {
            const QString e = l->item(k)->text();
            const bool desc = e.endsWith(QLatin1String(" DESC"));
            const QString sin = SinDesc(e);
            QString sustituta;
            if (EsExpresion(anterior)) {
                if (!referenciaAnterior.isEmpty() && sin == referenciaAnterior)
                    sustituta = referenciaNueva;
            } else if (PartirEntrada(sin).base == partes.base) {
                sustituta = nueva;
            }
            if (!sustituta.isEmpty())
                l->item(k)->setText(sustituta + (desc ? QStringLiteral(" DESC") : QString()));
        }
    }
    pintarListas();
    ActualizarSentenciaSQL(QStringLiteral("Forzado"));
}

void TfGENECINF::LBOrdenacionDblClick() {
    const int i = LBOrdenacion->ItemIndex();
    if (i < 0 || i >= LBOrdenacion->count()) return;
    const QString e = LBOrdenacion->item(i)->text();
    LBOrdenacion->item(i)->setText(e.contains(QLatin1String(" DESC"))
                                       ? QString(e).remove(QStringLiteral(" DESC"))
                                       : e + QStringLiteral(" DESC"));
    LBDrawItem();
}

void TfGENECINF::pintarListas() {
    const QStringList grupos = LBGrupos->Items();
    for (int i = 0; i < LBColumnas->count(); ++i) {
        const QString e = LBColumnas->item(i)->text();
        const QString r = ReferenciaColumna(e);
        const bool grupo = grupos.contains(e) || (!r.isEmpty() && grupos.contains(r));
        LBColumnas->item(i)->setForeground(grupo ? QColor(0xC0, 0xC0, 0xC0) : QColor(Qt::black));
    }
    for (int i = 0; i < LBOrdenacion->count(); ++i)
        LBOrdenacion->item(i)->setForeground(
            LBOrdenacion->item(i)->text().contains(QLatin1String(" DESC")) ? QColor(Qt::blue)
                                                                           : QColor(Qt::black));
}

void TfGENECINF::LBDrawItem() {
    pintarListas();
    ActualizarSentenciaSQL(QString());
}

// ---------------------------------------------------------------- format page

void TfGENECINF::FormatoClick() {
    PanelAjusteColumnas->setVisible(FormatoColumnar->isChecked());
}

void TfGENECINF::OrientacionApaisadaClick() {
    PaintBox1->update();
}

void TfGENECINF::SGFormatoColumnasMouseUp() {
    for (int c = 0; c < SGFormatoColumnas->ColCount(); ++c)
        SGFormatoColumnas->setCells(c, 2, kFormato);
}

void TfGENECINF::SGFormatoColumnasColumnMoved(int Desde, int Hasta) {
    if (reconstruyendo_) return;
    QHeaderView* cabecera = SGFormatoColumnas->horizontalHeader();
    // The list takes the new order; the grid is then rebuilt in it.
    reconstruyendo_ = true;
    {
        const QSignalBlocker bloqueo(cabecera);
        cabecera->moveSection(Hasta, Desde);
    }
    reconstruyendo_ = false;
    if (Desde < 0 || Desde >= LBColumnas->count() || Hasta < 0 || Hasta >= LBColumnas->count())
        return;
    QListWidgetItem* item = LBColumnas->takeItem(Desde);
    LBColumnas->insertItem(Hasta, item);
    // Widths follow their columns: move the grid's own data the same way.
    QStringList filas[3];
    QList<int> anchos;
    for (int c = 0; c < SGFormatoColumnas->ColCount(); ++c) {
        for (int r = 0; r < 3; ++r) filas[r] << SGFormatoColumnas->Cells(c, r);
        anchos << AnchoColumna(c);
    }
    for (int r = 0; r < 3; ++r) filas[r].move(Desde, Hasta);
    anchos.move(Desde, Hasta);
    reconstruyendo_ = true;
    for (int c = 0; c < anchos.size(); ++c) {
        for (int r = 0; r < 3; ++r) SGFormatoColumnas->setCells(c, r, filas[r].at(c));
        SGFormatoColumnas->setHorizontalHeaderItem(c, new QTableWidgetItem(filas[0].at(c)));
        setAnchoColumna(c, anchos.at(c));
    }
    reconstruyendo_ = false;
    pintarListas();
    ActualizarSentenciaSQL(QStringLiteral("Forzado"));
}

void TfGENECINF::PaintBox1Paint() {
    QPainter* p = PaintBox1->Canvas();
    if (!p) return;
    const int desplazamiento =
        SGFormatoColumnas->frameWidth() - SGFormatoColumnas->horizontalHeader()->offset();
    const int pagina = AnchoPagina() * kPixelesMm;
    const int alto = PaintBox1->height();
    p->fillRect(PaintBox1->rect(), palette().color(QPalette::Button));
    p->fillRect(QRect(desplazamiento, 0, pagina, alto), palette().color(QPalette::Base));
    QFont fuente(QStringLiteral("Small Fonts"));
    fuente.setPointSize(7);
    p->setFont(fuente);
    p->setPen(palette().color(QPalette::WindowText));
    for (int mm = 0; mm <= kReglaMaxMm; ++mm) {
        const int x = desplazamiento + mm * kPixelesMm;
        if (x > PaintBox1->width()) break;
        const int tick = mm % 10 == 0 ? 13 : mm % 5 == 0 ? 5 : 2;
        p->drawLine(x, alto - tick, x, alto - 1);
        if (mm % 10 == 0)
            p->drawText(x + 2, alto - 8,
                        QString::number(mm / 10) + (mm == 0 ? QStringLiteral("cm") : QString()));
    }
}

void TfGENECINF::pbAutoajusteClick() {
    const QString defecto =
        OrientacionApaisada->isChecked() ? QStringLiteral("277") : QStringLiteral("190");
    QString respuesta = defecto;
    MensajePeticion(QStringLiteral("Introduzca la anchura máxima para el ajuste: "), respuesta);
    if (PeticionCancelada()) return;
    const double anchura = NumeroPositivo(respuesta);
    // Beyond any paper (and any pixel count) is no width either.
    if (anchura <= 0 || anchura > 100000) return;
    const int n = SGFormatoColumnas->ColCount();
    // Whole pixels: the grid's widths are.
    const int objetivo = int(kPixelesMm * anchura);
    long long suma = -1;
    for (int c = 0; c < n; ++c)
        if (AnchoColumna(c) >= 0) suma += AnchoColumna(c) + 1;
    if (suma <= 0) return;
    reconstruyendo_ = true;
    long long nueva = -1;
    for (int c = 0; c < n; ++c) {
        const int w = AnchoColumna(c);
        if (w < 0) continue;
        const int ajustado = int(double(w) * objetivo / double(suma));
        setAnchoColumna(c, ajustado);
        nueva += ajustado + 1;
    }
    if (n > 0 && AnchoColumna(n - 1) >= 0)
        setAnchoColumna(n - 1, std::max(0, AnchoColumna(n - 1) + objetivo - int(nueva)));
    reconstruyendo_ = false;
    // The adjusted widths are meant to be printed.
    SGFormatoColumnasMouseUp();
    PaintBox1->update();
}

// ---------------------------------------------------------------- tool bar

void TfGENECINF::pbValidarInformeClick() {
    DefinicionInforme d = Definicion();
    QString sql = MemoSentenciaSQL->Text();
    ValidarSentenciaInforme(d, sql, QString());
    if (d.Ordenacion != LBOrdenacion->Items()) {
        LBOrdenacion->setItems(d.Ordenacion);
        pintarListas();
        ActualizarSentenciaSQL(QStringLiteral("Forzado"));
    }
}

void TfGENECINF::pbZoomClick() {
    TForm* principal = MainForm();
    if (!principal || principal == this) return;
    QWidget* marco = parentWidget() ? parentWidget() : this;
    QSize area = principal->size();
    if (QMdiArea* mdi = principal->MDIArea()) area = mdi->viewport()->size();
    marco->move(0, 0);
    marco->resize(area.width() - 4, area.height() - 4);
}

void RegistrarTfGENECINF() {
    if (!FormClassRegistered(QStringLiteral("TfGENECINF")))
        RegisterFormClass<TfGENECINF>(QStringLiteral("TfGENECINF"));
}

namespace {
const bool registrado = [] {
    RegistrarTfGENECINF();
    return true;
}();
}  // namespace
