#pragma once
// The accounting data module shared with the accounting programs of the
// family. Like the bills module, it opens only the tables the company
// database already holds and is created quietly without them.

#include <QObject>
#include <QString>

class TDataSet;
class TDataSource;
class TTable;

class TMDContabilidad : public QObject {
    Q_OBJECT
public:
    // Named "MDContabilidad"; becomes the global MDContabilidad when there is none.
    explicit TMDContabilidad(QObject* parent = nullptr);
    ~TMDContabilidad() override;

    // Display formats; parameters, accounts and lookups opened in order (the
    // first that is missing ends the step); the lookups of accounts on the
    // index "Clave2"; the type names of the destination tables' first columns.
    Q_INVOKABLE void ModuloDatosCreate();
    // Posting accounts: codes of at least DigitosCuentas characters.
    void LUSoloCuentaFilterRecord(TDataSet* DataSet, bool& Accept);
    // Account groups: codes shorter than DigitosCuentas.
    void LUGrupoFilterRecord(TDataSet* DataSet, bool& Accept);
    bool EsCuentaDeGrupo(const QString& Codigo);

    TTable* Saldo = nullptr;                // SALDO
    TTable* Cuenta = nullptr;               // CUENTA
    TTable* Parametros = nullptr;           // PARACONT
    TTable* Presupuesto = nullptr;          // PRESPUES
    TTable* Apunte = nullptr;               // APUNTE
    TTable* Asiento = nullptr;              // ASIENTO
    TTable* Analitica = nullptr;            // ANALITIC
    TTable* Mascara = nullptr;              // MASCARA
    TTable* LMascara = nullptr;             // LMASCARA
    TTable* Concepto = nullptr;             // CONCEPTO
    TTable* HBien = nullptr;                // HISTBIEN
    TTable* CuentaConsolidacion = nullptr;  // no fixed table
    TTable* Emitida = nullptr;              // EMITIDA
    TTable* Recibida = nullptr;             // RECIBIDA
    TTable* Cobro = nullptr;                // COBRO
    TTable* Pago = nullptr;                 // PAGO
    TTable* FPago = nullptr;                // FPAGO
    TTable* PresupuestoCC = nullptr;        // PRESCOST
    TTable* LUCuenta = nullptr;             // CUENTA
    TTable* LUDiario = nullptr;             // DIARIO
    TTable* LUConcepto = nullptr;           // CONCEPTO
    TTable* LUMascara = nullptr;            // MASCARA
    TTable* LUSoloCuenta = nullptr;         // CUENTA, posting accounts
    TTable* LUGrupo = nullptr;              // CUENTA, groups
    TDataSource* DSLUCuenta = nullptr;
    TDataSource* DSLUDiario = nullptr;
    TDataSource* DSLUConcepto = nullptr;
    TDataSource* DSLUMascara = nullptr;
    TDataSource* DSLUSoloCuenta = nullptr;
    TDataSource* DSLUGrupo = nullptr;

    // Type names of the first column of PARACONT's NombreTablaDestino and
    // NombreTablaDestino2 in the dictionary ("ftString" by default).
    QString TipoCampoTablaDestino = QStringLiteral("ftString");
    QString TipoCampoTablaDestino2 = QStringLiteral("ftString");
};

extern TMDContabilidad* MDContabilidad;
