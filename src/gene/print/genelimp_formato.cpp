// A format's outer structure: paper, sections, the SISTEMA keys, the line
// grammar and the conversion of the format's units into device pixels.

#include <QtMath>

#include "db/field.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/geneinic.h"
#include "gene/genemodu.h"
#include "gene/genemodu_nombres.h"
#include "gene/genesist.h"
#include "gene/genetext.h"
#include "gene/mensajes.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/sesion.h"

namespace {

const QStringList& cabeceras() {
    static const QStringList c{QStringLiteral("[SISTEMA]"), QStringLiteral("[CABECERA]"),
                               QStringLiteral("[LINEAS]"),  QStringLiteral("[PIESUMAYSIGUE]"),
                               QStringLiteral("[PIE]"),     QStringLiteral("[PIEPAGINA]")};
    return c;
}

bool leerNumero(const QStringList& a, int i, double& valor) {
    return i < a.size() && TryStrToFloat(a[i].trimmed(), valor);
}

bool leerEntero(const QStringList& a, int i, int& valor) {
    double d = 0;
    if (!leerNumero(a, i, d)) return false;
    valor = int(d);
    return true;
}

}  // namespace

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
        if (TryStrToInt(f.left(x), ancho) && TryStrToInt(f.mid(x + 1), alto) && ancho > 0 &&
            alto > 0)
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
    Marcador = QChar(0);
    for (int c = 255; c > 0; --c)
        if (!programa.contains(QChar(c))) {
            Marcador = QChar(c);
            break;
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

    if (!DriverAlternativo.isEmpty()) {
        try {
            CopiarArchivo(DriverAlternativo.section(QLatin1Char('>'), 0, 0).trimmed(),
                          DriverAlternativo.section(QLatin1Char('>'), 1).trimmed());
        } catch (...) {
            MensajeAdvertencia(QStringLiteral("¡Imposible copiar el Driver Alternativo!"));
        }
    }
    if (FinLineas == 9999)
        LineasPorPagina = 9999;
    else
        LineasPorPagina = AlturaLinea != 0 ? (FinLineas - InicioLineas) / AlturaLinea : 0;
    EtiquetasPorPagina = qMax(1, ColumnasEtiqueta * FilasEtiqueta);
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

void TfGENELIMP::EjecutarInstruccion(const QString& Linea) {
    const int igual = Linea.indexOf(QLatin1Char('='));
    const QString nombre = igual < 0 ? Linea : Linea.left(igual);
    // The arguments end at the next "=": an argument cannot hold one.
    const QString argumentos =
        igual < 0 ? QString() : Linea.mid(igual + 1).section(QLatin1Char('='), 0, 0);
    const QStringList a = argumentos.split(QLatin1Char(';'));

    if (nombre == QLatin1String("Margenes")) {
        double x = 0, y = 0;
        if (leerNumero(a, 0, x) && leerNumero(a, 1, y)) {
            MargenIzquierdo = x;
            MargenSuperior = y;
        }
    } else if (nombre == QLatin1String("FormatoEtiqueta")) {
        int columnas = 0, filas = 0;
        double ancho = 0, alto = 0;
        if (leerEntero(a, 0, columnas) && leerEntero(a, 1, filas) && leerNumero(a, 2, ancho) &&
            leerNumero(a, 3, alto) && columnas > 0 && filas > 0) {
            ColumnasEtiqueta = columnas;
            FilasEtiqueta = filas;
            AnchoEtiqueta = ancho;
            AltoEtiqueta = alto;
            if (Dispositivo == Impresora && !DestinoPDF()) PreguntarPrimeraEtiqueta();
        }
    } else if (nombre == QLatin1String("Compresion")) {
        double x = 0, y = 0;
        // A factor of 0 would divide every position by zero.
        if (leerNumero(a, 0, x) && leerNumero(a, 1, y) && x != 0 && y != 0) {
            CompresionX = x;
            CompresionY = y;
        }
    } else if (nombre == QLatin1String("AlturaLinea")) {
        leerEntero(a, 0, AlturaLinea);
    } else if (nombre == QLatin1String("InicioLineas")) {
        leerEntero(a, 0, InicioLineas);
    } else if (nombre == QLatin1String("FinLineas")) {
        leerEntero(a, 0, FinLineas);
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
    return qRound(X * unidad * AnchoDestino() / AnchoPapel);
}

int TfGENELIMP::DistanciaY(double Y) const {
    if (ModoTexto) {
        if (Dispositivo == Impresora && !DestinoPDF()) return qRound(Y);
        return qRound(Y * 4.23333 * AltoDestino() / AltoPapel);
    }
    return qRound(Y * CompresionY * AltoDestino() / AltoPapel);
}

int TfGENELIMP::PosicionX(double X) const {
    return DistanciaX(XLogica(X));
}

int TfGENELIMP::PosicionY(double Y) const {
    return DistanciaY(YLogica(Y));
}
