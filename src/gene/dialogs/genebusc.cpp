#include "gene/dialogs/genebusc.h"

#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genebusa.h"
#include "gene/dialogs/genebusq.h"
#include "gene/dialogs/genecopi.h"
#include "gene/dialogs/genefilt.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"
#include "ui/registry.h"

QString FiltroBusqueda;
QString CamposVisiblesBusqueda;
QString ValorPorDefectoBusqueda;

namespace {

const QString kMarcaPorDefecto = QStringLiteral("PorDefecto=");

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

// The request is cleared whatever the dialog did, even when it raised.
struct LimpiezaPeticion {
    ~LimpiezaPeticion() {
        FiltroBusqueda.clear();
        CamposVisiblesBusqueda.clear();
    }
};

// A master the company has never opened has no table yet: made here, as
// opening its window makes it, so that the search lists it (empty). False
// when it could not be made now or stands refused, once told.
bool TablaBusquedaDisponible(const QString& Tabla) {
    if (!fGENEINIC || EsTablaTemporal(Tabla) || MotorActual() == Engine::SqlServer) return true;
    try {
        TDatabase* base = BaseDatosSelector(
            EsTablaGeneral(Tabla) ? QStringLiteral("DatabaseGeneral") : QStringLiteral("Database"));
        if (base->TableExists(Tabla)) return true;
        TTable tabla;
        tabla.setTableName(Tabla);
        return AbrirTabla(fGENEINIC, &tabla);
    } catch (const EAbort&) {
        return false;
    } catch (const EDatabaseError&) {
        // The search itself tells what stands in the way.
        return true;
    }
}

// Shows the dialog of the installation for one search; the result text and
// whether a row was chosen.
bool MostrarDialogoBusqueda(const QString& Tabla, int Indice, const QString& Valor,
                            QString& Resultado) {
    InstalarDialogosBusqueda();
    Resultado.clear();
    if (!TablaBusquedaDisponible(Tabla)) return false;
    if (BusquedaAproximadaActivada) {
        const int r = BusquedaAproximada(Tabla, Resultado, FiltroBusqueda);
        return r == mrOk || r == mrYes;
    }
    std::unique_ptr<TfGENEBUSQ> dialogo(NewForm<TfGENEBUSQ>());
    dialogo->TablaBusqueda = Tabla;
    dialogo->FiltroBusqueda = FiltroBusqueda;
    dialogo->CamposVisibles = CamposVisiblesBusqueda;
    dialogo->IndiceBusqueda = Indice;
    dialogo->DatoABuscar->setText(Valor);
    const int r = dialogo->ShowModal();
    Resultado = dialogo->ClaveSeleccionada;
    dialogo->DatoABuscar->clear();
    return r == mrOk || r == mrYes;
}

// The user's preferred index of the table, else the caller's.
int IndiceElegido(const QString& Tabla, int Indice) {
    const int usuario = Modulo() ? IndiceBusquedaUsuario(Modulo(), Tabla) : -1;
    return usuario == -1 ? Indice : usuario;
}

}  // namespace

QVariant ClaveDeResultado(const QString& Resultado) {
    if (Resultado.isEmpty()) return QVariant();
    QVariantList clave;
    for (const QString& linea : LineasTexto(Resultado))
        clave << (linea == QLatin1String("NULL") ? QString() : linea);
    if (clave.isEmpty()) return QVariant();
    return clave;
}

void BuscarRegistro(TTable* Tabla, int IndicePorDefecto, QVariant& Clave) {
    Clave = QVariant();
    if (!Tabla) return;
    LimpiezaPeticion limpieza;
    TModuloDatos* m = Modulo();
    const int indice = IndiceElegido(Tabla->TableName(), IndicePorDefecto);
    QString valor;
    ClaveRegistro(m, Tabla, valor);
    valor.chop(1);

    QString resultado;
    if (!MostrarDialogoBusqueda(Tabla->TableName(), indice, valor, resultado)) return;
    Clave = ClaveDeResultado(resultado);
    if (Clave.isNull()) return;
    try {
        QString campos;
        CamposClaveSQL(m, Tabla->TableName(), QString(), campos);
        Tabla->Locate(campos, Clave, 0);
    } catch (const std::exception&) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible encontrar el dato solicitado!"));
    }
}

void BuscarCodigo(const QString& NombreTabla, int Indice, QVariant& Clave) {
    Clave = QVariant();
    if (NombreTabla.isEmpty()) return;
    LimpiezaPeticion limpieza;
    QString tabla;
    NombreTablaFisico(Modulo(), NombreTabla, tabla);
    const int indice = IndiceElegido(tabla, Indice);
    QString valor;
    if (ValorPorDefectoBusqueda.contains(kMarcaPorDefecto)) {
        valor = ValorPorDefectoBusqueda;
        valor.remove(kMarcaPorDefecto);
    }
    // Used once: the next search starts empty unless it is prepared again.
    ValorPorDefectoBusqueda.clear();

    QString resultado;
    if (!MostrarDialogoBusqueda(tabla, indice, valor, resultado)) return;
    Clave = ClaveDeResultado(resultado);
}

void BuscarConParametros(const QString& NombreTabla, const QString& Parametros, QVariant& Clave) {
    const QString valor = ValorParametro(QStringLiteral("DatoABuscarPorDefecto"), Parametros);
    ValorPorDefectoBusqueda = valor.isEmpty() ? QString() : kMarcaPorDefecto + valor;
    FiltroBusqueda = ValorParametro(QStringLiteral("Filtro"), Parametros);
    CamposVisiblesBusqueda = ValorParametro(QStringLiteral("CamposVisibles"), Parametros);
    bool ok = false;
    int indice = ValorParametro(QStringLiteral("IndiceBusqueda"), Parametros).trimmed().toInt(&ok);
    if (!ok) indice = 0;
    BuscarCodigo(NombreTabla, indice, Clave);
}

void BuscarConFiltroYValor(const QString& NombreTabla, int Indice, const QString& Filtro,
                           QVariant& Clave, const QString& ValorPorDefecto) {
    FiltroBusqueda = Filtro;
    CamposVisiblesBusqueda.clear();
    ValorPorDefectoBusqueda = kMarcaPorDefecto + ValorPorDefecto;
    BuscarCodigo(NombreTabla, Indice, Clave);
}

void BuscarConFiltro(const QString& NombreTabla, int Indice, const QString& Filtro,
                     QVariant& Clave) {
    FiltroBusqueda = Filtro;
    CamposVisiblesBusqueda.clear();
    BuscarCodigo(NombreTabla, Indice, Clave);
}

void InstalarDialogosBusqueda() {
    GanchoBuscarConFiltroYValor = BuscarConFiltroYValor;
    static bool registrados = false;
    if (registrados) return;
    registrados = true;
    RegisterFormClass<TfGENEBUSQ>(QStringLiteral("TfGENEBUSQ"));
    RegisterFormClass<TfGENEBUSA>(QStringLiteral("TfGENEBUSA"));
    RegisterFormClass<TfGENEFILT>(QStringLiteral("TfGENEFILT"));
    RegisterFormClass<TfGENECOPI>(QStringLiteral("TfGENECOPI"));
}

namespace {
const bool instalado = [] {
    InstalarDialogosBusqueda();
    return true;
}();
}  // namespace
