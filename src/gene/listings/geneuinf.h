#pragma once
// The custom-report runner: one stored custom report (FILTRO row of kind
// "GeneradorInformes") run by a user. Its variables are asked in a panel,
// one label and edit per occurrence; "Listar" runs the SQL on the company
// database and hands the rows, with the report's stored options, to the
// programmable-listing report for preview or print.
//
// The opener sets InformeUsuarioAEjecutar (gene/geneform.h) to the report's
// name and creates "TfGENEUINF" (registered by RegistrarTfGENEUINF).

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "ui/form.h"

class TBitBtn;
class TCheckBox;
class TClientDataSet;
class TEdit;
class TLabel;
class TPanel;
class TQuery;
class TStatusBar;
class TfGENELPRO;
struct DefinicionInforme;

// What the stored design tells the listing report.
struct OpcionesListadoInforme {
    bool SepararPorPaginas = false;
    bool FormatoFicha = false;
    bool Apaisado = false;
    int NumeroColumnasFicha = 1;
    int NumeroLineasMemoFicha = 3;
    QString FormatoColumnas;
    QString Sumatorios;   // titles joined by ","; "Ninguna" for cards
    QString CamposGrupo;  // titles joined by "+"
};
OpcionesListadoInforme LeerOpcionesListado(const DefinicionInforme& Definicion);
// The name of the fetched field of a column entry: its title ("... AS
// 'Title'", the last such), or the field of "T.F".
QString TituloEntradaInforme(const QString& Entrada);

class TfGENEUINF : public TForm {
    Q_OBJECT
public:
    explicit TfGENEUINF(QWidget* owner = nullptr);
    ~TfGENEUINF() override;

    TPanel* PanelParametros;
    TLabel* LBPanelParametros;
    TPanel* PanelParametrosInterno;
    TPanel* PanelOtrasOpciones;
    TLabel* LBOtrasOpciones;
    TCheckBox* ListarSoloTotales;
    TPanel* PanelVisualizacionPrevia;
    TCheckBox* VisualizacionPrevia;
    TPanel* PanelControl;
    TBitBtn* pbListar;
    TBitBtn* pbSalir;
    TStatusBar* StatusBar1;
    TQuery* QryConsultasSQL;
    TClientDataSet* ClientDataSet1;

    QString SentenciaInforme;
    QString TextoInstrucciones;
    QStringList Variables;  // the lines of VariablesSQL, one per occurrence
    QList<TLabel*> EtiquetasParametros;
    QList<TEdit*> EditoresParametros;

    void PrepararPanelParametros();
    bool ValidarParametros();
    // "" when the rows are in ClientDataSet1, else the error text.
    QString EjecutarConsultaInforme();
    void pbListarClick();
    // Sets the listing report's inputs from the design and the fetched rows.
    void PrepararListado(TfGENELPRO* Informe);

protected:
    bool eventFilter(QObject* Objeto, QEvent* Evento) override;

private:
    void construir();
    void FormCreate();
    void centrarPanelInterno();
};

extern QPointer<TfGENEUINF> fGENEUINF;

// Registers the runner for opening by class name.
void RegistrarTfGENEUINF();
