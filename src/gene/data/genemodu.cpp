// The framework data module: its tables and the session values it derives
// from the company parameters.

#include "gene/data/genemodu.h"

#include <stdexcept>

#include "db/datasource.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/genealta.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"

TModuloDatos* ModuloDatos = nullptr;
bool ModuloDatosPreparado = false;
const char* const kCodigoAdministradorInicial = "ADMIN";

QString PlantillaNumericaStd = QStringLiteral("#,###.##");
QString PlantillasNumericas[6];
QStringList CamposPlantillasNumericas[6];
int DecimalesMonedaBase = 0;
double CambioMonedaBase = 1.0;
QString AbreviaturaMonedaBase;
QString DescripcionMonedaBase;

namespace {

TfGENEINIC* sesion() {
    return fGENEINIC ? fGENEINIC : CrearSesion();
}

template <typename T>
T* componente(QObject* owner, const char* nombre) {
    auto* c = new T(owner);
    c->setObjectName(QLatin1String(nombre));
    return c;
}

// Keyword lists are kept sorted and without duplicates.
QStringList listaPalabras(const QString& texto) {
    QStringList l = texto.split(QLatin1Char(','), Qt::SkipEmptyParts);
    l.sort();
    l.removeDuplicates();
    return l;
}

}  // namespace

TModuloDatos::TModuloDatos(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("ModuloDatos"));
    // The routines called during creation find the module by its global,
    // as they do once it is ready; a creation that raises takes it back.
    const bool global = !::ModuloDatos;
    if (global) ::ModuloDatos = this;

    ParamGenerales = componente<TTable>(this, "ParamGenerales");
    Table1 = componente<TTable>(this, "Table1");
    Usuario = componente<TTable>(this, "Usuario");
    Responsabilidad = componente<TTable>(this, "Responsabilidad");
    Empresa = componente<TTable>(this, "Empresa");
    DSEmpresa = componente<TDataSource>(this, "DSEmpresa");
    DSEmpresa->setDataSet(Empresa);
    Query1 = componente<TQuery>(this, "Query1");
    Moneda = componente<TTable>(this, "Moneda");
    DSMoneda = componente<TDataSource>(this, "DSMoneda");
    GATablas = componente<TTable>(this, "GATablas");
    GAnalisis = componente<TTable>(this, "GAnalisis");
    RegistroAccesos = componente<TTable>(this, "RegistroAccesos");
    QR_Export_Table = componente<TTable>(this, "QR_Export_Table");
    ParamGenerales->AfterPost = [this](TDataSet* d) { ParamGeneralesAfterPost(d); };

    try {
        ModuloDatosCreate();
    } catch (...) {
        // No destructor runs for a module whose creation failed: nothing may
        // keep pointing at it.
        if (global && ::ModuloDatos == this) {
            ::ModuloDatos = nullptr;
            ModuloDatosPreparado = false;
        }
        throw;
    }
}

TModuloDatos::~TModuloDatos() {
    ModuloDatosDestroy();
    if (::ModuloDatos == this) ::ModuloDatos = nullptr;
}

void TModuloDatos::ModuloDatosCreate() {
    CacheSQL.clear();
    PlantillaNumericaStd = QStringLiteral("#,###.##");

    // A users table that held users and is gone or empty is lost data: it
    // is never made again with an administrator without password.
    const QString perdidos = MotivoUsuariosPerdidos(sesion());
    if (!perdidos.isEmpty()) throw std::runtime_error(perdidos.toStdString());
    // USUARIO must exist before it is opened: a transient table of that name
    // goes through the common opening, which creates it when missing.
    {
        auto* usuario = new TTable(this);
        usuario->setObjectName(QStringLiteral("TablaUsuarioTransitoria"));
        usuario->setTableName(QStringLiteral("USUARIO"));
        usuario->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
        AbrirTablasFormulario(sesion(), this);
        delete usuario;
    }
    Usuario->setTableName(QStringLiteral("USUARIO"));
    Usuario->setDatabaseName(NombreBaseDatosSelector(QStringLiteral("DatabaseGeneral")));
    Usuario->Open();

    const bool sinParametros = EsProgramaEnEjecucion(QStringLiteral("QEVWIN.EXE")) ||
                               EsProgramaEnEjecucion(QStringLiteral("SALTEMO.EXE")) ||
                               CodigoEmpresaActual == 0;
    if (!sinParametros) {
        QString nombre;
        NombreTablaFisico(this, QStringLiteral("PARAGENE"), nombre);
        ParamGenerales->setTableName(nombre);
        PrepararTabla(this, ParamGenerales);

        const QString estandar =
            ParamGenerales->FieldByName(QStringLiteral("PlantillaNumericaStd"))->AsString();
        if (!estandar.isEmpty())
            PlantillaNumericaStd = estandar == QLatin1String("Ninguna") ? QString() : estandar;

        const QString extra =
            ParamGenerales->FieldByName(QStringLiteral("PlantillaNumericaExt"))->AsString();
        for (int n = 1; n <= 5; ++n) {
            const QString clave = QStringLiteral("PlantillaNumerica") + QString::number(n);
            if (extra.contains(clave)) {
                const QString valor = ValorParametro(clave, extra);
                PlantillasNumericas[n] = ExtraerToken(0, valor, QStringLiteral(" "));
                CamposPlantillasNumericas[n] = listaPalabras(
                    valor.contains(QLatin1Char(' ')) ? ExtraerToken(1, valor, QStringLiteral(" "))
                                                     : QString());
            } else {
                PlantillasNumericas[n] = PlantillaNumericaStd;
            }
        }

        IVA[0] = 0;
        Recargo[0] = 0;
        for (int n = 1; n <= 5; ++n) {
            IVA[n] =
                ParamGenerales->FieldByName(QStringLiteral("IVA") + QString::number(n))->AsFloat();
            Recargo[n] = ParamGenerales->FieldByName(QStringLiteral("Recargo") + QString::number(n))
                             ->AsFloat();
        }

        const std::pair<TTable*, const char*> tablas[] = {{Responsabilidad, "RESPDOC"},
                                                          {GATablas, "GRANTAB"},
                                                          {GAnalisis, "GRANALIS"},
                                                          {RegistroAccesos, "REGACCES"},
                                                          {Moneda, "MONEDA"}};
        for (const auto& [tabla, logico] : tablas) {
            NombreTablaFisico(this, QLatin1String(logico), nombre);
            tabla->setTableName(nombre);
            PrepararTabla(this, tabla);
        }
        DSMoneda->setDataSet(Moneda);
        leerMonedaBase();
        CrearTablaReservas(sesion()->Database);
    }

    if (Usuario->IsEmpty()) {
        try {
            Usuario->Append();
            Usuario->FieldByName(QStringLiteral("Codigo"))
                ->setAsString(QLatin1String(kCodigoAdministradorInicial));
            Usuario->FieldByName(QStringLiteral("Nombre"))
                ->setAsString(QStringLiteral("Administrador"));
            Usuario->FieldByName(QStringLiteral("Categoria"))
                ->setAsString(QStringLiteral("Administrador"));
            // The first administrator may open company 1, which a fresh
            // installation creates, so that the first start reaches it.
            if (TField* empresas = Usuario->FindField(QStringLiteral("Empresas")))
                empresas->setAsString(QStringLiteral("1"));
            Usuario->Post();
            MarcarUsuariosDefinidos(sesion());
        } catch (const EAbort&) {
            Usuario->Cancel();
        } catch (const std::exception& e) {
            Usuario->Cancel();
            // A session starting at the same time defined it first.
            const auto* d = dynamic_cast<const EDatabaseError*>(&e);
            if (!d || d->code() != DbError::KeyViolation)
                MensajeAdvertencia(QStringLiteral("¡Imposible definir el usuario administrador!"));
        }
    }

    ModuloDatosPreparado = true;
}

void TModuloDatos::ModuloDatosDestroy() {
    CacheSQL.clear();
    ModuloDatosPreparado = false;
}

void TModuloDatos::ParamGeneralesAfterPost(TDataSet*) {
    leerMonedaBase();
}

// The base currency from the company parameters and MONEDA; neutral values
// when it is not there.
void TModuloDatos::leerMonedaBase() {
    const QVariant base = ParamGenerales->FieldByName(QStringLiteral("CodigoMonedaBase"))->Value();
    MonedaBaseDistintaNacional =
        ParamGenerales->FieldByName(QStringLiteral("CodigoMonedaBase"))->AsInteger() !=
        ParamGenerales->FieldByName(QStringLiteral("CodigoMonedaNacional"))->AsInteger();
    if (Moneda->FindKey({base})) {
        DecimalesMonedaBase = Moneda->FieldByName(QStringLiteral("Decimales"))->AsInteger();
        CambioMonedaBase = Moneda->FieldByName(QStringLiteral("Cambio"))->AsFloat();
        AbreviaturaMonedaBase = Moneda->FieldByName(QStringLiteral("Abreviatura"))->AsString();
        DescripcionMonedaBase = Moneda->FieldByName(QStringLiteral("Descripcion"))->AsString();
    } else {
        DecimalesMonedaBase = 0;
        CambioMonedaBase = 1.0;
        AbreviaturaMonedaBase.clear();
        DescripcionMonedaBase.clear();
    }
}

bool PrepararTabla(TModuloDatos*, TTable* Tabla) {
    if (!Tabla) return false;
    const bool abierta = Tabla->Active();
    if (Tabla->Filtered()) {
        try {
            Tabla->setFiltered(false);
        } catch (const EDatabaseError&) {
        }
    }
    if (!AbrirTabla(sesion(), Tabla)) return false;
    try {
        if (Tabla->IndexFieldCount() > 0) {
            if (!Tabla->IndexName().isEmpty()) Tabla->setIndexName(QString());
            if (abierta) Tabla->CancelRange();
            if (TipoBaseDatos != QLatin1String("Microsoft SQL Server")) Tabla->Refresh();
        }
    } catch (const EDatabaseError&) {
        return false;
    }
    return true;
}
