#pragma once
// The standard search dialog: the user picks a search entry (a key or one
// column), types the value(s), chooses how to match, sees the matching rows
// and accepts one; the dialog hands back the row's primary-key values, one
// per line. Shown only through the search entry routines (genebusc.h).
//
// The SQL of a search and the per-user preferences are plain functions
// below, so that they can be checked without the dialog.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include "db/dialect.h"
#include "db/fieldtypes.h"
#include "ui/form.h"

class TCheckBox;
class TClientDataSet;
class TComboBox;
class TDataSource;
class TDBGrid;
class TEdit;
class TLabel;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TQuery;
class TRadioButton;
class TSpeedButton;
class TStatusBar;
class TButton;
class TDBNavigator;

// How typed values match: "=" / ">=" on the last field, a prefix, or a
// fragment anywhere.
enum TModoBusqueda { mbAproximada, mbFonetica, mbParcial };

// One field of a search entry, with the type that decides how it is compared.
struct TCampoBusqueda {
    QString Nombre;
    TFieldType Tipo = ftString;
};

// The WHERE conditions for the typed text: "," counts as ";", the i-th piece
// pairs with the i-th field and pairing stops at the first empty piece or
// missing field. Approximate: "(F = v) AND ... (Last >= v)", dates (and times
// of "Hora" fields) as the engine writes them, a piece that is no number
// for a numeric field "(1 = 0)" (it matches nothing); partial "(F LIKE 'v%')";
// phonetic "(F LIKE '%v%')". Each value goes through the one quoting routine;
// LIKE on a column that is not text casts where the engine needs it. "" when
// nothing pairs.
QString CondicionesBusqueda(const QList<TCampoBusqueda>& Campos, const QString& Dato,
                            TModoBusqueda Modo, const SqlDialect& Dialecto);

// Everything a search statement is made of.
struct TPeticionBusqueda {
    QString Tabla;
    QString Columnas;     // "," separated, or "*"
    QString Condiciones;  // CondicionesBusqueda
    QString Filtro;       // the caller's condition
    QString Orden;        // the entry's fields ";" separated; "" = unordered
    QString Maximo;       // "1" .. "1000", "Ilimitado"
};
// "SELECT [TOP n] cols FROM T[ WITH(NOLOCK)] [WHERE ...] [ORDER BY ...]".
// TOP and the lock hint only on SQL Server; a maximum of 0 or one that is not
// a number gives TOP 1.
QString SentenciaBusqueda(const TPeticionBusqueda& Peticion, const SqlDialect& Dialecto);

// Saved preferences: DatosBusqueda items "TABLA:Entrada(A|P|F)(O)(M)" joined
// by ",".
struct TPreferenciaBusqueda {
    QString Entrada;
    int Modo = -1;  // a TModoBusqueda, -1 when no mode flag was saved
    bool Ordenados = false;
    bool Memos = false;
};
// The table's item of DatosBusqueda, its flags taken out.
TPreferenciaBusqueda LeerPreferenciaBusqueda(const QString& DatosBusqueda, const QString& Tabla);
// "Entrada(A)(O)(M)" for what the user chose.
QString TextoPreferenciaBusqueda(const QString& Entrada, TModoBusqueda Modo, bool Ordenados,
                                 bool Memos);
// DatosBusqueda with the table's item set to Valor (added when missing).
QString ActualizarDatosBusqueda(const QString& DatosBusqueda, const QString& Tabla,
                                const QString& Valor);

class TfGENEBUSQ : public TForm {
    Q_OBJECT
public:
    explicit TfGENEBUSQ(QWidget* owner = nullptr);
    ~TfGENEBUSQ() override;

    // Set by the caller.
    QString TablaBusqueda;
    QString FiltroBusqueda;
    QString CamposVisibles;  // "" = chosen at the first search of this opening
    int IndiceBusqueda = 0;
    // The result: the chosen row's key values, one per line.
    QString ClaveSeleccionada;
    QString FiltroValores;  // the value filters of the grid, joined by " AND "
    bool Cargando = false;

    TEdit* DatoABuscar;
    TSpeedButton* pbPersonalizarBusqueda;
    TStatusBar* StatusBar1;
    TPanel* PanelPersonalizarBusqueda;
    TComboBox* ListaCamposBusqueda;
    TComboBox* NumeroMaximoRegistros;
    TCheckBox* ResultadosOrdenados;
    TCheckBox* MostrarCamposMemo;
    TRadioButton* BusquedaAproximada;
    TRadioButton* BusquedaFonetica;
    TRadioButton* BusquedaParcial;
    TDBGrid* DBGrid1;
    TPopupMenu* PopupMenu1;
    TMenuItem* LetraPequena;
    TMenuItem* FiltrarRegistrosporValorIguala;
    TMenuItem* FiltrarRegistrosporValorDesde;
    TMenuItem* FiltrarRegistrosporValorHasta;
    TMenuItem* FiltrarRegistrosporValoresDesdeHasta1;
    TMenuItem* CancelarFiltros1;
    TMenuItem* ListadoProgramable1;
    TQuery* Query1;
    TClientDataSet* ClientDataSet1;
    TDataSource* DataSource1;
    TDBNavigator* DBNavigator1;
    TButton* pbConforme;
    TButton* pbCancelar;

    TModoBusqueda Modo() const;
    void setModo(TModoBusqueda Modo);
    // The statement of the last search ("" before any).
    QString UltimaSentencia() const { return ultimaSentencia_; }

    void FormShow();
    void FormClose();
    void FormKeyDown(int& Key, int Shift);
    // Silencioso: the automatic search at show reports no empty result.
    void pbBuscarClick(bool Silencioso = false);
    void pbConformeClick();
    void pbPersonalizarBusquedaClick();
    void ModoBusquedaClick(QObject* Sender);
    void ResultadosOrdenadosClick();
    void MostrarCamposMemoClick();
    void DatoABuscarKeyPress(QChar& Key);
    void DBGrid1KeyDown(int& Key, int Shift);
    void LetraPequenaClick();
    // Operador "=", ">=" or "<="; the prompt asks the value.
    void FiltrarRegistrosporValorClick(const QString& Operador);
    void FiltrarRegistrosporValoresDesdeHasta1Click();
    void CancelarFiltros1Click();
    void ListadoProgramable1Click();
    // Status bar text for the current entry and mode.
    void RefrescarBarraEstado();

private:
    QString textoEntrada() const;
    QList<TCampoBusqueda> camposEntrada() const;
    void prepararColumnas();
    void guardarPreferencias();
    bool aplicarFiltroValor(const QString& Operador, const QString& Respuesta);
    QString ultimaSentencia_;
    TLabel* labelDato_ = nullptr;
};

// The result fields of a search as its grid shows them: abbreviated titles,
// amount formats, dates and times of day as the framework writes them, memo
// texts on one line.
class TDataSet;
void FormatearCamposBusqueda(TDataSet* DataSet);

// What the search, filter and copy dialogs share.
class TModuloDatos;
namespace dialogos {
// The data module while it is ready, else nullptr.
TModuloDatos* Modulo();
// Texto in the session language, its "$" names replaced from Variables.
QString Traducido(const QString& Texto, const QString& Variables = QString());
// A button of the dialog; a cancel button (mrCancel) also answers Esc.
TButton* Boton(TForm* Dialogo, const QString& Nombre, const QString& Titulo, int Resultado,
               const QString& Hint = QString());
}  // namespace dialogos

// The last position and size of a generic dialog, kept for the session:
// restored when the next one of the same class is created.
void RestaurarGeometriaDialogo(TForm* Dialogo);
void GuardarGeometriaDialogo(TForm* Dialogo);
