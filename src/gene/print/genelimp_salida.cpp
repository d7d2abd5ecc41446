// The engine's output back-ends: raw text streams, documents from a Word
// model, the documents attached to every job, the attachments mode and bar
// codes. Documents go through LibreOffice and CUPS (genelimp_salida.h); raw
// streams go to the printer's queue as they are.

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <cmath>

#include "db/field.h"
#include "db/query.h"
#include "db/table.h"
#include "gene/data/geneclav.h"
#include "gene/data/genelog.h"
#include "gene/data/genemodu.h"
#include "gene/data/genemodu_nombres.h"
#include "gene/data/genemodu_sql.h"
#include "gene/data/genesali.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/mensajes.h"
#include "gene/print/barcd4.h"
#include "gene/print/genelimp.h"
#include "gene/print/genelimp_p.h"
#include "gene/print/genelimp_salida.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_programas.h"
#include "gene/session/sesion.h"
#include "io/modeldoc.h"
#include "io/paths.h"
#include "io/pdf.h"
#include "io/printqueue.h"
#include "io/textfile.h"
#include "ui/form.h"

namespace {

const QString kPrefijoPDF = QStringLiteral("PDF:");

void AvisoImpresora(const QString& motivo) {
    MensajeAdvertencia(
        QStringLiteral("No se ha podido enviar el impreso a la impresora. Motivo: ") + motivo);
}

// Without any printer nothing is sent: the warning says so.
bool HayImpresora() {
    if (!ImpresorasInstaladas().isEmpty()) return true;
    MensajeAdvertencia(QStringLiteral("¡No hay ninguna impresora instalada!"));
    return false;
}

// A raw stream into the file standing for the printer, else to its queue.
bool EnviarCrudo(const QString& archivo, const QString& cola, const QByteArray& datos) {
    QString motivo;
    const bool enviado = PrintRawTo(archivo, cola, datos, &motivo);
    if (!enviado) AvisoImpresora(motivo);
    return enviado;
}

// A printer's name as a queue: the default one for these.
QString Cola(const QString& nombre) {
    return nombre == QLatin1String("Ninguna") || nombre == QLatin1String("Predeterminada")
               ? QString()
               : nombre.trimmed();
}

// A document's PDF printed on a printer by name ("" the default one), or
// where the test seam sends it. "PDF:" answers of the seam gather the
// documents of the job into that file.
bool ImprimirPDF(const QString& pdf, const QString& impresora, QStringList& reunidos) {
    const QString destino = DestinoSeamImpreso(impresora);
    QString motivo;
    bool enviado = true;
    if (destino.startsWith(kPrefijoPDF)) {
        try {
            reunidos << pdf;
            JoinPdfFiles(reunidos, destino.mid(kPrefijoPDF.size()));
        } catch (const EOutputError& e) {
            enviado = false;
            motivo = e.Message();
        }
    } else if (destino.isEmpty() && !HayImpresora()) {
        return false;
    } else {
        enviado =
            SendFileToPrintQueue(destino.isEmpty() ? impresora : destino, pdf, false, &motivo);
    }
    if (!enviado) AvisoImpresora(motivo);
    return enviado;
}

// The fields of the current row as a model's placeholders take them: a
// field hidden from the user empty, as a drawn format prints it, so that its
// placeholder is neither filled nor left standing.
TCamposModelo CamposFila(TTable* tabla) {
    TCamposModelo campos;
    for (TField* campo : tabla->Fields())
        campos.append({campo->FieldName(), CampoVisible(campo) ? campo->Text() : QString()});
    return campos;
}

// A document named without a folder is looked for in the program's folder.
QString RutaDocumento(const QString& nombre) {
    const QString ruta = NativePath(nombre.trimmed());
    if (ruta.isEmpty() || QFileInfo(ruta).isAbsolute()) return ruta;
    return JoinPath(DirectorioPrograma, ruta);
}

}  // namespace

// The documents of one job made from models: each filled with a row's fields
// and turned into PDF in the engine's folder; then printed, or kept as PDF
// parts of a "PDF:" target. A failure stops the job with the Word warning and
// leaves no part of it behind.
class TDocumentosModelo {
public:
    TDocumentosModelo(TfGENELIMP* f, const QString& prefijo) : f_(f), prefijo_(prefijo) {
        if (!f->DestinoPDF()) impresora_ = ImpresoraDocumentos();
    }
    ~TDocumentosModelo() {
        for (const QString& p : reunidos_) QFile::remove(p);
    }

    bool Hacer(const QString& modelo, const TCamposModelo& campos) {
        QString motivo;
        if (modelo.trimmed().isEmpty())
            return Falla(QStringLiteral("no se ha indicado el documento modelo"));
        const QString origen = RutaDocumento(modelo);
        if (!QFileInfo(origen).isFile())
            return Falla(QStringLiteral("no existe el documento ") + origen);
        const QString copia = JoinPath(f_->CarpetaTrabajo(), QFileInfo(origen).fileName());
        const QString pdf = JoinPath(
            f_->CarpetaTrabajo(), prefijo_ + QString::number(++numero_) + QStringLiteral(".pdf"));
        const bool hecho =
            FillModelDocument(origen, copia, campos, &motivo) && DocumentoAPDF(copia, pdf, motivo);
        QFile::remove(copia);
        if (!hecho) return Falla(motivo);
        if (f_->DestinoPDF()) {
            f_->PartesPDF << pdf;
            partes_ << pdf;
            return true;
        }
        const bool impreso = ImprimirPDF(pdf, impresora_, reunidos_);
        if (!reunidos_.contains(pdf)) QFile::remove(pdf);
        if (!impreso) fallado_ = true;
        return impreso;
    }

    bool Fallado() const { return fallado_; }

private:
    // The printer in use, else the one the job names, else the default.
    QString ImpresoraDocumentos() const {
        QString nombre = f_->ImpresoraEnUso;
        if (nombre == QLatin1String("Ninguna")) nombre = f_->DestinoImpreso;
        if (nombre.isEmpty() && f_->Impreso->Active() && !f_->Impreso->IsEmpty())
            if (TField* campo = f_->Impreso->FindField(QStringLiteral("ImpresoraPorDefecto")))
                nombre = campo->AsString();
        return Cola(nombre);
    }

    bool Falla(const QString& motivo) {
        for (const QString& p : std::as_const(partes_)) {
            f_->PartesPDF.removeAll(p);
            QFile::remove(p);
        }
        partes_.clear();
        fallado_ = true;
        MensajeAdvertencia(TextoErrorWord(motivo));
        return false;
    }

    TfGENELIMP* f_;
    QString prefijo_;
    QString impresora_;
    int numero_ = 0;
    QStringList partes_;
    QStringList reunidos_;
    bool fallado_ = false;
};

// The print dialog and the waits for LibreOffice and CUPS run with the form
// busy, so that it refuses to close meanwhile.

void TfGENELIMP::ImprimirASCII() {
    const TBusyForm ocupado(this);
    TPrintDialog* dialogo = PrintDialog1(ModuloDatos);
    if (!dialogo->Execute()) return;
    QByteArray flujo;
    if (Temporal->Active()) {
        TField* texto = Temporal->FindField(QStringLiteral("StreamASCII"));
        for (Temporal->First(); texto && !Temporal->Eof(); Temporal->Next())
            flujo += EncodeText(texto->AsString(), TextEncoding::Windows1252);
    }
    // The test seam may name another printer, or a file standing for it.
    const QPrinter& impresora = dialogo->Printer();
    const QString destino = DestinoSeamImpreso(impresora.printerName());
    ImpresoraEnUso =
        destino.isEmpty() || destino.startsWith(kPrefijoPDF) ? impresora.printerName() : destino;
    const QString archivo = destino.startsWith(kPrefijoPDF) ? destino.mid(kPrefijoPDF.size())
                            : destino.isEmpty()             ? impresora.outputFileName()
                                                            : QString();
    if (flujo.isEmpty() || (archivo.isEmpty() && destino.isEmpty() && !HayImpresora())) return;
    EnviarCrudo(archivo, Cola(ImpresoraEnUso), flujo);
}

bool TfGENELIMP::EnviarFlujoTexto() {
    if (FlujoTexto.isEmpty() || !ImpresoraTrabajo) return false;
    // The job's printer as set up (a file, or a queue that Qt may not know
    // by name: then the printer in use names it).
    const QString nombre = ImpresoraTrabajo->printerName();
    return EnviarCrudo(ImpresoraTrabajo->outputFileName(),
                       nombre.isEmpty() ? Cola(ImpresoraEnUso) : nombre, FlujoTexto);
}

void TfGENELIMP::ImprimirMSWord() {
    const TBusyForm ocupado(this);
    if (!Temporal->Active()) return;
    const QString modelo = ValorLineaPrograma(QStringLiteral("DocumentoModelo"));
    TDocumentosModelo documentos(this, QStringLiteral("Word"));
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next())
        if (!documentos.Hacer(modelo, CamposFila(Temporal))) return;
}

void TfGENELIMP::ImprimirDocumentosAdjuntos() {
    const TBusyForm ocupado(this);
    const QString lista = ValorLineaPrograma(QStringLiteral("DocumentosAdjuntos"));
    if (lista.trimmed().isEmpty() || lista == QLatin1String("Auto") || !Temporal->Active()) return;
    const QStringList elementos = lista.split(QLatin1Char(','), Qt::SkipEmptyParts);
    TDocumentosModelo documentos(this, QStringLiteral("Adjunto"));
    for (Temporal->First(); !Temporal->Eof(); Temporal->Next()) {
        for (const QString& elemento : elementos) {
            // prefix + "Camp=" + field + "." + extension: the path takes the row's value.
            QString ruta = elemento;
            const qsizetype camp = elemento.indexOf(QLatin1String("Camp="));
            if (camp >= 0) {
                const QString resto = elemento.mid(camp + 5);
                const qsizetype punto = resto.indexOf(QLatin1Char('.'));
                // A hidden value would choose the document and stand in its
                // path, in a warning too: such an item gives none.
                TField* campo =
                    CampoVisible(Temporal->FindField(punto < 0 ? resto : resto.left(punto)));
                if (!campo) continue;
                ruta = elemento.left(camp) + campo->Text() +
                       (punto < 0 ? QString() : resto.mid(punto));
            }
            if (!documentos.Hacer(ruta, CamposFila(Temporal))) return;
        }
    }
}

// Each base record's document followed by the files kept for it in BLOBTAB:
// printed on the printer chosen once, or gathered into the "PDF:" target.
void TfGENELIMP::ImprimirConAdjuntos() {
    const TBusyForm ocupado(this);
    if (!Temporal->Active()) return;
    // Owner table ">" the Temporal columns that name a base record.
    const QString conexion = ValorLineaPrograma(QStringLiteral("ConexionDocumentosAdjuntos"));
    const qsizetype mayor = conexion.indexOf(QLatin1Char('>'));
    const QString propietario = conexion.left(mayor).trimmed();
    QStringList campos;
    for (const QString& c : conexion.mid(mayor + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        campos << c.trimmed();
    bool validos = mayor > 0 && !propietario.isEmpty() && !campos.isEmpty();
    for (const QString& c : std::as_const(campos))
        if (!Temporal->FindField(c)) validos = false;
    if (!validos) {
        MensajeAdvertencia(
            QStringLiteral("¡La conexión de los documentos adjuntos no es válida! (") + conexion +
            QLatin1Char(')'));
        return;
    }

    TQuery registros;
    registros.setRequestLive(false);
    registros.setDatabaseName(Temporal->DatabaseName());
    registros.SQL().setText(QStringLiteral("SELECT ") + campos.join(QLatin1Char(',')) +
                            QStringLiteral(" FROM ") + Temporal->TableName() +
                            QStringLiteral("   ORDER BY ") + campos.join(QLatin1Char(',')));
    if (!AbrirConsulta(ModuloDatos, &registros, QStringLiteral("Open"))) return;

    const bool pdf = DestinoPDF();
    QList<QVariant> buscados;
    Temporal->OnFilterRecord = [&](TDataSet* ds, bool& aceptar) {
        for (int i = 0; i < campos.size() && aceptar; ++i)
            aceptar = ds->FieldByName(campos[i])->Value() == buscados.value(i);
    };
    struct Restaurar {
        TTable* t;
        ~Restaurar() {
            t->setFiltered(false);
            t->OnFilterRecord = nullptr;
        }
    } restaurar{Temporal};

    int n = 0;
    for (; !registros.Eof() && !ListadoCancelado; registros.Next(), ++n) {
        buscados.clear();
        for (const QString& c : std::as_const(campos))
            buscados << registros.FieldByName(c)->Value();
        Temporal->setFiltered(false);
        Temporal->setFiltered(true);
        Temporal->First();
        PrimeraEtiqueta = 1;
        Dispositivo = pdf ? Pantalla : Impresora;
        GenerarImpreso();
        if (pdf) {
            ImpresoraEnUso = DestinoImpreso;
            if (!Paginas.empty()) {
                const QString parte =
                    JoinPath(CarpetaTrabajo(), QStringLiteral("Registro%1.pdf").arg(n));
                const QString error = EscribirPaginasPDF(parte);
                if (error.isEmpty())
                    PartesPDF << parte;
                else
                    AvisoErrorPDF(error);
            }
            Paginas.clear();
            ClavesPaginas.clear();
            DescripcionesPaginas.clear();
        }
        // A print dialog cancelled at the first record prints nothing at all.
        if (ImpresoraEnUso == QLatin1String("Ninguna")) break;

        QStringList valores;
        for (const QString& c : std::as_const(campos))
            valores << TextoCampoClave(Temporal->FieldByName(c));
        const QString clave = valores.join(QLatin1Char('|'));
        TQuery objetos;
        objetos.setRequestLive(false);
        objetos.setDatabaseName(NombreBaseDatosSelector(QStringLiteral("Database")));
        QString tabla;
        NombreTablaFisico(ModuloDatos, QStringLiteral("BLOBTAB"), tabla);
        objetos.SQL().setText(QStringLiteral("SELECT IdObjeto FROM ") + tabla +
                              QStringLiteral(" WHERE NombreTabla = :NombreTabla AND ClaveTabla = "
                                             ":ClaveTabla ORDER BY IdObjeto"));
        objetos.ParamByName(QStringLiteral("NombreTabla"))->setAsString(propietario);
        objetos.ParamByName(QStringLiteral("ClaveTabla"))->setAsString(clave);
        if (AbrirConsulta(ModuloDatos, &objetos, QStringLiteral("Open"))) {
            for (int adjunto = 0; !objetos.Eof(); objetos.Next(), ++adjunto) {
                const QString id = objetos.FieldByName(QStringLiteral("IdObjeto"))->AsString();
                QString tipo, archivo;
                TipoObjetoBLOB(ModuloDatos, propietario, clave, id, tipo);
                tipo = tipo.trimmed().toUpper();
                if (tipo != QLatin1String("DOC") && tipo != QLatin1String("PDF")) continue;
                ExtraerObjetoBLOB(ModuloDatos, propietario, clave, id, archivo);
                if (archivo.isEmpty()) continue;
                if (!pdf) {
                    ImprimirDocumentoExterno(fGENEINIC, archivo, ImpresoraEnUso, tipo);
                } else {
                    const QString parte = JoinPath(
                        CarpetaTrabajo(), QStringLiteral("Adjunto%1_%2.pdf").arg(n).arg(adjunto));
                    QString motivo;
                    if (DocumentoAPDF(archivo, parte, motivo))
                        PartesPDF << parte;
                    else
                        AvisoErrorPDF(motivo);
                }
                QFile::remove(archivo);
            }
        }
        OmitirDialogoImpresora = true;
        DestinoImpreso = ImpresoraEnUso;
    }
    if (pdf) UnirPartesPDF();
}

void TfGENELIMP::DibujarCodigoBarras(const QRect& Rect, const QString& Valor,
                                     const QString& Simbologia, double Aumento,
                                     const QString& Giro) {
    if (!Lienzo || Rect.width() <= 0 || Rect.height() <= 0) return;
    auto* codigo = findChild<TPrintBarcode*>(QStringLiteral("PrintBarcode1"));
    if (!codigo) {
        codigo = new TPrintBarcode(this);
        codigo->setObjectName(QStringLiteral("PrintBarcode1"));
        codigo->hide();
    }
    static const QList<QPair<QString, TBarCodeType>> tipos{
        {QStringLiteral("EAN8"), TBarCodeType::EAN8},
        {QStringLiteral("EAN13"), TBarCodeType::EAN13},
        {QStringLiteral("EAN128"), TBarCodeType::EAN128},
        {QStringLiteral("Code39"), TBarCodeType::Code39},
        {QStringLiteral("Code128"), TBarCodeType::Code128},
        {QStringLiteral("Interleaved2OF5"), TBarCodeType::Interleaved2Of5},
        {QStringLiteral("UPCA"), TBarCodeType::EAN13}};
    TBarCodeType tipo = TBarCodeType::EAN13;
    for (const auto& [nombre, t] : tipos)
        if (nombre == Simbologia) tipo = t;
    const bool upca = Simbologia == QLatin1String("UPCA");
    codigo->setBarCodeType(tipo);
    codigo->setAutoPosition(false);
    codigo->setAutoSizing(upca);
    codigo->setMagnification(Aumento);
    codigo->setText(upca ? QLatin1Char('0') + Valor : Valor);

    // Drawn straight at the target's resolution: the printer's own, or the
    // page pictures' pixels per inch.
    const bool cuarto = Giro == QLatin1String("Girar+90") || Giro == QLatin1String("Girar-90");
    codigo->setGeometry(0, 0, cuarto ? Rect.height() : Rect.width(),
                        cuarto ? Rect.width() : Rect.height());
    const bool impresora = ImpresoraTrabajo && Lienzo->device() == ImpresoraTrabajo;
    const int resolucion =
        impresora || AnchoPapel <= 0 ? 0 : int(std::lround(AnchoPixels * 25.4 / AnchoPapel));

    Lienzo->save();
    Lienzo->setClipRect(Rect, Qt::IntersectClip);
    if (Giro == QLatin1String("Girar+90")) {
        Lienzo->translate(Rect.left(), Rect.bottom() + 1);
        Lienzo->rotate(-90);
    } else if (Giro == QLatin1String("Girar-90")) {
        Lienzo->translate(Rect.right() + 1, Rect.top());
        Lienzo->rotate(90);
    } else if (Giro == QLatin1String("Girar180")) {
        Lienzo->translate(Rect.right() + 1, Rect.bottom() + 1);
        Lienzo->rotate(180);
    } else {
        Lienzo->translate(Rect.topLeft());
    }
    codigo->DibujarCodigoBarras(Lienzo, resolucion);
    Lienzo->restore();
}
