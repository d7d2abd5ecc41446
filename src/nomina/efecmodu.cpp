// The bills data module.

#include "nomina/efecmodu.h"

#include "nomina/modulos_p.h"

#include "db/dberror.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genemone.h"
#include "gene/data/genetext.h"

TMDEfectos* MDEfectos = nullptr;

namespace {

// The texts of a record found by key, or an empty list.
QStringList datosClave(const QString& Tabla, const QString& Clave, const QString& Campos) {
    QVariant datos;
    BuscarDatosClave(ModuloDatos, Tabla, Clave, datos, Campos);
    QStringList textos;
    if (datos.isNull() || !datos.isValid()) return textos;
    for (const QVariant& v : datos.toList()) textos << v.toString();
    return textos;
}

bool conDatos(const QStringList& l) {
    for (const QString& t : l)
        if (!t.isEmpty()) return true;
    return false;
}

}  // namespace

bool AbrirTablaExistente(TTable* Tabla) {
    if (Tabla->Active()) return true;
    try {
        if (Tabla->DatabaseName().isEmpty())
            Tabla->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        if (!Tabla->Exists()) return false;
        Tabla->Open();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TMDEfectos::TMDEfectos(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("MDEfectos"));
    if (!::MDEfectos) ::MDEfectos = this;
    Parametros = TablaModulo(this, "Parametros", "PARAEFEC");
    Factura = TablaModulo(this, "Factura", "FACTURA");
    FacturaC = TablaModulo(this, "FacturaC", "FACTURAC");
    Moneda = TablaModulo(this, "Moneda", "MONEDA");
    Cobro = TablaModulo(this, "Cobro", "COBRO");
    Pago = TablaModulo(this, "Pago", "PAGO");
    ModuloDatosCreate();
}

TMDEfectos::~TMDEfectos() {
    if (::MDEfectos == this) ::MDEfectos = nullptr;
}

void TMDEfectos::ModuloDatosCreate() {
    if (AbrirTablaExistente(Parametros)) {
        TfGENEINIC* sesion = fGENEINIC ? fGENEINIC : CrearSesion();
        for (TField* campo : Parametros->Fields()) AplicarFormatoCampo(sesion, campo);
    }
}

double TMDEfectos::ImporteEfectoAlCambio(TDataSet* Efecto) {
    const double importe = Efecto->FieldByName(QStringLiteral("Importe"))->AsFloat();
    const double cambio = Efecto->FieldByName(QStringLiteral("Cambio"))->AsFloat();
    return RedondearDecimales(ConvertirImporte(ModuloDatos, importe, cambio), DecimalesMonedaBase);
}

void TMDEfectos::AbreviaturaMonedaEfecto(TDataSet* Efecto, QString& Abreviatura) {
    Abreviatura.clear();
    if (!AbrirTablaExistente(Moneda)) return;
    const QVariant v = Moneda->Lookup(QStringLiteral("Codigo"),
                                      Efecto->FieldByName(QStringLiteral("CodigoMoneda"))->Value(),
                                      QStringLiteral("Abreviatura"));
    if (v.isValid()) Abreviatura = v.toString();
}

void TMDEfectos::DireccionPagoDocumento(const QString& Documento, QVariant& Direccion) {
    QStringList direccion(6);
    Direccion = QVariant(direccion);
    if (!AbrirTablaExistente(Cobro)) return;
    const QStringList partes = Documento.split(QLatin1Char('/'));
    const QStringList cobro = datosClave(QStringLiteral("COBRO"), partes.join(QLatin1Char(';')),
                                         QStringLiteral("CodigoCuenta;Ejercicio;NumeroEfecto"));
    if (cobro.size() < 3) return;
    const auto tomar = [&direccion](const QStringList& d) {
        if (!conDatos(d)) return;
        for (int i = 0; i < 6; ++i) direccion[i] = d.value(i);
    };
    tomar(datosClave(
        QStringLiteral("CUENTA"), cobro[0],
        QStringLiteral("Titulo;RazonSocial;Direccion;CodigoPostal;Poblacion;Provincia")));
    const QStringList emitida =
        datosClave(QStringLiteral("EMITIDA"), cobro[1] + QLatin1Char(';') + cobro[2],
                   QStringLiteral("Nombre"));
    if (conDatos(emitida)) direccion[0] = emitida[0];
    const QStringList factura = datosClave(
        QStringLiteral("FACTURA"), cobro[2],
        QStringLiteral(
            "Nombre;RazonSocial;Direccion;CodigoPostal;Poblacion;Provincia;CodigoCliente"));
    if (conDatos(factura)) {
        tomar(factura);
        tomar(datosClave(
            QStringLiteral("DIRCCION"), factura.value(6) + QStringLiteral(";Pago;1"),
            QStringLiteral("Nombre;RazonSocial;Direccion;CodigoPostal;Poblacion;Provincia")));
    }
    Direccion = QVariant(direccion);
}

bool TMDEfectos::EsPagoDeFacturaEmitida(const QVariant& Clave1, const QVariant& Clave2,
                                        const QVariant& Clave3) {
    if (!AbrirTablaExistente(Pago)) return false;
    const QStringList pago = datosClave(QStringLiteral("PAGO"),
                                        Clave1.toString() + QLatin1Char(';') + Clave2.toString() +
                                            QLatin1Char(';') + Clave3.toString(),
                                        QStringLiteral("Importe;NumeroOrden"));
    if (pago.size() < 2) return false;
    const bool negativos =
        AbrirTablaExistente(Parametros) && !Parametros->IsEmpty() &&
        Parametros->FieldByName(QStringLiteral("GestionEfectosNegativos"))->AsString() ==
            QLatin1String("SI");
    return TextoAReal(pago[0]) >= 0 && TextoAReal(pago[1]) >= 100 && !negativos;
}
