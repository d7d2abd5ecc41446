// Sibling programs, help by context number, the what-is-new entry, HTML in
// a browser control, the file and folder picker and small utilities.

#include "gene/session/geneinic_programas.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QTextBrowser>
#include <QUrl>

#include "gene/data/genemens.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp_salida.h"
#include "gene/session/geneayud.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/inifile.h"
#include "io/paths.h"
#include "io/textfile.h"
#include "ui/form.h"

namespace {

const QString kSeccionProgramas = QStringLiteral("Programas");

QString CarpetaPrograma() {
    return NativePath(DirectorioPrograma.isEmpty() ? QDir::currentPath() : DirectorioPrograma);
}

}  // namespace

// ---------------------------------------------------------------- sibling programs

QString ComandoProgramaHermano(const QString& Programa) {
    const QString archivo = RutaArchivoConfiguracion();
    if (archivo.isEmpty() || !QFileInfo::exists(archivo)) return QString();
    return TIniFile(archivo).ReadString(kSeccionProgramas, Programa, QString()).trimmed();
}

QString LineaProgramaHermano(const QString& Programa, const QString& Argumentos) {
    QString comando = ComandoProgramaHermano(Programa);
    if (comando.isEmpty()) comando = Programa;
    return comando + QLatin1Char(' ') + Argumentos;
}

bool IniciarProgramaHermano(const QString& Programa, const QStringList& Argumentos) {
    QStringList partes = QProcess::splitCommand(ComandoProgramaHermano(Programa));
    QString ejecutable;
    if (partes.isEmpty()) {
        ejecutable = JoinPath(CarpetaPrograma(), Programa);
        if (!QFileInfo(ejecutable).isExecutable()) return false;
    } else {
        ejecutable = partes.takeFirst();
    }
    return QProcess::startDetached(ejecutable, partes + Argumentos, CarpetaPrograma());
}

void ParametrosSesion(QString& Texto) {
    Texto = ParametrosSesion();
}

bool ConfigurarManifiesto(TfGENEINIC*, const QString&) {
    // The look is Qt's style and palette: no file beside the executable, no
    // restart.
    return false;
}

// ---------------------------------------------------------------- printing through QEVLEXT

QString TextoPeticionImpresion(const QString& Documento, const QString& Impresora) {
    return QStringLiteral("PathDocumento=") + Documento + QStringLiteral("\r\nNombreImpresora=") +
           Impresora;
}

void ImprimirDocumentoExterno(TfGENEINIC*, const QString& Documento, const QString& Impresora,
                              const QString& Tipo) {
    QString comando = ComandoProgramaHermano(QStringLiteral("QEVLEXT.EXE"));
    if (comando.isEmpty() &&
        !QFileInfo(JoinPath(CarpetaPrograma(), QStringLiteral("QEVLEXT.EXE"))).isExecutable()) {
        // No utility in this installation: LibreOffice and CUPS print it.
        const bool predeterminada = Impresora.isEmpty() || Impresora == QLatin1String("Ninguna") ||
                                    Impresora == QLatin1String("Predeterminada");
        QString motivo;
        if (!ImprimirDocumento(Documento, predeterminada ? QString() : Impresora, motivo))
            MensajeAdvertencia(Tipo == QLatin1String("PDF")
                                   ? QStringLiteral("No se ha podido imprimir el documento ") +
                                         Documento + QStringLiteral(". Motivo: ") + motivo
                                   : TextoErrorWord(motivo));
        return;
    }
    const QString peticion = JoinPath(DirectorioTemporal(), GenerarGUID() + QStringLiteral(".INI"));
    if (!CrearArchivoTexto(peticion, TextoPeticionImpresion(Documento, Impresora))) return;
    const QString orden = Tipo == QLatin1String("PDF") ? QStringLiteral("ImprimirDocumentoPDF")
                                                       : QStringLiteral("ImprimirDocumentoWord");
    if (comando.isEmpty()) comando = JoinPath(CarpetaPrograma(), QStringLiteral("QEVLEXT.EXE"));
    const QStringList partes = QProcess::splitCommand(comando);
    QStringList linea = partes;
    linea << orden << peticion;
    QStringList citada;
    for (const QString& parte : std::as_const(linea))
        citada << (parte.contains(QLatin1Char(' ')) ? QLatin1Char('"') + parte + QLatin1Char('"')
                                                    : parte);
    EjecutarYEsperar(partes.value(0), citada.join(QLatin1Char(' ')));
    QDir::setCurrent(CarpetaPrograma());
    QFile::remove(peticion);
}

// ---------------------------------------------------------------- help

void NombreAplicacion(TfGENEINIC*, int Codigo, QString& Nombre) {
    Nombre.clear();
    for (const QString& linea : std::as_const(MapaContextos)) {
        const int igual = linea.indexOf(QLatin1Char('='));
        if (igual < 0) continue;
        bool ok = false;
        const int numero = linea.mid(igual + 1).trimmed().toInt(&ok);
        if (ok && numero == Codigo) {
            Nombre = linea.left(igual);
            return;
        }
    }
}

int ContextoAyuda(const QString& Nombre) {
    for (const QString& linea : std::as_const(MapaContextos)) {
        const int igual = linea.indexOf(QLatin1Char('='));
        if (igual > 0 && linea.left(igual) == Nombre) return linea.mid(igual + 1).trimmed().toInt();
    }
    return 0;
}

QString PaginaAyuda(int Contexto) {
    QString nombre;
    NombreAplicacion(fGENEINIC, Contexto, nombre);
    if (nombre.isEmpty()) return QString();
    // A topic is a window's caption: what a file name cannot hold becomes "_"
    // too ("Listado de Vacaciones/Puentes/Permisos").
    for (QChar& c : nombre)
        if (c == u' ' || QStringView(u"/\\:*?\"<>|").contains(c)) c = u'_';
    return JoinPath(JoinPath(CarpetaPrograma(), QStringLiteral("help")),
                    nombre + QStringLiteral(".html"));
}

bool MostrarAyuda(TfGENEINIC*, int Contexto) {
    QString pagina = PaginaAyuda(Contexto);
    if (pagina.isEmpty() || !QFileInfo(pagina).isFile()) {
        MensajeAdvertencia(QStringLiteral("¡No existe el archivo de ayuda!"));
        // The call goes on: the window opens on the index when there is one.
        pagina = PaginaAyuda(0);
        if (!QFileInfo(pagina).isFile()) pagina.clear();
    }
    MostrarVentanaAyuda(pagina);
    return true;
}

void ListaNovedades(TfGENEINIC*, const QString&) {
    MensajeInformacion(QStringLiteral("Está opción estará disponible en próximas versiones."));
}

// ---------------------------------------------------------------- HTML

void MostrarHTML(TfGENEINIC*, const QString& Html, QObject* Navegador) {
    const QString archivo = JoinPath(DirectorioTemporal(), GenerarGUID() + QStringLiteral(".html"));
    QFile::remove(archivo);
    WriteTextFile(archivo, Html, TextEncoding::Utf8);
    if (auto* b = qobject_cast<QTextBrowser*>(Navegador)) {
        b->setSource(QUrl::fromLocalFile(archivo));
    }
    // The control reads the page at once: the file is not kept.
    QFile::remove(archivo);
}

void VaciarNavegador(TfGENEINIC* f, QObject* Navegador) {
    MostrarHTML(f, QString(), Navegador);
    Esperar(100);
}

// ---------------------------------------------------------------- picker

bool SeleccionarArchivo(TfGENEINIC*, const QString& Titulo, QString& Ruta,
                        const QString& Opciones) {
    const bool carpetas = Opciones.contains(QLatin1String("Carpetas"));
    QString elegido;
    if (MessageSeam::isActive() && !MessageSeam::showsDialogs()) {
        QString respuesta;
        const bool hay = MessageSeam::take(respuesta);
        MessageSeam::record(QStringLiteral("Seleccion"), Titulo, respuesta);
        if (!hay || respuesta == MessageSeam::cancel()) return false;
        elegido = respuesta;
    } else {
        QFileDialog dialogo(nullptr, Titulo, NativePath(Ruta));
        DialogoArchivosEnEspanol(dialogo);
        dialogo.setFileMode(carpetas && !Opciones.contains(QLatin1String("Archivos"))
                                ? QFileDialog::Directory
                                : QFileDialog::ExistingFile);
        if (Opciones.contains(QLatin1String("Ocultos")))
            dialogo.setFilter(dialogo.filter() | QDir::Hidden);
        if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty()) return false;
        elegido = dialogo.selectedFiles().first();
    }
    if (!QFileInfo::exists(NativePath(elegido))) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible abrir el archivo o carpeta ") +
                           elegido + QStringLiteral("!. Motivo: ") + QStringLiteral("No existe"));
        return false;
    }
    Ruta = NativePath(elegido);
    return true;
}

// ---------------------------------------------------------------- small utilities

void CerrarTecladoNumerico(TfGENEINIC*) {
    for (TForm* forma : ApplicationForms())
        if (forma->Name() == QLatin1String("fGENEKPAD")) forma->Release();
}

void NombreUniversal(const QString& Ruta, QString& Resultado) {
    Resultado = Ruta;
}

int DiaSemana(const QDate& Fecha) {
    return Fecha.dayOfWeek();
}
