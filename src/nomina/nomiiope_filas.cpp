#include "nomina/nomiiope_filas.h"

#include <QSqlQuery>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/fieldtypes.h"
#include "db/sysutils.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"

namespace {

// Payroll rows are never dropped for the destination's.
bool EsNomina(const QString& Tabla) {
    static const QStringList nomina = {QStringLiteral("NOMINA"), QStringLiteral("LNOMINA"),
                                       QStringLiteral("ATRASOS"), QStringLiteral("LCOTIZAC"),
                                       QStringLiteral("LBONIFIC")};
    return nomina.contains(Tabla.toUpper());
}

// The lines of a head row: they share its key and go with it.
QString LineasDe(const QString& Tabla) {
    const QString t = Tabla.toUpper();
    if (t == QLatin1String("EVLCION")) return QStringLiteral("LEVLCION");
    if (t == QLatin1String("NOMINA")) return QStringLiteral("LNOMINA");
    return QString();
}

// Rows that name a contract by its number follow it when it is renumbered.
bool SigueAContrato(const QString& Tabla) {
    const QString t = Tabla.toUpper();
    return t == QLatin1String("HBONIFIC") || t == QLatin1String("NOMINA");
}
const char* const kContratos = "HCONTRAT";
const char* const kNumeroContrato = "NumeroContrato";

// A line or sequence number: the last key field, counted by the program.
bool EsNumeroLinea(const TFieldDef& Campo) {
    return IsIntegerType(Campo.DataType) &&
           (Campo.Name.compare(QLatin1String("Linea"), Qt::CaseInsensitive) == 0 ||
            Campo.Name.startsWith(QLatin1String("Numero"), Qt::CaseInsensitive));
}

// The attachments of a record: table, owner's table-name field, key field.
struct Anexo {
    const char* tabla;
    const char* campoNombre;
    const char* campoClave;
};
constexpr Anexo kAnexos[] = {
    {"DOCUTRON", "NombreTabla", "ClaveTabla"},   {"GRANTAB", "NombreTabla", "ClaveTabla"},
    {"CONTACTO", "NombreTabla", "CodigoTabla"},  {"BLOBTAB", "NombreTabla", "ClaveTabla"},
    {"RESPDOC", "NombreTabla", "ClaveTabla"},    {"RELACION", "NombreTablaA", "ClaveTablaA"},
    {"RELACION", "NombreTablaB", "ClaveTablaB"},
};

// A value as the key routines write it (a time of day as its time).
QString TextoValor(const QVariant& Valor, const TFieldDef& Campo) {
    if (Campo.DataType == ftDateTime &&
        Campo.Name.contains(QLatin1String("Hora"), Qt::CaseInsensitive))
        return TimeToStr(TField::Normalize(Valor, ftDateTime).toDateTime().time());
    return TField::TextOf(Valor, Campo.DataType);
}

}  // namespace

struct TMovedorCodigos::Tabla {
    QString nombre, fisico;
    bool existe = false;
    TFieldDefs columnas;
    QStringList clave;  // the primary key's fields, dictionary spelling

    const TFieldDef* campo(const QString& Nombre) const {
        for (const TFieldDef& d : columnas)
            if (d.Name.compare(Nombre, Qt::CaseInsensitive) == 0) return &d;
        return nullptr;
    }
    int posicion(const QString& Nombre) const {
        for (int i = 0; i < clave.size(); ++i)
            if (clave[i].compare(Nombre, Qt::CaseInsensitive) == 0) return i;
        return -1;
    }
};

TMovedorCodigos::TMovedorCodigos(TDatabase* Base, QStringList& Incidencias,
                                 std::function<void(const QString&)> Estado)
    : base_(Base), incidencias_(Incidencias), estado_(std::move(Estado)) {}

TMovedorCodigos::~TMovedorCodigos() {
    qDeleteAll(tablas_);
}

void TMovedorCodigos::Empezar(const QString& Origen, const QString& Destino) {
    origen_ = Origen;
    destino_ = Destino;
    numeros_.clear();
    Descartes.clear();
}

const TMovedorCodigos::Tabla& TMovedorCodigos::tabla(const QString& Nombre) {
    const QString k = Nombre.toUpper();
    if (Tabla* t = tablas_.value(k)) return *t;
    auto* t = new Tabla;
    tablas_.insert(k, t);
    t->nombre = Nombre;
    NombreTablaFisico(ModuloDatos, Nombre, t->fisico);
    if (t->fisico.isEmpty()) t->fisico = Nombre;
    t->existe = base_->TableExists(t->fisico);
    if (!t->existe) return *t;
    t->columnas = base_->ColumnDefs(t->fisico);
    for (const TIndexDef& i : base_->IndexDefs(t->fisico))
        if (i.Options & ixPrimary) {
            t->clave = i.FieldList();
            break;
        }
    return *t;
}

QVariant TMovedorCodigos::valor(const Tabla& T, const QString& Columna,
                                const QVariant& Codigo) const {
    const TFieldDef* d = T.campo(Columna);
    if (d && IsStringType(d->DataType)) return Codigo.toString();
    return Codigo.toString().toLongLong();
}

bool TMovedorCodigos::Mover(const TLugarCodigo& Lugar) {
    return mover(Lugar, origen_, destino_, true);
}

bool TMovedorCodigos::MoverAnexosMaestro(const QString& NombreTabla) {
    try {
        return moverAnexos(NombreTabla, 0, {});
    } catch (const EDatabaseError& e) {
        incidencias_ << QStringLiteral("La tabla ") + NombreTabla +
                            QStringLiteral(" no se puede procesar. Motivo: ") + MotivoError(e);
        return false;
    }
}

// The statements of one place for one pair: the origin's rows under an
// alias, the destination's row of the same key, the next free numbers.
struct TMovedorCodigos::Sentencias {
    const Tabla& t;
    const TLugarCodigo& l;
    QVariant o, d;
    int pos;

    QString delOrigen(const QString& a, QVariantList& v) const {
        v << o;
        QString s = a + l.Columna + QStringLiteral(" = ?");
        if (!l.CampoPropietario.isEmpty()) {
            s += QStringLiteral(" AND ") + a + l.CampoPropietario + QStringLiteral(" = ?");
            v << l.Propietario;
        }
        return s;
    }
    QString choca(const QString& a, QVariantList& v) const {
        v << d;
        QString s = QStringLiteral("EXISTS (SELECT 1 FROM ") + t.fisico +
                    QStringLiteral(" d WHERE d.") + l.Columna + QStringLiteral(" = ?");
        for (int i = 0; i < t.clave.size(); ++i)
            if (i != pos)
                s +=
                    QStringLiteral(" AND d.") + t.clave[i] + QStringLiteral(" = ") + a + t.clave[i];
        return s + QLatin1Char(')');
    }
    // The origin's rows that collide with the destination's. The values
    // to bind are appended in the order of the text.
    QString colisionan(const QString& a, QVariantList& v) const {
        QString s = delOrigen(a, v);
        s += QStringLiteral(" AND ");
        s += choca(a, v);
        return s;
    }
    // The colliding rows of the origin, their key as c0, c1, ... and the
    // number each takes: the highest number of either code among the rows
    // that share the rest of its key, plus its rank among the colliding ones.
    QString numeros(QVariantList& v) const {
        const QString c = l.Columna, n = t.clave.last();
        QStringList grupo, particion, mismoGrupo;
        for (int i = 0; i < t.clave.size() - 1; ++i)
            if (i != pos) grupo << t.clave[i];
        QString s = QStringLiteral("SELECT ");
        for (int i = 0; i < t.clave.size(); ++i)
            s += QStringLiteral("o.") + t.clave[i] + QStringLiteral(" AS c") + QString::number(i) +
                 QStringLiteral(", ");
        // The highest number of each group, read once for the group.
        QString maximos = QStringLiteral("SELECT ");
        for (const QString& g : grupo) {
            maximos += QStringLiteral("x.") + g + QStringLiteral(", ");
            particion << QStringLiteral("o.") + g;
            mismoGrupo << QStringLiteral("m.") + g + QStringLiteral(" = o.") + g;
        }
        maximos += QStringLiteral("MAX(x.") + n + QStringLiteral(") AS maximo FROM ") + t.fisico +
                   QStringLiteral(" x WHERE x.") + c + QStringLiteral(" IN (?, ?)");
        v << o << d;
        if (!l.CampoPropietario.isEmpty()) {
            maximos += QStringLiteral(" AND x.") + l.CampoPropietario + QStringLiteral(" = ?");
            v << l.Propietario;
        }
        if (!grupo.isEmpty()) {
            QStringList x;
            for (const QString& g : grupo) x << QStringLiteral("x.") + g;
            maximos += QStringLiteral(" GROUP BY ") + x.join(QStringLiteral(", "));
        }
        s += QStringLiteral("m.maximo + ROW_NUMBER() OVER (");
        if (!particion.isEmpty())
            s += QStringLiteral("PARTITION BY ") + particion.join(QStringLiteral(", ")) +
                 QLatin1Char(' ');
        s += QStringLiteral("ORDER BY o.") + n + QStringLiteral(") AS nuevo FROM ") + t.fisico +
             QStringLiteral(" o, (") + maximos + QStringLiteral(") m WHERE ");
        for (const QString& g : mismoGrupo) s += g + QStringLiteral(" AND ");
        return s + colisionan(QStringLiteral("o."), v);
    }
    // The rows collide on a line or sequence number.
    bool numerada() const {
        if (pos < 0 || pos == t.clave.size() - 1) return false;
        const TFieldDef* n = t.campo(t.clave.last());
        return n && EsNumeroLinea(*n);
    }
};

QList<TMovedorCodigos::Renumerada> TMovedorCodigos::renumeradas(const TLugarCodigo& Lugar,
                                                                const QVariant& Origen,
                                                                const QVariant& Destino) {
    const QString cache = Lugar.Tabla.toUpper() + QLatin1Char('/') + Lugar.Propietario;
    if (numeros_.contains(cache)) return numeros_.value(cache);
    QList<Renumerada> lista;
    const Tabla& t = tabla(Lugar.Tabla);
    const Sentencias s{t, Lugar, valor(t, Lugar.Columna, Origen), valor(t, Lugar.Columna, Destino),
                       t.posicion(Lugar.Columna)};
    if (t.existe && s.numerada()) {
        QVariantList v;
        QSqlQuery q = base_->Execute(s.numeros(v), v);
        const int k = int(t.clave.size());
        while (q.next()) {
            Renumerada r;
            r.Posicion = k - 1;
            for (int i = 0; i < k; ++i) r.Clave << TextoValor(q.value(i), *t.campo(t.clave[i]));
            r.Viejo = q.value(k - 1);
            r.Nuevo = q.value(k).toLongLong();
            r.TextoNuevo = QString::number(r.Nuevo.toLongLong());
            lista << r;
        }
    }
    numeros_.insert(cache, lista);
    return lista;
}

QString TMovedorCodigos::columnas(const Tabla& T, const QString& Alias) {
    QStringList l;
    for (const TFieldDef& d : T.columnas) l << Alias + d.Name;
    return l.join(QStringLiteral(", "));
}

void TMovedorCodigos::listar(const QString& Sql, const QVariantList& Valores,
                             const QString& NombreTabla) {
    const Tabla& t = tabla(NombreTabla);
    QSqlQuery q = base_->Execute(Sql, Valores);
    while (q.next()) {
        QStringList textos;
        for (int i = 0; i < t.columnas.size(); ++i) {
            const TFieldDef& d = t.columnas[i];
            if (d.DataType == ftBlob || d.DataType == ftGraphic) continue;
            textos << d.Name + QLatin1Char('=') + TextoValor(q.value(i), d);
        }
        Descartes << QStringLiteral("¡Prevalece el Destino ") + destino_ +
                         QStringLiteral(" en la tabla ") + NombreTabla +
                         QStringLiteral("! Se descarta del Origen ") + origen_ +
                         QStringLiteral(": ") + textos.join(QStringLiteral("; "));
    }
}

bool TMovedorCodigos::mover(const TLugarCodigo& Lugar, const QVariant& Origen,
                            const QVariant& Destino, bool ConAnexos) {
    const Tabla& t = tabla(Lugar.Tabla);
    if (!t.existe) return true;
    if (estado_)
        estado_(QStringLiteral("Procesando ") + Lugar.Columna + QLatin1Char(' ') +
                Origen.toString() + QStringLiteral(" tabla ") + Lugar.Tabla);
    const Sentencias s{t, Lugar, valor(t, Lugar.Columna, Origen), valor(t, Lugar.Columna, Destino),
                       t.posicion(Lugar.Columna)};
    const QString c = Lugar.Columna;
    try {
        // Most tables hold nothing of the origin: nothing more to ask them.
        {
            QVariantList v;
            const QString hay = QStringLiteral("SELECT 1 WHERE EXISTS (SELECT 1 FROM ") + t.fisico +
                                QStringLiteral(" o WHERE ") + s.delOrigen(QStringLiteral("o."), v) +
                                QLatin1Char(')');
            if (!base_->Scalar(hay, v).isValid()) return true;
        }
        // PostgreSQL plans the joins of a merge by the table's statistics:
        // rows just loaded and never analysed would be joined row by row.
        if (s.pos >= 0 && base_->engine() == Engine::Postgres &&
            !analizadas_.contains(t.fisico.toUpper())) {
            base_->Execute(QStringLiteral("ANALYZE ") + t.fisico);
            analizadas_.insert(t.fisico.toUpper());
        }
        // The rows that name a renumbered contract take its new number first.
        if (SigueAContrato(Lugar.Tabla) && t.campo(QLatin1String(kNumeroContrato))) {
            const TLugarCodigo contratos{QLatin1String(kContratos), c, {}, {}};
            for (const Renumerada& r : renumeradas(contratos, origen_, destino_)) {
                QVariantList v{r.Nuevo};
                QString sql = QStringLiteral("UPDATE ") + t.fisico + QStringLiteral(" SET ") +
                              QLatin1String(kNumeroContrato) + QStringLiteral(" = ? WHERE ");
                sql += s.delOrigen(QString(), v);
                sql += QStringLiteral(" AND ") + QLatin1String(kNumeroContrato) +
                       QStringLiteral(" = ?");
                v << r.Viejo;
                base_->Execute(sql, v);
            }
        }
        QList<Renumerada> renumerados;
        const bool anexos = ConAnexos && s.pos >= 0 && tieneAnexos(Lugar.Tabla);
        if (s.pos >= 0) {
            QVariantList v;
            // Whether any row collides: the first one found answers.
            const QString choque = QStringLiteral("SELECT 1 WHERE EXISTS (SELECT 1 FROM ") +
                                   t.fisico + QStringLiteral(" o WHERE ") +
                                   s.colisionan(QStringLiteral("o."), v) + QLatin1Char(')');
            const int colisiones = base_->Scalar(choque, v).isValid() ? 1 : 0;
            if (colisiones > 0 && EsNomina(Lugar.Tabla)) {
                incidencias_ << QStringLiteral("¡Error grabando el dato ") + Origen.toString() +
                                    QStringLiteral(" en la tabla ") + Lugar.Tabla +
                                    QStringLiteral("! El Destino ") + Destino.toString() +
                                    QStringLiteral(" tiene ya esas filas.");
                return false;
            }
            if (colisiones > 0 && s.numerada()) {
                // What the rows' attachments and the rows naming them follow.
                if (anexos ||
                    Lugar.Tabla.compare(QLatin1String(kContratos), Qt::CaseInsensitive) == 0)
                    renumerados = renumeradas(Lugar, Origen, Destino);
                QVariantList u{s.d};
                QString sql = QStringLiteral("UPDATE ") + t.fisico + QStringLiteral(" AS u SET ") +
                              c + QStringLiteral(" = ?, ") + t.clave.last() +
                              QStringLiteral(" = s.nuevo FROM (");
                sql += s.numeros(u);
                sql += QStringLiteral(") s WHERE ");
                sql += s.delOrigen(QStringLiteral("u."), u);
                for (int i = 0; i < t.clave.size(); ++i)
                    if (i != s.pos)
                        sql += QStringLiteral(" AND u.") + t.clave[i] + QStringLiteral(" = s.c") +
                               QString::number(i);
                base_->Execute(sql, u);
            } else if (colisiones > 0) {
                descartar(s);
            }
        }
        QVariantList v{s.d};
        base_->Execute(QStringLiteral("UPDATE ") + t.fisico + QStringLiteral(" SET ") + c +
                           QStringLiteral(" = ? WHERE ") + s.delOrigen(QString(), v),
                       v);
        if (anexos) return moverAnexos(Lugar.Tabla, s.pos, renumerados);
        return true;
    } catch (const EDatabaseError& e) {
        if (e.code() == DbError::KeyViolation)
            incidencias_ << QStringLiteral("¡Error grabando el dato ") + Origen.toString() +
                                QStringLiteral(" en la tabla ") + Lugar.Tabla + QStringLiteral("!");
        else
            incidencias_ << QStringLiteral("La tabla ") + Lugar.Tabla +
                                QStringLiteral(" no se puede procesar. Motivo: ") + MotivoError(e);
        return false;
    }
}

void TMovedorCodigos::descartar(const Sentencias& s) {
    // The destination's row prevails: the origin's goes, and its lines go
    // with it; each statement hands back what it deleted to be listed.
    const Tabla& t = s.t;
    const QString lineas = LineasDe(s.l.Tabla);
    if (!lineas.isEmpty() && tabla(lineas).existe) {
        const Tabla& l = tabla(lineas);
        QVariantList w;
        QString sql = QStringLiteral("DELETE FROM ") + l.fisico +
                      QStringLiteral(" WHERE EXISTS (SELECT 1 FROM ") + t.fisico +
                      QStringLiteral(" o WHERE ");
        sql += s.colisionan(QStringLiteral("o."), w);
        for (const QString& k : t.clave)
            sql += QStringLiteral(" AND o.") + k + QStringLiteral(" = ") + l.fisico +
                   QLatin1Char('.') + k;
        listar(sql + QStringLiteral(") RETURNING ") + columnas(l, QString()), w, lineas);
    }
    // The origin's rows, unaliased; the destination's, as d.
    QVariantList w;
    QString sql = QStringLiteral("DELETE FROM ") + t.fisico + QStringLiteral(" WHERE ");
    sql += s.delOrigen(QString(), w);
    sql += QStringLiteral(" AND ");
    sql += s.choca(t.fisico + QLatin1Char('.'), w);
    listar(sql + QStringLiteral(" RETURNING ") + columnas(t, QString()), w, s.l.Tabla);
}

bool TMovedorCodigos::tieneAnexos(const QString& NombreTabla) {
    for (const Anexo& a : kAnexos) {
        const Tabla& t = tabla(QLatin1String(a.tabla));
        if (t.existe && base_
                            ->Scalar(QStringLiteral("SELECT 1 WHERE EXISTS (SELECT 1 FROM ") +
                                         t.fisico + QStringLiteral(" WHERE ") +
                                         QLatin1String(a.campoNombre) + QStringLiteral(" = ?)"),
                                     {NombreTabla})
                            .isValid())
            return true;
    }
    return false;
}

bool TMovedorCodigos::moverAnexos(const QString& NombreTabla, int Posicion,
                                  const QList<Renumerada>& Renumeradas) {
    for (const Anexo& a : kAnexos) {
        const Tabla& t = tabla(QLatin1String(a.tabla));
        if (!t.existe) continue;
        const QString nombre = QLatin1String(a.campoNombre), clave = QLatin1String(a.campoClave);
        // Only keys that may hold the origin where the code goes are read.
        const QString sql = QStringLiteral("SELECT DISTINCT ") + clave + QStringLiteral(" FROM ") +
                            t.fisico + QStringLiteral(" WHERE ") + nombre +
                            QStringLiteral(" = ? AND (") + clave + QStringLiteral(" = ? OR ") +
                            clave + QStringLiteral(" LIKE ? OR ") + clave +
                            QStringLiteral(" LIKE ?)");
        const QString enMedio =
            Posicion == 0 ? QString(origen_ + QStringLiteral("|%"))
                          : QString(QStringLiteral("%|") + origen_ + QStringLiteral("|%"));
        QSqlQuery q = base_->Execute(sql, QVariantList{NombreTabla, origen_, enMedio,
                                                       QString(QStringLiteral("%|") + origen_)});
        QList<std::pair<QString, QString>> cambios;
        while (q.next()) {
            const QString viejo = q.value(0).toString();
            QStringList partes = viejo.split(QLatin1Char('|'));
            QString sufijo;
            if (partes.size() > 1 && partes.last().isEmpty()) {
                partes.removeLast();
                sufijo = QStringLiteral("|");
            }
            if (Posicion >= partes.size() || partes[Posicion] != origen_) continue;
            QStringList nuevas = partes;
            nuevas[Posicion] = destino_;
            for (const Renumerada& r : Renumeradas)
                if (r.Clave == partes) {
                    nuevas[r.Posicion] = r.TextoNuevo;
                    break;
                }
            cambios.append({viejo, nuevas.join(QLatin1Char('|')) + sufijo});
        }
        q.finish();
        for (const auto& [viejo, nuevo] : cambios)
            if (!mover({QLatin1String(a.tabla), clave, nombre, NombreTabla}, viejo, nuevo, false))
                return false;
    }
    return true;
}
