#include "gene/dialogs/geneeval.h"

#include <QStringList>
#include <cmath>

#include "gene/data/geneconv.h"

namespace {

bool EsOperadorFactor(QChar c) {
    return c == QLatin1Char('*') || c == QLatin1Char('/') || c == QLatin1Char('#');
}

// A plain decimal number: an optional sign, digits and at most one ".".
bool LeerNumero(const QString& Texto, double& Valor) {
    int i = 0;
    const int n = int(Texto.size());
    if (i < n && (Texto[i] == QLatin1Char('+') || Texto[i] == QLatin1Char('-'))) ++i;
    int digitos = 0;
    bool punto = false;
    for (; i < n; ++i) {
        const QChar c = Texto[i];
        if (c.isDigit() && c.unicode() < 128) {
            ++digitos;
        } else if (c == QLatin1Char('.') && !punto) {
            punto = true;
        } else {
            return false;
        }
    }
    if (digitos == 0) return false;
    bool ok = false;
    Valor = Texto.toDouble(&ok);
    return ok && std::isfinite(Valor);
}

// Blanks removed, both decimal marks as ".", the operator spellings "x" and ":".
QString Normalizar(const QString& Expresion) {
    QString t;
    t.reserve(Expresion.size());
    for (const QChar c : Expresion) {
        if (c.isSpace()) continue;
        if (c == QLatin1Char(','))
            t += QLatin1Char('.');
        else if (c == QLatin1Char('x') || c == QLatin1Char('X'))
            t += QLatin1Char('*');
        else if (c == QLatin1Char(':'))
            t += QLatin1Char('/');
        else
            t += c;
    }
    return t;
}

double EvaluarTermino(const QString& Termino) {
    // Termino starts with its sign.
    const QString resto = Termino.mid(1);
    if (resto.isEmpty()) return 0;
    // Factors: the text up to the first operator, then each operator with its number.
    QStringList factores;
    int inicio = 0;
    for (int i = 0; i < resto.size(); ++i) {
        if (EsOperadorFactor(resto[i])) {
            factores << resto.mid(inicio, i - inicio);
            inicio = i;
        }
    }
    factores << resto.mid(inicio);
    double valor = 1;
    for (int i = 0; i < factores.size(); ++i) {
        const QString& f = factores[i];
        const bool primero = i == 0;
        double numero = 1;
        if (!LeerNumero(primero ? f : f.mid(1), numero)) numero = 1;
        if (primero) {
            valor = numero;
            continue;
        }
        const QChar op = f[0];
        if (op == QLatin1Char('*')) {
            valor *= numero;
        } else if (op == QLatin1Char('/')) {
            if (numero != 0) valor /= numero;  // a failed division is skipped
        } else {
            valor = RedondearMultiplo(valor, numero);
        }
    }
    return std::isfinite(valor) ? valor : 0;
}

}  // namespace

QString TextoNumeroFormula(double Valor) {
    if (!std::isfinite(Valor)) return QStringLiteral("0");
    QString t = QString::number(Valor, 'f', 12);
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0'))) t.chop(1);
        if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    }
    if (t == QLatin1String("-0")) t = QStringLiteral("0");
    return t;
}

double EvaluarExpresion(const QString& Expresion) {
    QString t = Normalizar(Expresion);
    if (t.isEmpty()) return 0;
    if (t[0] != QLatin1Char('+') && t[0] != QLatin1Char('-')) t.prepend(QLatin1Char('+'));
    double total = 0;
    int inicio = 0;
    for (int i = 1; i <= t.size(); ++i) {
        const bool fin = i == t.size();
        if (!fin) {
            const QChar c = t[i];
            if (c != QLatin1Char('+') && c != QLatin1Char('-')) continue;
            // "*-", "/-" and "#-": the sign belongs to the number that follows.
            if (c == QLatin1Char('-') && EsOperadorFactor(t[i - 1])) continue;
        }
        const QString termino = t.mid(inicio, i - inicio);
        const double v = EvaluarTermino(termino);
        total += termino[0] == QLatin1Char('-') ? -v : v;
        inicio = i;
    }
    return total;
}

double EvaluarFormula(const QString& Expresion) {
    QString t = Expresion;
    // Each round removes one pair of brackets, so the loop ends.
    for (;;) {
        if (!t.contains(QLatin1Char('('))) return EvaluarExpresion(t);
        const qsizetype cierre = t.indexOf(QLatin1Char(')'));
        const qsizetype apertura = cierre < 0 ? -1 : t.lastIndexOf(QLatin1Char('('), cierre);
        if (cierre < 0 || apertura < 0) return 0;
        const QString grupo = t.mid(apertura + 1, cierre - apertura - 1);
        t = t.left(apertura) + TextoNumeroFormula(EvaluarExpresion(grupo)) + t.mid(cierre + 1);
        t.replace(QLatin1String("--"), QLatin1String("+"));
    }
}

QString SustituirOperandos(const QString& Expresion, const TValorColumna& ValorColumna) {
    static const QString kDelimitadores = QStringLiteral("+-*/#()");
    QString resultado;
    QString operando;
    auto volcar = [&] {
        const QString nombre = operando.trimmed();
        if (nombre.isEmpty()) {
            resultado += operando;
        } else {
            QString numero = nombre;
            numero.replace(QLatin1Char(','), QLatin1Char('.'));
            double v = 0;
            if (LeerNumero(numero, v)) {
                resultado += numero;
            } else {
                if (!ValorColumna || !ValorColumna(nombre, v) || !std::isfinite(v)) v = 0;
                const QString texto = TextoNumeroFormula(v);
                resultado += v < 0 ? QLatin1Char('(') + texto + QLatin1Char(')') : texto;
            }
        }
        operando.clear();
    };
    for (const QChar c : Expresion) {
        if (kDelimitadores.contains(c)) {
            volcar();
            resultado += c;
        } else {
            operando += c;
        }
    }
    volcar();
    return resultado;
}
