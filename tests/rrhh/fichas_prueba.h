#pragma once
// What the sheet suites share: the shipped print formats loaded into the
// test company's IMPRESO as a new installation gets them, and the text and
// page count of a PDF.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_tablas.h"
#include "gene/print/genelimp_impresos.h"
#include "gene/session/sesion.h"

// The formats of data/impresos beside the program, then into IMPRESO.
inline void CargarFormatosFichas() {
    const QDir origen(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../data/impresos"));
    const QString destino = DirectorioPrograma + QStringLiteral("impresos");
    QDir().mkpath(destino);
    for (const QString& a : origen.entryList({QStringLiteral("*.TXT")}, QDir::Files))
        QFile::copy(origen.filePath(a), destino + QLatin1Char('/') + a);
    TTable t;
    t.setTableName(QStringLiteral("IMPRESO"));
    QVERIFY(AbrirTabla(fGENEINIC, &t));
    CargarImpresosIniciales(fGENEINIC, &t);
}

inline QString TextoPdf(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int PaginasPdf(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished();
    static const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
    return re.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1).toInt();
}
