#pragma once
// Mail of the session form: straight to an SMTP server, or handed to the
// installation's mail utility (QEVLEXT.EXE with the command word
// "EnviarEMailMAPI" and a request file) in place of the workstation's mail
// client. The mail settings text chooses: "ClienteSMTP=Indy" sends by SMTP,
// anything else (the default "ClienteSMTP=Por Defecto,Indy" among them)
// through the utility.
//
// Settings text (Name=Value lines, as ConfiguracionSMTP gives them; every
// "(Masivo)" is removed first): ClienteSMTP, ServidorSMTP, CodigoUsuarioSMTP,
// ClaveAccesoSMTP, PuertoSSL (465 TLS from the start; any other port
// upgrades with STARTTLS, which is required before a password is sent),
// CuentaFromSMTP, CuentaSMTPCopiasDocumentos (copy of every message).
// Message data (Name=Value lines, for the utility): NombreRemitente,
// EMailRemitente, NombreDestinatario, NombreDestinatarioCC, EMailDestinatarioCC.
// Attachments are file paths joined by "|"; the list ends at the first empty
// piece.

#include <QString>
#include <QStringList>

class TfGENEINIC;
struct MailMessage;

// Sends by the settings' road. False with TextoError set when the mail did
// not go: an SMTP failure (also shown as a warning, with its reason) or the
// utility's status ("Error en el envío (MAPI): " + status).
bool EnviarEMail(TfGENEINIC* f, const QString& Configuracion, const QString& Destinatarios,
                 const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                 QString& TextoError, const QString& DatosMensaje = QString(),
                 const QString& Opciones = QString());
bool EnviarEMailSimple(TfGENEINIC* f, const QString& Configuracion, const QString& Destinatarios,
                       const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                       const QString& DatosMensaje = QString(),
                       const QString& Opciones = QString());

// SMTP: false without settings or recipients, and when sending failed (the
// reason in TextoError: the server's answer, a missing attachment...; never
// the password).
bool EnviarEMailPorSMTP(TfGENEINIC* f, const QString& Configuracion, const QString& Destinatarios,
                        const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                        QString* TextoError = nullptr);
// The message EnviarEMailPorSMTP sends: sender the company's RazonSocial
// with CuentaFromSMTP (else a user code that is an address, else the copy
// account); To the recipients (separated by "," or ";"); CC the copy
// account; header values on one line. False with the reason when an
// attachment names a file that does not exist (web addresses and folders are
// left out, as nothing of them can be attached).
bool MensajeCorreoSMTP(const QString& Configuracion, const QString& Destinatarios,
                       const QString& Asunto, const QString& Cuerpo, const QString& Adjuntos,
                       MailMessage& Mensaje, QString& TextoError);

// The mail utility: writes the request file in the temporary folder, runs
// the configured QEVLEXT.EXE (section "Programas" of the settings file, else
// the program's folder) with "EnviarEMailMAPI" and the file's path, waits
// for it and removes the file. The utility's exit status: 0 = sent; -1 when
// it could not be run (the reason is shown).
int EnviarEMailPorMAPI(TfGENEINIC* f, const QString& Asunto, const QString& Cuerpo,
                       const QString& Adjuntos, const QString& NombreRemitente,
                       const QString& EMailRemitente, const QString& NombreDestinatario,
                       const QString& EMailDestinatario, const QString& NombreDestinatarioCC,
                       const QString& EMailDestinatarioCC, const QString& Opciones);
