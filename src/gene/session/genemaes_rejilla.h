#pragma once
// The grid form of the maintenance-form template: the records as rows of
// DBGrid1, the key in its first column. The key is typed only into a new
// row (an existing key is never edited) and checked when the user leaves a
// column: an empty key drops the row, a numeric key must be 1..9999 (small
// integer) or 1..99999999 (integer), and a key that exists either moves the
// grid to that record or is refused with the row kept for correction.
// However a row is posted (the confirm, a move in the grid, the close
// question answered "No"), a new one without its key is dropped and a key out
// of its range refused in the same way.
//
// One class serves the masters of the human-resources tables and the small
// payroll-side masters; UsarMarcoNomina selects the latter's differences
// (refresh "Apertura/Cierre" and pbRefrescar off while editing, its own
// edit-failure text, a failed new row cancelled and the next one started).

#include <QString>

#include "gene/session/genemaes.h"

class TColumn;
class TDBGrid;
class TField;

class TMaestroRejilla : public TFormularioMaestro {
    Q_OBJECT
public:
    TMaestroRejilla(QWidget* owner, const QString& Nombre, const QString& Titulo,
                    const QString& NombreTabla);

    TDBGrid* DBGrid1;

    // ---- Configuration.
    // The key field shown in the first column ("Codigo").
    QString NombreCampoClave = QStringLiteral("Codigo");
    // What a key that exists does when typed into a new row.
    enum TClaveExistente {
        ceIrAlRegistro,  // warns, drops the new row and shows the existing record
        ceRechazar       // warns and keeps the row in insertion
    };
    TClaveExistente ClaveExistente = ceIrAlRegistro;
    // The small payroll-side masters' differences (see above).
    void UsarMarcoNomina();

    // ---- State.
    // The key field of Table1 (set at creation).
    TField* CampoClave = nullptr;

    // A column of DBGrid1 on the field, with its title and width (0: the
    // field's own width). Columns are declared in the constructor.
    TColumn* AgregarColumna(const QString& Campo, const QString& Titulo, int Ancho = 0);

    // ---- Handlers.
    void FormCreate(QObject* Sender) override;
    void DataSource1StateChange(QObject* Sender) override;
    // Leaving a column: raises a silent abort when the column must not change.
    Q_INVOKABLE virtual void DBGrid1ColExit(QObject* Sender);
    virtual void DBGrid1KeyDown(QObject* Sender, int& Key, int Shift);
    virtual void DBGrid1KeyPress(QObject* Sender, QChar& Key);
    Q_INVOKABLE virtual void DBGrid1DblClick(QObject* Sender);
    virtual void Table1BeforeEdit(TDataSet* DataSet);
    void Table1AfterPost(TDataSet* DataSet) override;
    virtual void CampoClaveChange(TField* Sender);

    void IniciarAlta() override;

    // The member's own checks on leaving a column (pick lists, schedules...),
    // run after the key's range; false abandons the column change.
    virtual bool ValidarColumna();
    // The key string of the new row whose key the user typed (for
    // ceRechazar): the key text by default.
    virtual QString ClaveNueva(const QString& TextoClave);
    // The pick list of the selected column holds its field's text (the
    // warning names the value and the column); true while not editing, with
    // an empty key or when the user is cancelling.
    bool ValidarListasRejilla();
    // Focus to the grid with its first column selected.
    void EnfocarPrimeraColumna();

private:
    // A numeric key out of its range: warned, true.
    bool ClaveFueraDeRango(const QString& Texto);
    // Before any check of the member's on a post: false when a new row
    // without its key was dropped; raises a silent abort when its key is
    // out of range.
    bool ClaveNuevaAdmitida();
};
