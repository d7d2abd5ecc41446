#pragma once
// The saved-query runner: one saved query (FILTRO row of kind "SQL") run by a
// user who writes no SQL. Its variables are asked in a parameter panel (one
// edit per distinct variable, two per row), the rows are shown in a grid that
// can be edited and saved back to the statement's table when modification
// is on; action statements run and report the end of the process.

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

#include "ui/form.h"

class TClientDataSet;
class THerramientasRejilla;
class TDataSource;
class TDBGrid;
class TEdit;
class TLabel;
class TPanel;
class TQuery;
class TSpeedButton;
class TSplitter;
class TButton;
class TStatusBar;

class TfGENEUSQL : public TForm {
    Q_OBJECT
public:
    explicit TfGENEUSQL(QWidget* owner = nullptr);
    ~TfGENEUSQL() override;

    TPanel* PanelControl;
    TSpeedButton* pbModificar;
    TSpeedButton* pbImprimir;
    TSpeedButton* pbEjecutar;
    TSpeedButton* pbExportar;
    TSpeedButton* pbCambiarFont;
    TSpeedButton* pbImprimirApaisado;
    TSpeedButton* pbImportar;
    TSpeedButton* pbExportarExcel;
    TSpeedButton* pbGuardarCambios;
    TSpeedButton* pbSalir;
    TPanel* PanelParametros;
    TLabel* LBPanelParametros;
    TPanel* PanelParametrosInterno;
    TButton* pbAplicar;
    TSplitter* Separador;
    TPanel* PanelGrid;
    TDBGrid* DBGrid1;
    TStatusBar* StatusBar1;
    TQuery* QryConsultasSQL;
    TClientDataSet* ClientDataSet1;
    TDataSource* DataSource1;

    std::unique_ptr<THerramientasRejilla> Herramientas;

    QString SentenciaConsulta;
    QString TextoInstrucciones;
    QList<TLabel*> EtiquetasParametros;
    QList<TEdit*> EditoresParametros;
    bool PrimeraEjecucion = true;
    bool ConParametros = false;

    // Opens the saved query of that name (a menu caption): reads it, builds
    // the parameter panel or runs it at once.
    Q_INVOKABLE void AbrirConsultaSQL(const QString& Nombre);
    // The stored name of a translated menu caption ("" when none matches).
    QString TraducirNombreConsulta(const QString& Nombre) const;
    void PrepararPanelParametros();
    bool ValidarParametros();
    // "" or the error text of the run.
    QString EjecutarConsultaSQL();
    void pbModificarClick();
    // Writes the grid's changes to the statement's table; false (after the
    // engine's reason) when it refuses them, the changes kept.
    bool pbGuardarCambiosClick();

protected:
    bool eventFilter(QObject* Objeto, QEvent* Evento) override;

private:
    void construir();
    void centrarPanelInterno();
    // The first run fits the window to the result's columns; narrow columns
    // are spread over the grid on every run.
    void dimensionarConResultado();
    QStringList variables_;
    // Where the shown result writes back ("Guardar cambios"): its one table,
    // the table column of each result column and the key; no table when the
    // result is read-only.
    QString tablaDestino_;
    QStringList columnasDestino_;
    QStringList claveDestino_;
    QVector<bool> ocultosDestino_;  // fields hidden from the user: never written
};

extern QPointer<TfGENEUSQL> fGENEUSQL;

// Registers the runner for opening by class name (InstalarConsultasSQL calls it).
void InstalarEjecucionConsultasSQL();
