#pragma once
// What the two capability matrices share: one sheet (a TStringGrid) with an
// employee per row and a job position or a machine per column, each cell the
// employee's capability ("Capacitacion") for it. The sheet is the only
// working copy: it is built from the matrix table whenever the grid gets the
// focus or the "Personal Activo"/"Personal Inactivo" choice changes, edited,
// filled by column or from the evaluations, and written back by "&Grabar".
//
// A rebuild reloads every pair that has a matrix row; a pair without one
// keeps the unsaved text it showed only when the same employee and code are
// shown again, so that a text is never saved for another employee.
//
// A form derives from TMatrizCapacitacion, gives its definition and reads
// its columns; the position matrix adds the import of evaluations.

#include <QHash>
#include <QString>
#include <QStringList>

#include "db/table.h"
#include "ui/form.h"

class TBitBtn;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TStatusBar;
class TStringGrid;
class TTable;

// The differences between the two matrices.
struct TDefinicionMatriz {
    QString Nombre;            // form name, "fRRHHCAPA"
    QString Titulo;            // caption
    QString TablaMatriz;       // "MATRCAPA"
    QString ComponenteMatriz;  // the matrix table's component name
    QString CampoCodigo;       // the column code's field, "CodigoPuesto"
    QString EtiquetaCodigo;    // in the save's status bar, " - Puesto:"
    QString ErrorGrabacion;    // "¡Imposible grabar la matriz de ...!. Motivo: "
    QString ProgramaListado;   // access option of the listing
    QString ClaseListado;      // "TfRRHHLCAP"
    QString NombreListado;     // "fRRHHLCAP"
    QString HintImprimir;
    bool ConPuestoActual = false;  // column 1 "PUESTO ACTUAL"
};

class TMatrizCapacitacion : public TForm {
    Q_OBJECT
public:
    TMatrizCapacitacion(QWidget* owner, const TDefinicionMatriz& Definicion);
    ~TMatrizCapacitacion() override;

    // ---- Components.
    TTable* Personal;  // PERSONAL
    TTable* Matriz;    // the matrix table
    TStringGrid* StringGrid1;
    TPopupMenu* PopupMenu1;
    TMenuItem* AsignarCapacitacinatodalacolumna1;
    TMenuItem* Inicializarlacolumna1;
    TMenuItem* Activos;    // "Personal Activo"
    TMenuItem* Inactivos;  // "Personal Inactivo"
    TPanel* PanelControl;
    TBitBtn* ImprimirConDialogo;
    TBitBtn* pbGrabar;
    TBitBtn* pbSalir;
    TStatusBar* StatusBar1;

    // The columns before the first data column (employee, current position).
    int ColumnasFijas() const { return definicion_.ConPuestoActual ? 2 : 1; }
    const TDefinicionMatriz& Definicion() const { return definicion_; }

    // ---- Handlers.
    void FormCreate(QObject* Sender);
    Q_INVOKABLE void StringGrid1Enter(QObject* Sender);
    Q_INVOKABLE void ActivosClick(QObject* Sender);
    Q_INVOKABLE void InactivosClick(QObject* Sender);
    Q_INVOKABLE void pbGrabarClick(QObject* Sender);
    Q_INVOKABLE void AsignarCapacitacinatodalacolumna1Click(QObject* Sender);
    Q_INVOKABLE void Inicializarlacolumna1Click(QObject* Sender);
    Q_INVOKABLE void ImprimirConDialogoClick(QObject* Sender);

    // Builds the sheet from the database (the grid's entry does it).
    void ConstruirMatriz();
    // Writes every cell shown; a cell that cannot be stored is warned about
    // and the others are still written. A row's cells are stored in one
    // transaction that first checks the row's employee is still the one
    // the sheet showed: another one is refused with his cells left as typed.
    void GrabarMatriz();

    // The employee code of a sheet row and the position or machine code of a
    // data column, as the build read them; a code may itself hold " - ", so
    // these and never the header texts say which pair a cell is.
    QString CodigoFila(int Fila) const { return codigosFila_.value(Fila); }
    QString CodigoColumna(int Columna) const { return codigosColumna_.value(Columna); }

protected:
    struct TColumnaMatriz {
        QString Codigo;
        QString Descripcion;
    };
    // The columns in their order.
    virtual QList<TColumnaMatriz> LeerColumnas() = 0;
    // A column code of the table, as it is stored (the machine codes are numbers).
    virtual QVariant ValorCodigo(const QString& Codigo) const { return Codigo; }
    // The key of an (employee, column code) pair in the sheet's lookups.
    static QString Par(const QString& Operario, const QString& Codigo);
    // The current data column after the question Inicio + (column - 1) +
    // ". ¿Está seguro de continuar?"; -1 when there is none or the answer is "NO".
    int ColumnaConfirmada(const QString& Inicio);
    // A tool button of the control panel, before "&Grabar".
    TBitBtn* NuevoBoton(const char* Nombre, const QString& Caption, const QString& Hint);

private:
    TDefinicionMatriz definicion_;
    QStringList codigosFila_;  // by grid row; row 0 has none
    // The employee of each grid row as the build read him (his PERSONAL
    // row): his cells are stored only while he is still the one shown.
    QList<TRowAsRead> leidosFila_;
    QStringList codigosColumna_;  // by grid column; fixed columns have none
    // The stored capability of each pair shown, as the last build read it
    // (empty for a pair without a row): a cell whose stored value differs
    // from it at saving time was saved meanwhile by another user.
    QHash<QString, QString> cargados_;
};
