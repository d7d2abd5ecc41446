#include "gene/listings/genepsql.h"

#include <QRegularExpression>
#include <cmath>

#include "db/dialect.h"
#include "db/query.h"
#include "gene/data/geneconv.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/listings/genecinf_sql.h"
#include "gene/session/sesion.h"
#include "ui/controls.h"

namespace {

TModuloDatos* Modulo() {
    return ModuloDatosPreparado ? ModuloDatos : nullptr;
}

QString Consultar(const QString& SQL, const QString& Selector) {
    return ConsultaSilenciosa(Modulo(), SQL, Selector);
}

bool EsTipoVariable(QChar c) {
    return c == QLatin1Char('$') || c == QLatin1Char('#') || c == QLatin1Char('&') ||
           c == QLatin1Char('*');
}

// Where VariablesSQL ends a variable's name.
bool FinVariable(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
           c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

}  // namespace

QString EtiquetaVariable(const QString& Variable) {
    QString nombre = Variable;
    for (const char* c : {"$", "#", "&", "*", "\r", "\n"}) nombre.remove(QLatin1String(c));
    return SepararPalabras(nombre);
}

QString VariableRepetida(const QStringList& Variables, int Linea) {
    const QString& v = Variables.at(Linea);
    static const QRegularExpression numerada(QStringLiteral("^(.+)_\\d+$"));
    const QRegularExpressionMatch m = numerada.match(v);
    if (m.hasMatch() && Variables.mid(0, Linea).contains(m.captured(1))) return m.captured(1);
    return v;
}

QString ValorInicialVariable(const QString& Variable) {
    if (Variable.startsWith(QLatin1Char('#'))) return QStringLiteral("0");
    if (Variable.startsWith(QLatin1Char('&'))) return QStringLiteral("1/1/1900");
    return QString();
}

void CrearControlesVariable(QWidget* Panel, const QString& Variable, int Izquierda, int Arriba,
                            int Separacion, bool Negrita, TLabel*& Etiqueta, TEdit*& Editor) {
    Etiqueta = new TLabel(Panel, EtiquetaVariable(Variable));
    Editor = new TEdit(Panel);
    Editor->setObjectName(Variable.mid(1));
    Etiqueta->SetBounds(Izquierda, Arriba, 100, 13);
    Etiqueta->setFontColor(0x800000);
    QFont f = Etiqueta->font();
    f.setBold(Negrita);
    Etiqueta->setFont(f);
    Editor->SetBounds(Izquierda + Separacion, Arriba - 4, 140, 21);
    Editor->setText(ValorInicialVariable(Variable));
}

bool ValidarValoresVariables(const QStringList& Variables, const QStringList& Valores,
                             const QStringList& Etiquetas) {
    bool correcto = true;
    for (qsizetype i = 0; i < Variables.size(); ++i) {
        const QString texto = Valores.value(i);
        const QString etiqueta = Etiquetas.value(i);
        switch (Variables.at(i).at(0).unicode()) {
            case '#': {
                const double real = TextoAReal(texto);
                const bool entero = ValidarReal(texto, QString()) && std::floor(real) == real;
                if (!(entero ? ValidarEntero(texto, etiqueta) : ValidarReal(texto, etiqueta)))
                    correcto = false;
                break;
            }
            case '&':
                if (!ValidarFecha(texto, etiqueta)) correcto = false;
                break;
            default:
                break;
        }
    }
    return correcto;
}

QString NumerarVariablesRepetidas(const QString& SQL) {
    QStringList vistas;
    QString resultado;
    resultado.reserve(SQL.size() + 16);
    bool comillas = false;
    for (qsizetype i = 0; i < SQL.size();) {
        const QChar c = SQL.at(i);
        if (c == QLatin1Char('\'')) comillas = !comillas;
        if (c != QLatin1Char(':') || i + 1 >= SQL.size() || !EsTipoVariable(SQL.at(i + 1))) {
            resultado += c;
            ++i;
            continue;
        }
        qsizetype fin = i + 1;
        while (fin < SQL.size() && !FinVariable(SQL.at(fin))) ++fin;
        const QString nombre = SQL.mid(i + 1, fin - i - 1);
        // Numbered as VariablesSQL numbers its lines, so that line i is this occurrence.
        const QString propio = vistas.contains(nombre)
                                   ? nombre + QLatin1Char('_') + QString::number(vistas.size() - 1)
                                   : nombre;
        vistas << propio;
        resultado += QLatin1Char(':') + (comillas ? nombre : propio);
        i = fin;
    }
    return resultado;
}

void AsignarSentenciaVariables(TQuery* Consulta, const QString& SQL, const QStringList& Valores) {
    QString texto = NumerarVariablesRepetidas(SQL);
    QString lista;
    VariablesSQL(Modulo(), texto, lista);
    const QStringList variables = LineasTexto(lista);
    // Lines taken before the lists are written in: a list holding ":$x"
    // must not become a variable, nor shift the later values.
    SustituirVariablesMultiples(texto, variables, Valores);
    Consulta->SQL().setText(texto);
    AsignarValoresVariablesSQL(Modulo(), Consulta, variables, Valores);
}

QString TraducirNombreFiltro(const QString& Tipo, const QString& Nombre) {
    QStringList nombres;
    for (const QString& n : LineasTexto(
             Consultar(QStringLiteral("SELECT Descripcion FROM FILTRO   WHERE NombreTabla = ") +
                           Entrecomillar(Tipo),
                       QStringLiteral("Database"))))
        nombres << Entrecomillar(n);
    if (nombres.isEmpty()) return QString();
    const QString sql = DialectoActual().limitSelect(
        QStringLiteral("SELECT ClaveTexto FROM TXIDIOMA   WHERE Texto = ") + Entrecomillar(Nombre) +
            QStringLiteral("    AND ClaveTexto IN (") + nombres.join(QLatin1Char(',')) +
            QStringLiteral(")"),
        1);
    return Consultar(sql, QStringLiteral("DatabaseGeneral"));
}
