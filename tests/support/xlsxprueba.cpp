#include "support/xlsxprueba.h"

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

}  // namespace

QList<QStringList> CeldasXlsx(const QString& Xlsx) {
    QStringList compartidos;
    {
        QXmlStreamReader xml(ParteXlsx(Xlsx, QStringLiteral("xl/sharedStrings.xml")));
        QString actual;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si")) actual.clear();
            if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                actual += xml.readElementText();
            if (xml.isEndElement() && xml.name() == QLatin1String("si")) compartidos << actual;
        }
    }
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
