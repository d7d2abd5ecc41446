// Mail of the session form: SMTP through the platform's mail layer, or the
// request file handed to the mail utility.

#include "gene/session/geneinic_correo.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "db/field.h"
#include "db/table.h"
#include "gene/session/geneinic_programas.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/session/sesion.h"
#include "io/mailrequest.h"
#include "io/paths.h"
#include "io/smtp.h"

namespace {

QString valor(const QString& texto, const char* nombre) {
    return ValorParametro(QLatin1String(nombre), texto).trimmed();
}

// A header value stays on its line: line breaks would start new headers.
QString unaLinea(QString texto) {
    texto.replace(QRegularExpression(QStringLiteral("[\\r\\n]+")), QStringLiteral(" "));
    return texto.trimmed();
}

QStringList direcciones(const QString& lista) {
    QStringList r;
    for (const QString& d : unaLinea(lista).split(QRegularExpression(QStringLiteral("[,;]"))))
        if (!d.trimmed().isEmpty()) r << d.trimmed();
    return r;
}

QString razonSocialEmpresa() {
    if (!ModuloDatos || !ModuloDatos->ParamGenerales || !ModuloDatos->ParamGenerales->Active())
        return QString();
    TField* campo = ModuloDatos->ParamGenerales->FindField(QStringLiteral("RazonSocial"));
    return campo ? campo->AsString() : QString();
}

bool esDireccionWeb(const QString& ubicacion) {
    return ubicacion.contains(QLatin1String("://")) ||
           ubicacion.startsWith(QLatin1String("www."), Qt::CaseInsensitive);
}

}  // namespace

bool MensajeCorreoSMTP(const QString& Configuracion, const QString& Destinatarios,
                       const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                       MailMessage& Mensaje, QString& TextoError) {
    Mensaje = MailMessage();
    const QString usuario = valor(Configuracion, "CodigoUsuarioSMTP");
    const QString copias = valor(Configuracion, "CuentaSMTPCopiasDocumentos");
    QString remitente = valor(Configuracion, "CuentaFromSMTP");
    if (remitente.isEmpty()) remitente = usuario.contains(QLatin1Char('@')) ? usuario : copias;
    Mensaje.fromName = unaLinea(razonSocialEmpresa());
    Mensaje.fromAddress = unaLinea(remitente);
    Mensaje.to = direcciones(Destinatarios);
    Mensaje.cc = direcciones(copias);
    Mensaje.subject = unaLinea(Asunto);
    Mensaje.body = Cuerpo;
    for (const QString& pieza : Adjuntos.split(QLatin1Char('|'))) {
        const QString ruta = pieza.trimmed();
        if (ruta.isEmpty()) break;
        if (esDireccionWeb(ruta)) continue;
        const QFileInfo archivo(NativePath(ruta));
        if (archivo.isDir()) continue;
        // A missing file would be left out of a mail reported as sent.
        if (!archivo.exists()) {
            TextoError = QStringLiteral("No existe el archivo adjunto ") + ruta;
            return false;
        }
        Mensaje.attachments << archivo.filePath();
    }
    return true;
}

bool EnviarEMailPorSMTP(TfGENEINIC*, const QString& Configuracion, const QString& Destinatarios,
                        const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                        QString* TextoError) {
    if (Configuracion.isEmpty() || Destinatarios.isEmpty()) return false;
    QString error;
    MailMessage mensaje;
    bool enviado = false;
    if (MensajeCorreoSMTP(Configuracion, Destinatarios, Asunto, Cuerpo, Adjuntos, mensaje, error)) {
        SmtpSettings ajustes;
        ajustes.host = valor(Configuracion, "ServidorSMTP");
        ajustes.user = valor(Configuracion, "CodigoUsuarioSMTP");
        ajustes.password = ValorParametro(QStringLiteral("ClaveAccesoSMTP"), Configuracion);
        bool ok = false;
        const int puerto = valor(Configuracion, "PuertoSSL").toInt(&ok);
        if (ok && puerto > 0) ajustes.port = puerto;
        enviado = SendSmtpMail(ajustes, mensaje, &error);
    }
    if (TextoError) *TextoError = enviado ? QString() : error;
    return enviado;
}

int EnviarEMailPorMAPI(TfGENEINIC*, const QString& Asunto, const QString& Cuerpo,
                       const QString& Adjuntos, const QString& NombreRemitente,
                       const QString& EMailRemitente, const QString& NombreDestinatario,
                       const QString& EMailDestinatario, const QString& NombreDestinatarioCC,
                       const QString& EMailDestinatarioCC, const QString& Opciones) {
    MailRequest peticion;
    peticion.subject = Asunto;
    peticion.body = Cuerpo;
    if (!Adjuntos.isEmpty()) peticion.attachments = Adjuntos.split(QLatin1Char('|'));
    peticion.senderName = NombreRemitente;
    peticion.senderAddress = EMailRemitente;
    peticion.recipientName = NombreDestinatario;
    peticion.recipientAddress = EMailDestinatario;
    peticion.ccName = NombreDestinatarioCC;
    peticion.ccAddress = EMailDestinatarioCC;
    peticion.options = Opciones;

    const QString archivo = JoinPath(DirectorioTemporal(), GenerarGUID() + QStringLiteral(".INI"));
    QString error;
    if (!WriteMailRequest(archivo, peticion, &error)) {
        MensajeAdvertencia(QStringLiteral("Error de Creación del Proceso: ") + error);
        return -1;
    }
    QString comando = ComandoProgramaHermano(QStringLiteral("QEVLEXT.EXE"));
    if (comando.isEmpty())
        comando = JoinPath(
            NativePath(DirectorioPrograma.isEmpty() ? QDir::currentPath() : DirectorioPrograma),
            QStringLiteral("QEVLEXT.EXE"));
    QStringList partes = QProcess::splitCommand(comando);
    int estado = -1;
    if (!partes.isEmpty()) {
        QProcess proceso;
        proceso.setProgram(NativePath(partes.takeFirst()));
        proceso.setArguments(partes << QStringLiteral("EnviarEMailMAPI") << archivo);
        proceso.setStandardInputFile(QProcess::nullDevice());
        proceso.start();
        if (!proceso.waitForStarted(-1)) {
            error = proceso.errorString();
        } else {
            // The utility may wait for its user; the windows keep being painted.
            QEventLoop espera;
            QObject::connect(&proceso, &QProcess::finished, &espera, &QEventLoop::quit);
            if (proceso.state() != QProcess::NotRunning)
                espera.exec(QEventLoop::ExcludeUserInputEvents);
            if (proceso.exitStatus() == QProcess::NormalExit) estado = proceso.exitCode();
        }
    }
    QFile::remove(archivo);
    if (!error.isEmpty())
        MensajeAdvertencia(QStringLiteral("Error de Creación del Proceso: ") + error);
    return estado;
}

bool EnviarEMail(TfGENEINIC* f, const QString& Configuracion, const QString& Destinatarios,
                 const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                 QString& TextoError, const QString& DatosMensaje, const QString& Opciones) {
    QString config = Configuracion;
    config.remove(QStringLiteral("(Masivo)"));
    TextoError.clear();
    if (config.contains(QLatin1String("ClienteSMTP=Indy"))) {
        if (EnviarEMailPorSMTP(f, config, Destinatarios, Asunto, Cuerpo, Adjuntos, &TextoError))
            return true;
        if (!TextoError.isEmpty())
            MensajeAdvertencia(
                QStringLiteral("¡No ha sido posible enviar el correo electrónico!. Motivo: ") +
                TextoError);
        return false;
    }
    QString nombreCC = ValorParametro(QStringLiteral("NombreDestinatarioCC"), DatosMensaje);
    QString correoCC = ValorParametro(QStringLiteral("EMailDestinatarioCC"), DatosMensaje);
    if (correoCC.isEmpty()) nombreCC = correoCC = valor(config, "CuentaSMTPCopiasDocumentos");
    const int estado =
        EnviarEMailPorMAPI(f, Asunto, Cuerpo, Adjuntos,
                           ValorParametro(QStringLiteral("NombreRemitente"), DatosMensaje),
                           ValorParametro(QStringLiteral("EMailRemitente"), DatosMensaje),
                           ValorParametro(QStringLiteral("NombreDestinatario"), DatosMensaje),
                           Destinatarios, nombreCC, correoCC, Opciones);
    // Only a clean exit of the utility is a sent mail.
    if (estado == 0) return true;
    TextoError = QStringLiteral("Error en el envío (MAPI): ") + QString::number(estado);
    return false;
}

bool EnviarEMailSimple(TfGENEINIC* f, const QString& Configuracion, const QString& Destinatarios,
                       const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                       const QString& DatosMensaje, const QString& Opciones) {
    QString error;
    return EnviarEMail(f, Configuracion, Destinatarios, Asunto, Cuerpo, Adjuntos, error,
                       DatosMensaje, Opciones);
}
