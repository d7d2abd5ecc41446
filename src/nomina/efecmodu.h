#pragma once
// The bills data module: bills, receipts and payments that this program
// shares with the accounting programs of the family. Nothing in this program
// keeps those tables, so the module opens only the tables the company
// database already holds and never creates one; without them its routines
// give their empty results.

#include <QObject>
#include <QString>
#include <QVariant>

class TDataSet;
class TTable;

class TMDEfectos : public QObject {
    Q_OBJECT
public:
    // Named "MDEfectos"; becomes the global MDEfectos when there is none.
    explicit TMDEfectos(QObject* parent = nullptr);
    ~TMDEfectos() override;

    // Display formats, then the parameters opened when the table exists.
    Q_INVOKABLE void ModuloDatosCreate();

    // Importe of a bill converted at its Cambio, rounded to the base
    // currency's decimals.
    double ImporteEfectoAlCambio(TDataSet* Efecto);
    // The abbreviation of the bill's currency (CodigoMoneda); "" when unknown.
    void AbreviaturaMonedaEfecto(TDataSet* Efecto, QString& Abreviatura);
    // Name, company name, address, postcode, town and province of the payer
    // of a receipt "a/b/c": from its account, then its issued bill, then its
    // invoice and the customer's payment address, a later source replacing
    // the earlier only when it has data. Six empty texts when nothing is found.
    void DireccionPagoDocumento(const QString& Documento, QVariant& Direccion);
    // A payment of 100 or more in order, not negative, while negative bills
    // are not managed.
    bool EsPagoDeFacturaEmitida(const QVariant& Clave1, const QVariant& Clave2,
                                const QVariant& Clave3);

    TTable* Parametros = nullptr;  // PARAEFEC
    TTable* Factura = nullptr;     // FACTURA
    TTable* FacturaC = nullptr;    // FACTURAC
    TTable* Moneda = nullptr;      // MONEDA
    TTable* Cobro = nullptr;       // COBRO
    TTable* Pago = nullptr;        // PAGO
};

extern TMDEfectos* MDEfectos;
