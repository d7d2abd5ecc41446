// The accounting data module.

#include "nomina/contmodu.h"

#include "db/datasource.h"
#include "db/field.h"
#include "db/table.h"
#include "gene/session/genedicc.h"
#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genetext.h"
#include "nomina/efecmodu.h"
#include "nomina/modulos_p.h"

TMDContabilidad* MDContabilidad = nullptr;

namespace {

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
    Saldo = TablaModulo(this, "Saldo", "SALDO");
    Cuenta = TablaModulo(this, "Cuenta", "CUENTA");
    Parametros = TablaModulo(this, "Parametros", "PARACONT");
    Presupuesto = TablaModulo(this, "Presupuesto", "PRESPUES");
    Apunte = TablaModulo(this, "Apunte", "APUNTE");
    Asiento = TablaModulo(this, "Asiento", "ASIENTO");
    Analitica = TablaModulo(this, "Analitica", "ANALITIC");
    Mascara = TablaModulo(this, "Mascara", "MASCARA");
    LMascara = TablaModulo(this, "LMascara", "LMASCARA");
    Concepto = TablaModulo(this, "Concepto", "CONCEPTO");
    HBien = TablaModulo(this, "HBien", "HISTBIEN");
    CuentaConsolidacion = TablaModulo(this, "CuentaConsolidacion", "");
    Emitida = TablaModulo(this, "Emitida", "EMITIDA");
    Recibida = TablaModulo(this, "Recibida", "RECIBIDA");
    Cobro = TablaModulo(this, "Cobro", "COBRO");
    Pago = TablaModulo(this, "Pago", "PAGO");
    FPago = TablaModulo(this, "FPago", "FPAGO");
    PresupuestoCC = TablaModulo(this, "PresupuestoCC", "PRESCOST");
    LUCuenta = TablaModulo(this, "LUCuenta", "CUENTA");
    LUDiario = TablaModulo(this, "LUDiario", "DIARIO");
    LUConcepto = TablaModulo(this, "LUConcepto", "CONCEPTO");
    LUMascara = TablaModulo(this, "LUMascara", "MASCARA");
    LUSoloCuenta = TablaModulo(this, "LUSoloCuenta", "CUENTA");
    LUGrupo = TablaModulo(this, "LUGrupo", "CUENTA");
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
