// The accounting data module.

#include "nomina/contmodu.h"

#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/genedicc.h"
#include "gene/geneform.h"
#include "gene/geneinic.h"
#include "gene/genemodu.h"
#include "gene/genemodu_nombres.h"
#include "gene/genetext.h"
#include "nomina/efecmodu.h"

TMDContabilidad* MDContabilidad = nullptr;

namespace {

TTable* tabla(QObject* owner, const char* nombre, const char* tabla) {
    auto* t = new TTable(owner);
    t->setObjectName(QLatin1String(nombre));
    t->setTableName(QLatin1String(tabla));
    return t;
}

TDataSource* fuente(QObject* owner, const char* nombre, TTable* t) {
    auto* s = new TDataSource(owner);
    s->setObjectName(QLatin1String(nombre));
    s->setDataSet(t);
    return s;
}

}  // namespace

TMDContabilidad::TMDContabilidad(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("MDContabilidad"));
    if (!::MDContabilidad) ::MDContabilidad = this;
    Saldo = tabla(this, "Saldo", "SALDO");
    Cuenta = tabla(this, "Cuenta", "CUENTA");
    Parametros = tabla(this, "Parametros", "PARACONT");
    Presupuesto = tabla(this, "Presupuesto", "PRESPUES");
    Apunte = tabla(this, "Apunte", "APUNTE");
    Asiento = tabla(this, "Asiento", "ASIENTO");
    Analitica = tabla(this, "Analitica", "ANALITIC");
    Mascara = tabla(this, "Mascara", "MASCARA");
    LMascara = tabla(this, "LMascara", "LMASCARA");
    Concepto = tabla(this, "Concepto", "CONCEPTO");
    HBien = tabla(this, "HBien", "HISTBIEN");
    CuentaConsolidacion = tabla(this, "CuentaConsolidacion", "");
    Emitida = tabla(this, "Emitida", "EMITIDA");
    Recibida = tabla(this, "Recibida", "RECIBIDA");
    Cobro = tabla(this, "Cobro", "COBRO");
    Pago = tabla(this, "Pago", "PAGO");
    FPago = tabla(this, "FPago", "FPAGO");
    PresupuestoCC = tabla(this, "PresupuestoCC", "PRESCOST");
    LUCuenta = tabla(this, "LUCuenta", "CUENTA");
    LUDiario = tabla(this, "LUDiario", "DIARIO");
    LUConcepto = tabla(this, "LUConcepto", "CONCEPTO");
    LUMascara = tabla(this, "LUMascara", "MASCARA");
    LUSoloCuenta = tabla(this, "LUSoloCuenta", "CUENTA");
    LUGrupo = tabla(this, "LUGrupo", "CUENTA");
    DSLUCuenta = fuente(this, "DSLUCuenta", LUCuenta);
    DSLUDiario = fuente(this, "DSLUDiario", LUDiario);
    DSLUConcepto = fuente(this, "DSLUConcepto", LUConcepto);
    DSLUMascara = fuente(this, "DSLUMascara", LUMascara);
    DSLUSoloCuenta = fuente(this, "DSLUSoloCuenta", LUSoloCuenta);
    DSLUGrupo = fuente(this, "DSLUGrupo", LUGrupo);
    LUSoloCuenta->OnFilterRecord = [this](TDataSet* d, bool& a) { LUSoloCuentaFilterRecord(d, a); };
    LUSoloCuenta->setFiltered(true);
    LUGrupo->OnFilterRecord = [this](TDataSet* d, bool& a) { LUGrupoFilterRecord(d, a); };
    LUGrupo->setFiltered(true);
    ModuloDatosCreate();
}

TMDContabilidad::~TMDContabilidad() {
    if (::MDContabilidad == this) ::MDContabilidad = nullptr;
}

void TMDContabilidad::ModuloDatosCreate() {
    TfGENEINIC* sesion = fGENEINIC ? fGENEINIC : CrearSesion();
    for (TTable* t :
         {Parametros, Cuenta, LUCuenta, LUDiario, LUConcepto, LUMascara, LUSoloCuenta, LUGrupo}) {
        if (!AbrirTablaExistente(t)) return;
        for (TField* campo : t->Fields()) AplicarFormatoCampo(sesion, campo);
    }
    for (TTable* t : {LUCuenta, LUSoloCuenta, LUGrupo}) {
        QString indice;
        NombreIndice(ModuloDatos, t, QStringLiteral("Clave2"), indice);
        try {
            t->setIndexName(indice);
        } catch (const std::exception&) {
            // Without the index the lookups keep the primary order.
        }
    }
    QString diccionario;
    LeerDiccionarioEstandar(sesion, diccionario);
    const auto tipoPrimerCampo = [&](const char* campo) {
        TField* f = Parametros->FindField(QLatin1String(campo));
        if (!f || Parametros->IsEmpty()) return QStringLiteral("ftString");
        QString definicion;
        DefinicionTablaDiccionario(sesion, f->AsString(), diccionario, definicion,
                                   QStringLiteral("Campos"));
        const QString tipo = ExtraerToken(4, LineasTexto(definicion).value(0), QStringLiteral("/"));
        return tipo.isEmpty() ? QStringLiteral("ftString") : tipo;
    };
    TipoCampoTablaDestino = tipoPrimerCampo("NombreTablaDestino");
    TipoCampoTablaDestino2 = tipoPrimerCampo("NombreTablaDestino2");
}

void TMDContabilidad::LUSoloCuentaFilterRecord(TDataSet* DataSet, bool& Accept) {
    Accept = !EsCuentaDeGrupo(DataSet->FieldByName(QStringLiteral("Codigo"))->AsString());
}

void TMDContabilidad::LUGrupoFilterRecord(TDataSet* DataSet, bool& Accept) {
    Accept = EsCuentaDeGrupo(DataSet->FieldByName(QStringLiteral("Codigo"))->AsString());
}

bool TMDContabilidad::EsCuentaDeGrupo(const QString& Codigo) {
    if (!Parametros->Active() || Parametros->IsEmpty()) return false;
    TField* digitos = Parametros->FindField(QStringLiteral("DigitosCuentas"));
    return digitos && digitos->AsInteger() > Codigo.length();
}
