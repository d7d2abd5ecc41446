#pragma once
// The main window of the program: the MDI frame titled "Recursos Humanos"
// with the main menu, the company-logo panel, the currency panel and the
// distributor's link. On its first show it logs the user in and opens the
// first company of the user; every menu entry that opens a window goes
// through AbrirOpcionMenu (access level, then the window by its registered
// class and form name). An entry whose window class is not registered yet
// opens nothing.

#include <QList>
#include <QString>

#include "ui/form.h"

class QCloseEvent;
class QObject;
class TImage;
class TLabel;
class TMainMenu;
class TMenuItem;
class TPanel;
class TTable;

// One row of the menu dispatch table: the entry's parent item, caption and
// item name, and the window it opens (registered class and form name).
struct TOpcionMenuPrincipal {
    const char* Menu;
    const char* Caption;
    const char* Item;
    const char* Clase;
    const char* Formulario;
};
const QList<TOpcionMenuPrincipal>& OpcionesMenuPrincipal();

// The payroll, bills and accounting data modules, created with a company by
// their own units; unset, nothing is created.
using TCrearModulosNomina = void (*)();
extern TCrearModulosNomina GanchoCrearModulosNomina;

// What the program installs before its main window: the application's name
// and font, Qt's own Spanish texts, the exception handler, the framework's
// hooks and the generic windows opened by class name. main() calls it.
void InstalarServiciosPrograma();

class TfRRHHMENU : public TForm {
    Q_OBJECT
public:
    explicit TfRRHHMENU(QWidget* owner = nullptr);
    ~TfRRHHMENU() override;

    // The caption as designed ("Recursos Humanos"); captions and help keys
    // are built from it.
    QString TituloPrograma;
    // The next activation opens the user's automatic programs.
    bool PrimeraActivacion = true;

    // Components.
    TTable* Empresa;
    TImage* Image1;
    TPanel* PanelLogotipo;
    TImage* ImagenLogotipo;
    TPanel* PanelMoneda;
    TLabel* IrAPaginaWeb;
    TMainMenu* MainMenu1;
    TMenuItem* BaseDatos1;
    TMenuItem* ConsultasSQL1;
    TMenuItem* CambioEmpresa1;
    TMenuItem* Salir1;
    TMenuItem* VerDatosenMonedaNacionalOEuro;
    TMenuItem* Tablas1;
    TMenuItem* Parametros1;
    TMenuItem* Procesos1;
    TMenuItem* Informes1;
    TMenuItem* Utilidades1;
    TMenuItem* Adicional1;
    TMenuItem* AplicacionesEspeciales1;
    TMenuItem* Ventana1;
    TMenuItem* OrganizarIconos1;
    TMenuItem* Ayuda1;
    TMenuItem* IndicedeAyuda;
    TMenuItem* AyudadeMenu;
    TMenuItem* Ayudade;
    TMenuItem* LoNuevoDeMenu;
    TMenuItem* AcercadeMenu;

    // Event handlers.
    Q_INVOKABLE void FormCreate(QObject* Sender);
    Q_INVOKABLE void FormShow(QObject* Sender);
    Q_INVOKABLE void FormActivate(QObject* Sender);
    void FormClose(QObject* Sender, TCloseAction& Action);
    void FormKeyDown(QObject* Sender, int& Key, int Shift);
    Q_INVOKABLE void SalirAplicacion(QObject* Sender);
    Q_INVOKABLE void CambioEmpresa1Click(QObject* Sender);
    Q_INVOKABLE void Ayuda1Click(QObject* Sender);
    Q_INVOKABLE void IndicedeAyudaClick(QObject* Sender);
    Q_INVOKABLE void AyudadeMenuClick(QObject* Sender);
    Q_INVOKABLE void AyudadeClick(QObject* Sender);
    Q_INVOKABLE void AcercadeMenuClick(QObject* Sender);
    Q_INVOKABLE void LoNuevoDeMenuClick(QObject* Sender);
    Q_INVOKABLE void ImagenLogotipoClick(QObject* Sender);
    Q_INVOKABLE void OrganizarIconos1Click(QObject* Sender);
    Q_INVOKABLE void AplicacionesEspeciales1Click(QObject* Sender);
    Q_INVOKABLE void IrAPaginaWebClick(QObject* Sender);
    Q_INVOKABLE void VerDatosenMonedaNacionalOEuroClick(QObject* Sender);

    // The data modules of the session (and of the company when one is chosen).
    void CrearModulosDatos();
    // What SeleccionarEmpresa did. SinAcceso: the user may not open the
    // company or it is not in EMPRESA; Rechazada: a window refused to close
    // (busy, or its pending edits kept); Fallida: its database could not be
    // opened (ErrorEmpresa says why). In none of these is anything of the
    // current company closed.
    enum class TSeleccionEmpresa { Abierta, SinAcceso, Rechazada, Fallida };
    // Makes CodigoEmpresaActual the working company. Afterwards it is 0 when
    // the user may not open it, and the company still open (0 at the start)
    // when it was refused or failed.
    TSeleccionEmpresa SeleccionarEmpresa();
    QString ErrorEmpresa;
    // The search window on EMPRESA; the chosen code into CodigoEmpresaActual.
    void PedirEmpresa();
    // Access level of the item's option key, then the window.
    void AbrirOpcionMenu(const QString& Clase, TForm* Instancia, TMenuItem* Item,
                         const QString& NombreFormulario);
    // The active child is repainted; the F1 key follows it.
    void RefrescarHijoActivo();
    // The items of the "Ventana" menu that list the open windows.
    void ActualizarListaVentanas();
    // The saved queries and reports of the company open, listed again in
    // "Adicional" and "Informes" (after one was saved or deleted).
    Q_INVOKABLE void ActualizarMenusConsultas();

protected:
    // The window's close button: refused while a window is busy.
    void closeEvent(QCloseEvent* event) override;

private:
    TMenuItem* NuevoItem(TMenuItem* padre, const QString& nombre, const QString& caption);
    void ConstruirMenu();
    void AsignarTeclaAyuda();
    void MostrarLogotipo();
    // The company open before a change that failed, connected again.
    void RecuperarEmpresa();
    int empresaAbierta_ = 0;  // the company whose database is connected
    bool iniciado_ = false;   // FormShow has started
    bool mostrado_ = false;   // FormShow has run to its end
};

extern TfRRHHMENU* fRRHHMENU;
