// The drawing and data commands of the format language: texts, variables,
// rectangles, lines, fonts, pictures, bar codes, raw codes, fields (with
// currency conversion, other tables, analysis groups and wrapped memos),
// expressions, concatenations and sums.

#include <QDate>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringEncoder>
#include <functional>
#include <memory>

#include "db/database.h"
#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneconv.h"
#include "gene/data/genegrup.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemone.h"
#include "gene/data/genesali.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/session/genecomp.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/session/sesion.h"
#include "io/paths.h"

namespace {

// The i-th argument within its range; an argument that cannot be read or
// lies outside counts as the default.
double numero(const QStringList& a, int i, double minimo, double maximo, double defecto) {
    double v = 0;
    return i < a.size() && LeerNumeroImpreso(a[i], minimo, maximo, v) ? v : defecto;
}

// A position or a size in the format's unit: 0 when unreadable or out of range.
double coordenada(const QStringList& a, int i) {
    return numero(a, i, -impreso::kCoordenada, impreso::kCoordenada, 0);
}

QString arg(const QStringList& a, int i) {
    return i < a.size() ? a[i] : QString();
}

QColor colorSegun(const QString& texto) {
    const QString t = texto.trimmed();
    if (t.isEmpty()) return Qt::black;
    const int c = ColorSegunNombre(t);
    return ColorQt(c != 0 ? c : ValorColor(t));
}

QString mascara(const QStringList& a, int desde) {
    const QString positiva = arg(a, desde), negativa = arg(a, desde + 1), cero = arg(a, desde + 2);
    if (positiva.isEmpty()) return QString();
    QString m = positiva;
    if (!negativa.isEmpty() || !cero.isEmpty()) m += QLatin1Char(';') + negativa;
    if (!cero.isEmpty()) m += QLatin1Char(';') + cero;
    return m;
}

QString plantillaImporte(const QString& campo) {
    QString formato;
    if (GanchoFormatoCampoImporte) GanchoFormatoCampoImporte(campo, formato);
    return formato;
}

bool modoPrueba() {
    return NombreLlamadorImpreso == QLatin1String("fGENEIMPR");
}

}  // namespace

QFont FuenteImpreso(const QString& Nombre) {
    QString familia = Nombre;
    // The fonts formats name, as this platform has them.
    if (familia.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        familia = QStringLiteral("Liberation Mono");
    else if (familia.compare(QLatin1String("Ariel"), Qt::CaseInsensitive) == 0 ||
             familia.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        familia = QStringLiteral("Liberation Sans");
    QFont f(familia);
    f.setStyleHint(familia == QLatin1String("Liberation Mono") ? QFont::TypeWriter
                                                               : QFont::SansSerif);
    return f;
}

TMarcado LeerMarcado(const QString& Texto) {
    TMarcado m;
    int pos = 0, blancos = 0;
    for (;;) {
        while (pos < Texto.size() && Texto.at(pos) == QLatin1Char(' ')) {
            ++blancos;
            ++pos;
        }
        if (pos >= Texto.size() || Texto.at(pos) != QLatin1Char('<')) break;
        const int cierre = Texto.indexOf(QLatin1Char('>'), pos);
        if (cierre < 0) break;
        const QString etiqueta = Texto.mid(pos + 1, cierre - pos - 1);
        if (etiqueta == QLatin1String("/")) {
            m = TMarcado();
            pos = cierre + 1;
            m.Prefijo.clear();
            m.Texto = QString(blancos, QLatin1Char(' ')) + Texto.mid(pos);
            return m;
        }
        bool digitos = !etiqueta.isEmpty();
        for (QChar c : etiqueta) digitos = digitos && c.isDigit();
        if (etiqueta == QLatin1String("R"))
            m.Color = QColor(Qt::red);
        else if (etiqueta == QLatin1String("V"))
            m.Color = QColor(0, 128, 0);
        else if (etiqueta == QLatin1String("A"))
            m.Color = QColor(Qt::blue);
        else if (etiqueta == QLatin1String("N") || etiqueta == QLatin1String("C") ||
                 etiqueta == QLatin1String("S")) {
            if (m.Estilos.size() < 3) m.Estilos.append(etiqueta.at(0));
        } else if (digitos)
            // A size no font has leaves the size unchanged.
            m.Tamano = etiqueta.toInt() <= impreso::kTamanoFuente ? etiqueta.toInt() : 0;
        else
            break;
        pos = cierre + 1;
    }
    m.Prefijo = Texto.left(pos).trimmed();
    m.Texto = QString(blancos, QLatin1Char(' ')) + Texto.mid(pos);
    return m;
}

QByteArray TextoOEM(const QString& Texto) {
    QStringEncoder codificador("IBM850");
    if (!codificador.isValid()) return Texto.toLatin1();
    return codificador.encode(Texto);
}

TDataSet* TfGENELIMP::RegistroActual() const {
    return EnLineas && LTemporal->Active() ? static_cast<TDataSet*>(LTemporal)
                                           : static_cast<TDataSet*>(Temporal);
}

TField* CampoVisible(TField* Campo) {
    return Campo && !CampoNoVisible(ModuloDatos, Campo->FieldName()) ? Campo : nullptr;
}

TField* TfGENELIMP::CampoRegistro(const QString& Nombre) const {
    return CampoVisible(RegistroActual()->FindField(Nombre));
}

bool TfGENELIMP::LineaContinuacion() const {
    if (!EnLineas || !LTemporal->Active() || LTemporal->IsEmpty()) return false;
    TField* f = LTemporal->FindField(QStringLiteral("LineaMemo"));
    return f && f->AsInteger() != 0;
}

void TfGENELIMP::EjecutarComando(const QString& Nombre, const QStringList& a) {
    if (Nombre == QLatin1String("Text")) {
        ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2), arg(a, 3), arg(a, 4));
    } else if (Nombre == QLatin1String("Vari")) {
        ComandoVari(a);
    } else if (Nombre == QLatin1String("Rect") || Nombre == QLatin1String("Line")) {
        ComandoRectLine(Nombre == QLatin1String("Rect"), a);
    } else if (Nombre == QLatin1String("Font")) {
        ComandoFont(a);
    } else if (Nombre == QLatin1String("Graf")) {
        ComandoGraf(a);
    } else if (Nombre == QLatin1String("CBar")) {
        QString valor = arg(a, 4);
        if (valor.startsWith(QLatin1String("Camp:"))) {
            TField* f = CampoRegistro(valor.mid(5));
            valor = f ? f->AsString() : QString();
        }
        if (!Lienzo) return;
        const QRect r(QPoint(PosicionX(coordenada(a, 0)), PosicionY(coordenada(a, 1))),
                      QPoint(PosicionX(coordenada(a, 2)), PosicionY(coordenada(a, 3))));
        DibujarCodigoBarras(r.normalized(), valor, arg(a, 5),
                            numero(a, 6, 0.01, impreso::kAumento, 1), arg(a, 7).trimmed());
    } else if (Nombre == QLatin1String("Asci")) {
        if (!FlujoTextoCrudo()) return;  // no raw channel on pages
        for (const QString& codigo : a.join(QLatin1Char(';')).split(QLatin1Char(','))) {
            bool ok = false;
            const int c = codigo.trimmed().toInt(&ok);
            if (codigo.trimmed().isEmpty() || !ok || c < 0 || c > 255) break;
            FlujoTexto.append(char(c));
        }
    } else if (Nombre == QLatin1String("Camp")) {
        ComandoCamp(a);
    } else if (Nombre == QLatin1String("Expr")) {
        ComandoExpr(a);
    } else if (Nombre == QLatin1String("Conc")) {
        ComandoConc(a);
    } else if (Nombre == QLatin1String("Suma")) {
        if (EnLineas) return;
        if (modoPrueba()) {
            ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2),
                        AbreviarTitulo(arg(a, 3), 1), arg(a, 4));
            return;
        }
        for (const TSumaImpreso& s : SumasImpreso)
            if (!s.Campo.isEmpty() && s.Campo == arg(a, 3)) {
                QString m = mascara(a, 5);
                if (m.isEmpty()) m = plantillaImporte(s.Campo);
                ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2),
                            FormatFloat(m, s.Valor), arg(a, 4));
                return;
            }
    } else if (Nombre == QLatin1String("ISum")) {
        if (EnLineas) return;
        for (TSumaImpreso& s : SumasImpreso)
            if (!s.Campo.isEmpty() && s.Campo == arg(a, 0)) {
                s.Valor = 0;
                return;
            }
    }
}

// ---- Text and what prints through it.

void TfGENELIMP::ComandoText(double X, double Y, double Ancho, const QString& Texto,
                             const QString& Alineacion, bool DesdeCamp) {
    if (!DesdeCamp && LineaContinuacion()) return;
    const TMarcado m = LeerMarcado(Texto);
    QFont fuente = FuenteActual;
    QColor color = ColorFuente;
    if (m.Color.isValid()) color = m.Color;
    for (QChar e : m.Estilos) {
        if (e == QLatin1Char('N')) fuente.setBold(true);
        if (e == QLatin1Char('C')) fuente.setItalic(true);
        if (e == QLatin1Char('S')) fuente.setUnderline(true);
    }
    if (m.Tamano > 0) fuente.setPixelSize(TamanoPixels(m.Tamano));
    QString texto = m.Texto;
    texto.truncate(WholeLetters(texto, kLetrasLinea));

    if (FlujoTextoCrudo()) {
        // The character grid of a raw text printer: rows by line feeds or
        // reverse feeds, columns by blanks.
        // Rows and columns a sheet can have: margins and label offsets
        // divided by a small compression must not fill the memory.
        const int limite = int(10 * impreso::kCoordenada);
        const int fila = qBound(-limite, EnteroImpreso(YLogica(Y)), limite);
        if (fila <= FilaTextoActual)
            for (int i = 0; i < FilaTextoActual - fila; ++i) FlujoTexto.append("\x1bj$", 3);
        else
            FlujoTexto.append(QByteArray(fila - FilaTextoActual, '\n'));
        const int columnas = int(Ancho);
        if (columnas > 0 &&
            (Alineacion == QLatin1String("D") || Alineacion == QLatin1String("C"))) {
            // Aligned in character columns: "C" centres, "D" ends one blank
            // short of the width.
            int n = columnas - int(texto.size());
            if (Alineacion == QLatin1String("C"))
                n = n / 2;
            else if (n >= 1)
                n = n - 1;
            if (n > 0) texto = QString(n, QLatin1Char(' ')) + texto;
        }
        if (Ancho != 0) texto = texto.left(columnas);
        FlujoTexto.append(QByteArray(qBound(0, EnteroImpreso(XLogica(X)), limite), ' '));
        FlujoTexto.append(TextoOEM(texto));
        FlujoTexto.append('\r');
        FilaTextoActual = fila;
        return;
    }
    if (!Lienzo) return;
    if (Lienzo->font() != fuente) Lienzo->setFont(fuente);
    const QFontMetrics& fm = Metricas(fuente);
    int blancos = 0;  // the blanks that align the text
    if (Ancho != 0 && (Alineacion == QLatin1String("D") || Alineacion == QLatin1String("C"))) {
        const int blanco = qMax(1, fm.horizontalAdvance(QLatin1Char(' ')));
        int n = qRound(double(DistanciaX(Ancho) - AnchoTexto(texto)) / blanco);
        if (Alineacion == QLatin1String("C"))
            n = n / 2;
        else if (n >= 1)
            n = n - 1;
        if (n > 0) {
            blancos = n;
            texto = QString(n, QLatin1Char(' ')) + texto;
        }
    }
    if (Lienzo->pen().color() != color) Lienzo->setPen(color);
    const int x = PosicionX(X), y = PosicionY(Y);
    // A text that fits its width needs no clipping.
    const bool cabe = Ancho == 0 || AnchoTexto(texto) <= DistanciaX(Ancho);
    if (!cabe) {
        Lienzo->save();
        Lienzo->setClipRect(QRect(x, y, DistanciaX(Ancho), fm.height()));
    }
    // The blanks before an amount print nothing: the figures go where the
    // blanks would have carried them, without laying the blanks out. A text
    // that underlines or strikes its blanks, or whose first letter may sit
    // closer to a blank (a kerning pair), is drawn whole.
    const QChar primera = blancos > 0 ? texto.at(blancos) : QChar();
    if (blancos > 0 && !fuente.underline() && !fuente.strikeOut() &&
        (primera.isDigit() || primera == QLatin1Char('-') || primera == QLatin1Char('+')))
        Lienzo->drawText(QPointF(x + AnchoBlancos(blancos), y + fm.ascent()), texto.mid(blancos));
    else
        Lienzo->drawText(QPoint(x, y + fm.ascent()), texto);
    if (!cabe) Lienzo->restore();
}

qreal TfGENELIMP::AnchoBlancos(int Blancos) {
    std::vector<qreal>& anchos = medida_->blancos;
    if (Blancos >= int(anchos.size())) {
        // Measured as a whole run, as drawing shapes it.
        const QFontMetricsF fm(medida_->metricas);
        for (int n = int(anchos.size()); n <= Blancos; ++n)
            anchos.push_back(fm.horizontalAdvance(QString(n, QLatin1Char(' '))));
    }
    return anchos[Blancos];
}

int TfGENELIMP::TamanoPixels(double Puntos) const {
    return qMax(1, qRound(Puntos * PuntosPorPulgada() / 72.0));
}

double TfGENELIMP::PuntosPorPulgada() const {
    return AnchoDestino() * 25.4 / AnchoPapel;
}

void TfGENELIMP::ComandoVari(const QStringList& a) {
    const QString v = arg(a, 3);
    QString valor;
    if (v == QLatin1String("NumeroPagina"))
        valor = QString::number(NumeroPagina);
    else if (v == QLatin1String("ContadorPaginas"))
        valor = QString::number(ContadorPaginas);
    else if (v == QLatin1String("NumeroCopia"))
        valor = QString::number(NumeroCopia);
    else if (v == QLatin1String("FechaImpresion"))
        valor = DateToStr(QDate::currentDate());
    else if (v == QLatin1String("FechaYHoraImpresion"))
        valor = DateTimeToStr(QDateTime::currentDateTime());
    else if (v == QLatin1String("NombreEmpresa"))
        valor = NombreEmpresaActual;
    else if (v.contains(QLatin1String("OriginalCopia"))) {
        const QString original = v.section(QLatin1Char(','), 1, 1);
        const QString copia = v.section(QLatin1Char(','), 2, 2);
        if (original.isEmpty() && copia.isEmpty())
            valor = NumeroCopia == 1 ? QStringLiteral("ORIGINAL") : QStringLiteral("COPIA");
        else
            valor = NumeroCopia == 1 ? original : copia;
    }
    ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2), valor, arg(a, 4));
}

void TfGENELIMP::ComandoRectLine(bool Rectangulo, const QStringList& a) {
    if (!Lienzo || LineaContinuacion()) return;
    int ancho = int(numero(a, 4, 0, impreso::kGrosorPluma, 1));
    if (ancho == 0) ancho = 1;
    QPen pluma(colorSegun(arg(a, 5)));
    pluma.setWidth(ancho);
    const QString estilo = arg(a, 6).trimmed();
    pluma.setStyle(estilo == QLatin1String("Puntos")    ? Qt::DotLine
                   : estilo == QLatin1String("Ninguno") ? Qt::NoPen
                                                        : Qt::SolidLine);
    Lienzo->save();
    Lienzo->setPen(pluma);
    const QPoint p1(PosicionX(coordenada(a, 0)), PosicionY(coordenada(a, 1)));
    const QPoint p2(PosicionX(coordenada(a, 2)), PosicionY(coordenada(a, 3)));
    if (Rectangulo) {
        Lienzo->setBrush(arg(a, 8).trimmed() == QLatin1String("Solido")
                             ? QBrush(colorSegun(arg(a, 7)))
                             : QBrush(Qt::NoBrush));
        const double cw = coordenada(a, 9), ch = coordenada(a, 10);
        const QRect r = QRect(p1, p2).normalized();
        if (cw == 0 && ch == 0)
            Lienzo->drawRect(r);
        else
            // The corner ellipse goes through the position conversions, margins
            // and label offsets included, as stored formats expect.
            Lienzo->drawRoundedRect(r, PosicionX(cw) / 2.0, PosicionY(ch) / 2.0);
    } else {
        Lienzo->drawLine(p1, p2);
    }
    Lienzo->restore();
}

const QFontMetrics& TfGENELIMP::Metricas(const QFont& Fuente) {
    // Measuring is asked for every printed text, in the few fonts of the
    // format; another resolution measures everything anew.
    const QSize dpi(Lienzo->device()->logicalDpiX(), Lienzo->device()->logicalDpiY());
    if (dpi != dpiMedido_) {
        medidas_.clear();
        medida_ = nullptr;
        dpiMedido_ = dpi;
    }
    if (medida_ && medida_->fuente == Fuente) return medida_->metricas;
    medida_ = nullptr;
    for (const auto& m : medidas_)
        if (m->fuente == Fuente) medida_ = m.get();
    if (!medida_) {
        // A program that changes size at every line keeps only the last fonts.
        constexpr size_t kFuentes = 32;
        if (medidas_.size() >= kFuentes) medidas_.clear();
        medidas_.push_back(std::make_unique<TMedidaFuente>(
            TMedidaFuente{Fuente, QFontMetrics(Fuente, Lienzo->device()), {}, {}}));
        medida_ = medidas_.back().get();
    }
    return medida_->metricas;
}

int TfGENELIMP::AnchoTexto(const QString& Texto) {
    auto it = medida_->anchos.constFind(Texto);
    if (it != medida_->anchos.constEnd()) return *it;
    // Data texts that never repeat must not fill the memory.
    constexpr qsizetype kAnchos = 4096;
    if (medida_->anchos.size() >= kAnchos) medida_->anchos.clear();
    const int ancho = medida_->metricas.horizontalAdvance(Texto);
    medida_->anchos.insert(Texto, ancho);
    return ancho;
}

void TfGENELIMP::ComandoFont(const QStringList& a) {
    if (ModoTexto) return;
    const QString clave = a.mid(0, 4).join(QLatin1Char(';')) + QLatin1Char('|') +
                          QString::number(PuntosPorPulgada()) + QLatin1Char('|') +
                          QString::number(CompresionX) + QLatin1Char('|') +
                          QString::number(CompresionY);
    const auto guardada = fuentesFormato_.constFind(clave);
    if (guardada != fuentesFormato_.constEnd()) {
        FuenteActual = guardada->first;
        ColorFuente = guardada->second;
        return;
    }
    QFont f = FuenteImpreso(arg(a, 0).trimmed());
    // An unreadable size counts as 0, and a size of 0 (or one that the
    // compression takes past any font) prints in the engine's default size.
    const double tamano =
        numero(a, 1, 0, impreso::kTamanoFuente, 0) * (CompresionY == 1 ? CompresionX : CompresionY);
    const int puntos = tamano <= impreso::kTamanoFuente ? int(tamano) : 0;
    f.setPixelSize(TamanoPixels(puntos > 0 ? puntos : 10));
    for (const QString& e : arg(a, 3).split(QLatin1Char(','))) {
        const QString s = e.trimmed();
        if (s == QLatin1String("fsBold") || s == QLatin1String("Negrita")) f.setBold(true);
        if (s == QLatin1String("fsItalic") || s == QLatin1String("Italica")) f.setItalic(true);
        if (s == QLatin1String("fsUnderline") || s == QLatin1String("Subrayado"))
            f.setUnderline(true);
        if (s == QLatin1String("fsStrikeout") || s == QLatin1String("Tachado"))
            f.setStrikeOut(true);
    }
    FuenteActual = f;
    ColorFuente = colorSegun(arg(a, 2));
    fuentesFormato_.insert(clave, {f, ColorFuente});
}

void TfGENELIMP::ComandoGraf(const QStringList& a) {
    if (!Lienzo || modoPrueba() || LineaContinuacion()) return;
    const QString imagen = arg(a, 4).trimmed();
    QImage pic;
    QString archivo = imagen;
    if (imagen.startsWith(QLatin1String("Camp:"))) {
        const QString ref = imagen.mid(5);
        archivo.clear();
        if (ref.contains(QLatin1Char('.'))) {
            TField* f = CampoOtraTabla(ref);
            if (f) archivo = f->AsString();
        } else if (TField* f = CampoRegistro(ref)) {
            if (f->DataType() == ftGraphic || f->DataType() == ftBlob)
                pic = f->AsImage();
            else
                archivo = f->AsString();
        }
    }
    if (pic.isNull() && !archivo.isEmpty()) {
        if (!archivo.contains(QLatin1Char('\\')) && !archivo.contains(QLatin1Char('/')))
            archivo = DirectorioPrograma + archivo;
        pic.load(NativePath(archivo));  // read by content, whatever the extension says
    }
    if (pic.isNull()) return;
    const double x2 = coordenada(a, 2), y2 = coordenada(a, 3);
    const QPoint p1(PosicionX(coordenada(a, 0)), PosicionY(coordenada(a, 1)));
    if (x2 == 0 && y2 == 0)
        Lienzo->drawImage(p1, pic);
    else
        Lienzo->drawImage(QRect(p1, QPoint(PosicionX(x2), PosicionY(y2))).normalized(), pic);
}

// ---- Fields.

TField* TfGENELIMP::CampoOtraTabla(const QString& Referencia) {
    const QStringList partes = Referencia.split(QLatin1Char('.'));
    if (partes.size() < 2) return nullptr;
    QString fisico = partes.first();
    NombreTablaFisico(ModuloDatos, partes.first(), fisico);
    const QString calificador = partes.size() > 2 ? partes.at(1) : QString();
    const QString campo = partes.last();
    // The users' table (passwords, levels, rights) is no format's to read.
    if (partes.first().trimmed().compare(QLatin1String("USUARIO"), Qt::CaseInsensitive) == 0 ||
        fisico.section(QLatin1Char('.'), -1)
                .compare(QLatin1String("USUARIO"), Qt::CaseInsensitive) == 0)
        return nullptr;
    TTable*& t = tablasConexion_[fisico.toUpper()];
    try {
        if (!t) {
            t = new TTable(this);
            t->setTableName(fisico);
            // A table named by a format is read, never created.
            if (!fGENEINIC) return nullptr;
            t->setDatabaseName(EsTablaGeneral(fisico) ? fGENEINIC->DatabaseGeneral->DatabaseName()
                                                      : fGENEINIC->Database->DatabaseName());
            if (!t->Exists()) return nullptr;
            t->Open();
        }
        const QString buscado =
            calificador.isEmpty()
                ? QString(fisico + QLatin1Char('>'))
                : QString(fisico + QLatin1Char('.') + calificador + QLatin1Char('>'));
        QString entrada;
        for (const QString& c : Conexiones)
            if (c.contains(buscado, Qt::CaseInsensitive)) {
                entrada = c.mid(c.indexOf(QLatin1Char('>')) + 1);
                break;
            }
        if (entrada.isEmpty()) return nullptr;
        QVariantList valores;
        for (QString item : entrada.split(QLatin1Char(';')).mid(0, 4)) {
            item = item.trimmed();
            if (item.isEmpty()) continue;
            if (item.size() >= 2 && item.startsWith(QLatin1Char('"')) &&
                item.endsWith(QLatin1Char('"'))) {
                valores.append(item.mid(1, item.size() - 2));
                continue;
            }
            const QString grupo = ListaGrupoAnalisis(item);
            if (!grupo.isNull()) {
                valores.append(grupo);
                continue;
            }
            // Fields joined with "|" give one value joined the same way, as
            // attachment keys are stored.
            QStringList partesValor;
            for (const QString& nombre : item.split(QLatin1Char('|'))) {
                TField* f = CampoRegistro(nombre.trimmed());
                if (!f) return nullptr;
                partesValor.append(f->AsString());
            }
            valores.append(partesValor.join(QLatin1Char('|')));
        }
        if (valores.isEmpty()) return nullptr;
        const int n =
            qMax(1, qMin(int(valores.size()),
                         t->IndexFieldCount() > 0 ? t->IndexFieldCount() : int(valores.size())));
        if (!t->FindKey(valores.mid(0, n))) return nullptr;
        return CampoVisible(t->FindField(campo));
    } catch (...) {
        return nullptr;
    }
}

QString TfGENELIMP::ListaGrupoAnalisis(const QString& Clave) {
    for (const QString& g : GruposAnalisis) {
        if (g.section(QLatin1Char('='), 0, 0) != Clave) continue;
        const QString def = g.section(QLatin1Char('='), 1);
        const QString tabla = def.section(QLatin1Char(','), 0, 0).trimmed();
        const QString categoria = def.section(QLatin1Char(','), 1, 1).trimmed();
        const QString campo = def.section(QLatin1Char(','), 2, 2).trimmed();
        // A record named by no field it may show has no groups to list.
        TField* f = CampoRegistro(campo);
        if (!f) return QLatin1String("");
        QString grupos;
        try {
            GruposAnalisisRegistro(ModuloDatos, tabla, categoria, grupos, f->AsString());
        } catch (...) {
            grupos.clear();
        }
        return grupos.isNull() ? QLatin1String("") : grupos;
    }
    return QString();
}

double TfGENELIMP::ConvertirImporteDocumento(double Valor) const {
    auto parametro = [](const char* n) {
        bool ok = false;
        const int v = ParametroGeneral(ModuloDatos, QLatin1String(n)).toInt(&ok);
        return ok ? v : 0;
    };
    const int e = parametro("CodigoMonedaEuro"), n = parametro("CodigoMonedaNacional");
    const int d = MonedaDocumento;
    const bool distinta = ModuloDatos && ModuloDatos->MonedaBaseDistintaNacional;
    QString modo;
    if (distinta)
        modo = d == e   ? QString()
               : d == n ? QStringLiteral("AutoInverso")
                        : QStringLiteral("Otra Moneda");
    else
        modo = d == e   ? QStringLiteral("AutoInverso")
               : d == n ? QString()
                        : QStringLiteral("Otra Moneda");
    const double importe =
        (d != e && d != n) ? Valor * CambioDocumento * CambioMoneda(ModuloDatos, n) : Valor;
    return ConvertirMoneda(ModuloDatos, modo, importe);
}

void TfGENELIMP::ComandoCamp(const QStringList& a) {
    const double X = coordenada(a, 0), Y = coordenada(a, 1), Ancho = coordenada(a, 2);
    const QString alineacion = arg(a, 4);
    if (modoPrueba()) {
        ComandoText(X, Y, Ancho, AbreviarTitulo(arg(a, 3), 1), alineacion, true);
        return;
    }
    try {
        QString ref = arg(a, 3);
        ref.replace(QChar(0xF1), QLatin1Char('n'));
        ref.remove(QLatin1Char('-'));
        const bool euro = ref.contains(QLatin1String("(Euro)"));
        ref.remove(QLatin1String("(Euro)"));
        ref = ref.trimmed();
        int pieza = 0;
        if (ref.contains(QLatin1Char(','))) {
            pieza = ref.section(QLatin1Char(','), 1).trimmed().toInt();
            ref = ref.section(QLatin1Char(','), 0, 0).trimmed();
        }
        TField* f = nullptr;
        bool otraTabla = false;
        if (ref.contains(QLatin1Char('.'))) {
            f = CampoOtraTabla(ref);
            otraTabla = true;
            if (!f) return;
        } else {
            const QString grupos = ListaGrupoAnalisis(ref);
            if (!grupos.isNull()) {
                ComandoText(X, Y, Ancho, grupos, alineacion, true);
                return;
            }
            f = CampoRegistro(ref);
            if (!f) return;
        }
        if ((f->DataType() == ftMemo || f->DataType() == ftFmtMemo) && !LineaContinuacion()) {
            QString texto = f->AsString();
            if (pieza > 0) {
                QVariant lineas;
                LineasMemo(texto, lineas);
                const QVariantList l = lineas.toList();
                texto = pieza <= l.size() ? l.at(pieza - 1).toString() : QString();
            }
            ImprimirMemo(f, texto, X, Y, Ancho, numero(a, 4, 0, impreso::kLineasMemo, 0),
                         otraTabla);
            return;
        }
        // A text whose alignment is a number of lines wraps to its width
        // over up to that many lines, as a memo does.
        int partido = 0;
        QString valor;
        if (IsDateTimeType(f->DataType())) {
            if (EsCampoHora(f))
                valor = f->AsDateTime().toString(QStringLiteral("hh:mm:ss"));
            else
                valor = f->IsNull() || IsZeroDate(f->AsDateTime()) ? QString() : f->AsString();
        } else if (IsFloatType(f->DataType())) {
            double v = f->AsFloat();
            if (euro) v = ConvertirImporteDocumento(v);
            QString m = mascara(a, 5);
            if (m.isEmpty()) m = plantillaImporte(f->FieldName());
            valor = FormatFloat(m, v);
        } else if (IsIntegerType(f->DataType())) {
            const QString m = mascara(a, 5);
            valor = m.isEmpty() ? f->AsString() : FormatFloat(m, f->AsInteger());
        } else {
            valor = f->AsString();
            if (pieza > 0) valor = valor.section(QLatin1Char(';'), pieza - 1, pieza - 1);
            bool ok = false;
            partido = alineacion.trimmed().toInt(&ok);
            if (!ok || Ancho == 0 || LineaContinuacion()) partido = 0;
        }
        if (!arg(a, 8).isEmpty()) {
            QString traducido;
            Traducir(ModuloDatos, valor, arg(a, 8), QString(), traducido);
            valor = traducido;
        }
        if (partido > 0)
            ImprimirMemo(f, valor, X, Y, Ancho, qMin(double(partido), impreso::kLineasMemo),
                         otraTabla);
        else
            ComandoText(X, Y, Ancho, valor, alineacion, true);
    } catch (...) {
        // A field the record lacks or cannot format prints nothing.
    }
}

namespace {

// The longest start of Palabra that fits (at least one character, so that
// a column narrower than one letter still moves on), found by doubling and
// then halving the length: a few measurements of pieces about a line long,
// never one per character of the word.
int mayorPrefijo(const QString& Palabra, const std::function<bool(const QString&)>& Cabe) {
    const int n = int(Palabra.size());
    // left(bien) fits, left(mal) does not (n + 1: nothing found too long yet).
    int bien = 0, mal = n + 1;
    for (int prueba = 1; prueba <= n; prueba = qMin(2 * prueba, n)) {
        if (!Cabe(Palabra.left(prueba))) {
            mal = prueba;
            break;
        }
        bien = prueba;
        if (prueba == n) break;
    }
    while (mal - bien > 1) {
        const int medio = bien + (mal - bien) / 2;
        if (Cabe(Palabra.left(medio)))
            bien = medio;
        else
            mal = medio;
    }
    bien = qMax(1, qMin(bien, n));
    // Never between the two halves of a surrogate pair.
    if (bien < n && Palabra.at(bien - 1).isHighSurrogate()) bien = bien > 1 ? bien - 1 : bien + 1;
    return bien;
}

}  // namespace

QStringList PartirLineaMemo(const QString& Linea,
                            const std::function<bool(const QString&, bool)>& Cabe,
                            qsizetype Maximo) {
    QStringList piezas;
    const std::function<bool(const QString&)> cabe = [&](const QString& t) {
        return t.size() <= kLetrasLinea && Cabe(t, piezas.isEmpty());
    };
    const auto lleno = [&] { return Maximo >= 0 && piezas.size() >= Maximo; };
    QString actual;
    auto cerrar = [&] {
        piezas.append(actual);
        actual.clear();
    };
    // Word by word, as split at each blank; a word of any size is read in
    // place, a line's worth at a time.
    for (qsizetype inicio = 0; inicio <= Linea.size() && !lleno();) {
        qsizetype fin = Linea.indexOf(QLatin1Char(' '), inicio);
        if (fin < 0) fin = Linea.size();
        QStringView palabra = QStringView(Linea).mid(inicio, fin - inicio);
        inicio = fin + 1;
        if (actual.size() + 1 + palabra.size() <= kLetrasLinea) {
            const QString prueba =
                actual.isEmpty() ? palabra.toString() : actual + QLatin1Char(' ') + palabra;
            if (cabe(prueba)) {
                actual = prueba;
                continue;
            }
        }
        if (!actual.isEmpty()) cerrar();
        // A word wider than the column is broken at the width.
        if (palabra.size() > kLetrasLinea || !cabe(palabra.toString()))
            while (!palabra.isEmpty() && !lleno()) {
                const QString trozo = palabra.left(WholeLetters(palabra, kLetrasLinea)).toString();
                const int n = mayorPrefijo(trozo, cabe);
                if (n == palabra.size()) break;
                actual = trozo.left(n);
                palabra = palabra.mid(n);
                cerrar();
            }
        actual = palabra.toString();
    }
    // An empty line of the memo is a line too.
    if ((!actual.isEmpty() || piezas.isEmpty()) && !lleno()) cerrar();
    return piezas;
}

QStringList TfGENELIMP::PartirMemo(const QString& Texto, double Ancho, qsizetype Maximo) {
    QStringList piezas;
    QVariant lineas;
    LineasMemo(Texto, lineas);
    const int anchoPx = DistanciaX(Ancho);
    std::unique_ptr<QFontMetrics> fm;
    if (Ancho != 0 && Lienzo) fm = std::make_unique<QFontMetrics>(FuenteActual, Lienzo->device());
    for (const QVariant& v : lineas.toList()) {
        if (Maximo >= 0 && piezas.size() >= Maximo) break;
        QString linea = v.toString();
        linea.remove(QLatin1Char('\t'));
        if (!fm) {
            piezas.append(linea);
            continue;
        }
        // The pieces after a line's first carry on the markup it starts with.
        const QString prefijo = LeerMarcado(linea).Prefijo;
        auto conPrefijo = [&](const QString& t, bool Primera) {
            return Primera || prefijo.isEmpty() ? t : prefijo + t;
        };
        const QStringList partes = PartirLineaMemo(
            linea,
            [&](const QString& t, bool Primera) {
                return fm->horizontalAdvance(LeerMarcado(conPrefijo(t, Primera)).Texto) <= anchoPx;
            },
            Maximo < 0 ? -1 : Maximo - piezas.size());
        for (qsizetype i = 0; i < partes.size(); ++i)
            piezas.append(conPrefijo(partes.at(i), i == 0));
    }
    return piezas;
}

void TfGENELIMP::ImprimirMemo(TField* Campo, const QString& Texto, double X, double Y, double Ancho,
                              double Maximo, bool OtraTabla) {
    // Outside the lines only the pieces printed are made.
    const QStringList piezas =
        PartirMemo(Texto, Ancho, EnLineas ? -1 : qsizetype(qMax(0.0, Maximo)));
    if (!EnLineas) {
        double alto = 1;
        if (!ModoTexto && Lienzo) {
            const QFontMetrics fm(FuenteActual, Lienzo->device());
            const int cien = DistanciaY(100);
            alto = cien != 0 ? fm.height() * 100.0 / cien : 1;
        }
        for (int k = 0; k < piezas.size() && k < int(Maximo); ++k)
            ComandoText(X, Y + k * alto, Ancho, piezas.at(k), QString(), true);
        return;
    }
    if (piezas.isEmpty()) return;
    ComandoText(X, Y, Ancho, piezas.first(), QString(), true);
    if (OtraTabla || Campo->DataSet() != LTemporal) return;
    GuardarLineasMemo(Campo->FieldName(), piezas);
}

void TfGENELIMP::GuardarLineasMemo(const QString& NombreCampo, const QStringList& Piezas) {
    const int claves = LTemporal->IndexFieldCount();
    if (claves < 2 || claves > 6) return;
    QVariantList actual;
    for (int i = 0; i < claves; ++i) actual.append(LTemporal->IndexFields(i)->Value());
    try {
        for (int k = 1; k < Piezas.size(); ++k) {
            QVariantList clave = actual.mid(0, claves - 1);
            clave.append(k);
            if (LTemporal->FindKey(clave))
                LTemporal->Edit();
            else
                LTemporal->Append();
            for (int i = 0; i < claves - 1; ++i) LTemporal->IndexFields(i)->setValue(actual.at(i));
            LTemporal->FieldByName(QStringLiteral("LineaMemo"))->setAsInteger(k);
            HayLineasMemo = true;
            LTemporal->FieldByName(NombreCampo)->setAsString(Piezas.at(k));
            LTemporal->Post();
        }
    } catch (const std::exception& e) {
        if (LTemporal->State() == dsEdit || LTemporal->State() == dsInsert) LTemporal->Cancel();
        MensajeAdvertencia(QStringLiteral("Imposible grabar el registro. Motivo: ") +
                           TextoExcepcion(std::current_exception()));
    }
    LTemporal->FindKey(actual);
}

// ---- Expressions.

double TfGENELIMP::ValorTermino(QString Termino) {
    Termino.remove(QRegularExpression(QStringLiteral("[-+*/]")));
    Termino = Termino.trimmed();
    double v = 0;
    if (TryStrToFloat(Termino, v)) return v;
    try {
        if (Termino.contains(QLatin1Char('.'))) {
            TField* f = CampoOtraTabla(Termino);
            return f ? TextoAReal(f->AsString()) : 0;
        }
        TField* f = CampoRegistro(Termino);
        return f ? f->AsFloat() : 0;
    } catch (...) {
        return 0;
    }
}

double TfGENELIMP::EvaluarExpresion(const QString& Expresion, QString& UltimoTermino) {
    static const QRegularExpression operador(QStringLiteral(" ([-+*x/]) "));
    double resultado = 0;
    QChar op = QLatin1Char('+');
    int desde = 0;
    auto aplicar = [&](const QString& termino) {
        const double v = ValorTermino(termino);
        UltimoTermino = termino.trimmed();
        if (op == QLatin1Char('+'))
            resultado += v;
        else if (op == QLatin1Char('-'))
            resultado -= v;
        else if (op == QLatin1Char('*') || op == QLatin1Char('x'))
            resultado *= v;
        else if (v != 0)
            resultado /= v;  // a division by 0 leaves the result as it was
    };
    auto it = operador.globalMatch(Expresion);
    while (it.hasNext()) {
        const auto m = it.next();
        aplicar(Expresion.mid(desde, m.capturedStart() - desde));
        op = m.captured(1).at(0);
        desde = m.capturedEnd();
    }
    aplicar(Expresion.mid(desde));
    return resultado;
}

void TfGENELIMP::ComandoExpr(const QStringList& a) {
    if (modoPrueba()) {
        ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2),
                    AbreviarTitulo(arg(a, 3), 1), arg(a, 4));
        return;
    }
    QString ultimo;
    const double v = EvaluarExpresion(arg(a, 3), ultimo);
    QString m = mascara(a, 5);
    if (m.isEmpty()) m = plantillaImporte(ultimo);
    ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2), FormatFloat(m, v), arg(a, 4));
}

QString TfGENELIMP::Concatenar(const QString& Expresion) {
    QString r;
    int i = 0;
    const int n = Expresion.size();
    while (i < n) {
        const QChar c = Expresion.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('+')) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            ++i;
            while (i < n && Expresion.at(i) != QLatin1Char('"')) {
                if (Expresion.at(i) == QLatin1Char('\\') && i + 1 < n &&
                    (Expresion.at(i + 1) == QLatin1Char('"') ||
                     Expresion.at(i + 1) == QLatin1Char('\\'))) {
                    r += Expresion.at(i + 1);
                    i += 2;
                } else {
                    r += Expresion.at(i++);
                }
            }
            ++i;
        } else {
            QString nombre;
            while (i < n && Expresion.at(i) != QLatin1Char(' ') &&
                   Expresion.at(i) != QLatin1Char('"'))
                nombre += Expresion.at(i++);
            nombre.remove(QLatin1Char('+'));
            if (nombre.isEmpty()) continue;
            try {
                TField* f = CampoRegistro(nombre);
                if (f) r += f->AsString();
            } catch (...) {
            }
        }
    }
    return r;
}

void TfGENELIMP::ComandoConc(const QStringList& a) {
    const QString valor = modoPrueba() ? AbreviarTitulo(arg(a, 3), 1) : Concatenar(arg(a, 3));
    ComandoText(coordenada(a, 0), coordenada(a, 1), coordenada(a, 2), valor, arg(a, 4));
}
