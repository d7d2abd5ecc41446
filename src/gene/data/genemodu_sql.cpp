// The SQL layer: statements run on a database chosen by selector, results
// flattened into text, a cache of catalog answers, missing tables created
// from the dictionary, and statements built from texts and records.

#include "gene/data/genemodu_sql.h"

#include <QRegularExpression>
#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sqllexis.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QChar kPuntoMedio(0xB7);  // the column separator of "FormatoINI"
const QString kSqlServer = QStringLiteral("Microsoft SQL Server");
constexpr int kMaximoCache = 20000;

bool contiene(const QString& opciones, const char* palabra) {
    return opciones.contains(QLatin1String(palabra));
}

// The statement's first word, its case unchanged: only upper-case "SELECT"
// and "EXEC" are recognised. Any blank or line break ends the word.
QString primeraPalabra(const QString& sql) {
    const QString t = sql.trimmed();
    qsizetype i = 0;
    while (i < t.size() && !t.at(i).isSpace()) ++i;
    return t.left(i);
}

// The session form's database a selector names, or nullptr for the others.
TDatabase* baseDeSesion(const QString& selector) {
    if (!fGENEINIC) return nullptr;
    if (selector.isEmpty() || selector == QLatin1String("Database")) return fGENEINIC->Database;
    if (selector == QLatin1String("DatabaseGeneral")) return fGENEINIC->DatabaseGeneral;
    if (selector == QLatin1String("DatabaseAlt")) return fGENEINIC->DatabaseAlt;
    return nullptr;
}

// The memo delimiter: a blank, or the value of "DelimitadorCRLFMemo" in the
// options read as Name=Value lines separated by ",".
QString delimitadorMemo(const QString& opciones) {
    if (!contiene(opciones, "DelimitadorCRLFMemo")) return QStringLiteral(" ");
    QString lineas = opciones;
    lineas.replace(QLatin1Char(','), kCrLf);
    const QString v = ValorParametro(QStringLiteral("DelimitadorCRLFMemo"), lineas);
    return v.isEmpty() ? QStringLiteral(" ") : v;
}

bool esMemo(const TField* f) {
    return f->DataType() == ftMemo || f->DataType() == ftFmtMemo;
}

// The rows of an open dataset as the layer's result text.
QString textoResultado(TDataSet* q, const QString& opciones, bool ado) {
    const bool formatoIni = !ado && contiene(opciones, "FormatoINI");
    const QString delimitador = delimitadorMemo(opciones);
    const QList<TField*> campos(q->Fields().begin(), q->Fields().end());
    const bool unaColumna = campos.size() == 1 && !formatoIni;
    const QString separador = formatoIni ? QString(kPuntoMedio) : QStringLiteral("|");
    QString resultado;
    for (q->First(); !q->Eof(); q->Next()) {
        if (unaColumna) {
            resultado += campos.first()->AsString();
        } else {
            QStringList valores;
            valores.reserve(campos.size());
            for (TField* f : campos) {
                QString v;
                // Replication's row identifier means nothing to a caller.
                const bool rowguid = !ado && f->FieldName() == QLatin1String("rowguid");
                if (!rowguid) {
                    if (esMemo(f)) {
                        try {
                            v = f->AsString();
                        } catch (const EDatabaseError&) {
                            v.clear();
                        }
                        v.replace(kCrLf, delimitador);
                    } else {
                        v = f->AsString();
                    }
                }
                valores << (formatoIni ? f->FieldName() + QLatin1Char('=') + v : v);
            }
            resultado += valores.join(separador);
        }
        resultado += kCrLf;
    }
    if (!contiene(opciones, "NoEliminarUltimoCRLF") && resultado.endsWith(kCrLf)) resultado.chop(2);
    return resultado;
}

// A plain message box: the statement that failed, for whoever reads the screen.
void mostrarSentencia(const QString& cabecera, const QString& sql) {
    MensajeInformacion(cabecera + kCrLf + sql);
}

// The null patches of a SELECT, outside its quoted values.
QString parchesNulos(const QString& sentencia, const QString& opciones) {
    const TLiteralesSQL literales(sentencia);
    QString sql = literales.Texto();
    const QString esNulo = QStringLiteral(" IS NULL ");
    sql.replace(QLatin1String("=NULL"), esNulo);
    sql.replace(QLatin1String("= NULL"), esNulo);
    if (contiene(opciones, "ForzarNULL")) {
        sql.replace(QLatin1String(" = ''"), esNulo);
        sql.replace(QLatin1String(" = \"\""), esNulo);
    }
    return literales.Restaurar(sql);
}

// Runs the statement in the query: SELECT (and, on the first road, EXEC)
// opened, anything else executed. Raises the engine's error.
void ejecutar(TQuery* q, bool abrir) {
    if (abrir)
        q->Open();
    else
        q->ExecSQL();
}

bool esTablaInexistente(const EDatabaseError& e) {
    return e.code() == DbError::TableNotFound || EsErrorTablaInexistente(e.Message());
}

TfGENEINIC* sesion() {
    return fGENEINIC ? fGENEINIC : CrearSesion();
}

void ejecutarSQL(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector,
                 const QString& Opciones, QString& Resultado, bool ado) {
    Resultado.clear();
    const bool silenciosa = contiene(Opciones, "Silenciosa");
    const QString palabra = primeraPalabra(SQL);
    const bool esSelect = palabra == QLatin1String("SELECT");
    const bool esExec = palabra == QLatin1String("EXEC");
    const bool usuario = contiene(Opciones, "SentenciaUsuario");
    // The procedure runs once: the first road reads its rows by opening it. A
    // user's statement is read whatever its first word (a WITH, a lower-case
    // select, a parenthesis or a comment first), which on PostgreSQL is in
    // a read-only transaction.
    const bool abrir = esSelect || (esExec && !ado) || usuario;

    auto q = std::make_unique<TQuery>();
    q->setRequestLive(false);
    q->setUserStatement(usuario);
    QString sentencia = IncluirNulosEnCondiciones(SQL);
    if (esSelect) sentencia = parchesNulos(sentencia, Opciones);
    try {
        q->setDatabaseName(NombreBaseDatosSelector(Selector));
        q->SQL().setText(sentencia);
        try {
            ejecutar(q.get(), abrir);
        } catch (const EDatabaseError& e) {
            if (ado || contiene(Opciones, "No Crear Tabla") || esExec || !esTablaInexistente(e))
                throw;
            q->Close();
            if (!CrearTablasSentencia(ModuloDatos, sentencia, q->Database()->DatabaseName())) throw;
            ejecutar(q.get(), abrir);
        }
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        Resultado = QStringLiteral("Error. No es posible ejecutar la sentencia SQL. Motivo: ") +
                    MotivoError(e);
        if (!silenciosa) {
            if (BaseNoDisponible(e)) {
                // The statement is not at fault: its cause alone, in one message.
                MensajeAdvertencia(TextoRechazo(e, Resultado));
                AnotarRechazoDicho();
            } else {
                MensajeAdvertencia(Resultado);
                mostrarSentencia(QStringLiteral("Hay un error en la siguiente Sentencia SQL: "),
                                 sentencia);
            }
        }
        return;
    }

    if (!abrir) return;
    try {
        Resultado = textoResultado(q.get(), Opciones, ado);
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        const QString motivo = MotivoError(e);
        Resultado = (ado ? QStringLiteral("Error. Se ha producido un error en la Sentencia SQL!. "
                                          "Motivo: ")
                         : QStringLiteral("Error. ¡Se ha producido un error en la Sentencia "
                                          "SQL!. Motivo: ")) +
                    motivo;
        if (!silenciosa) {
            MensajeError(Resultado);
            mostrarSentencia(QStringLiteral("SentenciaSQL:"), SQL);
        }
    }
}

// Where a name a WITH defines stands for the WITH's rows: from the WITH (its
// own part ended, unless RECURSIVE) to the end of the parenthesis it stands
// in, or of the statement.
struct AlcanceWith {
    QString nombre;
    qsizetype desde;
    qsizetype hasta;
};

// The names the statement's WITHs define, each with its reach; quoted texts
// and comments are read as the engine reads them.
QList<AlcanceWith> alcancesWith(const QString& SQL, SqlLexis lexis) {
    struct Pieza {
        QString texto;  // a name (unquoted), or "(", ")" or ","
        qsizetype pos;
        bool nombre;
    };
    QList<Pieza> piezas;
    ScanSqlText(SQL, lexis, [&](qsizetype inicio, qsizetype fin, bool codigo) {
        if (!codigo) {
            if (SQL.at(inicio) == QLatin1Char('"') && fin - inicio >= 2)
                piezas.append({SQL.mid(inicio + 1, fin - inicio - 2), inicio, true});
            return;
        }
        for (qsizetype i = inicio; i < fin;) {
            const QChar c = SQL.at(i);
            if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
                qsizetype e = i;
                while (e < fin && (SQL.at(e).isLetterOrNumber() || SQL.at(e) == QLatin1Char('_') ||
                                   SQL.at(e) == QLatin1Char('$')))
                    ++e;
                piezas.append({SQL.mid(i, e - i), i, true});
                i = e;
                continue;
            }
            if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(','))
                piezas.append({QString(c), i, false});
            ++i;
        }
    });
    const qsizetype n = piezas.size();
    // The closing parenthesis of each opening one (the end of the text when
    // none), and the opening one each piece stands in (-1: none).
    QList<qsizetype> cierre(n, SQL.size());
    QList<qsizetype> dentroDe(n, -1);
    QList<qsizetype> abiertas;
    for (qsizetype i = 0; i < n; ++i) {
        const Pieza& p = piezas.at(i);
        if (!p.nombre && p.texto == QLatin1String(")") && !abiertas.isEmpty()) {
            cierre[abiertas.takeLast()] = p.pos;
            continue;
        }
        dentroDe[i] = abiertas.isEmpty() ? -1 : abiertas.last();
        if (!p.nombre && p.texto == QLatin1String("(")) abiertas << i;
    }
    auto es = [&](qsizetype i, const char* palabra) {
        return i < n &&
               piezas.at(i).texto.compare(QLatin1String(palabra), Qt::CaseInsensitive) == 0;
    };
    auto finParentesis = [&](qsizetype i) {  // the piece after the one closing i
        const qsizetype hasta = cierre.at(i);
        while (i < n && piezas.at(i).pos < hasta) ++i;
        return i + 1;
    };
    QList<AlcanceWith> alcances;
    for (qsizetype w = 0; w < n; ++w) {
        if (!piezas.at(w).nombre || !es(w, "WITH")) continue;
        const qsizetype hasta = dentroDe.at(w) < 0 ? SQL.size() : cierre.at(dentroDe.at(w));
        qsizetype i = w + 1;
        const bool recursivo = es(i, "RECURSIVE");
        if (recursivo) ++i;
        while (i < n && piezas.at(i).nombre) {
            const QString nombre = piezas.at(i).texto;
            ++i;
            if (es(i, "(")) i = finParentesis(i);  // its column names
            if (!es(i, "AS")) break;
            ++i;
            if (es(i, "NOT")) ++i;
            if (es(i, "MATERIALIZED")) ++i;
            if (!es(i, "(")) break;
            alcances.append({nombre, recursivo ? piezas.at(w).pos : cierre.at(i), hasta});
            i = finParentesis(i);
            if (!es(i, ",")) break;
            ++i;
        }
    }
    return alcances;
}

// The table names a statement uses: the word after each FROM, JOIN, UPDATE,
// INTO and DELETE FROM, but for a name that stands there for a WITH's rows.
QStringList tablasSentencia(const QString& SQL, SqlLexis lexis) {
    const QList<AlcanceWith> alcances = alcancesWith(SQL, lexis);
    auto deWith = [&](const QString& nombre, qsizetype pos) {
        QString limpio = nombre;
        limpio.remove(QLatin1Char('"'));
        for (const AlcanceWith& a : alcances)
            if (pos >= a.desde && pos < a.hasta &&
                a.nombre.compare(limpio, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    // Line breaks as blanks, the text's positions kept.
    QString texto = SQL;
    texto.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    static const QRegularExpression clave(
        QStringLiteral("DELETE FROM |FROM |JOIN |UPDATE | INTO "));
    QList<qsizetype> inicios, finales;
    for (auto it = clave.globalMatch(texto); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        inicios << m.capturedStart();
        finales << m.capturedEnd();
    }
    QStringList tablas;
    for (qsizetype k = 0; k < finales.size(); ++k) {
        const qsizetype hasta = k + 1 < inicios.size() ? inicios.at(k + 1) : texto.size();
        qsizetype desde = finales.at(k);
        while (desde < hasta && texto.at(desde).isSpace()) ++desde;
        QString nombre = texto.mid(desde, hasta - desde).trimmed();
        nombre = nombre.left(nombre.indexOf(QLatin1Char(' ')));
        if (nombre.isEmpty()) break;
        // "T(a, b)", "T," and "T)" name T; "(SELECT" names no table.
        const qsizetype fin = nombre.indexOf(QRegularExpression(QStringLiteral("[(),;]")));
        if (fin >= 0) nombre.truncate(fin);
        if (!nombre.isEmpty() && !tablas.contains(nombre) && !deWith(nombre, desde))
            tablas << nombre;
    }
    return tablas;
}

bool enTransaccion(TQuery* q) {
    if (TransaccionIniciada) return true;
    try {
        TDatabase* db = q->Database();
        return db && db->InTransaction();
    } catch (const EDatabaseError&) {
        return false;  // a database that cannot be found runs no transaction
    }
}

bool esEntero(const QString& texto) {
    bool ok = false;
    texto.trimmed().toLongLong(&ok);
    return ok;
}

}  // namespace

TDatabase* BaseDatosSelector(const QString& Selector) {
    if (TDatabase* db = baseDeSesion(Selector)) return db;
    return TSession::instance().FindDatabase(NombreBaseDatosSelector(Selector));
}

QString NombreBaseDatosSelector(const QString& Selector) {
    if (TDatabase* db = baseDeSesion(Selector)) return db->DatabaseName();
    return Selector.isEmpty() ? QStringLiteral("Database") : Selector;
}

void EjecutarSQL(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector,
                 const QString& Opciones, QString& Resultado) {
    ejecutarSQL(ModuloDatos, SQL, Selector, Opciones, Resultado, false);
}

QString ConsultaSilenciosa(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector) {
    QString r;
    EjecutarSQL(ModuloDatos, SQL, Selector, QStringLiteral("Silenciosa"), r);
    return r.startsWith(QLatin1String("Error")) ? QString() : r;
}

void EjecutarSQLADO(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector,
                    const QString& Opciones, QString& Resultado) {
    ejecutarSQL(ModuloDatos, SQL, Selector, Opciones, Resultado, true);
}

void EjecutarSQLCache(TModuloDatos* ModuloDatos, const QString& SQL, QStringList& Cache,
                      const QString& Selector, const QString& Opciones, QString& Resultado) {
    if (Cache.size() > kMaximoCache) Cache.removeFirst();
    QString clave = SQL;
    clave.replace(QLatin1Char('='), QLatin1String("$IGUAL$"));
    const QString prefijo = clave + QLatin1Char('=');
    for (const QString& linea : std::as_const(Cache)) {
        if (!linea.startsWith(prefijo)) continue;
        QString valor = linea.mid(prefijo.size());
        if (valor.isEmpty()) break;  // as a miss
        if (valor == QLatin1String("Conjunto_Vacio")) {
            Resultado.clear();
        } else {
            valor.replace(QLatin1String("$IGUAL$"), QLatin1String("="));
            valor.replace(QLatin1String("$CRLF$"), kCrLf);
            Resultado = valor;
        }
        return;
    }
    EjecutarSQL(ModuloDatos, SQL, Selector, Opciones, Resultado);
    // A failure may pass (a lock, a table created meanwhile): never kept.
    if (Resultado.startsWith(QLatin1String("Error."))) return;
    QString guardado = Resultado;
    guardado.replace(QLatin1Char('='), QLatin1String("$IGUAL$"));
    guardado.replace(kCrLf, QLatin1String("$CRLF$"));
    Cache.append(prefijo + (guardado.isEmpty() ? QStringLiteral("Conjunto_Vacio") : guardado));
}

bool CrearTablasSentencia(TModuloDatos* ModuloDatos, const QString& SQL, const QString& Selector) {
    bool resultado = true;
    TDatabase* base = nullptr;
    try {
        base = BaseDatosSelector(Selector);
    } catch (const EDatabaseError&) {
        return false;
    }
    const SqlLexis lexis =
        base->engine() == Engine::Postgres ? SqlLexis::Postgres : SqlLexis::Standard;
    for (const QString& nombre : tablasSentencia(SQL, lexis)) {
        // A general table named in a company statement lives in the general
        // database; tables that exist are left alone.
        QString baseTabla = base->DatabaseName();
        TDatabase* destino = base;
        if (EsTablaGeneral(nombre) && !EsTablaTemporal(nombre)) {
            try {
                destino = BaseDatosSelector(QStringLiteral("DatabaseGeneral"));
                baseTabla = destino->DatabaseName();
            } catch (const EDatabaseError&) {
            }
        }
        try {
            if (destino->TableExists(nombre)) continue;
        } catch (const EDatabaseError&) {
            return false;
        }
        TTable tabla(ModuloDatos);
        tabla.setObjectName(QStringLiteral("TablaSentencia"));
        tabla.setTableName(nombre);
        // A database opened by its direct name keeps its one "?".
        tabla.setDatabaseName(
            baseTabla.startsWith(QLatin1Char('?')) ? baseTabla : QStringLiteral("?") + baseTabla);
        // -1: the database named after "?", the statement's own. The current
        // company's code would send a general table named in a statement on
        // the general database to the company database instead.
        // As any new table: one that ships rows (the print formats) gets them.
        resultado = CrearTabla(sesion(), &tabla);
        if (!resultado) break;
    }
    return resultado;
}

bool AbrirConsulta(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones) {
    QString motivo;
    return AbrirConsulta(ModuloDatos, Consulta, Opciones, motivo);
}

bool AbrirConsulta(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones,
                   QString& Motivo) {
    Motivo.clear();
    if (!Consulta) return false;
    Consulta->Close();
    // A direct name ("?" + folder or schema) keeps its "?": the session
    // resolves both forms.
    if (Consulta->DatabaseName().isEmpty())
        Consulta->setDatabaseName(NombreBaseDatosSelector(QString()));
    QString opciones = Opciones;
    if (!contiene(opciones, "Open") && !contiene(opciones, "ExecSQL")) {
        const QString palabra = primeraPalabra(Consulta->SQL().Text()).toUpper();
        opciones += palabra == QLatin1String("SELECT") || palabra == QLatin1String("(SELECT")
                        ? QStringLiteral(",Open")
                        : QStringLiteral(",ExecSQL");
    }
    const bool abrir = contiene(opciones, "Open");
    bool resultado = false;
    try {
        try {
            ejecutar(Consulta, abrir);
        } catch (const EDatabaseError& e) {
            if (!esTablaInexistente(e)) throw;
            Consulta->Close();
            if (!CrearTablasSentencia(ModuloDatos, Consulta->SQL().Text(),
                                      Consulta->DatabaseName()))
                throw;
            ejecutar(Consulta, abrir);
        }
        resultado = true;
    } catch (const EAbort&) {
        throw;
    } catch (const EDatabaseError& e) {
        // Only a unit of work under way is spoilt by the failure; outside one
        // the flag would refuse the next delete of the personnel master.
        if (enTransaccion(Consulta)) ErrorEnTransaccion = true;
        // The translator's words, or the engine's after their lead-in: a
        // warning, and the program goes on.
        Motivo = MotivoError(e);
        if (!contiene(opciones, "Silencio")) {
            if (BaseNoDisponible(e)) {
                // The statement is not at fault: its cause alone, in one message.
                MensajeAdvertencia(TextoRechazo(e, Motivo));
                AnotarRechazoDicho();
            } else {
                MensajeAdvertencia(
                    QStringLiteral("¡No es posible ejecutar la sentencia SQL. Motivo: ") + Motivo);
                mostrarSentencia(QStringLiteral("Hay un error en la siguiente Sentencia SQL: "),
                                 Consulta->SQL().Text());
            }
        }
        return false;
    }
    if (resultado && abrir && contiene(opciones, "Temporal") && TipoBaseDatos == kSqlServer)
        CrearTablaSQLServer(ModuloDatos, Consulta);
    return resultado;
}

bool AbrirConsultaADO(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Opciones) {
    // The second road is the same connection here; it has no "Temporal" step.
    QString opciones = Opciones;
    opciones.remove(QLatin1String("Temporal"));
    return AbrirConsulta(ModuloDatos, Consulta, opciones);
}

// A result column as SQL Server keeps it; the types the system gives no
// column get the nearest one.
QString tipoColumnaSQLServer(const TField* f) {
    const QString fecha = QStringLiteral(" DATETIME DEFAULT ") + Entrecomillar(FechaCeroSQL);
    switch (f->DataType()) {
        case ftString:
            return QStringLiteral(" VARCHAR(") + QString::number(f->Size()) +
                   QStringLiteral(") DEFAULT ''");
        case ftSmallint:
            return QStringLiteral(" SMALLINT DEFAULT 0");
        case ftInteger:
        case ftWord:
            return QStringLiteral(" INTEGER DEFAULT 0");
        case ftAutoInc:
            return QStringLiteral(" INTEGER IDENTITY(1,1)");
        case ftDateTime:
        case ftDate:
        case ftTime:
            return fecha;
        case ftFloat:
            if (f->FieldName() == QLatin1String("Cambio") ||
                f->FieldName().contains(QLatin1String("Factor")))
                return QStringLiteral(" DECIMAL(28,12) DEFAULT 0");
            return QStringLiteral(" DECIMAL(28,8) DEFAULT 0");
        case ftCurrency:
        case ftBCD:
            return QStringLiteral(" DECIMAL(28,8) DEFAULT 0");
        case ftBoolean:
            return QStringLiteral(" BIT DEFAULT 0");
        case ftMemo:
        case ftFmtMemo:
            return QStringLiteral(" TEXT");
        default:
            return QStringLiteral(" IMAGE");
    }
}

QString ColumnasTablaSQLServer(TDataSet* Consulta) {
    QString columnas;
    for (TField* f : Consulta->Fields())
        columnas += f->FieldName() + tipoColumnaSQLServer(f) +
                    (f->Required() ? QStringLiteral(", ") : QStringLiteral(" NULL, "));
    return columnas;
}

void CrearTablaSQLServer(TModuloDatos* ModuloDatos, TQuery* Consulta) {
    QString nombre;
    NombreTablaTemporalUnica(ModuloDatos, ModuloDatos, 0, nombre);
    const QString columnas = ColumnasTablaSQLServer(Consulta);
    const QString sql = Consulta->SQL().Text();
    Consulta->Close();
    const QString general = QStringLiteral("DatabaseGeneral");
    QString r;
    EjecutarSQL(ModuloDatos, QStringLiteral("DROP TABLE ") + nombre, general,
                QStringLiteral("Silenciosa"), r);
    EjecutarSQL(ModuloDatos,
                QStringLiteral("CREATE TABLE ") + nombre + QStringLiteral(" (") + columnas +
                    QStringLiteral(")"),
                general, QString(), r);
    const QString tabla = AliasBaseDatosGeneral + QStringLiteral(".dbo.") + nombre;
    EjecutarSQL(ModuloDatos, QStringLiteral("INSERT INTO ") + tabla + QLatin1Char(' ') + sql,
                QStringLiteral("Database"), QString(), r);
    Consulta->SQL().setText(QStringLiteral("SELECT * FROM ") + tabla);
    Consulta->Open();
}

bool InsertarRegistroSQL(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Selector,
                         const QString& Opciones) {
    const QStringList lineas = LineasTexto(Texto);
    if (lineas.isEmpty()) return false;
    QStringList campos, valores;
    for (qsizetype i = 1; i < lineas.size(); ++i) {
        const QString& linea = lineas.at(i);
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        const QString campo = linea.left(igual);
        QString valor = linea.mid(igual + 1);
        valor.remove(QLatin1Char('\''));
        if (campo.isEmpty() || valor.isEmpty()) continue;
        campos << campo;
        valores << QLatin1Char('\'') + valor + QLatin1Char('\'');
    }
    const QString sql = QStringLiteral("INSERT INTO ") + lineas.first() + QStringLiteral(" (") +
                        campos.join(QStringLiteral(", ")) + QStringLiteral(") ") +
                        QStringLiteral(" VALUES (") + valores.join(QStringLiteral(", ")) +
                        QStringLiteral(") ");
    QString r;
    if (contiene(Opciones, "ADOConnection"))
        EjecutarSQLADO(ModuloDatos, sql, Selector, Opciones, r);
    else
        EjecutarSQL(ModuloDatos, sql, Selector, Opciones, r);
    return r.isEmpty();
}

QString SentenciaActualizarRegistroSQL(TModuloDatos* ModuloDatos, TDataSet* Tabla) {
    if (!Tabla) return QString();
    QStringList asignaciones;
    for (TField* f : Tabla->Fields()) {
        if (!esMemo(f) || f->FieldKind() != fkData) continue;
        const QString texto = f->AsString();
        asignaciones << f->FieldName() + QStringLiteral(" = ") +
                            (texto.isEmpty() ? QStringLiteral("NULL") : Entrecomillar(texto));
    }
    if (asignaciones.isEmpty()) return QString();

    auto* tabla = qobject_cast<TTable*>(Tabla);
    QString nombre, claves;
    if (tabla) {
        nombre = tabla->TableName();
        CamposClave(ModuloDatos, tabla, QString(), claves);
    } else if (auto* q = qobject_cast<TQuery*>(Tabla)) {
        nombre = NombreTablaSQL(q->SQL().Text());
        CamposClaveSQL(ModuloDatos, nombre, QString(), claves);
    }
    QStringList condiciones;
    for (const QString& campo : claves.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        TField* f = Tabla->FindField(campo);
        if (!f) return QString();
        const QString valor = f->DataType() == ftDate || f->DataType() == ftDateTime
                                  ? ValorSQL(f->Value())
                                  : Entrecomillar(f->AsString());
        condiciones << campo + QStringLiteral(" = ") + valor;
    }
    if (condiciones.isEmpty()) return QString();
    return QStringLiteral("UPDATE ") + nombre + QStringLiteral("  SET ") +
           asignaciones.join(QStringLiteral(", ")) + QStringLiteral("  WHERE ") +
           condiciones.join(QStringLiteral(" AND "));
}

void ActualizarRegistroSQL(TModuloDatos* ModuloDatos, TDataSet* Tabla) {
    if (TipoBaseDatos != kSqlServer) return;
    const QString sql = SentenciaActualizarRegistroSQL(ModuloDatos, Tabla);
    if (sql.isEmpty()) return;
    auto* db = qobject_cast<TDBDataSet*>(Tabla);
    QString r;
    EjecutarSQL(ModuloDatos, sql, db ? db->DatabaseName() : QString(), QString(), r);
}

void ConsultasGuardadas(TModuloDatos* ModuloDatos, const QString& Usuario,
                        const QString& Aplicacion, const QString& Tipo, QString& Lista) {
    Lista.clear();
    const QString clave = Tipo == QLatin1String("ConsultasSQL") ? QStringLiteral("SQL") : Tipo;
    TQuery q;
    q.setRequestLive(false);
    q.setDatabaseName(NombreBaseDatosSelector(QString()));
    q.SQL().setText(QStringLiteral("SELECT Descripcion, Instrucciones FROM FILTRO   WHERE "
                                   "NombreTabla = ") +
                    Entrecomillar(clave) + QStringLiteral("  ORDER BY Descripcion"));
    if (!AbrirConsulta(ModuloDatos, &q, QStringLiteral("Open"))) return;

    const bool todas = Usuario.isEmpty() && Aplicacion.isEmpty();
    // The menu lists exactly the queries the run check lets the user run.
    TDerechoConsultas derecho(ModuloDatos, Usuario);
    auto nombres = [](const QString& texto) {
        QStringList l = texto.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString& s : l) s = s.trimmed();
        return l;
    };
    for (q.First(); !q.Eof(); q.Next()) {
        const QString descripcion = q.FieldByName(QStringLiteral("Descripcion"))->AsString();
        if (!todas) {
            const QString instrucciones =
                q.FieldByName(QStringLiteral("Instrucciones"))->AsString();
            if (!nombres(ValorParametro(QStringLiteral("AplicacionesContenedoras"), instrucciones))
                     .contains(Aplicacion))
                continue;
            if (!derecho.Autorizada(instrucciones)) continue;
        }
        Lista += descripcion + kCrLf;
    }
}

void VariablesSQL(TModuloDatos*, const QString& SQL, QString& Lista) {
    QStringList lista;
    const QStringList trozos = SQL.split(QLatin1Char(':'));
    for (const QString& trozo : trozos) {
        if (trozo.isEmpty()) break;
        const QChar c = trozo.at(0);
        if (c != QLatin1Char('$') && c != QLatin1Char('#') && c != QLatin1Char('&') &&
            c != QLatin1Char('*'))
            continue;
        QString t = trozo;
        t.replace(kCrLf, QStringLiteral(" "));
        for (QChar x : {QChar(u')'), QChar(u'('), QChar(u',')}) t.replace(x, QLatin1Char(' '));
        const QString nombre = t.left(t.indexOf(QLatin1Char(' ')));
        lista << (lista.contains(nombre)
                      ? nombre + QLatin1Char('_') + QString::number(lista.size() - 1)
                      : nombre);
    }
    Lista.clear();
    for (const QString& n : std::as_const(lista)) Lista += n + kCrLf;
}

void AsignarVariablesSQL(TModuloDatos* ModuloDatos, TQuery* Consulta, const QString& Valores) {
    AsignarValoresVariablesSQL(ModuloDatos, Consulta, Valores.split(QLatin1Char('|')));
}

void AsignarValoresVariablesSQL(TModuloDatos* ModuloDatos, TQuery* Consulta,
                                const QStringList& valores) {
    if (!Consulta) return;
    QString lista;
    VariablesSQL(ModuloDatos, Consulta->SQL().Text(), lista);
    AsignarValoresVariablesSQL(ModuloDatos, Consulta, LineasTexto(lista), valores);
}

void AsignarValoresVariablesSQL(TModuloDatos*, TQuery* Consulta, const QStringList& variables,
                                const QStringList& valores) {
    if (!Consulta) return;
    for (qsizetype i = 0; i < variables.size(); ++i) {
        const QString& nombre = variables.at(i);
        // The query makes its parameters from its text; a name it did not
        // take as one (see TQuery::ParamNames) gets no value here.
        TParam* p = Consulta->Params().FindParam(nombre);
        if (!p) continue;
        const QString valor = valores.value(i);
        switch (nombre.at(0).unicode()) {
            case '$':
                p->setAsString(valor);
                break;
            case '#':
                if (esEntero(valor))
                    p->setAsInteger(valor.trimmed().toInt());
                else
                    p->setAsFloat(TextoAReal(valor));
                break;
            case '&':
                p->setAsDateTime(TextoAFechaHora(valor));
                break;
            default:
                break;  // "*": the caller writes it into the text
        }
    }
}

void AsignarHora(TModuloDatos*, TField* Campo, const QString& Texto) {
    if (!Campo) return;
    if (Texto.isEmpty())
        Campo->setAsString(QStringLiteral("00:00:00"));
    else if (!Texto.contains(QLatin1Char(':')))
        Campo->setAsString(Texto + QStringLiteral(":00:00"));
    else
        Campo->setAsString(Texto);
}

namespace {

// The display text the field gives without a get-text handler: these two
// are installed as that handler, so DisplayText would call them again.
QString textoPresentacion(TField* Campo) {
    return Campo->DisplayFormat().isEmpty()
               ? Campo->AsString()
               : FormatDateTime(Campo->DisplayFormat(), Campo->AsDateTime());
}

}  // namespace

void TextoCampoFecha(TModuloDatos*, TField* Campo, QString& Texto) {
    Texto.clear();
    if (!Campo || Campo->IsNull()) return;
    const QString t = textoPresentacion(Campo);
    if (Campo->AsFloat() == 0 || t.contains(QLatin1String("1899"))) return;
    Texto = t;
}

void TextoCampoFechaHora(TModuloDatos*, TField* Campo, QString& Texto) {
    Texto.clear();
    if (!Campo || Campo->IsNull() || Campo->AsFloat() == 0) return;
    const QString t = textoPresentacion(Campo);
    if (!t.contains(QLatin1String("1899"))) {
        Texto = t;
        return;
    }
    const qsizetype blanco = t.indexOf(QLatin1Char(' '));
    Texto = blanco >= 0 ? t.mid(blanco + 1) : QString();
}

QString MotivoSegundaSentencia(const QString& SQL) {
    // As either engine reads it: a ";" that one of them takes as quoted may
    // be code for the other.
    if (!SqlHoldsSeveralStatements(SQL, SqlLexis::Standard) &&
        !SqlHoldsSeveralStatements(SQL, SqlLexis::Postgres))
        return QString();
    // A trigger's body holds its own ";": refused as what it is, a trigger
    // (neither engine lets a user's statement make one).
    QStringList palabras;
    ScanSqlText(SQL, SqlLexis::Standard, [&](qsizetype inicio, qsizetype fin, bool codigo) {
        static const QRegularExpression palabra(QStringLiteral("[A-Za-z]+|[^A-Za-z\\s;]"));
        if (!codigo) return;
        auto it = palabra.globalMatch(QStringView(SQL).mid(inicio, fin - inicio));
        while (it.hasNext() && palabras.size() < 3) palabras << it.next().captured().toUpper();
    });
    if (palabras.value(0) == QLatin1String("CREATE") &&
        (palabras.value(1) == QLatin1String("TRIGGER") ||
         (palabras.value(2) == QLatin1String("TRIGGER") &&
          (palabras.value(1) == QLatin1String("TEMP") ||
           palabras.value(1) == QLatin1String("TEMPORARY")))))
        return ReachingNameReason(QStringLiteral("CREATE TRIGGER"));
    return SeveralStatementsReason();
}
