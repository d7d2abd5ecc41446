#include "gene/listings/genecinf_sql.h"

#include <QDate>
#include <QRegularExpression>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "db/dberror.h"
#include "db/dialect.h"
#include "db/sqllexis.h"
#include "db/sysutils.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/dialogs/genedeta.h"
#include "gene/listings/geneprog.h"
#include "gene/session/genedicc.h"
#include "gene/session/sesion.h"
#include "ui/component.h"
#include "ui/form.h"

QStringList ElementosListaConstantes(const QString& Lista) {
    QString texto = Lista;
    if (texto.endsWith(QLatin1Char(','))) texto.chop(1);
    texto = ReemplazarTextoRepetido(QStringLiteral(", "), QStringLiteral(","), texto);
    texto = ReemplazarTextoRepetido(QStringLiteral(" ,"), QStringLiteral(","), texto);
    QStringList elementos;
    for (const QString& e : texto.split(QLatin1Char(',')))
        if (!e.isEmpty()) elementos << e;
    return elementos;
}

QString ListaConstantesSQL(const QString& Lista) {
    QStringList elementos = ElementosListaConstantes(Lista);
    for (QString& e : elementos) e = QLatin1Char('"') + e + QLatin1Char('"');
    return elementos.join(QLatin1Char(','));
}

QString ListaConstantesEntrecomilladas(const QString& Lista) {
    QStringList elementos = ElementosListaConstantes(Lista);
    if (elementos.isEmpty()) return QStringLiteral("''");
    for (QString& e : elementos) e = Entrecomillar(e);
    return elementos.join(QLatin1Char(','));
}

void SustituirVariablesMultiples(QString& SQL, const QStringList& Variables,
                                 const QStringList& Valores) {
    // The ":*" tokens either engine reads as code, in the text as stored: a
    // token inside a quoted text or a comment stays as it is.
    std::vector<bool> codigo[2];
    const SqlLexis lecturas[2] = {SqlLexis::Standard, SqlLexis::Postgres};
    for (int l = 0; l < 2; ++l) {
        codigo[l].assign(size_t(SQL.size()), false);
        ScanSqlText(SQL, lecturas[l], [&](qsizetype b, qsizetype e, bool esCodigo) {
            if (esCodigo) std::fill(codigo[l].begin() + b, codigo[l].begin() + e, true);
        });
    }
    // One pass: an answer written in is never read again, so that a list
    // holding ":*name" or a quote stays a value.
    QString resultado;
    resultado.reserve(SQL.size());
    qsizetype desde = 0;
    for (qsizetype i = 0; i + 1 < SQL.size(); ++i) {
        if (SQL.at(i) != QLatin1Char(':') || SQL.at(i + 1) != QLatin1Char('*') ||
            !codigo[0][size_t(i)] || !codigo[1][size_t(i)])
            continue;
        // The longest variable whose whole token starts here.
        qsizetype cual = -1;
        for (qsizetype v = 0; v < Variables.size(); ++v) {
            const QString& variable = Variables.at(v);
            const qsizetype fin = i + 1 + variable.size();
            if (!variable.startsWith(QLatin1Char('*')) || fin > SQL.size() ||
                QStringView(SQL).mid(i + 1, variable.size()) != variable)
                continue;
            if (fin < SQL.size() &&
                (SQL.at(fin).isLetterOrNumber() || SQL.at(fin) == QLatin1Char('_')))
                continue;
            if (cual < 0 || variable.size() > Variables.at(cual).size()) cual = v;
        }
        if (cual < 0) continue;
        resultado += QStringView(SQL).mid(desde, i - desde);
        // Apart from a name before it: E'...' or U&'...' would read the
        // list with other quoting rules.
        const QChar antes = i > 0 ? SQL.at(i - 1) : QChar();
        if (antes.isLetterOrNumber() || antes == QLatin1Char('_') || antes == QLatin1Char('$') ||
            antes == QLatin1Char('&'))
            resultado += QLatin1Char(' ');
        resultado += ListaConstantesEntrecomilladas(Valores.value(cual));
        desde = i + 1 + Variables.at(cual).size();
        i = desde - 1;
    }
    SQL = resultado + QStringView(SQL).mid(desde);
}

void CentrarControl(TControlBase* Control, const QString& Modo) {
    if (!Control) return;
    int ancho = 0;
    int alto = 0;
    QWidget* padre = Control->Widget()->parentWidget();
    auto* formulario = dynamic_cast<TForm*>(Control);
    if (formulario && formulario->FormStyle() == fsMDIChild) padre = nullptr;
    if (padre) {
        if (auto* p = dynamic_cast<TControlBase*>(padre)) {
            ancho = p->Width();
            alto = p->Height();
        } else {
            ancho = padre->width();
            alto = padre->height();
        }
    } else if (TForm* principal = MainForm(); principal && principal != Control) {
        ancho = principal->Width();
        alto = principal->Height();
    } else {
        return;
    }
    if (Modo == QLatin1String("Centro") || Modo == QLatin1String("Centro-Horizontal"))
        Control->setLeft((ancho - Control->Width()) / 2);
    if (Modo == QLatin1String("Centro") || Modo == QLatin1String("Centro-Vertical"))
        Control->setTop((alto - Control->Height()) / 2);
    if (Modo == QLatin1String("Derecha")) Control->setLeft(ancho - Control->Width() - 4);
}

// ---------------------------------------------------------------- custom reports

namespace {

const QString kSalto = QStringLiteral("\r\n");
// A single-quoted text with its inner quotes doubled, as a capture.
#define RH_TEXTO_SQL "'((?:[^']|'')*)'"

QString SinComillas(const QString& Texto) {
    return QString(Texto).replace(QStringLiteral("''"), QStringLiteral("'"));
}

// A blank after every comma outside a quoted text: the column list is written
// with ", " between its pieces, and a constant keeps what the user typed.
QString EspaciarComas(const QString& Entrada) {
    QString r;
    bool enTexto = false;
    for (const QChar c : Entrada) {
        if (c == QLatin1Char('\'')) enTexto = !enTexto;
        r += c;
        if (c == QLatin1Char(',') && !enTexto) r += QLatin1Char(' ');
    }
    return r;
}

QString TextoGrupoAnalisis(const QString& Tabla, const QStringList& Claves,
                           const QString& Categoria, const QString& Titulo, const SqlDialect& d) {
    QString clave;
    if (d.engine() == Engine::SqlServer) {
        clave = Claves.join(QStringLiteral("+'|'+"));
    } else if (Claves.size() == 1) {
        clave = d.castToText(Claves.first());
    } else {
        QStringList partes;
        for (const QString& k : Claves) {
            if (!partes.isEmpty()) partes << SqlDialect::quoteString(QStringLiteral("|"));
            partes << d.castToText(k);
        }
        clave = d.concat(partes);
    }
    const QString consulta = QStringLiteral(
                                 "SELECT GRANALIS.Descripcion FROM GRANALIS JOIN GRANTAB ON "
                                 "GRANTAB.NombreTabla = ") +
                             SqlDialect::quoteString(Tabla) +
                             QStringLiteral(" AND GRANTAB.ClaveTabla = ") + clave +
                             QStringLiteral(
                                 " AND GRANALIS.Codigo = GRANTAB.GrupoAnalisis WHERE "
                                 "GRANALIS.CategoriaGrupo = ") +
                             SqlDialect::quoteString(Categoria);
    return QLatin1Char('(') + d.limitSelect(consulta, 1) + QStringLiteral(") AS ") +
           d.quoteAlias(Titulo);
}

QString ColumnaMotor(const QString& Entrada, const SqlDialect& d) {
    static const QRegularExpression grupo(
        QStringLiteral("^\\(SELECT TOP 1 GRANALIS\\.Descripcion FROM GRANALIS JOIN GRANTAB ON "
                       "GRANTAB\\.NombreTabla = " RH_TEXTO_SQL
                       " AND GRANTAB\\.ClaveTabla = (.+) AND "
                       "GRANALIS\\.Codigo = GRANTAB\\.GrupoAnalisis WHERE "
                       "GRANALIS\\.CategoriaGrupo = " RH_TEXTO_SQL "\\) AS " RH_TEXTO_SQL "$"));
    static const QRegularExpression titulo(QStringLiteral("^(.*) AS " RH_TEXTO_SQL "$"),
                                           QRegularExpression::DotMatchesEverythingOption);
    if (const auto m = grupo.match(Entrada); m.hasMatch())
        return TextoGrupoAnalisis(SinComillas(m.captured(1)),
                                  m.captured(2).split(QStringLiteral("+'|'+")),
                                  SinComillas(m.captured(3)), SinComillas(m.captured(4)), d);
    const QString e = EspaciarComas(Entrada);
    if (const auto m = titulo.match(e); m.hasMatch())
        return m.captured(1) + QStringLiteral(" AS ") + d.quoteAlias(SinComillas(m.captured(2)));
    return e;
}

bool EsCampoFecha(const QString& Campo, const TipoCampoInforme& Tipo) {
    if (!Tipo) return false;
    const QString tipo =
        Tipo(Campo.section(QLatin1Char('.'), 0, 0), Campo.section(QLatin1Char('.'), 1));
    return tipo == QLatin1String("ftDateTime") || tipo == QLatin1String("ftDate");
}

// A typed date read day-first, as the runner reads a variable's answer
// ("5/3/24" and "05-03-2024" are 5 March 2024).
bool FechaConstante(const QString& Texto, QDateTime& Fecha) {
    return TryStrToDateTime(Texto.trimmed(), Fecha) && Fecha.isValid();
}

QString LiteralFecha(const QDateTime& Fecha, const SqlDialect& d) {
    return Fecha.time() == QTime(0, 0) ? d.dateLiteral(Fecha.date()) : d.dateTimeLiteral(Fecha);
}

QString TextoConstante(const QString& Constante) {
    return SinComillas(Constante.mid(1, Constante.size() - 2));
}

// The items of a stored list ("a","b"); no item holds a comma (the typed
// list is cut at commas).
QStringList ElementosLista(const QString& Operando) {
    QString dentro = Operando.mid(1, Operando.size() - 2);
    if (dentro.isEmpty()) return {};
    if (dentro.startsWith(QLatin1Char('"'))) dentro.remove(0, 1);
    if (dentro.endsWith(QLatin1Char('"'))) dentro.chop(1);
    return dentro.split(QStringLiteral("\",\""));
}

// A constant compared with a date field is written as the engine's date
// literal (RestriccionFechaNoValida has refused what is no date).
QString ConstanteMotor(const QString& Campo, const QString& Constante, const SqlDialect& d,
                       const TipoCampoInforme& Tipo) {
    QDateTime fecha;
    if (!EsCampoFecha(Campo, Tipo) || !FechaConstante(TextoConstante(Constante), fecha))
        return Constante;
    return LiteralFecha(fecha, d);
}

// A stored list of typed constants: SQL Server keeps the double quotes (an
// inner one doubled); the other engines read those as column names and get
// string literals, an empty list as (''). Dates are the engine's literals.
QString ListaMotor(const QString& Campo, const QString& Operando, const SqlDialect& d,
                   const TipoCampoInforme& Tipo) {
    QStringList elementos = ElementosLista(Operando);
    const bool fechas = EsCampoFecha(Campo, Tipo);
    for (QString& e : elementos) {
        QDateTime fecha;
        if (fechas && FechaConstante(e, fecha))
            e = LiteralFecha(fecha, d);
        else
            e = d.engine() == Engine::SqlServer
                    ? QLatin1Char('"') + e.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                          QLatin1Char('"')
                    : Entrecomillar(e);
    }
    if (elementos.isEmpty() && d.engine() != Engine::SqlServer) elementos << QStringLiteral("''");
    return QLatin1Char('(') + elementos.join(QLatin1Char(',')) + QLatin1Char(')');
}

// The parts of a restriction: field, operator and operand.
struct PartesRestriccion {
    QString campo, operador, operando;
    bool lista = false;      // a constant list for IN / NOT IN
    bool constante = false;  // a quoted constant
};

PartesRestriccion PartirRestriccion(const QString& Entrada) {
    static const QRegularExpression partes(
        QStringLiteral("^(\\S+) (NOT IN|IN|=|<>|>=|<=|>|<) (.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    PartesRestriccion r;
    const auto m = partes.match(Entrada);
    if (!m.hasMatch()) return r;
    r.campo = m.captured(1);
    r.operador = m.captured(2);
    r.operando = m.captured(3);
    r.lista = r.operador.endsWith(QLatin1String("IN")) && r.operando.startsWith(QLatin1Char('(')) &&
              r.operando.endsWith(QLatin1Char(')')) &&
              !r.operando.startsWith(QLatin1String("( :*"));
    r.constante = !r.lista && r.operando.size() >= 2 && r.operando.startsWith(QLatin1Char('\'')) &&
                  r.operando.endsWith(QLatin1Char('\''));
    return r;
}

QString RestriccionMotor(const QString& Entrada, const SqlDialect& d,
                         const TipoCampoInforme& Tipo) {
    const PartesRestriccion p = PartirRestriccion(Entrada);
    if (p.lista)
        return p.campo + QLatin1Char(' ') + p.operador + QLatin1Char(' ') +
               ListaMotor(p.campo, p.operando, d, Tipo);
    if (p.constante)
        return p.campo + QLatin1Char(' ') + p.operador + QLatin1Char(' ') +
               ConstanteMotor(p.campo, p.operando, d, Tipo);
    return Entrada;
}

QString VinculoMotor(const QString& Entrada, const SqlDialect& d, const TipoCampoInforme& Tipo) {
    const PartesRestriccion p = PartirRestriccion(Entrada);
    if (p.operador != QLatin1String("=") || !p.constante) return Entrada;
    return p.campo + QStringLiteral(" = ") + ConstanteMotor(p.campo, p.operando, d, Tipo);
}

QString OrdenacionMotor(const QString& Entrada, const SqlDialect& d) {
    static const QRegularExpression titulo(QStringLiteral("^" RH_TEXTO_SQL "( DESC)?$"));
    const bool desc = Entrada.contains(QLatin1String(" DESC"));
    if (Entrada.contains(QLatin1String("_Expresion"))) {
        const QString resto = Entrada.section(QStringLiteral(" AS "), 1);
        const auto m = titulo.match(resto);
        if (!m.hasMatch()) return resto;
        return d.quoteAlias(SinComillas(m.captured(1))) + m.captured(2);
    }
    return Entrada.section(QLatin1Char(' '), 0, 0) + (desc ? QStringLiteral(" DESC") : QString());
}

const char* const kClavesInstrucciones[] = {
    "ListaTablas",   "ListaColumnas",       "ListaRestricciones",      "ListaOrdenacion",
    "ListaVinculos", "ListaGrupos",         "ListaSumatorios",         "FormatoColumnas",
    "Opciones",      "UsuariosAutorizados", "AplicacionesContenedoras"};

}  // namespace

QString RestriccionFechaNoValida(const DefinicionInforme& D, const TipoCampoInforme& Tipo) {
    for (const QString& entrada : D.Restricciones + D.Vinculos) {
        const PartesRestriccion p = PartirRestriccion(entrada);
        if (!EsCampoFecha(p.campo, Tipo)) continue;
        QStringList textos;
        if (p.lista) textos = ElementosLista(p.operando);
        if (p.constante) textos << TextoConstante(p.operando);
        QDateTime fecha;
        for (const QString& t : std::as_const(textos))
            if (!FechaConstante(t, fecha)) return entrada;
    }
    return QString();
}

QString AvisoFechaNoValida(const QString& Restriccion) {
    return QStringLiteral("¡ La fecha (u hora) introducida no es válida !. Repita por favor.") +
           kSalto + Restriccion;
}

QString UnirListaInforme(const QStringList& Entradas) {
    QString r;
    for (QString e : Entradas)
        r += e.replace(QLatin1Char(','), QStringLiteral("[coma]")) + QLatin1Char(',');
    return r;
}

QStringList SepararListaInforme(const QString& Valor) {
    QStringList entradas = Valor.split(QLatin1Char(','));
    if (!entradas.isEmpty() && entradas.last().isEmpty()) entradas.removeLast();
    for (QString& e : entradas) e.replace(QStringLiteral("[coma]"), QStringLiteral(","));
    return entradas;
}

QString ComponerInstrucciones(const DefinicionInforme& D) {
    const QString valores[] = {UnirListaInforme(D.Tablas),
                               UnirListaInforme(D.Columnas),
                               UnirListaInforme(D.Restricciones),
                               UnirListaInforme(D.Ordenacion),
                               UnirListaInforme(D.Vinculos),
                               UnirListaInforme(D.Grupos),
                               UnirListaInforme(D.Sumatorios),
                               D.FormatoColumnas,
                               D.Opciones,
                               D.UsuariosAutorizados,
                               D.AplicacionesContenedoras};
    QStringList lineas;
    for (int i = 0; i < 11; ++i)
        lineas << QLatin1String(kClavesInstrucciones[i]) + QLatin1Char('=') + valores[i];
    return lineas.join(kSalto);
}

DefinicionInforme LeerInstrucciones(const QString& I) {
    auto valor = [&](int i) { return ValorParametro(QLatin1String(kClavesInstrucciones[i]), I); };
    DefinicionInforme D;
    D.Tablas = SepararListaInforme(valor(0));
    D.Columnas = SepararListaInforme(valor(1));
    D.Restricciones = SepararListaInforme(valor(2));
    D.Ordenacion = SepararListaInforme(valor(3));
    D.Vinculos = SepararListaInforme(valor(4));
    D.Grupos = SepararListaInforme(valor(5));
    D.Sumatorios = SepararListaInforme(valor(6));
    D.FormatoColumnas = valor(7);
    D.Opciones = valor(8);
    D.UsuariosAutorizados = valor(9);
    D.AplicacionesContenedoras = valor(10);
    return D;
}

QString TipoCampoDiccionario(const QString& Tabla, const QString& Campo) {
    QString campos;
    CamposTablaDiccionario(nullptr, Tabla, QStringLiteral("IncluirTipo"), campos);
    for (const QString& linea : LineasTexto(campos))
        if (linea.section(QLatin1Char('/'), 0, 0).compare(Campo, Qt::CaseInsensitive) == 0)
            return linea.section(QLatin1Char('/'), 1, 1);
    return QString();
}

QString ColumnaGrupoAnalisis(const QString& Tabla, const QStringList& CamposClave,
                             const QString& Categoria) {
    QStringList claves;
    for (const QString& k : CamposClave) claves << Tabla + QLatin1Char('.') + k;
    return TextoGrupoAnalisis(Tabla, claves, Categoria, Categoria,
                              SqlDialect::forEngine(Engine::SqlServer));
}

QString GenerarSentenciaSQL(const DefinicionInforme& D, Engine Motor,
                            const TipoCampoInforme& Tipo) {
    const SqlDialect& d = SqlDialect::forEngine(Motor);
    QStringList columnas;
    for (const QString& c : D.Columnas) columnas << ColumnaMotor(c, d);
    QString r = QStringLiteral("SELECT ") + columnas.join(QStringLiteral(", ")) + kSalto;
    if (D.Vinculos.isEmpty()) {
        if (!D.Tablas.isEmpty())
            r += QStringLiteral("FROM ") + D.Tablas.join(QStringLiteral(", ")) + kSalto;
    } else {
        const QString primera = D.Tablas.value(0);
        r += QStringLiteral("FROM ") + primera + kSalto;
        // The marker parts each link into its "JOIN table ON" head and its condition.
        const QString marca = CaracterNoUsado(D.Vinculos.join(QString()));
        QStringList uniones;
        for (const QString& v : D.Vinculos) {
            QString tabla =
                v.section(QLatin1Char('='), 0, 0).trimmed().section(QLatin1Char('.'), 0, 0);
            if (tabla == primera)
                tabla = v.section(QLatin1Char('='), 1).trimmed().section(QLatin1Char('.'), 0, 0);
            uniones << QStringLiteral("JOIN ") + tabla + QStringLiteral(" ON ") + marca +
                           VinculoMotor(v, d, Tipo);
        }
        auto cabeza = [&](qsizetype i) { return uniones.at(i).section(marca, 0, 0); };
        for (qsizetype i = 0; i < uniones.size(); ++i)
            for (qsizetype j = uniones.size() - 1; j > i; --j)
                if (cabeza(j) == cabeza(i)) {
                    uniones[i] += QStringLiteral(" AND ") + uniones.at(j).section(marca, 1);
                    uniones.removeAt(j);
                }
        for (QString u : uniones) r += u.replace(marca, QStringLiteral(" ")) + kSalto;
    }
    if (!D.Restricciones.isEmpty()) {
        QStringList restricciones;
        for (const QString& c : D.Restricciones) restricciones << RestriccionMotor(c, d, Tipo);
        r += QStringLiteral("WHERE ") + restricciones.join(QStringLiteral(" AND ")) + kSalto;
    }
    if (!D.Ordenacion.isEmpty()) {
        QStringList orden;
        for (const QString& o : D.Ordenacion) orden << OrdenacionMotor(o, d);
        r += QStringLiteral("ORDER BY ") + orden.join(QStringLiteral(", ")) + kSalto;
    }
    if (r == QStringLiteral("SELECT ") + kSalto) return QString();
    return r;
}

namespace {
bool FinNombreVariable(QChar c) {
    return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char('(') || c == QLatin1Char(')');
}
}  // namespace

QStringList VariablesInforme(const QString& SQL) {
    QStringList r;
    for (const char* prefijo : {":#", ":&", ":$", ":*"}) {
        const QString p = QLatin1String(prefijo);
        QStringList vistas;
        for (qsizetype i = SQL.indexOf(p); i >= 0; i = SQL.indexOf(p, i + 2)) {
            qsizetype fin = i + 2;
            while (fin < SQL.size() && !FinNombreVariable(SQL.at(fin))) ++fin;
            const QString nombre = SQL.mid(i + 2, fin - i - 2);
            if (nombre.isEmpty() || vistas.contains(nombre)) continue;
            vistas << nombre;
            r << p + nombre;
        }
    }
    return r;
}

QStringList TitulosInforme(const QString& SQL) {
    // Titles are strings on SQL Server and quoted names on the other engines.
    static const QRegularExpression titulo(
        QStringLiteral(" AS ('(?:[^']|'')*'|\"(?:[^\"]|\"\")*\")"));
    QStringList r;
    auto it = titulo.globalMatch(SQL);
    while (it.hasNext()) {
        const QString t = it.next().captured(1);
        if (!r.contains(t)) r << t;
    }
    return r;
}

QString SentenciaValidacionInforme(const QString& SQL, Engine Motor) {
    const SqlDialect& d = SqlDialect::forEngine(Motor);
    QString t = SQL;
    t.replace(kSalto, QStringLiteral(" "));
    for (const QString& v : VariablesInforme(t)) {
        QString ficticio;
        switch (v.at(1).toLatin1()) {
            case '#':
                ficticio = QStringLiteral("0");
                break;
            case '&':
                ficticio = d.dateLiteral(QDate(1900, 1, 1));
                break;
            case '*':
                ficticio =
                    Motor == Engine::SqlServer ? QStringLiteral("\"\"") : QStringLiteral("''");
                break;
            default:
                ficticio = QStringLiteral("''");
        }
        // A whole token only: ":*Dep" is not a piece of ":*DepFinal".
        const QRegularExpression token(QRegularExpression::escape(v) + QStringLiteral("(?!\\w)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
        t.replace(token, ficticio);
    }
    while (t.endsWith(QLatin1Char(' '))) t.chop(1);
    return d.limitSelect(t, 1);
}

bool AnomaliaOrdenGrupos(const DefinicionInforme& D) {
    if (D.Ordenacion.size() < D.Grupos.size()) return true;
    for (qsizetype i = 0; i < D.Grupos.size(); ++i)
        if (D.Ordenacion.at(i).section(QLatin1Char(' '), 0, 0) !=
            D.Grupos.at(i).section(QLatin1Char(' '), 0, 0))
            return true;
    return false;
}

void CorregirOrdenGrupos(DefinicionInforme& D) {
    QStringList orden = D.Grupos + D.Ordenacion;
    const QString as = QStringLiteral(" AS ");
    // Bounded by the list as it shrinks: no entry past its end is looked at.
    for (qsizetype i = 0; i < orden.size(); ++i) {
        const QString columna = orden.at(i).section(as, 0, 0);
        for (qsizetype j = orden.size() - 1; j > i; --j)
            if (orden.at(j).section(as, 0, 0) == columna) {
                orden.removeAt(j);
                break;
            }
    }
    D.Ordenacion = orden;
}

namespace {
QString EscaparHTML(const QString& Texto) {
    QString r = Texto;
    r.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    r.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    r.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return r;
}
}  // namespace

QString ValidarSentenciaInforme(DefinicionInforme& D, QString& SQL, const QString& Opciones) {
    const Engine motor = MotorActual();
    if (AnomaliaOrdenGrupos(D) &&
        MensajeConfirmacion(QStringLiteral(
            "La secuencia de Ordenación deberia ser idéntica a la de los Grupos en sus "
            "primeros elementos. ¿Desea corregir esta anomalía?")) == QLatin1String("SI")) {
        CorregirOrdenGrupos(D);
        SQL = GenerarSentenciaSQL(D, motor);
    }
    // An expression column is typed SQL: it must not carry a statement of its own.
    QString resultado;
    bool cancelada = false;
    const QString motivo = MotivoSegundaSentencia(SQL);
    if (!motivo.isEmpty()) {
        resultado = QStringLiteral("Error. ") + motivo;
    } else {
        try {
            EjecutarSQL(ModuloDatos, SentenciaValidacionInforme(SQL, motor),
                        QStringLiteral("Database"), QStringLiteral("Silenciosa SentenciaUsuario"),
                        resultado);
        } catch (const EUserStatementCancelled&) {
            // Stopped by the user in the progress window: not checked, and
            // said even on the silent check of a save, which then asks.
            cancelada = true;
            resultado = QStringLiteral("Error. ") + TextoSentenciaCancelada();
            MensajeAdvertencia(TextoSentenciaCancelada());
        }
    }
    if (!cancelada && !Opciones.contains(QLatin1String("Silenciosa"))) {
        if (!resultado.startsWith(QLatin1String("Error"))) {
            MensajeInformacion(QStringLiteral("El informe es correcto"));
        } else {
            QString error = EscaparHTML(resultado);
            error.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
            MostrarDetalle(QStringLiteral("<font face=\"Verdana\" size=\"2\"><b>La Sentencia SQL "
                                          "es incorrecta</b><br><br><font color=\"red\">") +
                               error + QStringLiteral("</font></font>"),
                           QStringLiteral("Informe de Validación de la Sentencia SQL"),
                           QStringLiteral("Interprete=HTML\r\nFormato=550,250"));
        }
    }
    return resultado;
}

QString SentenciaSQLEnHTML(const QString& SQL) {
    QString t = EscaparHTML(SQL);
    t.replace(kSalto, QStringLiteral("<br>"));
    static const char* const negritas[][2] = {
        {"SELECT ", "<b>SELECT </b>"}, {" AS ", "<b> AS </b>"},
        {"FROM ", "<b> FROM </b>"},    {"JOIN ", "<b>JOIN </b>"},
        {" ON ", "<b> ON </b>"},       {"WHERE ", "<b>WHERE </b>"},
        {" AND ", "<b> AND </b>"},     {"ORDER BY ", "<b>ORDER BY </b>"},
        {" DESC", "<b> DESC</b>"}};
    for (const auto& n : negritas) t.replace(QLatin1String(n[0]), QLatin1String(n[1]));
    for (const QString& titulo : TitulosInforme(SQL)) {
        const QString e = EscaparHTML(titulo);
        t.replace(e, QStringLiteral("<font color=\"blue\">") + e + QStringLiteral("</font>"));
    }
    for (const QString& variable : VariablesInforme(SQL)) {
        const QString e = EscaparHTML(variable);
        const QRegularExpression token(QRegularExpression::escape(e) + QStringLiteral("(?!\\w)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
        t.replace(token, QStringLiteral("<font color=\"red\">") + e + QStringLiteral("</font>"));
    }
    return QStringLiteral("<html><body bgcolor=\"#FFFFD2\"><font face=\"Verdana\" size=\"1.5\">") +
           t + QStringLiteral("</font></body></html>");
}
