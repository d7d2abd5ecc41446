#include "support/libroxlsx.h"

#include <QMap>
#include <QProcess>
#include <QXmlStreamReader>

namespace {

QByteArray Miembro(const QString& archivo, const QString& parte) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archivo, parte});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// "AB12" -> column 27 (from 0 for "A") and row 11 (from 0).
void Posicion(const QString& ref, int& fila, int& columna) {
    columna = 0;
    int i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i)
        columna = columna * 26 + (ref.at(i).unicode() - 'A' + 1);
    --columna;
    fila = ref.mid(i).toInt() - 1;
}

}  // namespace

QStringList FilasXlsx(const QString& archivo) {
    QStringList compartidos;
    QXmlStreamReader x(Miembro(archivo, QStringLiteral("xl/sharedStrings.xml")));
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("si")) compartidos << QString();
        if (x.isStartElement() && x.name() == QLatin1String("t") && !compartidos.isEmpty())
            compartidos.last() += x.readElementText();
    }
    QMap<int, QMap<int, QString>> celdas;
    QXmlStreamReader h(Miembro(archivo, QStringLiteral("xl/worksheets/sheet1.xml")));
    int fila = 0, columna = 0;
    QString tipo;
    while (!h.atEnd()) {
        h.readNext();
        if (!h.isStartElement()) continue;
        if (h.name() == QLatin1String("c")) {
            Posicion(h.attributes().value(QLatin1String("r")).toString(), fila, columna);
            tipo = h.attributes().value(QLatin1String("t")).toString();
            celdas[fila][columna];
        } else if (h.name() == QLatin1String("v")) {
            const QString v = h.readElementText();
            celdas[fila][columna] = tipo == QLatin1String("s") ? compartidos.value(v.toInt()) : v;
        } else if (h.name() == QLatin1String("t")) {
            celdas[fila][columna] += h.readElementText();  // an inline string
        }
    }
    QStringList filas;
    const int ultima = celdas.isEmpty() ? -1 : celdas.lastKey();
    for (int f = 0; f <= ultima; ++f) {
        const QMap<int, QString> c = celdas.value(f);
        QStringList textos;
        const int columnas = c.isEmpty() ? 0 : c.lastKey() + 1;
        for (int k = 0; k < columnas; ++k) textos << c.value(k);
        filas << textos.join(QLatin1Char(';'));
    }
    return filas;
}
