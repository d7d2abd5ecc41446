#pragma once
// The SQL workbench: the user writes a statement (helped by lists of SQL
// words, tables, fields and operators), runs it on the company database (or
// another one he names), browses or, with modification on, edits the rows,
// and keeps statements by name as saved queries (FILTRO rows of kind "SQL",
// their settings in Instrucciones: UsuariosAutorizados,
// AplicacionesContenedoras, Font).
//
// The statement runs as typed; only a text holding one statement runs.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "ui/form.h"

class TComboBox;
class TDataSource;
class TDBGrid;
class TListBox;
class TMemo;
class TPanel;
class TQuery;
class TSpeedButton;
class TTable;
class THerramientasRejilla;

class TfGENECSQL : public TForm {
    Q_OBJECT
public:
    explicit TfGENECSQL(QWidget* owner = nullptr);
    ~TfGENECSQL() override;

    TPanel* PanelControl;
    TSpeedButton* pbModificar;
    TSpeedButton* pbImprimir;
    TSpeedButton* pbEjecutar;
    TSpeedButton* pbExportar;
    TSpeedButton* pbGuardarFiltro;
    TSpeedButton* pbGuardarFiltroComo;
    TSpeedButton* pbEliminarFiltro;
    TSpeedButton* pbCambioDatabase;
    TSpeedButton* pbCambiarFont;
    TSpeedButton* pbImprimirApaisado;
    TSpeedButton* pbRefrescar;
    TSpeedButton* pbImportar;
    TSpeedButton* pbZoom;
    TSpeedButton* pbGrafico;
    TSpeedButton* pbExportarExcel;
    TSpeedButton* pbRestringirAUsuarios;
    TSpeedButton* pbPersonalizarMenu;
    TSpeedButton* pbCopiarConfiguracion;
    TSpeedButton* pbCopiarAOtrasEmpresas;
    TSpeedButton* pbSalir;
    TPanel* PanelSentenciaSQL;
    TMemo* SentenciaSQL;
    TPanel* PanelDescripcionFiltro;
    TComboBox* EditDescripcionFiltro;
    TPanel* PanelGrid;
    TDBGrid* DBGrid1;
    TPanel* PanelInserciones;
    TListBox* LBComandosSQL;
    TListBox* LBOperacion;
    TListBox* LBTablas;
    TListBox* LBCampos;

    TTable* Filtro;
    TDataSource* DSFiltro;
    TQuery* QryConsultasSQL;
    TDataSource* DataSource1;
    TTable* Table1;

    // Filters, search, print, exports and chart of the result.
    std::unique_ptr<THerramientasRejilla> Herramientas;
    void DBGrid1TitleClick(const QString& Campo);
    void CancelarOrdenadoPor1Click();

    // The settings of the current saved query until it is saved.
    QStringList InstruccionesConsulta;
    // The database runs use (its selector name).
    QString BaseDatosConsulta;

    // Running.
    void pbEjecutarClick();
    void EjecutarSentenciaSQL();
    void pbModificarClick();
    // Storage.
    void CargarSentencia();
    void EditDescripcionFiltroClick();
    void pbGuardarFiltroClick();
    void pbGuardarFiltroComoClick();
    void pbEliminarFiltroClick();
    // Settings of the query.
    void pbRestringirAUsuariosClick();
    void pbPersonalizarMenuClick();
    void pbCopiarConfiguracionClick();
    void pbCopiarAOtrasEmpresasClick();
    void pbCambioDatabaseClick();
    // The insertion lists.
    void CargarTablas(const QString& BaseDatos);
    void CargaLBCampos();
    void MostrarInserciones(TListBox* Lista);
    void InsertarTabla();
    void InsertarCampo();
    void InsertarOperacion();
    void InsertarComando();

    // The names of the saved queries the user sees, in name order.
    QStringList NombresConsultas() const;

protected:
    bool eventFilter(QObject* Objeto, QEvent* Evento) override;

private:
    void construir();
    void formCreate();
    void recargarNombres(const QString& Actual);
    bool irAConsulta(const QString& Nombre);
    void asignarInstrucciones(const QString& Clave, const QString& Valor);
    void avisarCambios(bool PreguntarGuardar);
    QString ultimaLinea() const;
    void cambiarUltimaLinea(const QString& Linea);
    void prepararColumnas();
    QPoint inicioArrastre_;
    QPoint inicioPanel_;
    bool arrastrando_ = false;
};

extern QPointer<TfGENECSQL> fGENECSQL;

// The columns of a result as the query windows show them: hidden fields,
// abbreviated titles, memo buttons, amount and date formats.
void PrepararColumnasConsulta(TForm* Formulario, TDBGrid* Rejilla);

// How the engine of BaseDatos reads a user's statement, its variables
// written in: a query (true), an action (false), or nothing when it cannot
// read the text.
std::optional<bool> LecturaSentenciaUsuario(const QString& Sentencia,
                                            const QString& BaseDatos = QStringLiteral("Database"));
// The statement is a query, as the engine of BaseDatos reads it (it returns
// rows and writes nothing: TDatabase::IsUserQuery); a text the engine cannot
// read (its variables not written in) when it starts with "SELECT".
bool EsSentenciaSelect(const QString& Sentencia,
                       const QString& BaseDatos = QStringLiteral("Database"));
// Registers the saved-query windows for opening by class name (the menu
// rows name them); the program calls it at start.
void InstalarConsultasSQL();
