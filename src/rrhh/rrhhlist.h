#pragma once
// What every listing dialog shares: the employee range, the analysis-group
// ranges, the options panel, "Visualización Previa", "&Listar" and "&Salir";
// the run of a listing (validation, the report form created, handed the
// selection, previewed or printed, freed) and the busy flag that refuses a
// second run and the closing of the dialog while a listing runs.
//
// A listing derives from TDialogoListado, adds its controls to Panel2 and
// Panel3 and gives its validation and its report form.

#include <QString>

#include "ui/form.h"

class QDateTime;
class QGridLayout;
class QVBoxLayout;
class TBitBtn;
class TCheckBox;
class TEdit;
class TInformeListado;
class TLabel;
class TPanel;
class TRadioButton;
class TSpeedButton;
class TStatusBar;
struct TSeleccionOperarios;

class TDialogoListado : public TForm {
    Q_OBJECT
public:
    TDialogoListado(QWidget* owner, const QString& nombre, const QString& titulo);

    TPanel* Panel2;
    TEdit* DesdeOperario;
    TEdit* HastaOperario;
    TSpeedButton* pbRangoGruposAnalisis;
    TPanel* Panel3;
    TPanel* P4;
    TCheckBox* VisualizacionPrevia;
    TPanel* PanelControl;
    TBitBtn* pbListar;
    TBitBtn* pbSalir;
    TStatusBar* StatusBar1;

    bool ListadoEnCurso = false;
    QString RangosGruposAnalisis;
    // The profile whose analysis-group ranges the dialog offers.
    QString EntidadGrupos = QStringLiteral("Personal");

    void FormCreate();
    void FormKeyDown(int& Key, int Shift);
    // Enter moves to the next control.
    void FormKeyPress(QChar& Key);
    void FormClose(TCloseAction& Action);
    void pbRangoGruposAnalisisClick();
    void pbListarClick();
    void pbSalirClick() { Close(); }

protected:
    // The listing's checks, in its order; false after the first warning.
    virtual bool Validar() = 0;
    // The report form, prepared and holding the selection.
    virtual TInformeListado* CrearInforme() = 0;
    // The listing's own defaults at creation.
    virtual void ValoresIniciales() {}
    // A listing that prints in several runs (each its own report form and
    // preview, one after the other): how many; 0 runs nothing (the listing
    // has told the user why). Called once per "&Listar", after validation.
    virtual int Ejecuciones() { return 1; }
    // The report form of run Ejecucion (from 0).
    virtual TInformeListado* CrearInformeEjecucion(int Ejecucion) { return CrearInforme(); }
    // The listing itself, run with the dialog busy: by default each run's
    // report form previewed or printed and freed. A dialog that hands its
    // rows to the document print engine instead gives its own run.
    virtual void Listar();

    // A row of Panel2: a label and one or two edits.
    // An edit of Panel2 with its default text, into which at most longitud
    // characters can be typed; a longer default is kept whole.
    TEdit* NuevoEdit(const QString& nombre, const QString& texto, int longitud);
    void FilaSeleccion(const QString& etiqueta, QWidget* desde, QWidget* hasta = nullptr);
    // An option of Panel3 in its group box (created on first use).
    TCheckBox* Opcion(const QString& grupo, const QString& nombre, const QString& caption);
    QWidget* GrupoOpciones(const QString& grupo);
    // A radio button of an order group of Panel3.
    TRadioButton* OpcionOrden(const QString& grupo, const QString& nombre, const QString& caption);
    // The rows many listings share: the job-position code range (default ""
    // to "zzzzzzzzzzzzz", longer than the 8 characters that can be typed),
    // a date range, and the "Activos" / "No Activos" options, both ticked.
    void FilaPuestos(TEdit*& Desde, TEdit*& Hasta);
    void FilaFechas(const QString& etiqueta, TEdit*& Desde, TEdit*& Hasta);
    void OpcionesActivos(TCheckBox*& Activos, TCheckBox*& NoActivos);
    // "1/1/" and "31/12/" followed by the current year's last two digits
    // (all four with CuatroCifras).
    static void FechasAnoActual(TEdit* Desde, TEdit* Hasta, bool CuatroCifras = false);
    // The employee range as integers, then the dates, with the listings' labels.
    bool ValidarOperarios();
    static bool ValidarFechas(TEdit* Desde, TEdit* Hasta);
    // The report form's selection: the employee range and the analysis-group
    // ranges of the dialog, and the options Activos and NoActivos.
    void DarSeleccion(TSeleccionOperarios& Seleccion, const TCheckBox* Activos,
                      const TCheckBox* NoActivos) const;
    // A date edit's day at 0:00, as the report forms take their date ranges.
    static QDateTime FechaEdit(const TEdit* Edit);

private:
    QGridLayout* rejilla_;
    QVBoxLayout* opciones_;
    int fila_ = 0;
};
