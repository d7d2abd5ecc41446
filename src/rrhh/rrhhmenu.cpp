// The main window: its components and menu, the menu dispatch, the window
// list, the logo and currency panels and the help menu. The session steps
// (first show, company choice, currency view) are in rrhhmenu_sesion.cpp.

#include "rrhh/rrhhmenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QShortcut>
#include <QUrl>
#include <QVBoxLayout>

#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesist.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/dialogs/geneacer.h"
#include "gene/dialogs/genebusc.h"
#include "gene/dialogs/genedoce.h"
#include "gene/dialogs/genevlis.h"
#include "gene/listings/genecinf.h"
#include "gene/listings/genecpro.h"
#include "gene/listings/genecsql.h"
#include "gene/listings/geneprev.h"
#include "gene/listings/geneuinf.h"
#include "gene/session/geneapp.h"
#include "gene/session/genecomp.h"
#include "gene/session/genediag.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_formulario.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/generejilla.h"
#include "gene/session/sesion.h"
#include "io/paths.h"
#include "nomina/nomimodu.h"
#include "ui/controls.h"
#include "ui/menus.h"

TfRRHHMENU* fRRHHMENU = nullptr;
TCrearModulosNomina GanchoCrearModulosNomina = &CrearModulosNomina;

void InstalarServiciosPrograma() {
    QApplication::setApplicationName(QStringLiteral("Recursos Humanos"));
    // The windows' sizes and column widths are pixels of the font they were
    // laid out in: its installed substitute makes them fit as given.
    QApplication::setFont(FuenteSistema(QStringLiteral("MS Sans Serif"), 8));
    InstalarTraduccionesQt();
    SetApplicationExceptionHandler(&DespacharExcepcion);
    InstalarServiciosFormulario();
    InstalarVisoresGenericos();
    InstalarDialogosBusqueda();
    InstalarDocumentacionElectronica();
    InstalarPrevisualizacion();
    InstalarDiagnostico();
    InstalarListadosProgramables();
    InstalarConsultasSQL();
    RegistrarTfGENECINF();
    RegistrarTfGENEUINF();
}

namespace {

// Items that list the open windows under "Ventana".
constexpr int kTagListaVentanas = 200;

QString TraducirCaption(const QString& Texto) {
    // Without a language the caption keeps its access key.
    if (IdiomaActual.isEmpty() || !ModuloDatos) return Texto;
    QString r;
    Traducir(ModuloDatos, Texto, QString(), QString(), r);
    return r;
}

}  // namespace

const QList<TOpcionMenuPrincipal>& OpcionesMenuPrincipal() {
    static const QList<TOpcionMenuPrincipal> opciones = {
        {"BaseDatos1", "Consultas S&QL", "ConsultasSQL1", "TfGENECSQL", "fGENECSQL"},
        {"Parametros1", "&Globales", "Globales1", "TfGENEPARA", "fGENEPARA"},
        {"Tablas1", "Maestro de Textos", "MaestrodeTextos1", "TfGENEMTEX", "fGENEMTEX"},
        {"Tablas1", "Maestro de Persona&l", "MaestrodePersonal1", "TfRRHHPERS", "fRRHHPERS"},
        {"Tablas1", "Maestro de &Candidatos", "MaestrodeCandidatos1", "TfRRHHCAND", "fRRHHCAND"},
        {"Tablas1", "Maestro de Tipos de &Subsidio", "MaestrodeTiposdeSubsidio1", "TfNOMITSUB",
         "fNOMITSUB"},
        {"Tablas1", "Maestro de &Secciones", "MaestrodeSecciones1", "TfNOMISECC", "fNOMISECC"},
        {"Tablas1", "Maestro de &Paises", "MaestrodePaises1", "TfNOMIPAIS", "fNOMIPAIS"},
        {"Tablas1", "Maestro de C&alendarios", "MaestrodeCalendarios1", "TfNOMICALE", "fNOMICALE"},
        {"Tablas1", "Maestro de &Horarios", "MaestrodeHorarios1", "TfPRESHORA", "fPRESHORA"},
        {"Tablas1", "Maestro de &Grupos de Análisis", "MaestrodeGrupos1", "TfGENEGANA",
         "fGENEGANA"},
        {"Tablas1", "Maestro de &Máquinas", "MaestrodeMquinas1", "TfRRHHMMAQ", "fRRHHMMAQ"},
        {"Tablas1", "Maestro de Puestos de Trabajo", "MaestrodePuestosdeTrabajo1", "TfRRHHPTRA",
         "fRRHHPTRA"},
        {"Tablas1", "Maestro de Tipos de Formación", "MaestrodeTiposdeFormacin1", "TfRRHHFORM",
         "fRRHHFORM"},
        {"Tablas1", "Maestro de Criterios de Evaluación", "MaestrodeCriteriosdeEvaluacin1",
         "TfRRHHCRIT", "fRRHHCRIT"},
        {"Procesos1", "Plan de &Formación", "PlandeFormacin1", "TfRRHHPLAN", "fRRHHPLAN"},
        {"Procesos1", "Matriz de &Capacitación para Puestos de Trabajo",
         "MatrizdeCapacitacinparaPuestosdeTrabajo1", "TfRRHHCAPA", "fRRHHCAPA"},
        {"Procesos1", "Matriz de Capacitación para &Máquinas", "MatrizdeMquinas1", "TfRRHHMAQU",
         "fRRHHMAQU"},
        {"Procesos1", "Evaluación de Personal", "ValoracindeOperarios1", "TfRRHHEVAL", "fRRHHEVAL"},
        {"Informes1", "Listado de Fichas de &Candidatos", "ListadodeFichasdeCandidatos1",
         "TfRRHHLFCA", "fRRHHLFCA"},
        {"Informes1", "Listado de &Fichas de Personal", "ListadodeFichasdePersonal1", "TfRRHHLFIC",
         "fRRHHLFIC"},
        {"Informes1", "Listado de Candidatos", "ListadodeCandidatos1", "TfRRHHLCAN", "fRRHHLCAN"},
        {"Informes1", "Listado de &Operarios", "ListadodeOperarios1", "TfRRHHLOPE", "fRRHHLOPE"},
        {"Informes1", "Listado de Operarios por &Puesto", "ListadodeOperariosporPuesto1",
         "TfRRHHLPUE", "fRRHHLPUE"},
        {"Informes1", "Listado de Operarios por &Nivel de Formación",
         "ListadodeOperariosporNiveldeFormacin1", "TfRRHHLFOR", "fRRHHLFOR"},
        {"Informes1", "Listado de &Plan de Formación", "ListadodePlandeFormacin1", "TfRRHHLPLA",
         "fRRHHLPLA"},
        {"Informes1", "Listado de Capacitación para Puestos de Trabajo",
         "ListadodeCapacitacinparaPuestosdeTrabajo1", "TfRRHHLCAP", "fRRHHLCAP"},
        {"Informes1", "Listado de Capacitación para Máquinas", "ListadodeCapacitacinparaMquinas1",
         "TfRRHHLMAQ", "fRRHHLMAQ"},
        {"Informes1", "Listado de &Calendarios de Operarios", "ListadodeCalendariosdeOperarios1",
         "TfPRESLCAL", "fPRESLCAL"},
        {"Informes1", "Listado de Dias de Vacaciones/Puentes/Permisos",
         "ListadodeDiasdeVacacionesPuentesPermisos1", "TfRRHHLVAC", "fRRHHLVAC"},
        {"Informes1", "Listado de Incidencias de Calendario", "ListadodeIncidenciasdeCalendario1",
         "TfRRHHLINC", "fRRHHLINC"},
        {"Utilidades1", "Intercambio de Códigos de Operario", "IntercambiodeCdigosdeOperario1",
         "TfNOMIIOPE", "fNOMIIOPE"},
        {"Utilidades1", "Intercambio de Códigos de Candidatos", "IntercambiodeCdigosdeCandidatos1",
         "TfRRHHICAN", "fRRHHICAN"},
    };
    return opciones;
}

// ---------------------------------------------------------------- construction

TfRRHHMENU::TfRRHHMENU(QWidget* owner) : TForm(owner) {
    fRRHHMENU = this;
    setName(QStringLiteral("fRRHHMENU"));
    setCaption(QStringLiteral("Recursos Humanos"));
    setFormStyle(fsMDIForm);
    SetMainForm(this);
    setKeyPreview(true);

    Empresa = new TTable(this);
    Empresa->setObjectName(QStringLiteral("Empresa"));
    Empresa->setTableName(QStringLiteral("EMPRESA"));

    // The background picture: a soft gradient over the client area.
    Image1 = new TImage(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setVisible(false);
    QLinearGradient fondo(0, 0, 0, 768);
    fondo.setColorAt(0, QColor(236, 241, 248));
    fondo.setColorAt(1, QColor(196, 210, 230));
    MDIArea()->setBackground(fondo);

    // The bottom strip: the distributor's link, the currency and the logo.
    auto* franja = new QWidget(this);
    auto* caja = new QHBoxLayout(franja);
    caja->setContentsMargins(4, 2, 4, 2);
    IrAPaginaWeb = new TLabel(franja);
    IrAPaginaWeb->setObjectName(QStringLiteral("IrAPaginaWeb"));
    IrAPaginaWeb->setAlignment(taCentered);
    IrAPaginaWeb->AssignFont(MakeFont(QStringLiteral("Courier New"), 9));
    QFont negrita = IrAPaginaWeb->font();
    negrita.setBold(true);
    IrAPaginaWeb->setFont(negrita);
    IrAPaginaWeb->setCursor(Qt::PointingHandCursor);
    IrAPaginaWeb->OnClick = [this](QObject* s) { IrAPaginaWebClick(s); };
    caja->addWidget(IrAPaginaWeb, 1);
    PanelMoneda = new TPanel(franja, QStringLiteral("€"));
    PanelMoneda->setObjectName(QStringLiteral("PanelMoneda"));
    PanelMoneda->setFixedSize(75, 56);
    PanelMoneda->setVisible(false);
    caja->addWidget(PanelMoneda);
    PanelLogotipo = new TPanel(franja);
    PanelLogotipo->setObjectName(QStringLiteral("PanelLogotipo"));
    PanelLogotipo->setFixedSize(100, 75);
    PanelLogotipo->setVisible(false);
    auto* cajaLogo = new QVBoxLayout(PanelLogotipo);
    cajaLogo->setContentsMargins(0, 0, 0, 0);
    ImagenLogotipo = new TImage(PanelLogotipo);
    ImagenLogotipo->setObjectName(QStringLiteral("ImagenLogotipo"));
    ImagenLogotipo->setStretch(true);
    ImagenLogotipo->OnClick = [this](QObject* s) { ImagenLogotipoClick(s); };
    cajaLogo->addWidget(ImagenLogotipo);
    caja->addWidget(PanelLogotipo);
    layout()->addWidget(franja);

    ConstruirMenu();

    OnCreate = [this](QObject* s) { FormCreate(s); };
    // The first show logs in with dialogs of its own: it runs once the
    // window is up, from the event loop.
    OnShow = [this](QObject* s) {
        QMetaObject::invokeMethod(
            this, [this, s] { RunHandler(this, [this, s] { FormShow(s); }); },
            Qt::QueuedConnection);
    };
    OnActivate = [this](QObject* s) { FormActivate(s); };
    OnClose = [this](QObject* s, TCloseAction& a) { FormClose(s, a); };
    OnKeyDown = [this](QObject* s, int& k, TShiftState sh) { FormKeyDown(s, k, sh); };
}

TfRRHHMENU::~TfRRHHMENU() {
    if (fRRHHMENU == this) fRRHHMENU = nullptr;
}

TMenuItem* TfRRHHMENU::NuevoItem(TMenuItem* padre, const QString& nombre, const QString& caption) {
    auto* item = new TMenuItem(padre, nombre, caption);
    return item;
}

void TfRRHHMENU::ConstruirMenu() {
    MainMenu1 = new TMainMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    TMenuItem* raiz = MainMenu1->Items();

    BaseDatos1 = NuevoItem(raiz, QStringLiteral("BaseDatos1"), QStringLiteral("&Base Datos"));
    Tablas1 = NuevoItem(raiz, QStringLiteral("Tablas1"), QStringLiteral("&Tablas"));
    Procesos1 = NuevoItem(raiz, QStringLiteral("Procesos1"), QStringLiteral("&Procesos"));
    Informes1 = NuevoItem(raiz, QStringLiteral("Informes1"), QStringLiteral("&Informes"));
    Utilidades1 = NuevoItem(raiz, QStringLiteral("Utilidades1"), QStringLiteral("&Utilidades"));
    Adicional1 = NuevoItem(raiz, QStringLiteral("Adicional1"), QStringLiteral("A&dicional"));
    Ventana1 = NuevoItem(raiz, QStringLiteral("Ventana1"), QStringLiteral("&Ventana"));
    Ayuda1 = NuevoItem(raiz, QStringLiteral("Ayuda1"), QStringLiteral("&Ayuda"));
    // The children's menus go between the program's menus and "Ventana".
    Ventana1->setGroupIndex(8);
    Ayuda1->setGroupIndex(9);

    Parametros1 = NuevoItem(Tablas1, QStringLiteral("Parametros1"), QStringLiteral("&Parámetros"));
    for (const TOpcionMenuPrincipal& o : OpcionesMenuPrincipal()) {
        auto* padre = qobject_cast<TMenuItem*>(MainMenu1->FindItem(QLatin1String(o.Menu)));
        TMenuItem* item = NuevoItem(padre, QLatin1String(o.Item), QString::fromUtf8(o.Caption));
        const QString clase = QLatin1String(o.Clase);
        const QString nombre = QLatin1String(o.Formulario);
        item->OnClick = [this, clase, nombre](QObject* s) {
            AbrirOpcionMenu(clase, nullptr, qobject_cast<TMenuItem*>(s), nombre);
        };
        if (item->objectName() == QLatin1String("ConsultasSQL1")) ConsultasSQL1 = item;
    }
    // "Parámetros" stands first under "Tablas".
    Tablas1->Insert(0, Parametros1);

    CambioEmpresa1 =
        NuevoItem(BaseDatos1, QStringLiteral("CambioEmpresa1"), QStringLiteral("&Cambio Empresa"));
    CambioEmpresa1->setEnabled(false);
    CambioEmpresa1->OnClick = [this](QObject* s) { CambioEmpresa1Click(s); };
    ConsultasSQL1->setEnabled(false);
    NuevoItem(BaseDatos1, QStringLiteral("N1"), QStringLiteral("-"));
    Salir1 = NuevoItem(BaseDatos1, QStringLiteral("Salir1"), QStringLiteral("&Salir"));
    Salir1->OnClick = [this](QObject* s) { SalirAplicacion(s); };
    // The currency switch: no item to click, its Ctrl+E works on every window.
    VerDatosenMonedaNacionalOEuro =
        NuevoItem(BaseDatos1, QStringLiteral("VerDatosenMonedaNacionalOEuro"),
                  QStringLiteral("Ver Datos en Moneda Nacional o Euro"));
    VerDatosenMonedaNacionalOEuro->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    VerDatosenMonedaNacionalOEuro->setChecked(true);
    VerDatosenMonedaNacionalOEuro->setVisible(false);
    auto* monedas = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(monedas, &QShortcut::activated, this,
            [this] { RunHandler(this, [this] { VerDatosenMonedaNacionalOEuroClick(this); }); });

    AplicacionesEspeciales1 = NuevoItem(Adicional1, QStringLiteral("AplicacionesEspeciales1"),
                                        QStringLiteral("&Aplicaciones Especiales"));
    AplicacionesEspeciales1->OnClick = [this](QObject* s) { AplicacionesEspeciales1Click(s); };

    OrganizarIconos1 = NuevoItem(Ventana1, QStringLiteral("OrganizarIconos1"),
                                 QStringLiteral("&Organizar Iconos"));
    OrganizarIconos1->OnClick = [this](QObject* s) { OrganizarIconos1Click(s); };
    connect(Ventana1->SubMenu(), &QMenu::aboutToShow, this, [this] { ActualizarListaVentanas(); });

    IndicedeAyuda =
        NuevoItem(Ayuda1, QStringLiteral("IndicedeAyuda"), QStringLiteral("&Indice de Ayuda"));
    IndicedeAyuda->OnClick = [this](QObject* s) { IndicedeAyudaClick(s); };
    AyudadeMenu = NuevoItem(Ayuda1, QStringLiteral("AyudadeMenu"), QStringLiteral("&Ayuda de"));
    AyudadeMenu->OnClick = [this](QObject* s) { AyudadeMenuClick(s); };
    Ayudade = NuevoItem(Ayuda1, QStringLiteral("Ayudade"), QStringLiteral("A&yuda de"));
    Ayudade->OnClick = [this](QObject* s) { AyudadeClick(s); };
    NuevoItem(Ayuda1, QStringLiteral("N2"), QStringLiteral("-"));
    LoNuevoDeMenu =
        NuevoItem(Ayuda1, QStringLiteral("LoNuevoDeMenu"), QStringLiteral("Lo &Nuevo de"));
    LoNuevoDeMenu->OnClick = [this](QObject* s) { LoNuevoDeMenuClick(s); };
    AcercadeMenu = NuevoItem(Ayuda1, QStringLiteral("AcercadeMenu"), QStringLiteral("A&cerca de"));
    AcercadeMenu->OnClick = [this](QObject* s) { AcercadeMenuClick(s); };
    connect(Ayuda1->SubMenu(), &QMenu::aboutToShow, this,
            [this] { RunHandler(this, [this] { Ayuda1Click(this); }); });

    setMenu(MainMenu1);
    connect(MDIArea(), &QMdiArea::subWindowActivated, this, [this] { RefrescarHijoActivo(); });
}

// ---------------------------------------------------------------- creation

void TfRRHHMENU::FormCreate(QObject*) {
    SetBounds(0, 0, 1024, 768);
    TituloPrograma = Caption();
    PrimeraActivacion = true;
    AsignarTeclaAyuda();
}

// ---------------------------------------------------------------- dispatch

void TfRRHHMENU::AbrirOpcionMenu(const QString& Clase, TForm* Instancia, TMenuItem* Item,
                                 const QString& NombreFormulario) {
    QString clave;
    ClaveOpcionMenu(ModuloDatos, Item, clave);
    QString nivel;
    NivelAccesoPrograma(ModuloDatos, CodigoUsuarioActual, clave, nivel);
    if (nivel != QLatin1String("Total") && nivel != QLatin1String("Solo Lectura")) return;
    // The unit's global instance is not written: windows are found by name.
    TForm* copia = Instancia;
    AbrirFormulario(ModuloDatos, Clase, copia, QString(), NombreFormulario);
}

void TfRRHHMENU::FormActivate(QObject*) {
    update();
    // Windows open by themselves only once the user and company are known.
    if (!mostrado_ || !PrimeraActivacion) return;
    PrimeraActivacion = false;
    for (QObject* c : Components()) {
        auto* item = qobject_cast<TMenuItem*>(c);
        if (!item || !item->OnClick) continue;
        QString clave;
        ClaveOpcionMenu(ModuloDatos, item, clave);
        if (ProgramaActivo(ModuloDatos, CodigoUsuarioActual, clave)) item->Click();
    }
}

// ---------------------------------------------------------------- windows

void TfRRHHMENU::RefrescarHijoActivo() {
    if (MDIChildCount() > 0)
        if (TForm* hijo = ActiveMDIChild()) hijo->update();
    AsignarTeclaAyuda();
}

void TfRRHHMENU::ActualizarListaVentanas() {
    for (int i = Ventana1->Count() - 1; i >= 0; --i)
        if (Ventana1->Items(i)->Tag() == kTagListaVentanas) Ventana1->Delete(i);
    if (MDIChildCount() == 0) return;
    auto* linea = new TMenuItem(this);
    linea->setCaption(QStringLiteral("-"));
    linea->setTag(kTagListaVentanas);
    Ventana1->Add(linea);
    TForm* activa = ActiveMDIChild();
    for (int i = 0; i < MDIChildCount(); ++i) {
        QPointer<TForm> hijo = MDIChildren(i);
        if (!hijo) continue;
        auto* item = new TMenuItem(this);
        item->setCaption(QLatin1Char('&') + QString::number(i + 1) + QLatin1Char(' ') +
                         hijo->Caption());
        item->setTag(kTagListaVentanas);
        if (hijo == activa) item->setChecked(true);
        item->OnClick = [hijo](QObject*) {
            if (!hijo) return;
            if (hijo->WindowState() == wsMinimized) hijo->setWindowState(wsNormal);
            hijo->BringToFront();
        };
        Ventana1->Add(item);
    }
}

void TfRRHHMENU::OrganizarIconos1Click(QObject*) {
    // Minimised windows in a row along the bottom of the area.
    const QRect area = MDIArea()->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : MDIArea()->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        if (x > 0 && x + w->width() > area.width()) x = 0;
        w->move(x, area.bottom() - w->height() + 1);
        x += w->width();
    }
}

void TfRRHHMENU::SalirAplicacion(QObject*) {
    // A window that is listing or waiting keeps the program open.
    if (HayFormulariosOcupados(fGENEINIC)) return;
    Close();
}

void TfRRHHMENU::closeEvent(QCloseEvent* event) {
    if (HayFormulariosOcupados(fGENEINIC)) {
        event->ignore();
        return;
    }
    TForm::closeEvent(event);
}

void TfRRHHMENU::FormClose(QObject*, TCloseAction& Action) {
    FinalizarSesion(fGENEINIC);
    // The program ends with its main window.
    Action = caFree;
}

// ---------------------------------------------------------------- panels

void TfRRHHMENU::ImagenLogotipoClick(QObject*) {
    int ancho = PanelLogotipo->width() - 20;
    if (ancho <= 0) ancho = 160;
    PanelLogotipo->setFixedSize(ancho, ancho * 3 / 4);
}

void TfRRHHMENU::IrAPaginaWebClick(QObject*) {
    const QString direccion = IrAPaginaWeb->Caption();
    if (direccion.isEmpty() || !IrAPaginaWeb->isEnabled()) return;
    // An address written with its scheme is not given a second one.
    const bool conEsquema = direccion.contains(QLatin1String("://"));
    QDesktopServices::openUrl(QUrl(conEsquema ? direccion : QStringLiteral("http://") + direccion));
}

void TfRRHHMENU::AplicacionesEspeciales1Click(QObject*) {
    QDir::setCurrent(NativePath(DirectorioPrograma));
    EjecutarPrograma(LineaProgramaHermano(QStringLiteral("DORNAFEL.EXE"), ParametrosSesion()),
                     QStringLiteral("Normal"));
}

// ---------------------------------------------------------------- help

void TfRRHHMENU::AsignarTeclaAyuda() {
    const QKeySequence f1(Qt::Key_F1);
    if (MDIChildCount() == 0) {
        Ayudade->setShortcut(QKeySequence());
        Ayudade->setVisible(false);
        AyudadeMenu->setShortcut(f1);
    } else {
        AyudadeMenu->setShortcut(QKeySequence());
        Ayudade->setShortcut(f1);
        TForm* hijo = ActiveMDIChild();
        Ayudade->setCaption(TraducirCaption(QStringLiteral("A&yuda de")) + QLatin1Char(' ') +
                            (hijo ? hijo->Caption() : QString()));
        Ayudade->setVisible(true);
    }
}

void TfRRHHMENU::Ayuda1Click(QObject*) {
    AyudadeMenu->setCaption(TraducirCaption(QStringLiteral("&Ayuda de")) + QLatin1Char(' ') +
                            TituloPrograma);
    AcercadeMenu->setCaption(TraducirCaption(QStringLiteral("A&cerca de")) + QLatin1Char(' ') +
                             TituloPrograma);
    if (auto* nuevo = qobject_cast<TMenuItem*>(FindComponent(QStringLiteral("LoNuevoDeMenu"))))
        nuevo->setCaption(TraducirCaption(QStringLiteral("Lo &Nuevo de")) + QLatin1Char(' ') +
                          TituloPrograma);
    AsignarTeclaAyuda();
}

void TfRRHHMENU::FormKeyDown(QObject*, int& Key, int) {
    if (Key == VK_F1) AsignarTeclaAyuda();
}

void TfRRHHMENU::IndicedeAyudaClick(QObject*) {
    MostrarAyuda(fGENEINIC, 0);
}

void TfRRHHMENU::AyudadeMenuClick(QObject*) {
    MostrarAyuda(fGENEINIC, ContextoAyuda(TituloPrograma));
}

void TfRRHHMENU::AyudadeClick(QObject*) {
    TForm* hijo = ActiveMDIChild();
    int contexto = ContextoAyuda(hijo ? hijo->Caption() : TituloPrograma);
    // A window named by the user (a saved query, a custom report) has the
    // help of its kind.
    if (contexto == 0 && hijo) contexto = ContextoAyuda(hijo->Name());
    MostrarAyuda(fGENEINIC, contexto);
}

void TfRRHHMENU::LoNuevoDeMenuClick(QObject*) {
    ListaNovedades(fGENEINIC, QStringLiteral("Titulo=") + TituloPrograma);
}

void TfRRHHMENU::AcercadeMenuClick(QObject*) {
    auto* acerca = new TfGENEACER(this);
    acerca->setCaption(TraducirCaption(QStringLiteral("Acerca de")) + QLatin1Char(' ') +
                       TituloPrograma);
    acerca->Producto->setCaption(TituloPrograma);
    acerca->ShowModal();
    acerca->Free();
}
