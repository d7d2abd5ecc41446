#include "gene/data/geneexpt.h"

#include <QFile>
#include <QStringList>
#include <cmath>
#include <exception>

#include "db/clientdataset.h"
#include "db/dataset.h"
#include "db/dberror.h"
#include "db/sysutils.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/geneexpt_p.h"
#include "gene/data/genereloj.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/genetext.h"
#include "gene/data/genetrad.h"
#include "gene/data/geneusua.h"
#include "gene/data/mensajes.h"
#include "io/outputfile.h"
#include "io/paths.h"
#include "io/textfile.h"
#include "io/xlsx.h"

namespace geneexpt {

Delimitadores ElegirDelimitadores(TModuloDatos* ModuloDatos, const QString& Opciones) {
    Delimitadores d;
    if (Opciones.contains(QLatin1String("ConDelimitadorStd")) ||
        Opciones.contains(QLatin1String("SinDialogo")))
        return d;
    // An empty parameter would join every field into one: the standard stays.
    const QString sep = ParametroGeneral(ModuloDatos, QStringLiteral("CaracterSeparadorASCII"));
    const QString crlf = ParametroGeneral(ModuloDatos, QStringLiteral("CaracterSeparadorCRLF"));
    if (!sep.isEmpty()) d.separador = sep;
    if (!crlf.isEmpty()) d.saltoLinea = crlf;
    return d;
}

int CamposClave(TDataSet* Tabla) {
    auto* t = qobject_cast<TTable*>(Tabla);
    return t ? qMin(t->IndexFieldCount(), Tabla->FieldCount()) : 0;
}

}  // namespace geneexpt

using namespace geneexpt;

namespace {

// Controls of a dataset disabled for a scope (none for nullptr).
class TControlesInactivos {
public:
    explicit TControlesInactivos(TDataSet* ds) : ds_(ds) {
        if (ds_) ds_->DisableControls();
    }
    ~TControlesInactivos() {
        if (ds_) ds_->EnableControls();
    }
    TControlesInactivos(const TControlesInactivos&) = delete;
    TControlesInactivos& operator=(const TControlesInactivos&) = delete;

private:
    TDataSet* ds_;
};

// ---------------------------------------------------------------- text

// What the file cannot carry as it is, counted per value: letters outside its
// character set (written as "?"), values holding the line-break mark or
// leading or trailing blanks (read back changed), values holding the field
// separator (read back as more fields).
struct Cambios {
    int perdidos = 0;
    int marcas = 0;
    int separadores = 0;
};

QString TextoCampo(const TField* Campo, const Delimitadores& d, Cambios& c) {
    QString v = TextoCampoClave(Campo);
    // The import trims each value before it turns the mark into a line
    // break: a line break at either end survives, a blank does not.
    const auto blanco = [](QChar ch) { return ch.isSpace() && ch != u'\r' && ch != u'\n'; };
    if ((!d.saltoLinea.isEmpty() && v.contains(d.saltoLinea)) ||
        (!v.isEmpty() && (blanco(v.front()) || blanco(v.back()))))
        ++c.marcas;
    if (!d.separador.isEmpty() && v.contains(d.separador)) ++c.separadores;
    // A lone LF or CR is a line break too: removed with the control
    // characters, it would join the lines' words.
    if (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'))) {
        v.replace(kCRLF, d.saltoLinea);
        v.replace(QLatin1Char('\n'), d.saltoLinea);
        v.replace(QLatin1Char('\r'), d.saltoLinea);
    }
    if (!FitsWindows1252(v)) ++c.perdidos;
    return v;
}

// A line without the stray line ends a value may still hold, nor any other
// control character but the tab a separator may be.
QString Limpia(QString linea) {
    linea.removeIf([](QChar c) { return c < QChar(0x20) && c != u'\t'; });
    return linea;
}

// A field hidden from the user leaves no trace in what is exported.
bool Oculto(const TField* f) {
    return CampoNoVisible(nullptr, f->FieldName());
}

bool HayOcultos(TDataSet* ds) {
    if (!ds) return false;
    for (const TField* f : ds->Fields())
        if (Oculto(f)) return true;
    return false;
}

// The fields of a dataset hidden from the user, asked once for every line.
QList<bool> Ocultos(TDataSet* ds) {
    QList<bool> ocultos;
    if (ds)
        for (const TField* f : ds->Fields()) ocultos << Oculto(f);
    return ocultos;
}

QString LineaPrincipal(TDataSet* Tabla, const QList<bool>& ocultos, int K, bool marca,
                       const Delimitadores& d, bool nombres, Cambios& cambios) {
    QString linea;
    const int n = Tabla->FieldCount();
    for (int i = 0; i <= n; ++i) {
        if (marca && i == K) linea += QStringLiteral("0") + d.separador;
        if (i == n) break;
        const TField* f = Tabla->Fields()[i];
        if (ocultos.value(i)) continue;
        linea += (nombres ? f->FieldName() : TextoCampo(f, d, cambios)) + d.separador;
    }
    return Limpia(linea);
}

QString LineaDetalle(TDataSet* Detalle, const QList<bool>& ocultos, const Delimitadores& d,
                     bool nombres, Cambios& cambios) {
    QString linea;
    const int n = Detalle->FieldCount();
    for (int i = 0; i < n; ++i) {
        const TField* f = Detalle->Fields()[i];
        if (!ocultos.value(i))
            linea += (nombres ? f->FieldName() : TextoCampo(f, d, cambios)) + d.separador;
    }
    return Limpia(linea);
}

class Escritor {
public:
    explicit Escritor(TOutputFile& f) : f_(f) {}
    // Lines go to the file in blocks: the file writes through at once, and a
    // write per line of a large result costs more than the reading.
    void Linea(const QString& texto) {
        bloque_ += EncodeText(texto + kCRLF, TextEncoding::Windows1252);
        if (bloque_.size() >= kBloque) Vaciar();
    }
    // Flushed and closed with every check before it replaces the old file.
    void Terminar() {
        Vaciar();
        if (!f_.Commit()) Falla();
    }

private:
    static constexpr qsizetype kBloque = 64 * 1024;
    void Vaciar() {
        if (!bloque_.isEmpty() && f_.write(bloque_) != bloque_.size()) Falla();
        bloque_.clear();
    }
    [[noreturn]] void Falla() {
        throw EInOutError(QStringLiteral("Error de escritura en ") + f_.Target() +
                          QStringLiteral(": ") + f_.errorString());
    }
    TOutputFile& f_;
    QByteArray bloque_;
};

void AvisarCambios(const Cambios& c, const Delimitadores& d) {
    QStringList avisos;
    if (c.perdidos > 0) avisos << AvisoValoresConInterrogacion(c.perdidos);
    if (c.marcas > 0)
        avisos << QStringLiteral(
                      "¡ %1 valor(es) contienen el carácter '%2' o espacios al principio o al "
                      "final, y no se leerán del fichero tal como están !")
                      .arg(c.marcas)
                      .arg(d.saltoLinea);
    if (c.separadores > 0)
        avisos << QStringLiteral(
                      "¡ %1 valor(es) contienen el separador de campos '%2', y al leer el "
                      "fichero sus campos se desplazarán !")
                      .arg(c.separadores)
                      .arg(d.separador);
    if (!avisos.isEmpty()) MensajeAdvertencia(avisos.join(kCRLF));
}

}  // namespace

QString AvisoValoresConInterrogacion(int Valores) {
    return QStringLiteral(
               "¡ %1 valor(es) contienen caracteres que no existen en el juego de caracteres del "
               "fichero (Windows) y se han escrito con '?' !")
        .arg(Valores);
}

bool ExportarASCII(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones) {
    if (!Tabla || !Tabla->Active()) {
        MensajeAdvertencia(kInactiva);
        return false;
    }
    const bool sinDialogo = Opciones.contains(QLatin1String("SinDialogo"));
    QString archivo = ArchivoDefecto;
    if (!sinDialogo) {
        TFileDialog* d = SaveDialog1(ModuloDatos);
        FiltroGuardado filtro(d);
        d->Title = QStringLiteral("Introducir el Nombre del Fichero de Texto");
        d->Filter = QStringLiteral("Archivos de Texto (*.TXT)|*.TXT|Todos los Archivos (*.*)|*.*");
        d->FilterIndex = 1;
        d->FileName = ArchivoDefecto;
        if (!d->Execute()) return false;
        archivo = d->FileName;
    }
    // The old file stays whole until the new one is: a failed write leaves it.
    TOutputFile f(NativePath(archivo));
    if (!f.open(QIODevice::WriteOnly)) {
        MensajeAdvertencia(QStringLiteral("¡Imposible crear el fichero ASCII!. Motivo: ") +
                           archivo + QStringLiteral(": ") + f.errorString());
        return false;
    }
    const Delimitadores d = ElegirDelimitadores(ModuloDatos, Opciones);
    TCursorEspera espera;
    // Without the fields left out, the file reads back by name only.
    bool cabecera = Opciones.contains(QLatin1String("ConFormatoCampos")) || HayOcultos(Tabla) ||
                    HayOcultos(Detalle);
    if (!cabecera && !sinDialogo && !Opciones.contains(QLatin1String("SinFormatoCampos")))
        cabecera = MensajeConfirmacion(
                       QStringLiteral("¿Desea incluir la definición del formato de los campos?")) ==
                   QLatin1String("SI");
    const bool marca = Detalle != nullptr;
    const int K = CamposClave(Tabla);
    Escritor w(f);
    Cambios cambios;
    const QList<bool> ocultos = Ocultos(Tabla), ocultosDetalle = Ocultos(Detalle);
    if (cabecera) {
        w.Linea(kCabecera + LineaPrincipal(Tabla, ocultos, K, marca, d, true, cambios));
        if (Detalle) w.Linea(kLinea + LineaDetalle(Detalle, ocultosDetalle, d, true, cambios));
    }
    {
        // A large result is written as it is read, not kept.
        TOnePass pasada(Tabla);
        // Disabled controls would also keep a detail dataset from following.
        TControlesInactivos inactivos(Detalle ? nullptr : Tabla);
        for (Tabla->First(); !Tabla->Eof() && !Tabla->IsEmpty(); Tabla->Next()) {
            w.Linea(LineaPrincipal(Tabla, ocultos, K, marca, d, false, cambios));
            if (!Detalle || !Detalle->Active()) continue;
            for (Detalle->First(); !Detalle->Eof() && !Detalle->IsEmpty(); Detalle->Next())
                w.Linea(LineaDetalle(Detalle, ocultosDetalle, d, false, cambios));
        }
    }
    w.Terminar();
    // The file keeps the Part's convention; what will not read back as it
    // was is told once.
    AvisarCambios(cambios, d);
    return true;
}

// ---------------------------------------------------------------- Excel

namespace {

const QString kCerrarExcel = QStringLiteral(
    "El proceso siguiente cerrará todas las hojas Excel que tenga abiertas en este momento. Debe "
    "guardar preeviamente estas hojas para no perder sus datos. ¿Desea continuar en cualquier "
    "caso?");

QList<TField*> CamposExportados(TDataSet* ds) {
    QList<TField*> out;
    if (!ds) return out;
    for (TField* f : ds->Fields())
        if (f->Tag() != 999 && !Oculto(f)) out.append(f);
    return out;
}

XlsxFormat FormatoTexto() {
    XlsxFormat f;
    f.numberFormat = QStringLiteral("@");
    f.horizontal = XlsxHAlign::Left;
    f.vertical = XlsxVAlign::Top;
    return f;
}

XlsxFormat FormatoNumero() {
    XlsxFormat f;
    f.horizontal = XlsxHAlign::Right;
    f.vertical = XlsxVAlign::Top;
    return f;
}

class Hoja {
public:
    Hoja(XlsxWorkbook& libro, TModuloDatos* modulo, bool numeros)
        : libro_(libro), modulo_(modulo), numeros_(numeros) {}

    void Titulos(int fila, const QList<TField*>& campos) {
        XlsxFormat negrita = FormatoTexto();
        negrita.bold = true;
        for (int c = 0; c < campos.size(); ++c)
            libro_.WriteString(0, fila, c, Titulo(campos[c]), negrita);
    }

    void Registro(int fila, const QList<TField*>& campos) {
        for (int c = 0; c < campos.size(); ++c) Celda(fila, c, campos[c]);
    }

    // Values longer than a cell holds, written cut: how many, and the first.
    int cortados = 0;
    QString primerCorte;

private:
    QString Titulo(const TField* f) const {
        QString t;
        Traducir(modulo_, PalabrasLegibles(f->FieldName()), QString(), QString(), t);
        return t;
    }

    void Texto(int fila, int col, const TField* f, const QString& valor) {
        if (libro_.WriteString(0, fila, col, valor, FormatoTexto()) || cortados++ > 0) return;
        primerCorte = QStringLiteral("columna «%1», fila %2").arg(Titulo(f)).arg(fila + 1);
    }

    void Celda(int fila, int col, const TField* f) {
        const TFieldType t = f->DataType();
        if (EsCampoHora(f)) {
            if (!f->IsNull()) Texto(fila, col, f, TextoCampoClave(f));
        } else if (t == ftDate || t == ftDateTime) {
            const QDateTime v = f->AsDateTime();
            if (!f->IsNull() && !IsZeroDate(v)) Texto(fila, col, f, DateToStr(v.date()));
        } else if (IsFloatType(t)) {
            if (f->IsNull()) return;
            if (numeros_ && std::isfinite(f->AsFloat()))
                libro_.WriteNumber(0, fila, col, f->AsFloat(), FormatoNumero());
            else
                Texto(fila, col, f, f->AsString().replace(u',', u'.'));
        } else if (t == ftMemo || t == ftFmtMemo) {
            Texto(fila, col, f, f->AsString().replace(kCRLF, QStringLiteral("\n")));
        } else {
            Texto(fila, col, f, f->AsString());
        }
    }

    XlsxWorkbook& libro_;
    TModuloDatos* modulo_;
    bool numeros_;
};

double AnchoColumna(const TField* f) {
    switch (f->DataType()) {
        case ftFloat:
        case ftCurrency:
        case ftBCD:
            return 15;
        case ftDateTime:
        case ftDate:
        case ftInteger:
        case ftSmallint:
            return 10;
        case ftString:
            return qMin(255, f->DisplayWidth());
        case ftMemo:
        case ftFmtMemo:
            return 40;
        default:
            return qQNaN();  // the sheet's own width
    }
}

}  // namespace

bool ExportarExcel(TModuloDatos* ModuloDatos, TDataSet* Tabla, TDataSet* Detalle,
                   const QString& ArchivoDefecto, const QString& Opciones) {
    const bool sinDialogo = Opciones.contains(QLatin1String("SinDialogo"));
    if (!Tabla || !Tabla->Active()) {
        if (!sinDialogo) MensajeAdvertencia(kInactiva);
        return false;
    }
    QString destino = ArchivoDefecto;
    if (!sinDialogo) {
        if (MensajeConfirmacion(kCerrarExcel) == QLatin1String("NO")) return false;
        TFileDialog* d = SaveDialog1(ModuloDatos);
        FiltroGuardado filtro(d);
        Traducir(ModuloDatos, QStringLiteral("Introducir el Nombre del Fichero de Excel"),
                 QString(), QString(), d->Title);
        Traducir(ModuloDatos,
                 QStringLiteral("Archivos Excel (*.xls)|*.XLS|Todos los Archivos (*.*)"), QString(),
                 QString(), d->Filter);
        d->FilterIndex = 1;
        d->FileName = ArchivoDefecto;
        if (!d->Execute()) return false;
        destino = d->FileName;
    }
    if (Detalle && !Detalle->Active()) Detalle = nullptr;
    TCursorEspera espera;
    bool titulos = true;
    if (!sinDialogo && !Opciones.contains(QLatin1String("SinFormatoCampos")))
        titulos = MensajeConfirmacion(
                      QStringLiteral("¿Desea incluir la definición del formato de los campos?")) !=
                  QLatin1String("NO");

    const QList<TField*> campos = CamposExportados(Tabla);
    const QList<TField*> lineas = CamposExportados(Detalle);
    // A result still being read from the engine may be of any size: its
    // rows go to the file as they are written, none kept.
    const auto* resultado = qobject_cast<TClientDataSet*>(Tabla);
    XlsxWorkbook libro(destino, resultado && resultado->RowsPending());
    QString motivo;
    Hoja hoja(libro, ModuloDatos, Detalle == nullptr);
    try {
        libro.AddSheet();
        const int columnas = int(qMax(campos.size(), lineas.size()));
        if (columnas > 0) libro.SetColumns(0, 0, columnas - 1, qQNaN(), FormatoTexto());
        // Without a detail dataset floats are numbers, and widths follow the types.
        if (!Detalle)
            for (int c = 0; c < campos.size(); ++c)
                libro.SetColumns(
                    0, c, c, AnchoColumna(campos[c]),
                    IsFloatType(campos[c]->DataType()) ? FormatoNumero() : FormatoTexto());
        TOnePass pasada(Tabla);
        TControlesInactivos inactivos(Detalle ? nullptr : Tabla);
        int fila = 0;
        if (!Detalle && titulos) {
            hoja.Titulos(0, campos);
            fila = 2;
        }
        for (Tabla->First(); !Tabla->Eof() && !Tabla->IsEmpty(); Tabla->Next()) {
            if (!Detalle) {
                hoja.Registro(fila++, campos);
                continue;
            }
            ++fila;
            if (titulos) {
                hoja.Titulos(fila, campos);
                fila += 2;
            }
            hoja.Registro(fila++, campos);
            ++fila;
            if (titulos) hoja.Titulos(fila++, lineas);
            for (Detalle->First(); !Detalle->Eof() && !Detalle->IsEmpty(); Detalle->Next())
                hoja.Registro(fila++, lineas);
        }
        libro.Save();
    } catch (const EOutputError& e) {
        motivo = e.Message();
    }
    if (!motivo.isEmpty()) {
        if (!sinDialogo)
            MensajeAdvertencia(QStringLiteral("¡No ha sido posible grabar el archivo!. Motivo: ") +
                               motivo);
        return false;
    }
    if (!sinDialogo) {
        // The workbook keeps what a cell holds of a longer value; told once.
        if (hoja.cortados > 0)
            MensajeAdvertencia(QStringLiteral("¡ %1 valor(es) tienen más de %2 caracteres, los que "
                                              "admite una celda de Excel, y se han grabado "
                                              "cortados (el primero en la %3) !")
                                   .arg(hoja.cortados)
                                   .arg(FormatFloat(QStringLiteral("#,##0"), XlsxMaxCellText))
                                   .arg(hoja.primerCorte));
        QString aviso;
        Traducir(ModuloDatos, QStringLiteral("El archivo ha sido guardado en $Fichero"),
                 QStringLiteral("Fichero=") + libro.FileName(), QString(), aviso);
        MensajeInformacion(aviso);
    }
    return true;
}
