// Translation of texts through TXIDIOMA and the session's cache.

#include "gene/data/genetrad.h"

#include <QVector>

#include "db/database.h"
#include "db/dialect.h"
#include "gene/data/geneconv.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/session/sesion.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kPunto = QStringLiteral(".");
// Past this many lines a lookup trims the oldest kRecorteCache.
constexpr int kMaximoCache = 10000;
constexpr int kRecorteCache = 1001;
// Set by a lookup that failed during the current translation, so that its
// text is not remembered as untranslatable.
bool falloConsulta = false;

bool baseGeneralConectada() {
    return fGENEINIC && fGENEINIC->DatabaseGeneral && fGENEINIC->DatabaseGeneral->Connected();
}

QString lenguaDe(const QString& idioma) {
    return idioma.isEmpty() ? IdiomaActual : idioma;
}

// SQL Server compares the texts without regard to accents in the collation
// the session found for TXIDIOMA; the other engines have no such clause.
QString clausulaIntercalacion() {
    if (MotorActual() != Engine::SqlServer || IntercalacionTextos.isEmpty()) return QString();
    QString intercalacion = IntercalacionTextos;
    const qsizetype i = intercalacion.indexOf(QLatin1String("_AS"));
    if (i >= 0) intercalacion.replace(i, 3, QStringLiteral("_AI"));
    return QStringLiteral(" COLLATE ") + intercalacion;
}

// The first row's column for the language and condition; "" when there is
// none or the lookup failed (a failure is no translation).
QString consultar(TModuloDatos* m, const QString& columna, const QString& idioma,
                  const QString& condicion) {
    if (!baseGeneralConectada()) return QString();
    const QString sql =
        DialectoActual().limitSelect(QStringLiteral("SELECT ") + columna +
                                         QStringLiteral(" FROM TXIDIOMA   WHERE Idioma = ") +
                                         Entrecomillar(idioma) + condicion,
                                     1) +
        clausulaIntercalacion();
    QString r;
    EjecutarSQL(m, sql, QStringLiteral("DatabaseGeneral"), QStringLiteral("Silenciosa"), r);
    if (!r.startsWith(QLatin1String("Error."))) return r;
    falloConsulta = true;
    return QString();
}

// The cache line named by the text (names compared without regard to case,
// as the runtime's Name=Value lists do); -1 when none.
qsizetype indiceCache(const QString& texto) {
    const qsizetype n = texto.size();
    for (qsizetype i = 0; i < TextosNoTraducidos.size(); ++i) {
        const QString& l = TextosNoTraducidos.at(i);
        if (l.size() > n && l.at(n) == QLatin1Char('=') &&
            QStringView(l).left(n).compare(texto, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The text is the value of a cache line: it is a translation already.
bool esTraduccionGuardada(const QString& texto) {
    const QString marca = QLatin1Char('=') + texto;
    for (const QString& l : TextosNoTraducidos)
        if (l.endsWith(marca)) return true;
    return false;
}

void recortarCache() {
    if (TextosNoTraducidos.size() > kMaximoCache) TextosNoTraducidos.remove(0, kRecorteCache);
}

// The words of a pattern: split at blanks, every "." a word of its own; the
// empty words keep the blanks they stood for.
QStringList palabrasPatron(const QString& texto) {
    QString t = AislarSeparador(texto, kPunto, QStringLiteral("Directo"));
    t.replace(QLatin1Char(' '), kCrLf);
    return t.split(kCrLf);
}

// The inverse of palabrasPatron.
QString unirPalabras(const QStringList& palabras) {
    QString t = AislarSeparador(palabras.join(kCrLf), kPunto, QStringLiteral("Inverso"));
    t.replace(kCrLf, QStringLiteral(" "));
    return t;
}

// The first word holding the placeholder k gets the value in its place.
void colocarValor(QStringList& palabras, int k, const QString& valor) {
    const QString marca = QStringLiteral("\\X") + QString::number(k);
    for (QString& p : palabras) {
        for (qsizetype i = p.indexOf(marca); i >= 0; i = p.indexOf(marca, i + 1)) {
            const qsizetype fin = i + marca.size();
            if (fin < p.size() && p.at(fin).isDigit()) continue;  // "\X1" is not "\X10"
            p.replace(i, marca.size(), valor);
            return;
        }
    }
}

QString palabraPorPalabra(TModuloDatos* m, const QString& texto, const QString& idioma) {
    QStringList piezas;
    for (const QString& palabra : texto.split(QLatin1Char(' '))) {
        if (palabra.isEmpty()) {
            piezas << QString();
            continue;
        }
        QString t = BuscarTraduccion(m, palabra, idioma);
        if (t.isEmpty()) t = palabra;
        piezas << t.left(palabra.size());
    }
    return piezas.join(QLatin1Char(' '));
}

// TraducirTexto, telling whether the text was looked up at all.
QString traducir(TModuloDatos* m, const QString& texto, const QString& variables,
                 const QString& idioma, bool& consultado) {
    consultado = false;
    QString resultado = texto;
    if (texto.isEmpty() || texto.startsWith(QLatin1String("QR")) ||
        texto.startsWith(QLatin1String("LB")) || !baseGeneralConectada())
        return resultado;
    const QString lengua = lenguaDe(idioma);
    if (!lengua.isEmpty()) {
        QString limpio = texto;
        limpio.remove(QLatin1Char('&'));
        if (limpio.size() <= 1) return texto;
        consultado = true;
        resultado = BuscarTraduccion(m, limpio, lengua);
        if (resultado.isEmpty()) resultado = TraducirPorPatron(m, limpio, lengua);
        if (resultado.isEmpty()) resultado = palabraPorPalabra(m, limpio, lengua);
        if (resultado.isEmpty()) resultado = limpio;
    }
    for (const QString& linea : LineasTexto(variables)) {
        const qsizetype igual = linea.indexOf(QLatin1Char('='));
        if (igual <= 0) continue;
        const QString valor = linea.mid(igual + 1);
        QString traducido = lengua.isEmpty() ? QString() : BuscarTraduccion(m, valor, lengua);
        if (traducido.isEmpty()) traducido = valor;
        resultado.replace(QLatin1Char('$') + linea.left(igual), traducido);
    }
    return resultado;
}

}  // namespace

QString AislarSeparador(const QString& Texto, const QString& Separador, const QString& Modo) {
    QString t = Texto;
    if (Separador.isEmpty()) return t;
    if (Modo == QLatin1String("Directo"))
        t.replace(Separador, kCrLf + Separador + kCrLf);
    else if (Modo == QLatin1String("Inverso"))
        t.replace(kCrLf + Separador + kCrLf, Separador);
    return t;
}

QString BuscarTraduccion(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Idioma) {
    const QString lengua = lenguaDe(Idioma);
    if (Texto.isEmpty() || lengua.isEmpty()) return QString();
    const qsizetype i = indiceCache(Texto);
    if (i < 0 && esTraduccionGuardada(Texto)) return Texto;
    // A text holding "=" cannot be found by name in the cache.
    if (i >= 0 && !Texto.contains(QLatin1Char('=')))
        return TextosNoTraducidos.at(i).mid(Texto.size() + 1);
    const QString r = consultar(ModuloDatos, QStringLiteral("Texto"), lengua,
                                QStringLiteral("    AND ClaveTexto = ") + Entrecomillar(Texto));
    if (!r.isEmpty()) TextosNoTraducidos.append(Texto + QLatin1Char('=') + r);
    recortarCache();
    return r;
}

QString TraducirPorPatron(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Idioma) {
    const QString lengua = lenguaDe(Idioma);
    if (Texto.isEmpty() || lengua.isEmpty()) return QString();
    const QStringList palabras = palabrasPatron(Texto);

    // The pattern: each word narrows the search while some key still has it.
    qsizetype primera = -1, ultima = -1;
    for (qsizetype i = 0; i < palabras.size(); ++i) {
        if (palabras.at(i).isEmpty()) continue;
        if (primera < 0) primera = i;
        ultima = i;
    }
    QString condicion, clave;
    for (qsizetype i = primera; i >= 0 && i <= ultima; ++i) {
        const QString& p = palabras.at(i);
        if (p.isEmpty()) continue;
        const QString antes = i == primera ? QString() : QStringLiteral("%");
        const QString despues = i == primera || i != ultima ? QStringLiteral("%") : QString();
        const QString patron = antes + p + despues;
        const QString nueva =
            condicion + QStringLiteral(" AND ClaveTexto LIKE ") + Entrecomillar(patron) + u' ';
        const QString r = consultar(ModuloDatos, QStringLiteral("ClaveTexto"), lengua, nueva);
        if (!r.isEmpty()) {
            condicion = nueva;
            clave = r;
        }
    }
    if (!clave.contains(QLatin1String("\\X"))) return QString();

    // The key's fixed words, each matched once, mark the text's fixed words.
    const QStringList palabrasClave = palabrasPatron(clave);
    QVector<bool> claveUsada(palabrasClave.size(), false);
    QVector<bool> fija(palabras.size(), false);
    bool alguna = false;
    for (qsizetype j = 0; j < palabras.size(); ++j) {
        if (palabras.at(j).isEmpty()) continue;
        for (qsizetype k = 0; k < palabrasClave.size(); ++k) {
            if (claveUsada.at(k) || palabrasClave.at(k) != palabras.at(j)) continue;
            claveUsada[k] = fija[j] = alguna = true;
            break;
        }
    }
    // Without a fixed word the whole text would be its own value.
    if (!alguna) return QString();

    // The runs between fixed words are the values, in order.
    QStringList valores;
    QStringList tramo;
    auto cerrarTramo = [&]() {
        const QString valor = unirPalabras(tramo).trimmed();
        tramo.clear();
        if (valor.isEmpty()) return;
        if (ValidarEntero(valor, QString()) || ValidarFecha(valor, QString()) || valor == Texto)
            valores << valor;
        else
            valores << TraducirTexto(ModuloDatos, valor, QString(), lengua);
    };
    for (qsizetype j = 0; j < palabras.size(); ++j) {
        if (fija.at(j))
            cerrarTramo();
        else
            tramo << palabras.at(j);
    }
    cerrarTramo();

    QString traduccion = consultar(ModuloDatos, QStringLiteral("Texto"), lengua, condicion);
    if (traduccion.isEmpty()) return QString();
    traduccion.replace(QLatin1String("\\ X"), QLatin1String("\\X"));
    QStringList resultado = palabrasPatron(traduccion);
    for (int k = 1; k <= valores.size(); ++k) colocarValor(resultado, k, valores.at(k - 1));
    QString texto = unirPalabras(resultado);
    if (texto.endsWith(QLatin1Char(' '))) texto.chop(1);
    return texto;
}

QString TraducirTexto(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Variables,
                      const QString& Idioma) {
    bool consultado = false;
    return traducir(ModuloDatos, Texto, Variables, Idioma, consultado);
}

void Traducir(TModuloDatos* ModuloDatos, const QString& Texto, const QString& Variables,
              const QString& Idioma, QString& Resultado) {
    bool consultado = false;
    falloConsulta = false;
    Resultado = traducir(ModuloDatos, Texto, Variables, Idioma, consultado);
    // An untranslatable text is remembered as itself, so that it is not
    // looked up again; only once it was really looked up, without failures.
    if (consultado && !falloConsulta && !Resultado.isEmpty() && Resultado == Texto &&
        indiceCache(Texto) < 0)
        TextosNoTraducidos.append(Texto + QLatin1Char('=') + Texto);
}

void TraducirLista(TModuloDatos* ModuloDatos, const QString& Lista, const QString& Idioma,
                   QString& Resultado) {
    QStringList piezas;
    for (const QString& item : Lista.split(QLatin1Char(';'))) {
        QString t;
        Traducir(ModuloDatos, item, QString(), Idioma, t);
        piezas << t;
    }
    Resultado = piezas.join(QLatin1Char(';'));
    if (Resultado.isEmpty()) Resultado = Lista;
}
