#include "support/pdfprueba.h"

#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "gene/data/genesali_dialogos.h"

namespace {
QByteArray Ejecutar(const char* programa, const QStringList& argumentos) {
    const QString ruta = QStandardPaths::findExecutable(QLatin1String(programa));
    if (ruta.isEmpty()) qFatal("%s (poppler-utils) is missing", programa);
    QProcess p;
    p.start(ruta, argumentos);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}
}  // namespace

QList<Palabra> PalabrasPdf(const QString& Pdf, int Pagina) {
    const QString pagina = QString::number(Pagina);
    const QByteArray salida =
        Ejecutar("pdftotext", {QStringLiteral("-bbox"), QStringLiteral("-f"), pagina,
                               QStringLiteral("-l"), pagina, Pdf, QStringLiteral("-")});
    static const QRegularExpression palabra(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<Palabra> palabras;
    for (const auto& m : palabra.globalMatch(QString::fromUtf8(salida)))
        palabras.append(
            {m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                   QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
    return palabras;
}

QRectF CajaTexto(const QList<Palabra>& Palabras, const QString& Texto) {
    const QStringList buscadas = Texto.split(QLatin1Char(' '));
    for (qsizetype i = 0; i + buscadas.size() <= Palabras.size(); ++i) {
        QRectF caja;
        qsizetype k = 0;
        for (; k < buscadas.size(); ++k) {
            const Palabra& w = Palabras[i + k];
            if (w.texto != buscadas[k] || (k > 0 && qAbs(w.caja.top() - caja.top()) > 1)) break;
            caja = k == 0 ? w.caja : caja.united(w.caja);
        }
        if (k == buscadas.size()) return caja;
    }
    return {};
}

QString TextoPdfMaquetado(const QString& Pdf) {
    return QString::fromUtf8(
        Ejecutar("pdftotext", {QStringLiteral("-layout"), Pdf, QStringLiteral("-")}));
}

QImage ImagenPdf(const QString& Pdf, int Pagina) {
    QTemporaryDir dir;
    const QString pagina = QString::number(Pagina);
    const QString base = dir.filePath(QStringLiteral("pagina"));
    Ejecutar("pdftoppm", {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), pagina,
                          QStringLiteral("-l"), pagina, QStringLiteral("-singlefile"),
                          QStringLiteral("-png"), Pdf, base});
    return QImage(base + QStringLiteral(".png"));
}

QColor ColorPdf(const QString& Pdf, int Pagina, QPointF Punto) {
    const QImage imagen = ImagenPdf(Pdf, Pagina);
    if (imagen.isNull()) return {};
    return imagen.pixelColor(Punto.toPoint());
}

void ImprimirEnPdf(const QString& Pdf) {
    AsignarSeamDialogos([Pdf](QObject* d) {
        auto* dialogo = qobject_cast<TPrintDialog*>(d);
        if (!dialogo) return false;
        dialogo->Printer().setOutputFormat(QPrinter::PdfFormat);
        dialogo->Printer().setOutputFileName(Pdf);
        dialogo->Printer().setPageSize(QPageSize(QPageSize::A4));
        return true;
    });
}

int PaginasPdf(const QString& Pdf) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                       .match(QString::fromUtf8(Ejecutar("pdfinfo", {Pdf})));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
