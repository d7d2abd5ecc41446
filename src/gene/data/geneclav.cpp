// Record keys: key strings, existence, reading by key, the next code,
// locating a record again and copying from a model record.

#include "gene/data/geneclav.h"

#include <QDateTime>
#include <limits>
#include <memory>

#include "db/database.h"
#include "db/dberror.h"
#include "db/field.h"
#include "db/query.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav_p.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"

namespace {

const QString kSeparadorClave = QStringLiteral(";");

bool enSqlServer() {
    return MotorActual() == Engine::SqlServer;
}

QString selectorDeTabla(const QString& nombre) {
    return EsTablaGeneral(nombre) ? QStringLiteral("DatabaseGeneral") : QStringLiteral("Database");
}

QString sinPropietario(TModuloDatos* ModuloDatos, const QString& nombre) {
    QString r;
    NombreTablaSinPropietario(ModuloDatos, nombre, r);
    return r;
}

// Catalog definitions of a table's columns by name; empty when unreadable.
TFieldDefs columnasTabla(const QString& selector, const QString& tabla) {
    try {
        return BaseDatosSelector(selector)->ColumnDefs(tabla);
    } catch (const EDatabaseError&) {
        return {};
    }
}

const TFieldDef* definicion(const TFieldDefs& defs, const QString& nombre) {
    for (const TFieldDef& d : defs)
        if (d.Name.compare(nombre, Qt::CaseInsensitive) == 0) return &d;
    return nullptr;
}

// The condition "field = value" of one key part, typed by the column; false
// when the part is no value of the column's type (no record can match).
bool condicionClave(const QString& campo, const TFieldDef* def, const QString& parte,
                    QString& condicion) {
    if (enSqlServer() || !def) {
        condicion = campo + QStringLiteral(" = ") + Entrecomillar(parte);
        return true;
    }
    QVariant valor;
    if (!ValorParteClave(parte, def->DataType, def->Size, EsNombreHora(def->Name), valor))
        return false;
    condicion = campo + QStringLiteral(" = ") + ValorSQL(valor);
    return true;
}

// The key parts as the by-key readers take them: up to the first empty one.
QStringList partesClave(const QString& clave) {
    QStringList partes;
    for (const QString& p : clave.split(kSeparadorClave)) {
        if (p.isEmpty()) break;
        partes << p;
    }
    return partes;
}

// The parts of a key string for a key of `campos` fields. A one-field key is
// the text whole (without the separator that closes a ClaveRegistro), so that
// a code holding ";" never reads as another record.
QStringList partesClave(const QString& clave, int campos) {
    if (campos != 1) return partesClave(clave);
    QString parte = clave;
    if (parte.endsWith(kSeparadorClave)) parte.chop(1);
    return parte.isEmpty() ? QStringList() : QStringList{parte};
}

// Finds the record of a key string on an open table by its primary index;
// at most `maximo` key fields. False when not found or the key cannot be typed.
bool buscarPorClave(TTable* t, const QStringList& partes, int maximo) {
    const int n = t->IndexFieldCount();
    if (n < 1 || n > maximo) return false;
    QVariantList valores;
    for (int i = 0; i < partes.size() && i < n; ++i) {
        TField* f = t->IndexFields(i);
        QVariant v;
        if (!ValorParteClave(partes[i], f->DataType(), f->Size(), EsCampoHora(f), v)) return false;
        valores << v;
    }
    if (valores.isEmpty()) return false;
    return t->FindKey(valores);
}

}  // namespace

// ---------------------------------------------------------------- shared

bool EsNombreHora(const QString& nombre) {
    return nombre.contains(QLatin1String("hora"), Qt::CaseInsensitive);
}

bool EsCampoHora(const TField* Campo) {
    if (!Campo) return false;
    const TFieldType t = Campo->DataType();
    return (t == ftDateTime || t == ftTime) && EsNombreHora(Campo->FieldName());
}

QString TextoCampoClave(const TField* Campo) {
    if (!Campo) return QString();
    if (EsCampoHora(Campo)) return TimeToStr(Campo->AsDateTime().time());
    return Campo->AsString();
}

bool ValorParteClave(const QString& parte, TFieldType tipo, int size, bool hora, QVariant& valor) {
    if (hora && (tipo == ftDateTime || tipo == ftTime)) {
        QTime t;
        if (!TryStrToTime(parte, t)) return false;
        valor = tipo == ftTime ? QVariant(t) : QVariant(QDateTime(ZeroDate(), t));
        return true;
    }
    if (IsStringType(tipo)) {
        valor = parte;
        return true;
    }
    if (parte.trimmed().isEmpty()) return false;
    try {
        valor = TField::Coerce(parte, tipo, size);
    } catch (const EDatabaseError&) {
        return false;
    }
    return valor.isValid() && !valor.isNull();
}

void AsignarTextoCampo(TField* Campo, const QString& Texto) {
    if (EsCampoHora(Campo)) {
        QVariant v;
        if (!ValorParteClave(Texto, Campo->DataType(), Campo->Size(), true, v))
            throw EConvertError(QLatin1Char('\'') + Texto +
                                QStringLiteral("' is not a valid time"));
        Campo->setValue(v);
        return;
    }
    Campo->setAsString(Texto);
}

QString NombreTablaDataSet(TDataSet* DataSet) {
    if (auto* t = qobject_cast<TTable*>(DataSet)) return t->TableName();
    if (auto* q = qobject_cast<TQuery*>(DataSet)) return NombreTablaSQL(q->SQL().Text());
    return QString();
}

QStringList CamposClaveDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet) {
    const QString tabla = NombreTablaDataSet(DataSet);
    if (tabla.isEmpty()) return {};
    QString campos;
    try {
        auto* t = qobject_cast<TTable*>(DataSet);
        if (t && !ArchivosTemporalesEnBD)
            CamposClave(ModuloDatos, t, QString(), campos);
        else
            CamposClaveSQL(ModuloDatos, tabla, QString(), campos);
    } catch (const EDatabaseError&) {
        return {};
    }
    if (campos.startsWith(QLatin1String("Error."))) return {};
    return campos.split(kSeparadorClave, Qt::SkipEmptyParts);
}

std::unique_ptr<TTable> AbrirSegundoCursor(QObject* Propietario, const QString& BaseDatos,
                                           const QString& Tabla) {
    auto t = std::make_unique<TTable>(Propietario);
    t->setObjectName(QStringLiteral("SegundoCursor"));
    try {
        t->setDatabaseName(BaseDatos);
        t->setTableName(Tabla);
        t->Open();
    } catch (const EDatabaseError&) {
        return nullptr;
    }
    return t;
}

// ---------------------------------------------------------------- key strings

void ClaveRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QString& Clave) {
    Clave.clear();
    if (!DataSet) return;
    for (const QString& nombre : CamposClaveDataSet(ModuloDatos, DataSet))
        Clave += TextoCampoClave(DataSet->FindField(nombre)) + kSeparadorClave;
}

QString CadenaClave(const QString& Codigo) {
    return Codigo + kSeparadorClave;
}

void ClaveTablaRegistro(TModuloDatos* ModuloDatos, TDataSet* DataSet, QString& Clave) {
    Clave.clear();
    if (!DataSet) return;
    const int n = int(CamposClaveDataSet(ModuloDatos, DataSet).size());
    QStringList valores;
    for (int i = 0; i < n && i < DataSet->FieldCount(); ++i)
        valores << TextoCampoClave(DataSet->Fields()[i]);
    Clave = valores.join(QLatin1Char('|'));
}

void ClaveUltimoRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, QString& Clave) {
    Clave.clear();
    if (!Tabla || !Tabla->Active()) return;
    auto segundo = AbrirSegundoCursor(nullptr, Tabla->DatabaseName(), Tabla->TableName());
    if (!segundo) return;
    try {
        const int n = segundo->IndexFieldCount();
        if (n >= 2 && n <= 5) {
            QVariantList valores;
            for (int i = 0; i < n - 1; ++i)
                valores << Tabla->FieldValues(segundo->IndexFields(i)->FieldName());
            segundo->SetRange(valores, valores);
        }
        segundo->Last();
        if (!segundo->IsEmpty()) ClaveRegistro(ModuloDatos, segundo.get(), Clave);
    } catch (const EDatabaseError&) {
        Clave.clear();
    }
}

// ---------------------------------------------------------------- existence

namespace {

bool existeClave(TModuloDatos* ModuloDatos, const QString& tabla, const QStringList& campos,
                 const QString& selector, const QString& Clave) {
    if (tabla.isEmpty() || campos.isEmpty()) return false;
    const TFieldDefs defs =
        enSqlServer() ? TFieldDefs() : columnasTabla(selector, sinPropietario(ModuloDatos, tabla));
    QString sql = QStringLiteral("SELECT ") + campos.first() + QStringLiteral(" FROM ") + tabla +
                  QStringLiteral("  WHERE 1=1 ");
    const QStringList partes = partesClave(Clave, int(campos.size()));
    for (int i = 0; i < campos.size(); ++i) {
        QString condicion;
        const QString parte =
            campos.size() == 1 ? partes.value(0) : ExtraerToken(i, Clave, kSeparadorClave);
        if (!condicionClave(campos[i], definicion(defs, campos[i]), parte, condicion)) return false;
        sql += QStringLiteral("  AND ") + condicion;
    }
    QString r;
    EjecutarSQL(ModuloDatos, sql, selector, QString(), r);
    return !r.isEmpty() && !r.contains(QLatin1String("Error."));
}

}  // namespace

bool ExisteClave(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Clave) {
    const QString tabla = NombreTablaDataSet(DataSet);
    if (tabla.isEmpty()) return false;
    QString campos;
    CamposClaveSQL(ModuloDatos, tabla, QString(), campos);
    if (campos.startsWith(QLatin1String("Error."))) return false;
    return existeClave(ModuloDatos, tabla, campos.split(kSeparadorClave, Qt::SkipEmptyParts),
                       selectorDeTabla(tabla), Clave);
}

bool ExisteClaveTabla(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Clave) {
    if (NombreTabla.isEmpty()) return false;
    QString fisico, campos;
    NombreTablaFisico(ModuloDatos, NombreTabla, fisico);
    CamposClaveSQL(ModuloDatos, fisico, QString(), campos);
    if (campos.startsWith(QLatin1String("Error."))) return false;
    return existeClave(ModuloDatos, fisico, campos.split(kSeparadorClave, Qt::SkipEmptyParts),
                       selectorDeTabla(NombreTabla), Clave);
}

bool SeparadorEnClaveCompuesta(TModuloDatos* ModuloDatos, TDataSet* DataSet, const TField* Campo,
                               const QString& Texto) {
    if (!Campo || !IsStringType(Campo->DataType()) || !Texto.contains(kSeparadorClave))
        return false;
    if (CamposClaveDataSet(ModuloDatos, DataSet).size() < 2) return false;
    MensajeAdvertencia(QStringLiteral("¡ El carácter ';' no está permitido en el campo ") +
                       Campo->FieldName() + QStringLiteral(" !. Repita por favor"));
    return true;
}

// ---------------------------------------------------------------- reading by key

QString SentenciaBuscarDatosClaveSQLServer(const QString& NombreTabla,
                                           const QStringList& CamposClave, const QString& Clave,
                                           const QString& Campos) {
    QStringList condiciones;
    for (int i = 0; i < CamposClave.size(); ++i) {
        const QString campo = CamposClave[i];
        QString parte = CamposClave.size() == 1 ? partesClave(Clave, 1).value(0)
                                                : ExtraerToken(i, Clave, kSeparadorClave);
        if (parte.count(QLatin1Char('/')) == 2) {
            // A date written day/month/year goes in the server's date pattern.
            const int d = ExtraerToken(0, parte, QStringLiteral("/")).toInt();
            const int m = ExtraerToken(1, parte, QStringLiteral("/")).toInt();
            int a = ExtraerToken(2, parte, QStringLiteral("/")).toInt();
            if (a < 100) a = AnoCompleto(a);
            const QDate fecha(a, m, d);
            if (fecha.isValid())
                parte = FormatDateTime(FormatoFechaSQL, QDateTime(fecha, QTime(0, 0)));
        }
        if (parte.isEmpty())
            condiciones << QStringLiteral("(") + campo + QStringLiteral(" = ") +
                               Entrecomillar(QString()) + QStringLiteral(" OR ") + campo +
                               QStringLiteral(" IS NULL)");
        else
            condiciones << QStringLiteral("(") + campo + QStringLiteral(" = ") +
                               Entrecomillar(parte) + QStringLiteral(")");
    }
    QString lista = Campos;
    lista.replace(QLatin1Char(';'), QLatin1String(", "));
    QString sql = QStringLiteral("SELECT ") + lista + QStringLiteral(" FROM ") + NombreTabla;
    if (!condiciones.isEmpty()) sql += QStringLiteral(" WHERE ") + condiciones.join(" AND ");
    return sql;
}

namespace {

void buscarDatosClaveSQLServer(TModuloDatos* ModuloDatos, const QString& fisico,
                               const QString& selector, const QString& Clave, QVariant& Datos,
                               const QString& Campos) {
    if (Campos.isEmpty()) return;
    QString claves;
    CamposClaveSQL(ModuloDatos, fisico, QString(), claves);
    if (claves.startsWith(QLatin1String("Error."))) return;
    const QString sql = SentenciaBuscarDatosClaveSQLServer(
        fisico, claves.split(kSeparadorClave, Qt::SkipEmptyParts), Clave, Campos);
    std::unique_ptr<TQuery> propia;
    TQuery* q = ModuloDatos ? ModuloDatos->Query1 : nullptr;
    if (!q) {
        propia = std::make_unique<TQuery>();
        q = propia.get();
    }
    try {
        q->Close();
        q->setDatabaseName(NombreBaseDatosSelector(selector));
        q->SQL().setText(sql);
        if (!AbrirConsulta(ModuloDatos, q, QStringLiteral("Silencio")) || q->IsEmpty()) {
            q->Close();
            return;
        }
        QVariantList valores;
        for (TField* f : q->Fields()) valores << f->AsString();
        Datos = valores;
        q->Close();
    } catch (const EDatabaseError&) {
        Datos = QVariant();
    }
}

}  // namespace

void BuscarDatosClave(TModuloDatos* ModuloDatos, const QString& NombreTabla, const QString& Clave,
                      QVariant& Datos, const QString& Campos) {
    Datos = QVariant();
    if (NombreTabla.isEmpty()) return;
    QString fisico;
    NombreTablaFisico(ModuloDatos, NombreTabla, fisico);
    const QString selector = selectorDeTabla(NombreTabla);
    if (enSqlServer()) {
        buscarDatosClaveSQLServer(ModuloDatos, fisico, selector, Clave, Datos, Campos);
        return;
    }

    auto t = AbrirSegundoCursor(nullptr, NombreBaseDatosSelector(selector), fisico);
    if (!t) return;
    try {
        QStringList partes = partesClave(Clave, t->IndexFieldCount());
        bool anterior = false;
        if (!partes.isEmpty() && partes.last().startsWith(QLatin1String("Ant:"))) {
            partes.last().remove(0, 4);
            anterior = true;
        }
        const int n = t->IndexFieldCount();
        bool encontrado = false;
        if (n == 0) {
            t->First();
            encontrado = !t->IsEmpty();
        } else if (n <= 4) {
            encontrado = buscarPorClave(t.get(), partes, 4);
        }
        if (encontrado && anterior) {
            t->Prior();
            encontrado = !t->Bof();
            // The record before must share the key values but the last one.
            for (int i = 0; encontrado && i < n - 1 && i < partes.size(); ++i) {
                TField* f = t->IndexFields(i);
                QVariant v;
                encontrado =
                    ValorParteClave(partes[i], f->DataType(), f->Size(), EsCampoHora(f), v) &&
                    v == f->Value();
            }
        }
        if (!encontrado) return;

        QStringList nombres;
        if (Campos.isEmpty()) {
            for (TField* f : t->Fields()) nombres << f->FieldName();
        } else {
            nombres = partesClave(Campos);
        }
        QVariantList valores;
        for (const QString& nombre : std::as_const(nombres))
            valores << TextoCampoClave(t->FindField(nombre));
        Datos = valores;
    } catch (const EDatabaseError&) {
        Datos = QVariant();
    }
}

// ---------------------------------------------------------------- next code

namespace {

// The counter field and the conditions SiguienteCodigo needs.
struct Contador {
    TField* campo = nullptr;
    int n = 0;  // key fields
};

Contador contadorTabla(TModuloDatos* ModuloDatos, TTable* Tabla) {
    Contador c;
    if (!Tabla) return c;
    QString campos;
    try {
        CamposClave(ModuloDatos, Tabla, QString(), campos);
    } catch (const EDatabaseError&) {
        return c;
    }
    c.n = campos.isEmpty() ? 0 : int(campos.split(kSeparadorClave, Qt::SkipEmptyParts).size());
    if (c.n >= 1 && c.n <= Tabla->FieldCount()) c.campo = Tabla->Fields()[c.n - 1];
    return c;
}

// A text counter's values that are whole numbers (of up to nine digits, so
// that the code stays an integer), as numbers; NULL for the rest. SQL Server
// tests them with ISNUMERIC as the system always did.
QString numeroDeTexto(const QString& campo) {
    switch (MotorActual()) {
        case Engine::Postgres:
            return QStringLiteral("CASE WHEN ") + campo +
                   QStringLiteral(" ~ '^[0-9]{1,9}$' THEN CAST(") + campo +
                   QStringLiteral(" AS INTEGER) END");
        case Engine::Sqlite:
            return QStringLiteral("CASE WHEN ") + campo + QStringLiteral(" <> '' AND ") + campo +
                   QStringLiteral(" NOT GLOB '*[^0-9]*' AND LENGTH(") + campo +
                   QStringLiteral(") <= 9 THEN CAST(") + campo + QStringLiteral(" AS INTEGER) END");
        case Engine::SqlServer:
            break;
    }
    return QStringLiteral("CAST(") + campo + QStringLiteral(" AS INTEGER)");
}

// Whether a counter field can hold a code: its integer range, or for a text
// counter as many digits as its size.
bool cabeEnCampo(const TField* campo, qint64 codigo) {
    switch (campo->DataType()) {
        case ftSmallint:
            return codigo >= -32768 && codigo <= 32767;
        case ftWord:
            return codigo >= 0 && codigo <= 65535;
        default:
            break;
    }
    if (codigo < std::numeric_limits<int>::min() || codigo > std::numeric_limits<int>::max())
        return false;
    if (IsStringType(campo->DataType()) && campo->Size() > 0)
        return QString::number(codigo).size() <= campo->Size();
    return true;
}

}  // namespace

QString SentenciaSiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, int LimiteInferior,
                                 int LimiteSuperior) {
    const Contador c = contadorTabla(ModuloDatos, Tabla);
    if (!c.campo) return QString();
    const QString campo = c.campo->FieldName();
    const bool texto = IsStringType(c.campo->DataType());
    const bool mssql = enSqlServer();
    // The value compared with the bounds: a text counter by its number.
    const QString valor = texto && !mssql ? numeroDeTexto(campo) : campo;

    QStringList condiciones;
    if (texto)
        condiciones << (mssql ? QString(QStringLiteral("ISNUMERIC(") + campo +
                                        QStringLiteral(") = 1"))
                              : QString(valor + QStringLiteral(" IS NOT NULL")));
    if (LimiteInferior != -1)
        condiciones << valor + QStringLiteral(" >= ") + QString::number(LimiteInferior);
    if (LimiteSuperior != -1)
        condiciones << valor + QStringLiteral(" <= ") + QString::number(LimiteSuperior);
    for (int i = 0; i < c.n - 1; ++i) {
        TField* f = Tabla->Fields()[i];
        condiciones << f->FieldName() + QStringLiteral("=") + ValorSQL(f->Value());
    }
    QString donde;
    if (!condiciones.isEmpty()) {
        QStringList partes;
        for (const QString& cond : std::as_const(condiciones))
            partes << QStringLiteral(" (") + cond + QStringLiteral(") ");
        donde = QStringLiteral(" WHERE ") + partes.join(QStringLiteral(" AND "));
    }
    QString maximo = QStringLiteral("MAX(") + campo + QStringLiteral(") ");
    if (texto && mssql)
        maximo = QStringLiteral("MAX(CAST(") + campo + QStringLiteral(" AS INTEGER)) ");
    else if (texto)
        maximo = QStringLiteral("MAX(") + valor + QStringLiteral(") ");
    // The lock hint exists only on SQL Server.
    const QString sinBloqueo = mssql ? QStringLiteral(" WITH(NOLOCK) ") : QStringLiteral(" ");
    return QStringLiteral("SELECT ") + maximo + QStringLiteral(" FROM ") + Tabla->TableName() +
           sinBloqueo + donde;
}

int SiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, int Incremento, int LimiteInferior,
                    int LimiteSuperior) {
    const Contador c = contadorTabla(ModuloDatos, Tabla);
    if (!c.campo) return Incremento;
    const QString sql =
        SentenciaSiguienteCodigo(ModuloDatos, Tabla, LimiteInferior, LimiteSuperior);
    QString r;
    EjecutarSQL(ModuloDatos, sql, QStringLiteral("?") + Tabla->DatabaseName(),
                IsStringType(c.campo->DataType()) ? QStringLiteral("Silenciosa") : QString(), r);
    qint64 maximo = 0;
    if (!TryStrToInt64(r.trimmed(), maximo)) maximo = 0;
    const qint64 siguiente = maximo + Incremento;
    // A code the counter field cannot hold would wrap round or be refused
    // when posted: the user is told and types one.
    if (!cabeEnCampo(c.campo, siguiente)) {
        MensajeAdvertencia(QStringLiteral("¡No queda ningún código siguiente libre en la tabla ") +
                           Tabla->TableName() + QStringLiteral("!"));
        return 0;
    }
    return int(siguiente);
}

void AsignarSiguienteCodigo(TModuloDatos* ModuloDatos, TTable* Tabla, TField* Campo) {
    if (const int codigo = SiguienteCodigo(ModuloDatos, Tabla, 1, -1, -1))
        Campo->setAsInteger(codigo);
}

// ---------------------------------------------------------------- keeping a record

void ValoresClaveRegistro(TModuloDatos* ModuloDatos, TTable* Tabla, QVariant& Valores) {
    Valores = QVariant();
    if (!Tabla) return;
    QString campos;
    try {
        CamposClave(ModuloDatos, Tabla, QString(), campos);
    } catch (const EDatabaseError&) {
        return;
    }
    QVariantList lista;
    for (const QString& nombre : campos.split(kSeparadorClave, Qt::SkipEmptyParts)) {
        TField* f = Tabla->FindField(nombre);
        if (!f) return;
        lista << (f->DataType() == ftDateTime ? QVariant(f->AsDateTime()) : f->Value());
    }
    if (!lista.isEmpty()) Valores = lista;
}

bool LocalizarClave(TModuloDatos* ModuloDatos, TTable* Tabla, const QVariant& Valores) {
    if (!Tabla || !Valores.isValid() || Valores.isNull()) return false;
    QString campos;
    try {
        CamposClave(ModuloDatos, Tabla, QString(), campos);
        if (campos.isEmpty()) return false;
        return Tabla->Locate(campos, Valores, 0);
    } catch (const EDatabaseError&) {
        return false;
    }
}

void RefrescarDataSet(TModuloDatos* ModuloDatos, TDataSet* DataSet, const QString& Opciones) {
    if (!DataSet || DataSet->State() != dsBrowse) return;
    if (!enSqlServer()) {
        DataSet->Refresh();
        return;
    }
    auto* t = qobject_cast<TTable*>(DataSet);
    if (Opciones.contains(QLatin1String("Apertura/Cierre")) && t) {
        QVariant valores;
        ValoresClaveRegistro(ModuloDatos, t, valores);
        t->Close();
        t->Open();
        LocalizarClave(ModuloDatos, t, valores);
        return;
    }
    DataSet->Close();
    DataSet->Open();
}

// ---------------------------------------------------------------- copying from a model

namespace {

// The model record of a key string in a second cursor on the edited table.
std::unique_ptr<TTable> registroModelo(TTable* Tabla, const QString& Clave, int maximo) {
    if (!Tabla) return nullptr;
    auto modelo = AbrirSegundoCursor(nullptr, Tabla->DatabaseName(), Tabla->TableName());
    if (!modelo) return nullptr;
    try {
        // A one-field key is its text whole, ";" included.
        if (!buscarPorClave(modelo.get(), partesClave(Clave, modelo->IndexFieldCount()), maximo))
            return nullptr;
    } catch (const EDatabaseError&) {
        return nullptr;
    }
    return modelo;
}

}  // namespace

void CopiarDatosRegistro(TModuloDatos*, TTable* Tabla, const QString& Clave) {
    auto modelo = registroModelo(Tabla, Clave, 6);
    if (!modelo) return;
    QStringList claves;
    for (int i = 0; i < modelo->IndexFieldCount(); ++i)
        claves << modelo->IndexFields(i)->FieldName();
    for (TField* origen : modelo->Fields()) {
        if (claves.contains(origen->FieldName(), Qt::CaseInsensitive)) continue;
        TField* destino = Tabla->FindField(origen->FieldName());
        if (!destino || destino->FieldKind() != fkData) continue;
        try {
            // Binary contents would not survive a trip through text.
            if (origen->IsBlob() && !IsStringType(origen->DataType()))
                destino->setValue(origen->Value());
            else
                AsignarTextoCampo(destino, TextoCampoClave(origen));
        } catch (const EDatabaseError&) {
        }
    }
}

void CopiarCampoRegistro(TModuloDatos*, TTable* Tabla, const QString& Campo, const QString& Clave) {
    auto modelo = registroModelo(Tabla, Clave, 5);
    if (!modelo) return;
    TField* origen = modelo->FindField(Campo);
    TField* destino = Tabla->FindField(Campo);
    if (!origen || !destino) return;
    try {
        destino->setValue(origen->Value());
    } catch (const EDatabaseError&) {
    }
}
