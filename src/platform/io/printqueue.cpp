#include "io/printqueue.h"

#include <unistd.h>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "io/outputfile.h"
#include "io/paths.h"

namespace {

TPrintQueueSeam& Seam() {
    static TPrintQueueSeam seam;
    return seam;
}

constexpr int kEsperaLp = 60000;

// lp reads the job from its standard input when no file is named.
bool Lp(const QString& cola, const QString& archivo, const QByteArray& datos, bool raw,
        QString* motivo) {
    auto falla = [&](const QString& texto) {
        if (motivo) *motivo = texto;
        return false;
    };
    const QString lp = QStandardPaths::findExecutable(QStringLiteral("lp"));
    if (lp.isEmpty()) return falla(QStringLiteral("no se encuentra la orden lp de CUPS"));
    QStringList argumentos;
    if (!cola.isEmpty()) argumentos << QStringLiteral("-d") << cola;
    if (raw) argumentos << QStringLiteral("-o") << QStringLiteral("raw");
    argumentos << (archivo.isEmpty() ? QStringLiteral("-") : archivo);
    QProcess proceso;
    proceso.setProcessChannelMode(QProcess::MergedChannels);
    proceso.start(lp, argumentos);
    if (!proceso.waitForStarted())
        return falla(QStringLiteral("no se puede iniciar lp: ") + proceso.errorString());
    if (archivo.isEmpty()) proceso.write(datos);
    proceso.closeWriteChannel();
    if (!proceso.waitForFinished(kEsperaLp)) {
        proceso.kill();
        proceso.waitForFinished();
        return falla(QStringLiteral("la impresora no ha respondido"));
    }
    if (proceso.exitStatus() != QProcess::NormalExit || proceso.exitCode() != 0)
        return falla(QStringLiteral("la impresora ha rechazado el trabajo: ") +
                     QString::fromLocal8Bit(proceso.readAll()).trimmed());
    return true;
}

bool AArchivo(const QString& destino, const QByteArray& datos, QString* motivo) {
    QString razon;
    if (WriteWholeFile(NativePath(destino), datos, &razon)) return true;
    if (motivo)
        *motivo = QStringLiteral("no se puede escribir ") + destino + QStringLiteral(": ") + razon;
    return false;
}

bool Leer(const QString& nombre, QByteArray& datos, QString* motivo) {
    QFile archivo(NativePath(nombre));
    if (archivo.open(QIODevice::ReadOnly)) {
        datos = archivo.readAll();
        return true;
    }
    if (motivo) *motivo = QStringLiteral("no se puede leer ") + nombre;
    return false;
}

}  // namespace

bool SendToPrintQueue(const QString& Queue, const QByteArray& Data, bool Raw, QString* Reason) {
    if (Seam()) return Seam()(Queue, Data, Raw, Reason);
    return Lp(Queue, QString(), Data, Raw, Reason);
}

bool SendFileToPrintQueue(const QString& Queue, const QString& File, bool Raw, QString* Reason) {
    if (Seam()) {
        QByteArray datos;
        return Leer(File, datos, Reason) && Seam()(Queue, datos, Raw, Reason);
    }
    if (!QFile::exists(NativePath(File))) {
        if (Reason) *Reason = QStringLiteral("no se puede leer ") + File;
        return false;
    }
    return Lp(Queue, NativePath(File), QByteArray(), Raw, Reason);
}

bool PrintRawTo(const QString& File, const QString& Queue, const QByteArray& Data,
                QString* Reason) {
    if (!File.isEmpty()) return AArchivo(File, Data, Reason);
    return SendToPrintQueue(Queue, Data, true, Reason);
}

bool PrintRaw(const QPrinter& Printer, const QByteArray& Data, QString* Reason) {
    return PrintRawTo(Printer.outputFileName(), Printer.printerName(), Data, Reason);
}

bool PrintFile(const QPrinter& Printer, const QString& File, QString* Reason) {
    if (!Printer.outputFileName().isEmpty()) {
        QByteArray datos;
        return Leer(File, datos, Reason) && AArchivo(Printer.outputFileName(), datos, Reason);
    }
    return SendFileToPrintQueue(Printer.printerName(), File, false, Reason);
}

namespace {

// A PDF written to its end: it closes with "%%EOF", and the cross-reference
// table its trailer points to stands where it says (a file missing a piece
// in the middle points beside it).
bool PdfEntero(const QByteArray& Pdf) {
    if (!Pdf.startsWith("%PDF-") || !Pdf.trimmed().endsWith("%%EOF")) return false;
    const qsizetype marca = Pdf.lastIndexOf("startxref");
    if (marca < 0) return false;
    bool ok = false;
    const qint64 tabla =
        Pdf.mid(marca + 9, Pdf.size() - marca - 9).replace("%%EOF", "").trimmed().toLongLong(&ok);
    return ok && tabla > 0 && tabla < marca && Pdf.mid(tabla, 4) == "xref";
}

}  // namespace

TPrinterFile::TPrinterFile(QPrinter& Printer) : printer_(Printer) {
    if (Printer.outputFormat() != QPrinter::PdfFormat || Printer.outputFileName().isEmpty()) return;
    temp_ = std::make_unique<TemporaryTarget>(Printer.outputFileName());
    if (!temp_->Create(&failure_) && failure_.isEmpty())
        failure_ = QStringLiteral("no se puede crear el archivo");
    printer_.setOutputFileName(temp_->Path());
}

TPrinterFile::~TPrinterFile() {
    if (temp_) printer_.setOutputFileName(temp_->Target());
}

QString TPrinterFile::Target() const {
    return temp_ ? temp_->Target() : QString();
}

bool TPrinterFile::Commit(QString* Reason) {
    if (!temp_) return true;
    auto falla = [&](const QString& motivo) {
        if (Reason) *Reason = motivo;
        return false;
    };
    if (!failure_.isEmpty()) return falla(failure_);
    QFile escrito(temp_->Path());
    if (!escrito.open(QIODevice::ReadOnly))
        return falla(QStringLiteral("no se puede leer lo impreso"));
    if (!PdfEntero(escrito.readAll()))
        return falla(
            QStringLiteral("el archivo PDF no se ha escrito entero (el disco puede estar lleno)"));
    // What the printer wrote reached the disk before it takes the target's place.
    if (::fsync(escrito.handle()) != 0) return falla(FileErrorReason(errno));
    escrito.close();
    QString motivo;
    if (!temp_->Commit(&motivo)) return falla(motivo);
    return true;
}

void SetPrintQueueSeam(TPrintQueueSeam Seam_) {
    Seam() = std::move(Seam_);
}
