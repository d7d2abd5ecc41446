#pragma once
// The chart window: a business chart described by two texts, one for the
// chart ("Titulo=...;Medidas=450x300;PanelControl=SI;StatusBar=SI;
// Leyenda=SI;Marcas=NO;ColorFondo=...") and one line per series ("Tipo=Barras;
// Titulo=...;Color=Rojo;IncluirEnLeyenda=SI;Valores=1:10,5:Enero:/2:7:Febrero:"),
// with a legend switch, a marks switch and printing. MostrarGrafico opens it.
//
// Drawn with Qt Charts, in 3-D unless "Vista3D=NO" (genegraf_vista3d.h); marks
// are point labels (the value; label and percent on pies).

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include "ui/form.h"

class QChartView;
class TPanel;
class TSpeedButton;

class TfGENEGRAF : public TForm {
    Q_OBJECT
public:
    explicit TfGENEGRAF(QWidget* owner = nullptr);
    ~TfGENEGRAF() override;

    TPanel* PanelControl;
    TSpeedButton* pbLeyenda;
    TSpeedButton* pbMarcas;
    TSpeedButton* pbImprimir;
    QChartView* Chart1;
    TPanel* PanelStatusBar;

    QString TextoGrafico;
    QString TextoSeries;

    // Builds the chart from the two texts (the window's show does it once).
    void ConstruirGrafico();
    void pbLeyendaClick();
    void pbMarcasClick();
    // With their marks on, the pies leave room for them in the plot area.
    void ajustarTartas();
    // Prints the chart on the printer chosen in PrintDialog1, inside 5 mm
    // margins; false when the dialog was cancelled or nothing was drawn.
    bool pbImprimirClick();

    // The colour of each point, per series created (in series order).
    QList<QList<QColor>> ColoresPuntos;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The window's size from "Medidas" (200 x 100 when unreadable).
    void AplicarMedidas();
    bool construido_ = false;
    int colorAutomatico_ = 0;
    QColor siguienteColor();
};

// Installs the window as the framework's chart (MostrarGrafico).
void InstalarGraficos();
