#pragma once
// The approximate search dialog, used instead of the standard one when the
// installation's BusquedaAproximadaActivada is "SI": the user types a
// fragment for any columns of the table, and the dialog finds the rows that
// contain every fragment (on SQL Server regardless of accents and of a set of
// Spanish spelling confusions). Its statement is built by plain functions
// below, so that it can be checked without the dialog.

#include <QList>
#include <QString>
#include <QStringList>

#include "db/dialect.h"
#include "db/fieldtypes.h"
#include "ui/form.h"

class TButton;
class TDataSource;
class TDBGrid;
class TQuery;
class TSplitter;
class TValueListEditor;

// SQL Server's pattern for a typed fragment: lower case, accents and the
// confusable letters folded (v/b, k/c, y/i, tx and tz/ch), then each letter
// widened to its class ("Vazquez" -> "[bv][aá]zq[uú][eé]z").
QString PatronAproximadoSQLServer(const QString& Valor);

// One typed criterion.
struct TCriterioAproximado {
    QString Campo;
    TFieldType Tipo = ftString;
    QString Valor;
};
// " WHERE (A LIKE '%x%') AND (B LIKE '%y%')" for the criteria with a value,
// then the caller's filter: " AND (filter)". "" when no value was typed.
QString CondicionBusquedaAproximada(const QList<TCriterioAproximado>& Criterios,
                                    const QString& Filtro, const SqlDialect& Dialecto);

class TfGENEBUSA : public TForm {
    Q_OBJECT
public:
    explicit TfGENEBUSA(QWidget* owner = nullptr);
    ~TfGENEBUSA() override;

    QString TablaBusqueda;
    // The caller's SQL condition: every row offered meets it.
    QString FiltroBusqueda;
    QStringList CamposBusqueda;

    TValueListEditor* ValueListEditor;
    TButton* pbBuscar;
    TSplitter* Splitter1;
    TDBGrid* DBGrid1;
    TDataSource* DataSource1;
    TQuery* Query1;
    TButton* pbConforme;
    TButton* pbCancelar;

    // Fills the criteria for TablaBusqueda (columns the user may see).
    void Preparar();
    // The value typed for a column ("" when none).
    QString Criterio(const QString& Campo) const;
    void setCriterio(const QString& Campo, const QString& Valor);
    void pbBuscarClick();
    // The chosen row's key, one value per line ("NULL" for an empty one);
    // "" when no search has shown a row.
    QString Resultado() const;
    QString UltimaSentencia() const { return ultimaSentencia_; }

    // Published for the common F2 handling, which calls it by name: nothing
    // to search here.
    Q_INVOKABLE void BuscarDatosDBEdit() {}

    void FormKeyDown(int& Key, int Shift);

private:
    QString ultimaSentencia_;
};

// Shows the dialog for one table. Resultado: the chosen row's key (see
// TfGENEBUSA::Resultado), "" when cancelled or nothing was chosen. Returns
// the modal result (mrOk when a row was chosen).
int BusquedaAproximada(const QString& NombreTabla, QString& Resultado,
                       const QString& Filtro = QString());
