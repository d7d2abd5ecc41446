// Mail of the session: the settings choose SMTP (also under their "(Masivo)"
// names) or the mail utility; an SMTP message with its copy and two
// attachments received by a server of the test on 127.0.0.1; a missing
// attachment, a dead server and a password without TLS fail with the reason;
// the utility gets its request file and its exit status decides.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "gene/session/geneinic_correo.h"
#include "gene/data/genemens.h"
#include "gene/data/genemodu.h"
#include "io/smtp.h"
#include "gene/registros_prueba.h"
#include "support/instalacion.h"

namespace {

// An SMTP server on the loopback for one connection, in a thread of its own:
// greets, offers AUTH but no STARTTLS, takes one message and records the
// commands and the message text.
class ServidorSMTP {
public:
    ServidorSMTP() {
        escucha_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in dir{};
        dir.sin_family = AF_INET;
        dir.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(escucha_, reinterpret_cast<sockaddr*>(&dir), sizeof dir);
        ::listen(escucha_, 1);
        socklen_t largo = sizeof dir;
        ::getsockname(escucha_, reinterpret_cast<sockaddr*>(&dir), &largo);
        puerto = ntohs(dir.sin_port);
        hilo_ = std::thread([this] { atender(); });
    }
    ~ServidorSMTP() {
        ::shutdown(escucha_, SHUT_RDWR);
        ::close(escucha_);
        if (hilo_.joinable()) hilo_.join();
    }
    // Waits for the session to end (the client's QUIT or its leaving).
    void esperar() {
        if (hilo_.joinable()) hilo_.join();
    }

    int puerto = 0;
    QStringList ordenes;
    QByteArray mensaje;

private:
    void atender() {
        const int c = ::accept(escucha_, nullptr, nullptr);
        if (c < 0) return;
        timeval limite{20, 0};
        ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
        const auto enviar = [c](const char* linea) {
            const QByteArray l = QByteArray(linea) + "\r\n";
            (void)!::write(c, l.constData(), size_t(l.size()));
        };
        enviar("220 correo.prueba ESMTP");
        QByteArray pendiente;
        bool datos = false;
        char buf[4096];
        for (;;) {
            const qsizetype fin = pendiente.indexOf("\r\n");
            if (fin < 0) {
                const ssize_t n = ::read(c, buf, sizeof buf);
                if (n <= 0) break;
                pendiente.append(buf, n);
                continue;
            }
            const QByteArray linea = pendiente.left(fin);
            pendiente.remove(0, fin + 2);
            if (datos) {
                if (linea == ".") {
                    datos = false;
                    enviar("250 2.0.0 Ok");
                } else {
                    mensaje += linea + "\n";
                }
                continue;
            }
            ordenes << QString::fromUtf8(linea);
            const QByteArray verbo = linea.left(4).toUpper();
            if (verbo == "EHLO") {
                enviar("250-correo.prueba");
                enviar("250 AUTH PLAIN LOGIN");
            } else if (verbo == "DATA") {
                datos = true;
                enviar("354 Fin con .");
            } else if (verbo == "QUIT") {
                enviar("221 Adios");
                break;
            } else {
                enviar("250 Ok");
            }
        }
        ::close(c);
    }

    int escucha_ = -1;
    std::thread hilo_;
};

OpcionesInstalacion conEmpresa() {
    OpcionesInstalacion o;
    o.empresaActual = 1;
    return o;
}

QString configuracion(int puerto, const QString& extra = QString()) {
    return QStringLiteral(
               "ClienteSMTP(Masivo)=Indy\r\nServidorSMTP(Masivo)=127.0.0.1\r\n"
               "PuertoSSL(Masivo)=%1\r\nCuentaFromSMTP(Masivo)=personal@empresa.prueba\r\n"
               "CuentaSMTPCopiasDocumentos(Masivo)=archivo@empresa.prueba\r\n")
               .arg(puerto) +
           extra;
}

QStringList mensajes() {
    QStringList l;
    for (const auto& e : MessageSeam::log()) l << e.text;
    MessageSeam::clearLog();
    return l;
}

}  // namespace

class TestGeneInicCorreo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void smtpConCopiaYAdjuntos() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        QCOMPARE(Sql(QStringLiteral("INSERT INTO PARAGENE (IdRegistro, RazonSocial) VALUES (1, "
                                    "'Conservas del Norte SA')")),
                 QString());
        modulo.ParamGenerales->Refresh();
        QTemporaryDir dir;
        for (const char* nombre : {"contrato.pdf", "nomina.txt"}) {
            QFile f(dir.filePath(QLatin1String(nombre)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("contenido de ");
            f.write(nombre);
        }
        // Backslashes are accepted in the paths; the list ends at the last "|".
        QString adjuntos = dir.filePath(QStringLiteral("contrato.pdf")) + QLatin1Char('|') +
                           dir.filePath(QStringLiteral("nomina.txt")) + QLatin1Char('|');
        adjuntos.replace(QLatin1Char('/'), QLatin1Char('\\'));

        ServidorSMTP servidor;
        QString error;
        QVERIFY(EnviarEMail(inst.sesion(), configuracion(servidor.puerto),
                            QStringLiteral("ana@empresa.prueba"),
                            QStringLiteral("Contrato\r\nBcc: intruso@fuera.prueba"),
                            QStringLiteral("Adjunto el contrato."), adjuntos, error));
        QCOMPARE(error, QString());
        servidor.esperar();
        QVERIFY(servidor.ordenes.contains(QStringLiteral("MAIL FROM:<personal@empresa.prueba>")));
        QVERIFY(servidor.ordenes.contains(QStringLiteral("RCPT TO:<ana@empresa.prueba>")));
        QVERIFY(servidor.ordenes.contains(QStringLiteral("RCPT TO:<archivo@empresa.prueba>")));
        QVERIFY(!servidor.ordenes.join(QLatin1Char(' ')).contains(QLatin1String("intruso")));
        const QByteArray m = servidor.mensaje;
        QVERIFY(m.contains("Cc: archivo@empresa.prueba"));
        QVERIFY(m.contains("Subject: Contrato Bcc: intruso@fuera.prueba"));
        QVERIFY(m.contains("Conservas del Norte SA <personal@empresa.prueba>"));
        QVERIFY(m.contains("contrato.pdf") && m.contains("nomina.txt"));
        QVERIFY(mensajes().isEmpty());
    }

    void smtpQueFalla() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        QString error;

        // A missing attachment fails before anything is sent; a web address
        // or a folder is no attachment and no failure.
        QTemporaryDir dir;
        {
            ServidorSMTP servidor;
            QVERIFY(!EnviarEMail(inst.sesion(), configuracion(servidor.puerto),
                                 QStringLiteral("ana@empresa.prueba"), QStringLiteral("Asunto"),
                                 QStringLiteral("Texto"),
                                 QStringLiteral("http://www.empresa.prueba|") + dir.path() +
                                     QStringLiteral("|/no/existe.pdf"),
                                 error));
            QCOMPARE(error, QStringLiteral("No existe el archivo adjunto /no/existe.pdf"));
            QCOMPARE(mensajes(), QStringList{QStringLiteral(
                                     "¡No ha sido posible enviar el correo electrónico!. Motivo: "
                                     "No existe el archivo adjunto /no/existe.pdf")});
            QVERIFY(servidor.ordenes.isEmpty());
        }

        // A server that is not there.
        int puertoMuerto;
        {
            ServidorSMTP cerrado;
            puertoMuerto = cerrado.puerto;
        }
        QVERIFY(!EnviarEMail(inst.sesion(), configuracion(puertoMuerto),
                             QStringLiteral("ana@empresa.prueba"), QStringLiteral("Asunto"),
                             QStringLiteral("Texto"), QString(), error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(mensajes().size(), 1);

        // A password is never sent over a connection without TLS.
        ServidorSMTP servidor;
        QVERIFY(!EnviarEMail(
            inst.sesion(),
            configuracion(
                servidor.puerto,
                QStringLiteral("CodigoUsuarioSMTP=personal\r\nClaveAccesoSMTP=Secreta\r\n")),
            QStringLiteral("ana@empresa.prueba"), QStringLiteral("Asunto"), QStringLiteral("Texto"),
            QString(), error));
        servidor.esperar();
        for (const QString& o : servidor.ordenes)
            QVERIFY2(!o.startsWith(QLatin1String("AUTH")), qPrintable(o));
        QVERIFY(!error.contains(QLatin1String("Secreta")));
        QVERIFY(!mensajes().join(QLatin1Char(' ')).contains(QLatin1String("Secreta")));

        // Nothing to do without settings or recipients.
        QVERIFY(!EnviarEMailPorSMTP(inst.sesion(), QString(), QStringLiteral("a@b.prueba"),
                                    QString(), QString(), QString()));
        QVERIFY(!EnviarEMailPorSMTP(inst.sesion(), configuracion(25), QString(), QString(),
                                    QString(), QString()));
    }

    // The default settings send through the utility; its exit status decides.
    void utilidadDeCorreo() {
        TestInstalacion inst(Engine::Sqlite, conEmpresa());
        TModuloDatos modulo;
        QTemporaryDir dir;
        const QString copia = dir.filePath(QStringLiteral("peticion.ini"));
        const QString estado = dir.filePath(QStringLiteral("estado"));
        const QString programa = dir.filePath(QStringLiteral("qevlext.sh"));
        {
            QFile f(programa);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\n[ \"$1\" = EnviarEMailMAPI ] || exit 9\n"
                                   "cp \"$2\" '%1'\necho \"$2\" > '%1.ruta'\nexit $(cat '%2')\n")
                        .arg(copia, estado)
                        .toUtf8());
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const auto salida = [&](const char* codigo) {
            QFile f(estado);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(codigo);
        };
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("QEVLEXT.EXE"),
                                   programa);
        const QString config = QStringLiteral(
            "ClienteSMTP=Por Defecto,Indy\r\nCuentaSMTPCopiasDocumentos=archivo@empresa.prueba");

        salida("0");
        QString error;
        QVERIFY(EnviarEMail(inst.sesion(), config, QStringLiteral("ana@empresa.prueba"),
                            QStringLiteral("Contrato"), QStringLiteral("Línea 1\r\nLínea 2"),
                            QStringLiteral("/tmp/a.pdf|/tmp/b.pdf"), error,
                            QStringLiteral("NombreRemitente=Personal\r\nNombreDestinatario=Ana")));
        QCOMPARE(error, QString());
        QFile f(copia);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString peticion = QString::fromLatin1(f.readAll());
        QCOMPARE(peticion,
                 QStringLiteral("Asunto=Contrato\r\nTexto=Línea 1·Línea 2\r\n"
                                "ArchivosAdjuntos=/tmp/a.pdf|/tmp/b.pdf\r\n"
                                "NombreRemitente=Personal\r\nEMailRemitente=\r\n"
                                "NombreDestinatario=Ana\r\nEMailDestinatario=ana@empresa.prueba\r\n"
                                "NombreDestinatarioCC=archivo@empresa.prueba\r\n"
                                "EMailDestinatarioCC=archivo@empresa.prueba\r\nOpciones=\r\n"));
        // The request file is gone.
        QFile ruta(copia + QStringLiteral(".ruta"));
        QVERIFY(ruta.open(QIODevice::ReadOnly));
        const QString archivo = QString::fromUtf8(ruta.readAll()).trimmed();
        QVERIFY(archivo.endsWith(QLatin1String(".INI")));
        QVERIFY(!QFile::exists(archivo));

        salida("3");
        QVERIFY(!EnviarEMail(inst.sesion(), config, QStringLiteral("ana@empresa.prueba"),
                             QStringLiteral("Contrato"), QString(), QString(), error));
        QCOMPARE(error, QStringLiteral("Error en el envío (MAPI): 3"));
        QVERIFY(mensajes().isEmpty());

        // Without the utility nothing is sent, and the user is told why.
        inst.EscribirConfiguracion(QStringLiteral("Programas"), QStringLiteral("QEVLEXT.EXE"),
                                   dir.filePath(QStringLiteral("no-existe")));
        QVERIFY(!EnviarEMailSimple(inst.sesion(), config, QStringLiteral("ana@empresa.prueba"),
                                   QStringLiteral("Contrato"), QString(), QString()));
        const QStringList m = mensajes();
        QCOMPARE(m.size(), 1);
        QVERIFY(m[0].startsWith(QStringLiteral("Error de Creación del Proceso: ")));
    }
};

QTEST_MAIN(TestGeneInicCorreo)
#include "tst_geneinic_correo.moc"
