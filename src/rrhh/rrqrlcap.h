#pragma once
// The report of the capability-for-job-positions listing: one line per
// employee with his current job position and his capability (MATRCAPA) for
// up to 15 job positions of the run, on A4 landscape. The dialog prints one
// run per 15 positions of the range. The capability-for-machines listing
// (TfRRQRLMAQ) is built on the same report.

#include <QStringList>

#include "rrhh/rrqrlist.h"

class TTable;

class TfRRQRLCAP : public TInformeListado {
    Q_OBJECT
public:
    explicit TfRRQRLCAP(TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    TTable* Personal;
    // MatrizCapacitacion (MATRCAPA), or MatrizMaquina (MATRMAQU) for machines.
    TTable* TablaMatriz;
    TQRBand* Detail;
    TQRLabel* ET[15];

    int DesdeOperario = 0, HastaOperario = 9999;
    QString DesdePuesto, HastaPuesto = QStringLiteral("zzzzzzzzzzzzz");
    QString RangosGruposAnalisis;
    bool Activos = true, NoActivos = true;

    static QString DefinicionTemporal();

    // The job-position codes from Desde to Hasta (compared as text, by the
    // engine's byte order), ascending.
    static QStringList PuestosRango(const QString& Desde, const QString& Hasta);

protected:
    // The machines listing's frame: its name, title and temporary table, and
    // its matrix table (component and table name).
    TfRRQRLCAP(const QString& nombre, const QString& Definicion, const QString& ComponenteMatriz,
               const QString& NombreMatriz, TForm* Dialogo, QWidget* owner);

    QString TituloListado() const override;
    TDataSet* TablaControl() const override;
    void RellenarTemporal() override;

    // The run's column codes (at most 15 are used) and their captions.
    virtual QStringList Columnas();
    virtual QString Caption(const QString& Codigo) const { return Codigo; }
    // The matrix of one employee: his (column code, capability) rows.
    virtual QList<QPair<QString, int>> Matriz(int CodigoOperario);
    // The key of Temporal's row of an employee (none: the code is the key).
    virtual QString Clave(const QString& Nombre, int CodigoOperario) const { return QString(); }
    // Column codes compared without regard to case.
    virtual bool MismoCodigo(const QString& a, const QString& b) const;
};

class TfRRQRLMAQ : public TfRRQRLCAP {
    Q_OBJECT
public:
    explicit TfRRQRLMAQ(TForm* Dialogo = nullptr, QWidget* owner = nullptr);

    int DesdeMaquina = 0, HastaMaquina = 9999;
    bool ListarCodigo = true, ListarDescripcion = false;

    static QString DefinicionTemporal();
    // The printing key: the name, a separator below every printable
    // character and the code, so that two employees of one name are both
    // listed, by name and then code.
    static QString ClaveClasificacion(const QString& Nombre, int CodigoOperario);

protected:
    QString TituloListado() const override;
    QStringList Columnas() override;
    QString Caption(const QString& Codigo) const override;
    QList<QPair<QString, int>> Matriz(int CodigoOperario) override;
    QString Clave(const QString& Nombre, int CodigoOperario) const override;
    bool MismoCodigo(const QString& a, const QString& b) const override { return a == b; }
};
