#pragma once
// What the report suites share: a small personnel dataset and the pages'
// text read back line by line.

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <memory>

#include "db/clientdataset.h"
#include "report/export.h"
#include "report/quickrep.h"

// Codigo 1..rows, Nombre "Nombre n", Importe n * 1.5, Grupo "G" + (n-1) / groupSize.
inline std::unique_ptr<TClientDataSet> MakePeople(int rows, int groupSize = 10) {
    auto ds = std::make_unique<TClientDataSet>();
    ds->setObjectName(QStringLiteral("Temporal"));
    ds->FieldDefs() = {{QStringLiteral("Codigo"), ftInteger, 0, false},
                       {QStringLiteral("Nombre"), ftString, 40, false},
                       {QStringLiteral("Importe"), ftFloat, 0, false},
                       {QStringLiteral("Grupo"), ftString, 10, false}};
    ds->CreateDataSet();
    for (int i = 1; i <= rows; ++i) {
        ds->Append();
        ds->FieldByName(QStringLiteral("Codigo"))->setAsInteger(i);
        ds->FieldByName(QStringLiteral("Nombre"))->setAsString(QStringLiteral("Nombre %1").arg(i));
        ds->FieldByName(QStringLiteral("Importe"))->setAsFloat(i * 1.5);
        ds->FieldByName(QStringLiteral("Grupo"))
            ->setAsString(QStringLiteral("G%1").arg((i - 1) / groupSize));
        ds->Post();
    }
    ds->First();
    return ds;
}

// The lines of a page, each its texts joined by one blank.
inline QStringList PageLines(const TQRPrinter* printer, int page) {
    QStringList out;
    for (const TQRTextLine& line : PageTextLines(printer->Page(page))) {
        QStringList texts;
        for (const TQRTextItem& item : line) texts.append(item.Text);
        out.append(texts.join(u' '));
    }
    return out;
}

inline QStringList AllLines(const TQRPrinter* printer) {
    QStringList out;
    for (int p = 1; p <= printer->PageCount(); ++p) out += PageLines(printer, p);
    return out;
}

// Pages of a PDF file, counted by their page objects.
inline int PdfPageCount(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    static const QRegularExpression kPage(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    return int(QString::fromLatin1(f.readAll()).count(kPage));
}
