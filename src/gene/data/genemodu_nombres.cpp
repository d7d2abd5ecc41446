// Physical names per engine, catalog answers and the temporary-name register.

#include "gene/data/genemodu_nombres.h"

#include <QObject>

#include "db/database.h"
#include "db/dberror.h"
#include "db/table.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

namespace {

const QString kSqlServer = QStringLiteral("Microsoft SQL Server");
const QString kCrLf = QStringLiteral("\r\n");

bool enSqlServer() {
    return TipoBaseDatos == kSqlServer;
}

// Temporary tables kept as files in a folder rather than inside the database.
// The system's paths use "\" or a drive; ours may use "/" too.
bool temporalesEnCarpeta() {
    return PathArchivosTemporales.contains(QLatin1Char('\\')) ||
           PathArchivosTemporales.contains(QLatin1Char('/')) ||
           PathArchivosTemporales.contains(QLatin1Char(':'));
}

// A temporary table kept as a local file counts as a Paradox table.
bool esTemporalLocal(const QString& nombre) {
    return EsTablaTemporal(nombre) && !ArchivosTemporalesEnBD;
}

QString sinPropietario(const QString& nombre) {
    QString r;
    NombreTablaSinPropietario(ModuloDatos, nombre, r);
    return r;
}

// The selector of the database that holds a table, for catalog questions.
QString selectorTabla(const QString& nombre) {
    if (EsTablaTemporal(nombre))
        return enSqlServer() ? PathArchivosTemporales : QStringLiteral("Database");
    if (EsTablaGeneral(nombre)) return QStringLiteral("DatabaseGeneral");
    return QStringLiteral("Database");
}

// A catalog question the engine in use answers from its own catalog; a
// failure comes back, and is shown, as the SQL layer does.
template <typename Fn>
QString preguntarCatalogo(const QString& pregunta, Fn fn) {
    try {
        return fn();
    } catch (const EDatabaseError& e) {
        const QString texto =
            QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
            e.Message();
        MensajeAdvertencia(texto);
        return texto;
    }
}

QString ejecutarCatalogo(const QString& sql, const QString& selector, bool porCache) {
    QString r;
    if (porCache && ModuloDatosPreparado && ModuloDatos)
        EjecutarSQLCache(ModuloDatos, sql, ModuloDatos->CacheSQL, selector, QString(), r);
    else
        EjecutarSQL(ModuloDatos, sql, selector, QString(), r);
    return r;
}

int contarCampos(const QString& lista) {
    return lista.isEmpty() ? 0 : int(lista.count(QLatin1Char(';'))) + 1;
}

}  // namespace

void NombreTablaFisico(TModuloDatos*, const QString& Nombre, QString& Resultado) {
    Resultado = Nombre;
    if (!enSqlServer()) return;
    if (Nombre.contains(QLatin1String("dbo."))) return;
    if (EsTablaTemporal(Nombre) && temporalesEnCarpeta()) return;
    Resultado = QStringLiteral("dbo.") + Nombre;
}

void NombreTablaSinPropietario(TModuloDatos*, const QString& Nombre, QString& Resultado) {
    Resultado = Nombre;
    if (enSqlServer() && Nombre.count(QLatin1Char('.')) == 1)
        Resultado = Nombre.mid(Nombre.indexOf(QLatin1Char('.')) + 1);
}

void NombreIndice(TModuloDatos*, TTable* Tabla, const QString& Indice, QString& Resultado) {
    Resultado = Indice;
    if (!Tabla) return;
    if (Tabla->Active() && Tabla->IndexFieldCount() == 0) return;

    const QString tabla = Tabla->TableName();
    const QString motor = esTemporalLocal(tabla) ? QStringLiteral("Paradox") : TipoBaseDatos;
    const bool primario = Indice.isEmpty() || Indice == QLatin1String("<Primary>");
    if (motor == QLatin1String("Paradox")) {
        if (Indice == QLatin1String("<Primary>")) Resultado = QStringLiteral("Clave1");
    } else if (motor == kSqlServer || motor == QLatin1String("Microsoft Access")) {
        const QString t = motor == kSqlServer ? sinPropietario(tabla) : tabla;
        Resultado = t + (primario ? QStringLiteral("_Clave1") : QStringLiteral("_") + Indice);
    } else if (motor == QLatin1String("SQL Generica")) {
        Resultado = tabla + QStringLiteral("_") + Indice;
    }
}

void CamposClave(TModuloDatos* ModuloDatos, TTable* Tabla, const QString& Indice, QString& Campos) {
    Campos.clear();
    if (!Tabla) return;
    const QString tabla = Tabla->TableName();
    if (enSqlServer() && !(EsTablaTemporal(tabla) && temporalesEnCarpeta())) {
        CamposClaveSQL(ModuloDatos, tabla, Indice, Campos);
        return;
    }
    Tabla->UpdateIndexDefs();
    TIndexDefList& indices = Tabla->IndexDefs();
    if (Indice.isEmpty()) {
        if (indices.Count() > 0) Campos = indices.at(0).Fields;
        return;
    }
    Campos = indices.Find(Indice).Fields;
}

QString SentenciaCamposClaveSQLServer(const QString& NombreIndiceFisico) {
    return QStringLiteral(
               "SELECT C.Name   FROM SYSINDEXES I JOIN SYSINDEXKEYS K   ON I.id = K.id AND "
               "I.indid = K.indid   JOIN SYSCOLUMNS C ON I.id = C.id AND K.colid = C.colid   "
               "WHERE I.Name = ") +
           Entrecomillar(NombreIndiceFisico) + QStringLiteral("  ORDER BY K.KeyNo");
}

QString SentenciaCamposTablaSQLServer(const QString& NombreTabla, bool SinMemos) {
    QString sql = QStringLiteral(
                      "SELECT C.Name   FROM SYSCOLUMNS C JOIN SYSOBJECTS O        ON C.id = O.id  "
                      " WHERE O.name = ") +
                  Entrecomillar(NombreTabla);
    if (SinMemos) sql += QStringLiteral(" AND C.xtype <> 35 ");
    return sql + QStringLiteral(" ORDER BY C.colid ");
}

void CamposClaveSQL(TModuloDatos*, const QString& NombreTabla, const QString& Indice,
                    QString& Campos) {
    const QString t = sinPropietario(NombreTabla);
    const QString selector = selectorTabla(NombreTabla);
    if (!enSqlServer()) {
        // The other engines have no such system tables: their own catalog
        // answers, by the index's name as the system spells it.
        Campos = preguntarCatalogo(NombreTabla, [&]() {
            const TIndexDefs indices = BaseDatosSelector(selector)->IndexDefs(t);
            const QString buscado = TIndexDefList::NormalizedName(t, Indice);
            for (const TIndexDef& ix : indices) {
                if (TIndexDefList::NormalizedName(t, ix.Name)
                            .compare(buscado, Qt::CaseInsensitive) == 0 ||
                    (buscado.isEmpty() && (ix.Options & ixPrimary)))
                    return ix.Fields;
            }
            return QString();
        });
        return;
    }
    QString fisico = Indice;
    if (!Indice.contains(QLatin1Char('_')))
        fisico = t + QStringLiteral("_") + (Indice.isEmpty() ? QStringLiteral("Clave1") : Indice);
    Campos = ejecutarCatalogo(SentenciaCamposClaveSQLServer(fisico), selector,
                              !EsTablaTemporal(NombreTabla));
    Campos.replace(kCrLf, QStringLiteral(";"));
}

int NumeroCamposClave(TModuloDatos* ModuloDatos, TTable* Tabla) {
    if (!Tabla) return 0;
    if (enSqlServer() && !(EsTablaTemporal(Tabla->TableName()) && temporalesEnCarpeta()))
        return NumeroCamposClaveSQL(ModuloDatos, Tabla->TableName());
    QString campos;
    CamposClave(ModuloDatos, Tabla, QString(), campos);
    return contarCampos(campos);
}

int NumeroCamposClaveSQL(TModuloDatos* ModuloDatos, const QString& NombreTabla) {
    QString campos;
    CamposClaveSQL(ModuloDatos, NombreTabla, QString(), campos);
    return contarCampos(campos);
}

void CamposTablaSQL(TModuloDatos*, const QString& NombreTabla, const QString& Opciones,
                    QString& Campos) {
    QString tabla = NombreTabla;
    QString selector = selectorTabla(NombreTabla);
    if (!EsTablaTemporal(NombreTabla) && !EsTablaGeneral(NombreTabla) &&
        NombreTabla.contains(QLatin1Char('.'))) {
        selector = NombreTabla.left(NombreTabla.indexOf(QLatin1Char('.')));
        tabla = NombreTabla.mid(NombreTabla.lastIndexOf(QLatin1Char('.')) + 1);
    }
    const bool sinMemos = Opciones.contains(QLatin1String("SinMemos"));
    if (!enSqlServer()) {
        Campos = preguntarCatalogo(NombreTabla, [&]() {
            QStringList nombres;
            for (const TFieldDef& f : BaseDatosSelector(selector)->ColumnDefs(tabla)) {
                if (sinMemos && (f.DataType == ftMemo || f.DataType == ftFmtMemo)) continue;
                nombres << f.Name;
            }
            return nombres.join(QLatin1Char(';'));
        });
        return;
    }
    Campos = ejecutarCatalogo(SentenciaCamposTablaSQLServer(tabla, sinMemos), selector, true);
    Campos.replace(kCrLf, QStringLiteral(";"));
}

void CamposTabla(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Opciones,
                 QString& Lista) {
    QString opciones = Opciones;
    const qsizetype i = opciones.indexOf(QLatin1String("Sin Campos Memo"));
    if (i >= 0) opciones.replace(i, 15, QStringLiteral("SinMemos"));
    QString campos;
    CamposTablaSQL(ModuloDatos, NombreTabla, opciones, campos);
    Lista = campos.replace(QLatin1Char(';'), kCrLf);
}

QString NombreTablaTemporalLargo(QObject* Propietario, int Numero) {
    QString direccion;
    DireccionAdaptadorRed(QStringLiteral("SinSeparadores"), direccion);
    const QString propietario = Propietario && !Propietario->objectName().isEmpty()
                                    ? Propietario->objectName()
                                    : QStringLiteral("Unknown");
    return QStringList{QStringLiteral("TEMP"),
                       direccion,
                       propietario,
                       QString::number(Numero),
                       QString::number(NumeroSesionUsuario),
                       CodigoUsuarioActual}
        .join(QLatin1Char('_'));
}

void NombreTablaTemporalUnica(TModuloDatos* ModuloDatos, QObject* Propietario, int Numero,
                              QString& Nombre) {
    const QString propietario = Propietario && !Propietario->objectName().isEmpty()
                                    ? Propietario->objectName()
                                    : QStringLiteral("Unknown");
    NombreTablaTemporal(ModuloDatos, NombreTablaTemporalLargo(Propietario, Numero), propietario,
                        Nombre);
}

void NombreTablaTemporal(TModuloDatos* ModuloDatos, const QString& NombreLargo,
                         const QString& NombrePropietario, QString& Nombre) {
    const QString general = QStringLiteral("DatabaseGeneral");
    const QString silenciosa = QStringLiteral("Silenciosa");
    const QString buscar =
        QStringLiteral(
            "SELECT NombreTablaTemporal FROM NOMBTTEM   WHERE NombreTablaTemporalOrg = ") +
        Entrecomillar(NombreLargo);
    // Two sessions may take the same number at once; the register's unique
    // keys refuse the second row, and that session tries the next number.
    constexpr int kIntentos = 10;
    QString motivo;
    // One look more than inserts: the last insert's row is read back too.
    for (int intento = 0; intento <= kIntentos; ++intento) {
        QString r;
        EjecutarSQL(ModuloDatos, buscar, general, silenciosa, r);
        if (r.startsWith(QLatin1String("Error."))) {
            motivo = r;  // the register unreachable: try again, then report
            continue;
        }
        if (!r.isEmpty()) {
            Nombre = r.left(20);
            return;
        }
        if (intento == kIntentos) break;
        QString maximo;
        EjecutarSQL(ModuloDatos, QStringLiteral("SELECT MAX(Contador) FROM NOMBTTEM"), general,
                    silenciosa, maximo);
        // An empty register (or an answer that is no number) counts as 0.
        const int n = maximo.trimmed().toInt() + 1;
        const QString corto = QStringLiteral("TEMP") + QString::asprintf("%06d", n) +
                              QStringLiteral("_") + NombrePropietario;
        QString insertado;
        EjecutarSQL(ModuloDatos,
                    QStringLiteral("INSERT INTO NOMBTTEM (Contador, NombreTablaTemporalOrg, "
                                   "NombreTablaTemporal) VALUES (") +
                        QString::number(n) + QStringLiteral(", ") + Entrecomillar(NombreLargo) +
                        QStringLiteral(", ") + Entrecomillar(corto) + QStringLiteral(")"),
                    general, silenciosa, insertado);
        if (!insertado.isEmpty()) motivo = insertado;  // a duplicate number: look again
    }
    Nombre.clear();
    MensajeAdvertencia(QStringLiteral("¡No es posible obtener un nombre para la tabla temporal ") +
                       NombreLargo + QStringLiteral("!. Motivo: ") +
                       motivo.mid(motivo.indexOf(QLatin1String("Motivo: ")) + 8));
    Abort();
}
