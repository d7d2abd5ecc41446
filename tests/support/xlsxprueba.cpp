#include "support/xlsxprueba.h"

#include <QMap>
#include <QProcess>
#include <QXmlStreamReader>

QString ParteXlsx(const QString& Xlsx, const QString& Parte) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), Xlsx, Parte});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

namespace {

// The column index of a cell reference ("C7" -> 2).
int Columna(const QString& Referencia) {
    int c = 0;
    for (const QChar ch : Referencia) {
        if (!ch.isLetter()) break;
        c = c * 26 + (ch.toUpper().unicode() - 'A' + 1);
    }
    return c - 1;
}

// The workbook's shared strings, in their order.
QStringList Compartidos(const QString& Xlsx) {
    QStringList compartidos;
    QXmlStreamReader xml(ParteXlsx(Xlsx, QStringLiteral("xl/sharedStrings.xml")));
    QString actual;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si")) actual.clear();
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            actual += xml.readElementText();
        if (xml.isEndElement() && xml.name() == QLatin1String("si")) compartidos << actual;
    }
    return compartidos;
}

}  // namespace

QList<QStringList> CeldasXlsx(const QString& Xlsx) {
    const QStringList compartidos = Compartidos(Xlsx);
    QList<QStringList> filas;
    QXmlStreamReader xml(ParteXlsx(Xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString tipo;
    int columna = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("row")) {
            filas.append(QStringList());
        } else if (xml.name() == QLatin1String("c")) {
            tipo = xml.attributes().value(QLatin1String("t")).toString();
            columna = Columna(xml.attributes().value(QLatin1String("r")).toString());
        } else if ((xml.name() == QLatin1String("v") || xml.name() == QLatin1String("t")) &&
                   !filas.isEmpty()) {
            QString texto = xml.readElementText();
            if (tipo == QLatin1String("s")) texto = compartidos.value(texto.toInt());
            QStringList& fila = filas.last();
            while (fila.size() <= columna) fila.append(QString());
            fila[columna] = texto;
        }
    }
    return filas;
}

QStringList FilasXlsx(const QString& Xlsx) {
    const QStringList compartidos = Compartidos(Xlsx);
    QMap<int, QMap<int, QString>> celdas;
    QXmlStreamReader xml(ParteXlsx(Xlsx, QStringLiteral("xl/worksheets/sheet1.xml")));
    int fila = 0, columna = 0;
    QString tipo;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("c")) {
            const QString ref = xml.attributes().value(QLatin1String("r")).toString();
            columna = Columna(ref);
            qsizetype i = 0;
            while (i < ref.size() && ref.at(i).isLetter()) ++i;
            fila = ref.mid(i).toInt() - 1;
            tipo = xml.attributes().value(QLatin1String("t")).toString();
            celdas[fila][columna];
        } else if (xml.name() == QLatin1String("v")) {
            const QString v = xml.readElementText();
            celdas[fila][columna] = tipo == QLatin1String("s") ? compartidos.value(v.toInt()) : v;
        } else if (xml.name() == QLatin1String("t")) {
            celdas[fila][columna] += xml.readElementText();  // an inline string
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
