#include "io/pdf.h"

// qpdf's smart pointers as std::shared_ptr, without its transition warning.
#define POINTERHOLDER_TRANSITION 4

#include <QFile>
#include <exception>
#include <memory>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <vector>

#include "io/paths.h"

namespace {

[[noreturn]] void failRead(const QString& fileName, const QString& reason) {
    throw EPdfError(QStringLiteral("Cannot read the PDF file %1: %2").arg(fileName, reason),
                    fileName);
}

[[noreturn]] void failWrite(const QString& fileName, const QString& reason) {
    throw EPdfError(QStringLiteral("Cannot write the PDF file %1: %2").arg(fileName, reason),
                    fileName);
}

// qpdf's message names the file and the place of the fault; the file name is
// already in ours.
QString reasonOf(const std::exception& e) {
    if (const auto* q = dynamic_cast<const QPDFExc*>(&e))
        return QString::fromStdString(q->getMessageDetail());
    return QString::fromLocal8Bit(e.what());
}

// Opens a PDF, repairing what qpdf can repair, without qpdf's warnings on the
// console. The file is read lazily: the object must live until its pages have
// been written elsewhere.
std::unique_ptr<QPDF> openPdf(const QString& fileName) {
    if (!QFile::exists(fileName)) failRead(fileName, QStringLiteral("the file does not exist"));
    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    try {
        pdf->processFile(QFile::encodeName(fileName).constData());
        // Reading the page tree here finds damage before any output exists.
        pdf->getAllPages();
    } catch (const std::exception& e) {
        failRead(fileName, reasonOf(e));
    }
    return pdf;
}

}  // namespace

int PdfPageCount(const QString& fileName) {
    const QString native = NativePath(fileName);
    return int(openPdf(native)->getAllPages().size());
}

int JoinPdfFiles(const QStringList& sources, const QString& target) {
    const QString out = NativePath(target);
    if (sources.isEmpty()) failWrite(out, QStringLiteral("there are no PDF files to join"));

    std::vector<std::unique_ptr<QPDF>> inputs;
    for (const QString& source : sources) inputs.push_back(openPdf(NativePath(source)));

    TemporaryTarget temp(out);
    QString reason;
    if (!temp.Create(&reason)) failWrite(out, reason);
    int pages = 0;
    const QByteArray tempName = QFile::encodeName(temp.Path());
    if (inputs.size() == 1) {
        // Copied byte for byte: forms, outlines and the rest stay as they were.
        pages = int(inputs.front()->getAllPages().size());
        const QString source = NativePath(sources.front());
        QFile in(source), copy(temp.Path());
        if (!in.open(QIODevice::ReadOnly)) failRead(source, in.errorString());
        if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
            failWrite(out, copy.errorString());
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (block.isEmpty() && in.error() != QFile::NoError) failRead(source, in.errorString());
            if (copy.write(block) != block.size()) failWrite(out, copy.errorString());
        }
        if (!copy.flush()) failWrite(out, copy.errorString());
        copy.close();
    } else {
        try {
            QPDF joined;
            joined.emptyPDF();
            QPDFPageDocumentHelper joinedPages(joined);
            for (const auto& input : inputs) {
                for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(*input).getAllPages()) {
                    joinedPages.addPage(page, false);
                    ++pages;
                }
            }
            QPDFWriter writer(joined, tempName.constData());
            writer.write();
        } catch (const std::exception& e) {
            // A source damaged past its page tree shows up only while writing.
            failWrite(out, reasonOf(e));
        }
    }
    if (!temp.Commit(&reason)) failWrite(out, reason);
    return pages;
}
