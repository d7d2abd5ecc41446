#include "io/office.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "io/outputfile.h"
#include "io/paths.h"

QString OfficeProgram(const QString& Configured) {
    if (!Configured.trimmed().isEmpty()) return Configured.trimmed();
    for (const char* nombre : {"soffice", "libreoffice"}) {
        const QString ruta = QStandardPaths::findExecutable(QString::fromLatin1(nombre));
        if (!ruta.isEmpty()) return ruta;
    }
    return QString();
}

bool ConvertToPdf(const QString& Document, const QString& Pdf, const QString& Configured,
                  int TimeoutMs, QString* Reason) {
    auto falla = [&](const QString& texto) {
        if (Reason) *Reason = texto;
        return false;
    };
    QStringList orden = QProcess::splitCommand(OfficeProgram(Configured));
    if (orden.isEmpty())
        return falla(QStringLiteral("LibreOffice no está instalado (no se encuentra soffice)"));
    const QString documento = QFileInfo(NativePath(Document)).absoluteFilePath();
    if (!QFileInfo::exists(documento))
        return falla(QStringLiteral("no existe el documento ") + Document);

    QTemporaryDir trabajo;
    if (!trabajo.isValid())
        return falla(QStringLiteral("no se puede crear la carpeta temporal: ") +
                     trabajo.errorString());
    const QString perfil = trabajo.filePath(QStringLiteral("perfil"));
    const QString salida = trabajo.filePath(QStringLiteral("salida"));
    QDir().mkpath(salida);

    QProcess proceso;
    const QString programa = orden.takeFirst();
    orden << QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(perfil).toString()
          << QStringLiteral("--headless") << QStringLiteral("--norestore")
          << QStringLiteral("--nolockcheck") << QStringLiteral("--convert-to")
          << QStringLiteral("pdf") << QStringLiteral("--outdir") << salida << documento;
    proceso.setProcessChannelMode(QProcess::MergedChannels);
    proceso.start(programa, orden);
    if (!proceso.waitForStarted())
        return falla(QStringLiteral("no se puede iniciar LibreOffice (") + programa +
                     QStringLiteral("): ") + proceso.errorString());
    if (!proceso.waitForFinished(TimeoutMs)) {
        proceso.kill();
        proceso.waitForFinished();
        return falla(QStringLiteral("LibreOffice no ha terminado en el tiempo de espera (%1 s)")
                         .arg((TimeoutMs + 999) / 1000));
    }
    const QString hecho =
        QDir(salida).filePath(QFileInfo(documento).completeBaseName() + QStringLiteral(".pdf"));
    if (proceso.exitStatus() != QProcess::NormalExit || proceso.exitCode() != 0 ||
        !QFileInfo::exists(hecho)) {
        const QString salidaTexto = QString::fromLocal8Bit(proceso.readAll()).trimmed();
        return falla(QStringLiteral("LibreOffice no ha podido convertir ") + Document +
                     (salidaTexto.isEmpty() ? QString() : QStringLiteral(": ") + salidaTexto));
    }

    // Into place as a whole: the old target stays until the new one is complete.
    QFile convertido(hecho);
    if (!convertido.open(QIODevice::ReadOnly))
        return falla(QStringLiteral("no se puede leer ") + hecho);
    QString motivo;
    if (!WriteWholeFile(NativePath(Pdf), convertido.readAll(), &motivo))
        return falla(QStringLiteral("no se puede escribir ") + Pdf + QStringLiteral(": ") + motivo);
    return true;
}
