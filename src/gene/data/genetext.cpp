#include "gene/data/genetext.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <iterator>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The accented letters that count as letters besides A-Z, in both cases.
const QString kMinusculasAcentuadas = QStringLiteral("áéíóúàèìòùâêîôûñçäëïöü");
const QString kMayusculasAcentuadas = QStringLiteral("ÁÉÍÓÚÀÈÌÒÙÂÊÎÔÛÑÇÄËÏÖÜ");

bool enRango(const QString& c, char desde, char hasta) {
    return c.size() == 1 && c.at(0) >= QLatin1Char(desde) && c.at(0) <= QLatin1Char(hasta);
}

bool esLetraDe(const QString& c, const QString& letras) {
    return c.size() == 1 && letras.contains(c.at(0));
}

// One character of a text as a one-character string (position from 0).
QString car(const QString& texto, qsizetype i) {
    return QString(texto.at(i));
}

// The pieces of Texto cut at Separador, empty pieces kept.
QStringList piezas(const QString& texto, const QString& separador) {
    if (separador.isEmpty() || !texto.contains(separador)) return {texto};
    return texto.split(separador, Qt::KeepEmptyParts);
}

// Index of the line named Nombre in Name=Value lines, -1 when absent.
qsizetype indiceNombre(const QString& nombre, const QStringList& lineas) {
    for (qsizetype i = 0; i < lineas.size(); ++i) {
        const qsizetype igual = lineas.at(i).indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        if (QStringView(lineas.at(i)).left(igual).compare(nombre, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString valorDeLinea(const QString& linea) {
    return linea.mid(linea.indexOf(QLatin1Char('=')) + 1);
}

}  // namespace

bool EsMinuscula(const QString& Caracter) {
    return enRango(Caracter, 'a', 'z') || esLetraDe(Caracter, kMinusculasAcentuadas);
}

bool EsMayuscula(const QString& Caracter) {
    return enRango(Caracter, 'A', 'Z') || esLetraDe(Caracter, kMayusculasAcentuadas);
}

bool EsDigito(const QString& Caracter) {
    return enRango(Caracter, '0', '9');
}

QString CaracterNoUsado(const QString& Texto) {
    for (int codigo = 255; codigo >= 0; --codigo) {
        const QChar c(codigo);
        if (!Texto.contains(c)) return QString(c);
    }
    return QString();
}

QString ExtraerToken(int Indice, const QString& Texto, const QString& Separador) {
    if (Indice < 0) return QString();
    const QStringList p = piezas(Texto, Separador);
    return Indice < p.size() ? p.at(Indice) : QString();
}

QString ExtraerTokenDesdeFinal(int N, const QString& Texto, const QString& Separador) {
    // The separators are counted as ExtraerToken cuts them, so that N = 0 is
    // always the last piece (re-formed occurrences would point past it).
    const int separadores = int(piezas(Texto, Separador).size()) - 1;
    return ExtraerToken(separadores - std::clamp(N, 0, separadores), Texto, Separador);
}

int ContarCaracter(QChar Caracter, const QString& Texto) {
    return int(Texto.count(Caracter));
}

int ContarOcurrencias(const QString& Subcadena, const QString& Texto) {
    if (Subcadena.isEmpty()) return 0;
    QString t = Texto;
    int n = 0;
    for (qsizetype p = t.indexOf(Subcadena); p >= 0; p = t.indexOf(Subcadena)) {
        t.remove(p, Subcadena.size());
        ++n;
    }
    return n;
}

QString ReemplazarTexto(const QString& Buscar, const QString& Reemplazo, QString& Texto) {
    // QString::replace with an empty pattern would insert at every position.
    if (!Buscar.isEmpty()) Texto.replace(Buscar, Reemplazo);
    return Texto;
}

QString ReemplazarTextoRepetido(const QString& Buscar, const QString& Reemplazo,
                                const QString& Texto) {
    QString t = Texto;
    if (Buscar.isEmpty()) return t;
    // A replacement that contains the pattern would never settle: one pass then.
    if (Reemplazo.contains(Buscar)) return ReemplazarTexto(Buscar, Reemplazo, t);
    QString antes;
    do {
        antes = t;
        t.replace(Buscar, Reemplazo);
    } while (t != antes);
    return t;
}

QString SepararPalabras(const QString& Nombre) {
    const qsizetype n = Nombre.size();
    QString r;
    qsizetype s = 0;  // start of the current word, from 1; 0 = none yet
    bool corte = false;
    for (qsizetype i = 1; i <= n; ++i) {
        const QString c = car(Nombre, i - 1);
        if (i < n) {
            // A run of capitals, or of digits, stays one word.
            bool (*clase)(const QString&) = nullptr;
            if (EsMayuscula(c))
                clase = EsMayuscula;
            else if (EsDigito(c))
                clase = EsDigito;
            if (!clase) continue;
            if (s > 0) {
                r += Nombre.mid(s - 1, i - s);
                if (!clase(car(Nombre, i - 2))) r += QLatin1Char(' ');
            }
            s = i;
            corte = true;
        } else if (s > 0) {
            const QString primero = car(Nombre, s - 1);
            if (EsMinuscula(c) || (EsMayuscula(primero) && EsMayuscula(c)) ||
                (EsDigito(primero) && EsDigito(c)))
                r += Nombre.mid(s - 1);
            else
                r += Nombre.mid(s - 1, n - s) + QLatin1Char(' ') + c;
        }
    }
    if (!corte) return Nombre;
    return r.replace(QLatin1String("  "), QLatin1String(" "));
}

QString PalabrasLegibles(const QString& Nombre) {
    // Identifiers are written in plain ASCII: the words of the system's field
    // and control names that lose a letter that way.
    static const QHash<QString, QString> kAcentos = [] {
        QHash<QString, QString> h;
        const char* const pares[] = {"Accion",
                                     "Acción",
                                     "Afiliacion",
                                     "Afiliación",
                                     "Agrupacion",
                                     "Agrupación",
                                     "Amortizacion",
                                     "Amortización",
                                     "Analisis",
                                     "Análisis",
                                     "Ano",
                                     "Año",
                                     "Anos",
                                     "Años",
                                     "Antiguedad",
                                     "Antigüedad",
                                     "Aprobacion",
                                     "Aprobación",
                                     "Area",
                                     "Área",
                                     "Automaticas",
                                     "Automáticas",
                                     "Bonificacion",
                                     "Bonificación",
                                     "Calculo",
                                     "Cálculo",
                                     "Calificacion",
                                     "Calificación",
                                     "Capacitacion",
                                     "Capacitación",
                                     "Caracter",
                                     "Carácter",
                                     "Categoria",
                                     "Categoría",
                                     "Categorias",
                                     "Categorías",
                                     "Clasificacion",
                                     "Clasificación",
                                     "Clausulas",
                                     "Cláusulas",
                                     "Codigo",
                                     "Código",
                                     "Codigos",
                                     "Códigos",
                                     "Combinacion",
                                     "Combinación",
                                     "Comision",
                                     "Comisión",
                                     "Conexion",
                                     "Conexión",
                                     "Configuracion",
                                     "Configuración",
                                     "Cotizacion",
                                     "Cotización",
                                     "Credito",
                                     "Crédito",
                                     "Denominacion",
                                     "Denominación",
                                     "Descripcion",
                                     "Descripción",
                                     "Dia",
                                     "Día",
                                     "Dias",
                                     "Días",
                                     "Dialogo",
                                     "Diálogo",
                                     "Digitos",
                                     "Dígitos",
                                     "Direccion",
                                     "Dirección",
                                     "Duracion",
                                     "Duración",
                                     "Electronico",
                                     "Electrónico",
                                     "Envio",
                                     "Envío",
                                     "Epigrafe",
                                     "Epígrafe",
                                     "Evaluacion",
                                     "Evaluación",
                                     "Exclusion",
                                     "Exclusión",
                                     "Financiacion",
                                     "Financiación",
                                     "Formacion",
                                     "Formación",
                                     "Genero",
                                     "Género",
                                     "Imputacion",
                                     "Imputación",
                                     "Informacion",
                                     "Información",
                                     "Linea",
                                     "Línea",
                                     "Lineas",
                                     "Líneas",
                                     "Liquido",
                                     "Líquido",
                                     "Maquina",
                                     "Máquina",
                                     "Maquinas",
                                     "Máquinas",
                                     "Matricula",
                                     "Matrícula",
                                     "Maximo",
                                     "Máximo",
                                     "Minimo",
                                     "Mínimo",
                                     "Nomina",
                                     "Nómina",
                                     "Numerica",
                                     "Numérica",
                                     "Numero",
                                     "Número",
                                     "Observacion",
                                     "Observación",
                                     "Ocupacion",
                                     "Ocupación",
                                     "Opcion",
                                     "Opción",
                                     "Pagina",
                                     "Página",
                                     "Paginas",
                                     "Páginas",
                                     "Pais",
                                     "País",
                                     "Paises",
                                     "Países",
                                     "Poblacion",
                                     "Población",
                                     "Posicion",
                                     "Posición",
                                     "Presentacion",
                                     "Presentación",
                                     "Prestamo",
                                     "Préstamo",
                                     "Previsualizacion",
                                     "Previsualización",
                                     "Puntuacion",
                                     "Puntuación",
                                     "Razon",
                                     "Razón",
                                     "Realizacion",
                                     "Realización",
                                     "Reduccion",
                                     "Reducción",
                                     "Regimen",
                                     "Régimen",
                                     "Regulacion",
                                     "Regulación",
                                     "Relacion",
                                     "Relación",
                                     "Retencion",
                                     "Retención",
                                     "Revision",
                                     "Revisión",
                                     "Sabado",
                                     "Sábado",
                                     "Seccion",
                                     "Sección",
                                     "Situacion",
                                     "Situación",
                                     "Tecnico",
                                     "Técnico",
                                     "Telefono",
                                     "Teléfono",
                                     "Titulacion",
                                     "Titulación",
                                     "Titulo",
                                     "Título",
                                     "Ubicacion",
                                     "Ubicación",
                                     "Ultima",
                                     "Última",
                                     "Ultimo",
                                     "Último",
                                     "Valoracion",
                                     "Valoración",
                                     "Via",
                                     "Vía",
                                     "Visualizacion",
                                     "Visualización"};
        for (std::size_t i = 0; i + 1 < std::size(pares); i += 2)
            h.insert(QString::fromUtf8(pares[i]), QString::fromUtf8(pares[i + 1]));
        return h;
    }();
    QStringList palabras = SepararPalabras(Nombre).split(QLatin1Char(' '));
    for (QString& p : palabras) p = kAcentos.value(p, p);
    return palabras.join(QLatin1Char(' '));
}

QString AbreviarTitulo(const QString& Titulo, int Letras) {
    Letras = std::max(Letras, 1);
    const QStringList palabras = SepararPalabras(Titulo).split(QLatin1Char(' '));
    if (palabras.size() <= 1 || (!Titulo.isEmpty() && EsDigito(car(Titulo, 0)))) return Titulo;
    QString r;
    for (qsizetype i = 0; i + 1 < palabras.size(); ++i) {
        const QString& p = palabras.at(i);
        if (!p.isEmpty() && EsMayuscula(car(p, 0))) r += p.left(Letras) + QLatin1Char('.');
    }
    return r + palabras.last();
}

void LineasMemo(const QString& Texto, QVariant& Lineas) {
    Lineas = QVariant();
    QString t = Texto;
    if (t.startsWith(QLatin1String("(Memo)"))) t.remove(0, 6);
    if (t.isEmpty()) return;
    const QString fin = QStringLiteral("finmemo");
    t += (t.endsWith(kCrLf) ? QString() : QStringLiteral("|")) + fin + QLatin1Char('|');
    t.remove(QLatin1Char('\r'));
    t.replace(QLatin1Char('\n'), QLatin1Char('|'));
    QVariantList lista;
    for (const QString& pieza : t.split(QLatin1Char('|'))) {
        if (pieza == fin) break;
        lista.append(pieza);
    }
    Lineas = lista;
}

QString QuitarSaltoFinal(const QString& Texto) {
    return Texto.endsWith(kCrLf) ? Texto.left(Texto.size() - 2) : Texto;
}

QString Entrecomillar(const QString& Texto) {
    QString t = Texto;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

QString CambiarSeparador(const QString& Texto, const QString& Separador) {
    QString t = Texto;
    t.replace(QLatin1Char(';'), Separador);
    if (!t.isEmpty() && QString(t.back()) == Separador) t.chop(1);
    return t;
}

QString Espacios(int N) {
    return N > 0 ? QString(N, QLatin1Char(' ')) : QString();
}

QString RepetirCaracter(QChar Caracter, int N) {
    return N > 0 ? QString(N, Caracter) : QString();
}

QString OrdenarLineas(const QString& Texto) {
    QStringList lineas = LineasTexto(Texto);
    QCollator orden(QLocale(QLocale::Spanish, QLocale::Spain));
    orden.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lineas.begin(), lineas.end(),
                     [&orden](const QString& a, const QString& b) { return orden(a, b); });
    QString r;
    for (const QString& l : lineas) r += l + kCrLf;
    return r;
}

QString TextoSiNo(bool Valor) {
    return Valor ? QStringLiteral("SI") : QStringLiteral("NO");
}

QString ValorParametro(const QString& Nombre, const QString& Texto) {
    return ValorLista(Nombre, LineasTexto(Texto));
}

QString ValorLista(const QString& Nombre, const QStringList& Lista) {
    const qsizetype i = indiceNombre(Nombre, Lista);
    return i < 0 ? QString() : valorDeLinea(Lista.at(i));
}

void AsignarValorLista(const QString& Nombre, const QString& Valor, QStringList& Lista) {
    const qsizetype i = indiceNombre(Nombre, Lista);
    if (Valor.isEmpty()) {
        if (i >= 0) Lista.removeAt(i);
    } else if (i >= 0) {
        Lista[i] = Nombre + QLatin1Char('=') + Valor;
    } else {
        Lista.append(Nombre + QLatin1Char('=') + Valor);
    }
}

QStringList LineasTexto(const QString& Texto) {
    QStringList lineas;
    qsizetype inicio = 0;
    const qsizetype n = Texto.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = Texto.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lineas.append(Texto.mid(inicio, i - inicio));
        if (c == QLatin1Char('\r') && i + 1 < n && Texto.at(i + 1) == QLatin1Char('\n')) ++i;
        inicio = i + 1;
    }
    if (inicio < n) lineas.append(Texto.mid(inicio));
    return lineas;
}
