// A format's outer structure: paper, sections, the SISTEMA keys, the line
// grammar and the conversion of the format's units into device pixels.

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QtMath>
#include <cmath>
#include <limits>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/session/geneinic.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/mensajes.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/session/sesion.h"
#include "io/paths.h"

namespace {

const QStringList& cabeceras() {
    static const QStringList c{QStringLiteral("[SISTEMA]"), QStringLiteral("[CABECERA]"),
                               QStringLiteral("[LINEAS]"),  QStringLiteral("[PIESUMAYSIGUE]"),
                               QStringLiteral("[PIE]"),     QStringLiteral("[PIEPAGINA]")};
    return c;
}

// The i-th argument within its range; otherwise the setting keeps its value.
bool leerNumero(const QStringList& a, int i, double minimo, double maximo, double& valor) {
    return i < a.size() && LeerNumeroImpreso(a[i], minimo, maximo, valor);
}

bool leerEntero(const QStringList& a, int i, int minimo, int maximo, int& valor) {
    double d = 0;
    if (!leerNumero(a, i, minimo, maximo, d)) return false;
    valor = int(d);
    return true;
}

bool leerCoordenada(const QStringList& a, int i, double& valor) {
    return leerNumero(a, i, -impreso::kCoordenada, impreso::kCoordenada, valor);
}

bool leerEnteroCoordenada(const QStringList& a, int i, int& valor) {
    const int limite = int(impreso::kCoordenada);
    return leerEntero(a, i, -limite, limite, valor);
}

// The installation folder (the parameter file's), as the system names it
// without links; empty when there is no parameter file.
QString carpetaInstalacion() {
    if (ArchivoParametros.isEmpty()) return QString();
    const QFileInfo parametros(NativePath(ArchivoParametros));
    return QFileInfo(parametros.absolutePath()).canonicalFilePath();
}

// A file a format names, inside the installation folder and reached without
// any symbolic link (a relative name is taken from that folder); empty when
// it lies elsewhere, a link is on its way, or it is not a regular file (the
// source must exist, the target may not).
QString rutaEnInstalacion(const QString& Carpeta, const QString& Nombre, bool Existente) {
    const QString nombre = NativePath(Nombre.trimmed());
    if (Carpeta.isEmpty() || nombre.isEmpty()) return QString();
    const QString ruta = QDir::cleanPath(QDir(Carpeta).absoluteFilePath(nombre));
    if (!ruta.startsWith(Carpeta + QLatin1Char('/'))) return QString();
    const QStringList partes =
        ruta.mid(Carpeta.size() + 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString paso = Carpeta;
    for (qsizetype i = 0; i < partes.size(); ++i) {
        paso += QLatin1Char('/') + partes.at(i);
        const QFileInfo info(paso);
        if (info.isSymLink()) return QString();
        const bool ultima = i == partes.size() - 1;
        if (!ultima && !info.isDir()) return QString();
        if (ultima && (Existente || info.exists()) && !info.isFile()) return QString();
    }
    return partes.isEmpty() ? QString() : ruta;
}

}  // namespace

bool CopiarDriverAlternativo(const QString& Origen, const QString& Destino) {
    const QString carpeta = carpetaInstalacion();
    const QString origen = rutaEnInstalacion(carpeta, Origen, true);
    const QString destino = rutaEnInstalacion(carpeta, Destino, false);
    if (origen.isEmpty() || destino.isEmpty()) return false;
    if (origen == destino) return true;
    // The source is read without following a link put there meanwhile; the
    // copy is written beside the target and renamed over it, which replaces
    // a link rather than writing through it.
    const int fd = ::open(QFile::encodeName(origen).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    QFile entrada;
    if (!entrada.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    QTemporaryFile copia(QFileInfo(destino).absolutePath() + QStringLiteral("/.driverXXXXXX"));
    if (!copia.open()) return false;
    while (!entrada.atEnd()) {
        const QByteArray bloque = entrada.read(1 << 16);
        if (bloque.isEmpty() && entrada.error() != QFileDevice::NoError) return false;
        if (copia.write(bloque) != bloque.size()) return false;
    }
    copia.setPermissions(entrada.permissions());
    if (!copia.flush()) return false;
    if (::rename(QFile::encodeName(copia.fileName()).constData(),
                 QFile::encodeName(destino).constData()) != 0)
        return false;
    copia.setAutoRemove(false);
    return true;
}

bool LeerNumeroImpreso(const QString& Texto, double Minimo, double Maximo, double& Valor) {
    double v = 0;
    if (!TryStrToFloat(Texto.trimmed(), v) || !std::isfinite(v) || v < Minimo || v > Maximo)
        return false;
    Valor = v;
    return true;
}

int EnteroImpreso(double Valor) {
    if (!std::isfinite(Valor) || Valor <= double(std::numeric_limits<int>::min()) ||
        Valor >= double(std::numeric_limits<int>::max()))
        return 0;
    return int(std::lround(Valor));
}

QStringList LineasProgramaImpreso(const QString& Programa) {
    QString texto = Programa;
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lineas = texto.split(QLatin1Char('\n'));
    while (!lineas.isEmpty() && lineas.last().isEmpty()) lineas.removeLast();
    return lineas;
}

TTamanoPapel TamanoPapelImpreso(const QString& Formato) {
    const QString f = Formato.trimmed();
    if (f == QLatin1String("A4-Apaisado")) return {297, 210};
    if (f == QLatin1String("A5")) return {149, 210};
    if (f == QLatin1String("A5-Apaisado")) return {210, 149};
    const int x = f.indexOf(QLatin1Char('x'));
    if (x > 0) {
        int ancho = 0, alto = 0;
        const int maximo = int(impreso::kPapel);
        if (TryStrToInt(f.left(x), ancho) && TryStrToInt(f.mid(x + 1), alto) && ancho > 0 &&
            alto > 0 && ancho <= maximo && alto <= maximo)
            return {double(ancho), double(alto)};
    }
    return {210, 297};
}

bool TfGENELIMP::LocalizarImpreso(const QString& Codigo) {
    if (Codigo.trimmed().isEmpty()) return false;
    try {
        if (!Impreso->Active()) Impreso->Open();
        return Impreso->FindKey({Codigo});
    } catch (...) {
        return false;
    }
}

QString TfGENELIMP::CampoImpreso(const char* Campo) const {
    try {
        if (!Impreso->Active() || Impreso->IsEmpty()) return QString();
        TField* f = Impreso->FindField(QLatin1String(Campo));
        return f ? f->AsString() : QString();
    } catch (...) {
        return QString();
    }
}

void TfGENELIMP::FormatoPagina(const QString& Codigo) {
    if (!LocalizarImpreso(Codigo) && !LocalizarImpreso(CodigoImpreso)) return;
    const TTamanoPapel papel = TamanoPapelImpreso(CampoImpreso("Formato"));
    AnchoPapel = papel.Ancho;
    AltoPapel = papel.Alto;
    ModoTexto = CampoImpreso("Modo") == QLatin1String("Texto");
}

QString TfGENELIMP::ValorLineaPrograma(const QString& Nombre) const {
    for (const QString& linea : LineasProgramaImpreso(CampoImpreso("Instrucciones"))) {
        const int igual = linea.indexOf(QLatin1Char('='));
        if (igual > 0 && linea.left(igual) == Nombre) return linea.mid(igual + 1);
    }
    return QString();
}

void TfGENELIMP::SepararSecciones() {
    const QString programa = CampoImpreso("Instrucciones");
    QStringList* secciones[] = {&Sistema, &Cabecera, &Lineas, &PieSumaYSigue, &Pie, &PiePagina};
    for (QStringList* s : secciones) s->clear();
    QStringList* actual = nullptr;
    for (const QString& linea : LineasProgramaImpreso(programa)) {
        const int i = cabeceras().indexOf(linea.section(QLatin1Char('='), 0, 0));
        if (i >= 0) actual = secciones[i];
        if (actual) actual->append(linea);
    }

    for (TSumaImpreso& s : SumasImpreso) s = TSumaImpreso();
    int slot = 0;
    for (const QStringList* s : {&PieSumaYSigue, &Pie, &PiePagina})
        for (const QString& linea : *s)
            if (linea.startsWith(QLatin1String("Suma")) && slot < MaximoSumasImpreso)
                SumasImpreso[slot++].Campo = linea.section(QLatin1Char(';'), 3, 3);

    MargenIzquierdo = MargenSuperior = 0;
    CompresionX = CompresionY = 1;
    ColumnasEtiqueta = FilasEtiqueta = 1;
    AnchoEtiqueta = AltoEtiqueta = 0;
    AlturaLinea = 0;
    DriverAlternativo.clear();
    Conexiones.clear();
    GruposAnalisis.clear();
    for (const QString& linea : Sistema) EjecutarInstruccion(linea);

    if (!DriverAlternativo.isEmpty() &&
        !CopiarDriverAlternativo(DriverAlternativo.section(QLatin1Char('>'), 0, 0),
                                 DriverAlternativo.section(QLatin1Char('>'), 1)))
        MensajeAdvertencia(QStringLiteral("¡Imposible copiar el Driver Alternativo!"));
    // Lines and labels per page are 0 when their division fails or overflows.
    if (FinLineas == 9999)
        LineasPorPagina = 9999;
    else if (AlturaLinea == 0)
        LineasPorPagina = 0;
    else
        LineasPorPagina =
            EnteroImpreso(std::trunc((double(FinLineas) - InicioLineas) / AlturaLinea));
    EtiquetasPorPagina = qMax(1, EnteroImpreso(double(ColumnasEtiqueta) * FilasEtiqueta));
    Etiqueta = EtiquetasPorPagina + 1;
    TieneSecciones = !(Cabecera.isEmpty() && Lineas.isEmpty() && PieSumaYSigue.isEmpty() &&
                       Pie.isEmpty() && PiePagina.isEmpty());
}

void TfGENELIMP::EjecutarSeccion(const QStringList& Seccion) {
    for (const QString& linea : Seccion) {
        if (ListadoCancelado || PaginasAgotadas) return;
        EjecutarInstruccion(linea);
    }
}

const TfGENELIMP::TInstruccionLeida& TfGENELIMP::LeerInstruccion(const QString& Linea) {
    auto it = instruccionesLeidas_.constFind(Linea);
    if (it != instruccionesLeidas_.constEnd()) return *it;
    // Lines that come with the data (a line's own program) must not fill
    // the memory.
    constexpr qsizetype kLeidas = 1024;
    if (instruccionesLeidas_.size() >= kLeidas) instruccionesLeidas_.clear();
    TInstruccionLeida r;
    const int igual = Linea.indexOf(QLatin1Char('='));
    r.nombre = igual < 0 ? Linea : Linea.left(igual);
    // The arguments end at the next "=": an argument cannot hold one.
    r.argumentos = igual < 0 ? QString() : Linea.mid(igual + 1).section(QLatin1Char('='), 0, 0);
    r.a = r.argumentos.split(QLatin1Char(';'));
    return *instruccionesLeidas_.insert(Linea, r);
}

void TfGENELIMP::EjecutarInstruccion(const QString& Linea) {
    // A copy: a command may read further lines, which can empty the store.
    const TInstruccionLeida leida = LeerInstruccion(Linea);
    const QString& nombre = leida.nombre;
    const QString& argumentos = leida.argumentos;
    const QStringList& a = leida.a;

    if (nombre == QLatin1String("Margenes")) {
        double x = 0, y = 0;
        if (leerCoordenada(a, 0, x) && leerCoordenada(a, 1, y)) {
            MargenIzquierdo = x;
            MargenSuperior = y;
        }
    } else if (nombre == QLatin1String("FormatoEtiqueta")) {
        int columnas = 0, filas = 0;
        double ancho = 0, alto = 0;
        if (leerEntero(a, 0, 1, impreso::kEtiquetasLado, columnas) &&
            leerEntero(a, 1, 1, impreso::kEtiquetasLado, filas) && leerCoordenada(a, 2, ancho) &&
            leerCoordenada(a, 3, alto)) {
            ColumnasEtiqueta = columnas;
            FilasEtiqueta = filas;
            AnchoEtiqueta = ancho;
            AltoEtiqueta = alto;
            if (Dispositivo == Impresora && !DestinoPDF()) PreguntarPrimeraEtiqueta();
        }
    } else if (nombre == QLatin1String("Compresion")) {
        double x = 0, y = 0;
        // A factor of 0 would divide every position by zero.
        if (leerNumero(a, 0, impreso::kCompresionMinima, impreso::kCompresionMaxima, x) &&
            leerNumero(a, 1, impreso::kCompresionMinima, impreso::kCompresionMaxima, y)) {
            CompresionX = x;
            CompresionY = y;
        }
    } else if (nombre == QLatin1String("AlturaLinea")) {
        leerEnteroCoordenada(a, 0, AlturaLinea);
    } else if (nombre == QLatin1String("InicioLineas")) {
        leerEnteroCoordenada(a, 0, InicioLineas);
    } else if (nombre == QLatin1String("FinLineas")) {
        leerEnteroCoordenada(a, 0, FinLineas);
    } else if (nombre == QLatin1String("DriverAlternativo")) {
        DriverAlternativo = argumentos;
    } else if (nombre == QLatin1String("Conexion")) {
        const QString tabla = argumentos.section(QLatin1Char('>'), 0, 0).trimmed();
        QString fisico = tabla;
        NombreTablaFisico(ModuloDatos, tabla, fisico);
        Conexiones.append(fisico + QLatin1Char('>') + argumentos.section(QLatin1Char('>'), 1));
    } else if (nombre.size() == 15 && nombre.startsWith(QLatin1String("GrupoAnalisis")) &&
               nombre.mid(13).toInt() != 0 && nombre.at(13).isDigit() && nombre.at(14).isDigit()) {
        GruposAnalisis.append(nombre + QLatin1Char('=') + argumentos);
    } else {
        EjecutarComando(nombre, a);
    }
}

void TfGENELIMP::PreguntarPrimeraEtiqueta() {
    const int maximo = ColumnasEtiqueta * FilasEtiqueta;
    for (;;) {
        const QString respuesta = MensajePeticion(
            QStringLiteral("Introduzca la posición de la primera etiqueta: "), QStringLiteral("1"));
        // A cancelled question ends the job: repeating it would never let the
        // user leave.
        if (PeticionCancelada()) {
            PosicionCancelada = true;
            return;
        }
        int posicion = 0;
        if (!TryStrToInt(respuesta, posicion) || posicion < 1) continue;
        if (posicion > maximo) {
            MensajeAdvertencia(QStringLiteral("La posición no puede ser mayor que ") +
                               QString::number(maximo));
            continue;
        }
        PrimeraEtiqueta = posicion;
        return;
    }
}

// ---- Coordinates.

double TfGENELIMP::XLogica(double x) const {
    double X = MargenIzquierdo / CompresionX + x;
    if (ColumnasEtiqueta > 1) {
        const int c = (Etiqueta - 1) % ColumnasEtiqueta + 1;
        X += (c - 1) * AnchoEtiqueta / CompresionX;
    }
    return X;
}

double TfGENELIMP::YLogica(double y) const {
    double a = y;
    if (EnLineas)
        a = y + InicioLineas + (LineaActual - 1) * AlturaLinea;
    else if (EnPie && ModoTexto && FinLineas == 9999)
        a = y + FilaTextoActual;
    double Y = MargenSuperior / CompresionY + a;
    if (FilasEtiqueta > 1) {
        const int r = (Etiqueta + ColumnasEtiqueta - 1) / ColumnasEtiqueta;
        Y += (r - 1) * AltoEtiqueta / CompresionY;
    }
    return Y;
}

double TfGENELIMP::AnchoDestino() const {
    return Dispositivo == Impresora && ImpresoraTrabajo ? AnchoImpresora : AnchoPixels;
}

double TfGENELIMP::AltoDestino() const {
    return Dispositivo == Impresora && ImpresoraTrabajo ? AltoImpresora : AltoPixels;
}

int TfGENELIMP::DistanciaX(double X) const {
    const double unidad = ModoTexto ? 2.54 : CompresionX;
    return EnteroImpreso(X * unidad * AnchoDestino() / AnchoPapel);
}

int TfGENELIMP::DistanciaY(double Y) const {
    if (ModoTexto) {
        if (FlujoTextoCrudo()) return EnteroImpreso(Y);
        return EnteroImpreso(Y * 4.23333 * AltoDestino() / AltoPapel);
    }
    return EnteroImpreso(Y * CompresionY * AltoDestino() / AltoPapel);
}

int TfGENELIMP::PosicionX(double X) const {
    return DistanciaX(XLogica(X));
}

int TfGENELIMP::PosicionY(double Y) const {
    return DistanciaY(YLogica(Y));
}
