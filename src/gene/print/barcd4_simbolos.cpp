// The symbology painters of TPrintBarcode. Patterns are the standards'.

#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QWidget>
#include <cmath>

#include "gene/print/barcd4_p.h"
#include "ui/component.h"

namespace {

// ---------------------------------------------------------------- wide and narrow

struct TAnchos {
    int ancho, estrecho;
};

constexpr TAnchos kEscala[] = {{24, 9}, {20, 8}, {16, 6}, {13, 5}, {10, 4},
                               {8, 3},  {6, 2},  {5, 2},  {3, 1}};

// The first pair of the ladder that fits ((2, 1) when none does). When the
// widest fits, a control wider still gets widths from a unit of its own, but
// only when they come out wider than the widest pair.
template <typename Cabe>
TAnchos Elegir(int ancho, int divisorUnidad, Cabe cabe) {
    for (size_t i = 0; i < std::size(kEscala); ++i) {
        if (!cabe(kEscala[i])) continue;
        if (i == 0 && divisorUnidad > 0) {
            const int unidad = ancho / divisorUnidad;
            if (8 * unidad > kEscala[0].ancho) return {8 * unidad, 3 * unidad};
        }
        return kEscala[i];
    }
    return {2, 1};
}

// Wide elements as 1; bar first.
const char* Patron39(QChar c) {
    static const struct {
        char c;
        const char* p;
    } tabla[] = {
        {'0', "000110100"}, {'1', "100100001"}, {'2', "001100001"}, {'3', "101100000"},
        {'4', "000110001"}, {'5', "100110000"}, {'6', "001110000"}, {'7', "000100101"},
        {'8', "100100100"}, {'9', "001100100"}, {'A', "100001001"}, {'B', "001001001"},
        {'C', "101001000"}, {'D', "000011001"}, {'E', "100011000"}, {'F', "001011000"},
        {'G', "000001101"}, {'H', "100001100"}, {'I', "001001100"}, {'J', "000011100"},
        {'K', "100000011"}, {'L', "001000011"}, {'M', "101000010"}, {'N', "000010011"},
        {'O', "100010010"}, {'P', "001010010"}, {'Q', "000000111"}, {'R', "100000110"},
        {'S', "001000110"}, {'T', "000010110"}, {'U', "110000001"}, {'V', "011000001"},
        {'W', "111000000"}, {'X', "010010001"}, {'Y', "110010000"}, {'Z', "011010000"},
        {'-', "010000101"}, {'.', "110000100"}, {' ', "011000100"}, {'*', "010010100"},
        {'$', "010101000"}, {'/', "010100010"}, {'+', "010001010"}, {'%', "000101010"},
    };
    for (const auto& e : tabla)
        if (c == QLatin1Char(e.c)) return e.p;
    return "000000000";
}

const char* Patron2de5(QChar c) {
    static const char* const tabla[] = {"00110", "10001", "01001", "11000", "00101",
                                        "10100", "01100", "00011", "10010", "01010"};
    return c.isDigit() && c.unicode() <= '9' ? tabla[c.unicode() - '0'] : "00000";
}

int Digito(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9' ? c.unicode() - '0' : 0;
}

// A code of digits only: anything else would be drawn as another value.
bool SoloCifras(const QString& texto) {
    for (QChar c : texto)
        if (c.unicode() < '0' || c.unicode() > '9') return false;
    return true;
}

// 10 minus the remainder of the weighted sum, 10 giving 0.
QChar Control(const QString& digitos, int pesoPrimero, int pesoSegundo) {
    int suma = 0;
    for (qsizetype i = 0; i < digitos.size(); ++i)
        suma += Digito(digitos[i]) * (i % 2 == 0 ? pesoPrimero : pesoSegundo);
    return QChar(u'0' + (10 - suma % 10) % 10);
}

}  // namespace

// ---------------------------------------------------------------- Code 39

void PintarCode39(TDibujoBarras& d, const QString& texto) {
    if (texto.isEmpty()) return;
    const int n = int(texto.size());
    if ((n + 2) * 13 + 18 > d.ancho) return d.Estrecho();
    const TAnchos a = Elegir(d.ancho, (n + 2) * 145 + 9 * (d.clearZone ? 0 : 19), [&](TAnchos p) {
        const int q = d.clearZone ? (p.ancho > 3 ? 20 : 16) : 0;
        return q * p.estrecho + (n + 2) * (3 * p.ancho + 7 * p.estrecho) <= d.ancho;
    });
    const int margen =
        (d.ancho - (n + 2) * (3 * a.ancho + 7 * a.estrecho) + a.estrecho) / (2 * a.estrecho);
    if (margen > 0) d.Espacios(margen, a.estrecho);
    const QString simbolo = QLatin1Char('*') + texto + QLatin1Char('*');
    for (QChar c : simbolo) {
        const char* patron = Patron39(c);
        for (int e = 0; e < 9; ++e) d.Elemento(patron[e] == '1' ? a.ancho : a.estrecho, e % 2 == 0);
        d.Elemento(a.estrecho, false);
    }
    if (margen > 1) d.Espacios(margen - 1, a.estrecho);
}

// ---------------------------------------------------------------- Interleaved 2 of 5, ITF-14

void PintarInterleaved2de5(TDibujoBarras& d, QString texto) {
    if (texto.isEmpty()) return;
    if (!SoloCifras(texto)) return d.Estrecho();
    if (texto.size() % 2 == 1) texto.prepend(QLatin1Char('0'));
    const int n = int(texto.size());
    if (7 * n + 16 > d.ancho) return d.Estrecho();
    const TAnchos a = Elegir(d.ancho, n * 75 + 9 * (d.clearZone ? 8 : 29), [&](TAnchos p) {
        const int q = !d.clearZone ? 0 : p.ancho > 3 ? 21 : p.ancho == 3 ? 20 : 12;
        return q * p.estrecho + n * (2 * p.ancho + 3 * p.estrecho) + 8 * p.estrecho <= d.ancho;
    });
    const int simbolo = n * (2 * a.ancho + 3 * a.estrecho) + 8 * a.estrecho;
    const int margen = (d.ancho - simbolo + a.estrecho) / (2 * a.estrecho);
    if (margen > 0) d.Espacios(margen, a.estrecho);
    for (int e = 0; e < 4; ++e) d.Elemento(a.estrecho, e % 2 == 0);
    for (int i = 0; i < n; i += 2) {
        const char* barras = Patron2de5(texto[i]);
        const char* espacios = Patron2de5(texto[i + 1]);
        for (int e = 0; e < 5; ++e) {
            d.Elemento(barras[e] == '1' ? a.ancho : a.estrecho, true);
            d.Elemento(espacios[e] == '1' ? a.ancho : a.estrecho, false);
        }
    }
    d.Elemento(a.ancho, true);
    d.Elemento(a.estrecho, false);
    d.Elemento(a.estrecho, true);
    if (margen > 1) d.Espacios(margen - 1, a.estrecho);
    // Bearer strips over and under the symbol.
    const int inicio = d.x0 + std::max(margen, 0) * a.estrecho;
    d.lienzo->fillRect(inicio, d.y0, simbolo, 2 * a.estrecho, d.barra);
    d.lienzo->fillRect(inicio, d.y0 + d.alto - 2 * a.estrecho, simbolo, 2 * a.estrecho, d.barra);
}

void PintarITF14(TDibujoBarras& d, QString texto) {
    if (texto.isEmpty()) return;
    if (texto.size() < 12 || !SoloCifras(texto)) return d.Estrecho();
    if (texto.size() == 12) texto += Control(texto, 1, 3);
    if (texto.size() == 13) texto.prepend(QLatin1Char('0'));
    PintarInterleaved2de5(d, texto);
}

// ---------------------------------------------------------------- POSTNET and FIM

void PintarPostnet(TDibujoBarras& d, const QString& texto, int digitos) {
    // Only the digits are coded (a ZIP+4's dash is not).
    QString cifras;
    for (QChar c : texto)
        if (c.unicode() >= '0' && c.unicode() <= '9') cifras += c;
    if (cifras.isEmpty()) return;
    if (cifras.size() <= digitos) cifras += Control(cifras, 1, 1);
    static const char* const tabla[] = {"11000", "00011", "00101", "00110", "01001",
                                        "01010", "01100", "10001", "10010", "10100"};
    const int paso = (d.resX + 11) / 22;
    const int barra = paso / 2;
    const int espacio = paso - barra;
    const int alta = (d.resY + 4) / 8;
    const int baja = (d.resY + 10) / 20;
    d.AnchoControl((5 * int(cifras.size()) + 2) * paso + 4);
    auto elemento = [&](bool altaBarra) {
        const int h = altaBarra ? alta : baja;
        d.Elemento(barra, true, d.y0 + alta - h, h);
        d.Elemento(espacio, false, d.y0, alta);
    };
    elemento(true);
    for (QChar c : cifras)
        for (int e = 0; e < 5; ++e) elemento(tabla[Digito(c)][e] == '1');
    d.Elemento(barra, true, d.y0, alta);
}

void PintarFIM(TDibujoBarras& d, QChar letra) {
    const char* patron = nullptr;
    switch (letra.toUpper().unicode()) {
        case 'A':
            patron = "110010011";
            break;
        case 'B':
            patron = "101101101";
            break;
        case 'C':
            patron = "110101011";
            break;
        default:
            return;
    }
    const int paso = (d.resX + 16) / 32;
    d.alto = (5 * d.resY + 4) / 8;
    if (!d.propio && d.autoPosition) {
        const QRect recorte = d.lienzo->hasClipping()
                                  ? d.lienzo->clipBoundingRect().toRect()
                                  : QRect(QPoint(0, 0), QSize(d.lienzo->device()->width(),
                                                              d.lienzo->device()->height()));
        d.x0 = recorte.right() - 2 * d.resX - 18 * paso - 2;
        d.y0 = 1;
    }
    d.TamanoControl(d.resX / 2 + paso + 2, d.alto);
    for (int e = 0; e < 9; ++e) {
        d.Elemento(paso, patron[e] == '1');
        d.Elemento(paso, false);
    }
}

// ---------------------------------------------------------------- EAN-8 and EAN-13

void PintarEAN(TDibujoBarras& d, QString texto) {
    const qsizetype n = texto.size();
    if (n == 0) return;
    const bool trece = n == 12 || n == 13;
    if ((!trece && n != 7 && n != 8) || !SoloCifras(texto)) return d.Estrecho();
    const int modulos = trece ? 113 : 81;
    int m;
    int altoBarras;
    if (!d.autoSizing) {
        m = d.ancho / modulos;
        if (m == 0) return d.Estrecho();
        altoBarras = d.alto - 12 * m;
    } else {
        const double r = d.resX;
        m = trece ? int(std::lround(r * 1.23 * d.magnification / 95))
                  : int(std::lround(r * 0.87 * d.magnification / 67));
        m = std::max({m, trece ? int(r * 1.22 * 0.7 / 95) + 1 : int(r * 0.86 * 0.7 / 67) + 1, 1});
        d.TamanoControl(modulos * m, 66 * m);
        altoBarras = 55 * m;
    }
    if (n == 12) texto += Control(texto, 1, 3);
    if (n == 7) texto += Control(texto, 3, 1);

    // The system asks for "Ariel", bold, 14 modules high: the font's height
    // (ascent and descent) is 14 modules, whatever the em of the face.
    QFont letra(FontFamily(QStringLiteral("Arial")));
    letra.setBold(true);
    letra.setPixelSize(std::max(1, 14 * m));
    {
        const QFontMetricsF medida(letra, d.lienzo->device());
        const double alto = medida.ascent() + medida.descent();
        if (alto > 0) letra.setPixelSize(std::max(1, int(std::lround(14.0 * m * 14 * m / alto))));
    }
    d.lienzo->setFont(letra);
    d.lienzo->setPen(d.barra);
    if (!d.autoSizing && d.propio && d.control) d.lienzo->fillRect(d.control->rect(), d.fondo);
    const int yBarras = d.y0 + m;
    const int yTexto = yBarras + altoBarras;
    d.lienzo->fillRect(d.x0, yTexto, modulos * m, 11 * m, d.fondo);

    auto modulo = [&](char bit, bool guarda) {
        d.Elemento(m, bit == '1', yBarras, altoBarras + (guarda ? 5 * m : 0));
    };
    auto patron = [&](const char* bits, bool guarda) {
        for (const char* b = bits; *b; ++b) modulo(*b, guarda);
    };
    auto cifra = [&](QChar c, const char* bits) {
        d.lienzo->drawText(QRect(d.x0 + d.x, yTexto, 7 * m, 14 * m), Qt::AlignLeft | Qt::AlignTop,
                           QString(c));
        patron(bits, false);
    };
    static const char* const izquierdaL[] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                             "0110001", "0101111", "0111011", "0110111", "0001011"};
    static const char* const izquierdaG[] = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                             "0111001", "0000101", "0010001", "0001001", "0010111"};
    static const char* const derecha[] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                          "1001110", "1010000", "1000100", "1001000", "1110100"};
    static const char* const paridad[] = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                          "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};

    int primera = 0;
    if (trece) {
        d.lienzo->drawText(QRect(d.x0 + 5 * m, yTexto, 7 * m, 14 * m), Qt::AlignLeft | Qt::AlignTop,
                           QString(texto[0]));
        d.x = 11 * m;
        primera = 1;
    } else {
        d.x = 7 * m;
    }
    const int mitad = trece ? 6 : 4;
    patron("101", true);
    for (int i = 0; i < mitad; ++i) {
        const QChar c = texto[primera + i];
        const bool g = trece && paridad[Digito(texto[0])][i] == 'G';
        cifra(c, (g ? izquierdaG : izquierdaL)[Digito(c)]);
    }
    patron("01010", true);
    for (int i = 0; i < mitad; ++i) {
        const QChar c = texto[primera + mitad + i];
        cifra(c, derecha[Digito(c)]);
    }
    patron("101", true);
}

// ---------------------------------------------------------------- Code 128 and GS1-128

namespace {

const char* const kPatrones128[] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312",  "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122",  "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122",  "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123",  "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331",  "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311",  "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411",  "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412",  "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211",  "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113",  "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232", "2331112",
};

enum : int { kShift = 98, kCodeC = 99, kCodeB = 100, kCodeA = 101, kFnc1 = 102, kStartA = 103 };

}  // namespace

// The symbol characters from the start to the check, code sets chosen as the
// text goes: runs of four digits or more in set C, control characters in set
// A, lower case in set B, one character of the other set by SHIFT.
QList<int> Codificar128(const QString& texto, bool fnc1) {
    // Code 128 holds ASCII only: a text with any other character has no symbol.
    for (QChar c : texto)
        if (c.unicode() >= 128) return {};
    const QString& t = texto;
    const qsizetype n = t.size();
    auto digitos = [&](qsizetype i) {
        qsizetype j = i;
        while (j < n && t[j].isDigit()) ++j;
        return j - i;
    };
    auto soloA = [&](qsizetype i) { return i < n && t[i].unicode() < 32; };
    auto soloB = [&](qsizetype i) { return i < n && t[i].unicode() >= 96; };
    // Set A when a control character comes before any lower-case one.
    auto conjunto = [&](qsizetype i) {
        for (; i < n && digitos(i) < 4; ++i) {
            if (soloA(i)) return 'A';
            if (soloB(i)) return 'B';
        }
        return 'B';
    };
    auto valor = [&](QChar c, char set) {
        const int u = c.unicode();
        return set == 'A' && u < 32 ? u + 64 : u - 32;
    };

    QList<int> v;
    char set = digitos(0) >= 4 ? 'C' : conjunto(0);
    v << kStartA + (set - 'A');
    if (fnc1) v << kFnc1;
    qsizetype i = 0;
    while (i < n) {
        if (set == 'C') {
            if (digitos(i) >= 2) {
                v << (t[i].unicode() - '0') * 10 + (t[i + 1].unicode() - '0');
                i += 2;
                continue;
            }
            set = conjunto(i);
            v << (set == 'A' ? kCodeA : kCodeB);
            continue;
        }
        if (digitos(i) >= 4) {
            set = 'C';
            v << kCodeC;
            continue;
        }
        const bool otro = (set == 'A' && soloB(i)) || (set == 'B' && soloA(i));
        if (otro) {
            const char otroSet = set == 'A' ? 'B' : 'A';
            const bool siguienteTambien = otroSet == 'A' ? soloA(i + 1) : soloB(i + 1);
            if (siguienteTambien) {
                set = otroSet;
                v << (set == 'A' ? kCodeA : kCodeB);
            } else {
                v << kShift << valor(t[i], otroSet);
                ++i;
                continue;
            }
        }
        v << valor(t[i], set);
        ++i;
    }
    int suma = v[0];
    for (qsizetype k = 1; k < v.size(); ++k) suma += v[k] * int(k);
    v << suma % 103;
    return v;
}

void PintarCode128(TDibujoBarras& d, const QString& texto, bool fnc1) {
    if (texto.isEmpty()) return;
    const int m = std::max(1, int(std::lround(d.resX * 0.03937 * d.magnification)));
    int alto = 32 * m;
    if (fnc1 && alto > d.resY * 0.7874) alto = int(std::lround(d.resY * 0.7874));
    d.alto = alto;
    const QList<int> simbolos = Codificar128(texto, fnc1);
    if (simbolos.isEmpty()) return d.Estrecho();
    const int q = d.clearZone ? 10 : 0;
    const int ancho = m * (11 * (int(simbolos.size()) + 1) + 13 + 2 * q);
    // Cut at the edge of its box a symbol cannot be scanned: elsewhere than
    // on the control, which takes the symbol's width, it is not drawn.
    if (!d.propio && ancho > d.ancho) return d.Estrecho();
    d.TamanoControl(ancho, alto);
    d.lienzo->fillRect(d.x0, d.y0, ancho, alto, d.fondo);
    d.Elemento(q * m, false);
    auto pinta = [&](const char* anchos) {
        for (int e = 0; anchos[e]; ++e) d.Elemento((anchos[e] - '0') * m, e % 2 == 0);
    };
    for (int s : simbolos) pinta(kPatrones128[s]);
    pinta(kPatrones128[106]);
}
