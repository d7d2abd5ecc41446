#include "io/pdf.h"

// qpdf's smart pointers as std::shared_ptr, without its transition warning.
#define POINTERHOLDER_TRANSITION 4

#include <QFile>
#include <exception>
#include <memory>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <vector>

#include "io/paths.h"

namespace {

[[noreturn]] void failRead(const QString& fileName, const QString& reason) {
    throw EPdfError(QStringLiteral("No se puede leer el archivo PDF %1: %2").arg(fileName, reason),
                    fileName);
}

[[noreturn]] void failWrite(const QString& fileName, const QString& reason) {
    throw EPdfError(
        QStringLiteral("No se puede grabar el archivo PDF %1: %2").arg(fileName, reason), fileName);
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

    // The document is made whole in memory and written through the checked
    // writer: the target is replaced only by every byte of it.
    int pages = 0;
    QByteArray bytes;
    if (inputs.size() == 1) {
        // Copied byte for byte: forms, outlines and the rest stay as they were.
        pages = int(inputs.front()->getAllPages().size());
        const QString source = NativePath(sources.front());
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly)) failRead(source, in.errorString());
        bytes = in.readAll();
        if (in.error() != QFile::NoError) failRead(source, in.errorString());
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
            QPDFWriter writer(joined);
            writer.setOutputMemory();
            writer.write();
            const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
            bytes = QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()),
                               qsizetype(buffer->getSize()));
        } catch (const std::exception& e) {
            // A source damaged past its page tree shows up only while writing.
            failWrite(out, reasonOf(e));
        }
    }
    QString reason;
    if (!WriteWholeFile(out, bytes, &reason)) failWrite(out, reason);
    return pages;
}
