#include "gene/data/genesali.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVariant>
#include <exception>
#include <memory>

#include "db/dberror.h"
#include "db/table.h"
#include "gene/data/genemodu.h"
#include "gene/data/genesali_dialogos.h"
#include "gene/data/genesist.h"
#include "gene/data/mensajes.h"
#include "gene/listings/geneprog.h"
#include "gene/session/geneinic.h"
#include "gene/session/geneinic_conexion.h"
#include "gene/session/sesion.h"
#include "io/outputfile.h"
#include "io/printqueue.h"
#include "report/quickrep.h"

TGanchoMostrarGrafico GanchoMostrarGrafico = nullptr;

namespace {

std::function<QStringList()>& seamNombres() {
    static std::function<QStringList()> f;
    return f;
}

std::function<bool(QPrinter&, const QString&)>& seamPreparar() {
    static std::function<bool(QPrinter&, const QString&)> f;
    return f;
}

// Tells the report's end once when the scope ends, unless a run or print
// told it already.
class AvisoFinInforme {
public:
    explicit AvisoFinInforme(TQuickRep* informe)
        : informe_(informe), original_(informe->AfterPrint), avisado_(std::make_shared<bool>()) {
        informe->AfterPrint = [o = original_, a = avisado_](QObject* Sender) {
            *a = true;
            if (o) o(Sender);
        };
    }
    ~AvisoFinInforme() {
        informe_->AfterPrint = original_;
        if (*avisado_ || !original_) return;
        try {
            original_(informe_);
        } catch (...) {  // an end handler failing cannot undo the print
        }
    }
    AvisoFinInforme(const AvisoFinInforme&) = delete;
    AvisoFinInforme& operator=(const AvisoFinInforme&) = delete;

private:
    TQuickRep* informe_;
    TQRNotifyEvent original_;
    std::shared_ptr<bool> avisado_;
};

QPageLayout DisposicionPDF(const QString& Papel) {
    QPageSize::PageSizeId tamano = QPageSize::A4;
    if (Papel.startsWith(QLatin1String("A5"))) tamano = QPageSize::A5;
    if (Papel.startsWith(QLatin1String("A3"))) tamano = QPageSize::A3;
    const bool apaisado = Papel.endsWith(QLatin1String("-Apaisado"));
    return QPageLayout(QPageSize(tamano), apaisado ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

bool ImprimirPDF(TQuickRep* Informe, const QString& Destino) {
    QString ruta = Destino.mid(4);
    const qsizetype otro = ruta.indexOf(QLatin1String("PDF:"));
    if (otro >= 0) ruta.truncate(otro);
    // The pages previewed are written as they are; without them the run
    // draws its pages straight into the file, on the paper its start chose.
    QString razon;
    if (Informe->PrintToPdf(
            ruta, [Informe] { return DisposicionPDF(PapelPDF(Informe)); }, &razon))
        return true;
    if (Informe->QRPrinter()->PageCount() == 0) return false;
    MensajeAdvertencia(
        QStringLiteral("Se ha producido un error al generar el archivo PDF. Motivo: ") +
        QStringLiteral("No se puede escribir el archivo ") + ruta +
        (razon.isEmpty() ? QString() : QStringLiteral(" (") + razon + QLatin1Char(')')));
    return false;
}

}  // namespace

QString TextoExcepcion(std::exception_ptr Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const EDatabaseError& x) {
        return MotivoError(x);
    } catch (const EOutputError& x) {
        return x.Message();
    } catch (const std::exception& x) {
        return QString::fromUtf8(x.what());
    } catch (...) {
    }
    return QString();
}

QString ParametroGeneral(TModuloDatos* ModuloDatos, const QString& Campo) {
    TTable* p = ModuloDatos ? ModuloDatos->ParamGenerales : nullptr;
    if (!p || !p->Active()) return QString();
    TField* f = p->FindField(Campo);
    return f ? f->AsString() : QString();
}

bool ImprimirInforme(TModuloDatos* ModuloDatos, TQuickRep* Informe, const QString& Destino) {
    if (!Informe) return false;
    AvisoFinInforme fin(Informe);
    if (Destino.startsWith(QLatin1String("PDF:"))) return ImprimirPDF(Informe, Destino);
    if (!Destino.isEmpty()) {
        for (const QString& nombre : ImpresorasInstaladas()) {
            if (!nombre.contains(Destino)) continue;
            QPrinter impresora(QPrinter::HighResolution);
            if (!PrepararImpresora(impresora, nombre)) return false;
            Informe->PrinterSettings.PrinterName = nombre;
            return ImprimirInformeEn(Informe, impresora);
        }
        return false;
    }
    if (ParametroGeneral(ModuloDatos, QStringLiteral("SolicitarDialogoImpresora")) ==
        QLatin1String("NO")) {
        QPrinter impresora(QPrinter::HighResolution);
        if (!PrepararImpresora(impresora, Informe->PrinterSettings.PrinterName)) return false;
        return ImprimirInformeEn(Informe, impresora);
    }
    if (!DialogoImpresora(ModuloDatos, Informe)) return false;
    return ImprimirInformeEn(Informe, PrintDialog1(ModuloDatos)->Printer());
}

bool DialogoImpresora(TModuloDatos* ModuloDatos, TQuickRep* Informe) {
    TPrintDialog* d = PrintDialog1(ModuloDatos);
    d->Copies = qMax(1, Informe->PrinterSettings.Copies);
    d->MaxPage =
        qMax(1, Informe->QRPrinter()->PageCount() > 0 ? Informe->QRPrinter()->PageCount() : 9999);
    if (!d->Execute()) return false;
    Informe->PrinterSettings.PrinterName = d->Printer().printerName();
    Informe->PrinterSettings.Copies = qMax(1, d->Copies);
    Informe->PrinterSettings.FirstPage = d->FromPage;
    Informe->PrinterSettings.LastPage = d->ToPage;
    return true;
}

void VentanaProgreso(TModuloDatos* ModuloDatos, const QString& Modo, const QString& Titulo,
                     const QString& Extra, const QString& Texto) {
    CrearSesion()->MostrarVentanaProgreso(Modo, Titulo, Texto);
}

void TituloEmpresaListados(TModuloDatos* ModuloDatos, QString& Titulo) {
    Titulo = NombreEmpresaActual;
}

void MostrarGrafico(TModuloDatos* ModuloDatos, const QString& Parametros, const QString& Series) {
    if (GanchoMostrarGrafico) GanchoMostrarGrafico(Parametros, Series);
}

void CapturarIncidencia(TModuloDatos* ModuloDatos, const QString& Texto1, const QString& Texto2,
                        const QVariant& Extra) {}

QString PapelPDF(const TQuickRep* Informe) {
    QString papel = QStringLiteral("A4");
    if (Informe->Page.PaperSize == TQRPaperSize::A5) papel = QStringLiteral("A5");
    if (Informe->Page.PaperSize == TQRPaperSize::A3) papel = QStringLiteral("A3");
    if (Informe->Page.Orientation == poLandscape) papel += QStringLiteral("-Apaisado");
    return papel;
}

QString CrearPDF(const QString& Archivos, const QString& Papel) {
    const qsizetype barra = Archivos.indexOf(u'|');
    if (barra <= 0) return QStringLiteral("No se ha indicado el archivo PDF");
    const QString ruta = Archivos.left(barra);
    const QString prefijo = Archivos.mid(barra + 1);
    QList<QPicture> paginas;
    for (int n = 1;; ++n) {
        const QString archivo = prefijo + QString::number(n) + ".pic";
        if (!QFile::exists(archivo)) break;
        QPicture p;
        if (!p.load(archivo)) return QStringLiteral("No se puede leer la página ") + archivo;
        paginas.append(p);
    }
    if (paginas.isEmpty()) return QStringLiteral("No hay páginas que escribir");

    // Written beside the target and renamed over it: a failure leaves no half file.
    TOutputFile archivo(ruta);
    if (!archivo.open(QIODevice::WriteOnly))
        return QStringLiteral("No se puede escribir el archivo ") + ruta + QStringLiteral(" (") +
               archivo.errorString() + QLatin1Char(')');
    {
        QPdfWriter pdf(&archivo);
        pdf.setPageLayout(DisposicionPDF(Papel));
        pdf.setCreator(QStringLiteral("Recursos Humanos"));
        QPainter painter;
        if (!painter.begin(&pdf)) return QStringLiteral("No se puede escribir el archivo ") + ruta;
        for (qsizetype i = 0; i < paginas.size(); ++i) {
            if (i > 0) pdf.newPage();
            const QPicture& p = paginas[i];
            // Pages are drawn in 1/960 inch; playing a picture also scales it
            // from the resolution it was recorded at, which is undone here.
            painter.save();
            const double escala = double(pdf.resolution()) / kQRPictureUnitsPerInch;
            painter.scale(escala * p.logicalDpiX() / pdf.logicalDpiX(),
                          escala * p.logicalDpiY() / pdf.logicalDpiY());
            painter.drawPicture(0, 0, p);
            painter.restore();
        }
        if (!painter.end()) return QStringLiteral("No se puede escribir el archivo ") + ruta;
    }
    if (!archivo.Commit())
        return QStringLiteral("No se puede escribir el archivo ") + ruta + QStringLiteral(" (") +
               archivo.errorString() + QLatin1Char(')');
    return QString();
}

QStringList ImpresorasInstaladas() {
    if (seamNombres()) return seamNombres()();
    return QPrinterInfo::availablePrinterNames();
}

bool PrepararImpresora(QPrinter& Impresora, const QString& Nombre) {
    // A printer is named as the system lists it, letter case ignored.
    QString nombre = Nombre;
    if (!nombre.isEmpty())
        for (const QString& instalada : ImpresorasInstaladas())
            if (instalada.compare(Nombre, Qt::CaseInsensitive) == 0) {
                nombre = instalada;
                break;
            }
    if (seamPreparar()) return seamPreparar()(Impresora, nombre);
    if (!nombre.isEmpty()) {
        Impresora.setPrinterName(nombre);
        // An unknown name leaves the printer on the default one: never print
        // on a printer nobody chose.
        if (Impresora.printerName() != nombre) return false;
    }
    return Impresora.isValid() && Impresora.outputFormat() == QPrinter::NativeFormat;
}

void AsignarSeamImpresoras(std::function<QStringList()> Nombres,
                           std::function<bool(QPrinter&, const QString&)> Preparar) {
    seamNombres() = std::move(Nombres);
    seamPreparar() = std::move(Preparar);
}

void AvisarArchivoNoGrabado(const QString& Archivo, const QString& Motivo) {
    MensajeAdvertencia(QStringLiteral("¡No es posible grabar el archivo ") + Archivo +
                       QStringLiteral("!. Motivo: ") + Motivo);
}

bool ArchivoImpresoGrabado(TPrinterFile& Archivo) {
    QString motivo;
    if (Archivo.Commit(&motivo)) return true;
    AvisarArchivoNoGrabado(Archivo.Target(), motivo);
    return false;
}

bool ImprimirInformeEn(TQuickRep* Informe, QPrinter& Impresora) {
    if (Informe->PrinterSettings.OutputBin == 0) Impresora.setPaperSource(QPrinter::Auto);
    TPrinterFile archivo(Impresora);
    return Informe->Print(Impresora) && ArchivoImpresoGrabado(archivo);
}

bool ImprimirPaginasInforme(TQuickRep* Informe, int Desde, int Hasta) {
    if (!Informe) return false;
    AvisoFinInforme fin(Informe);
    QPrinter impresora(QPrinter::HighResolution);
    if (!PrepararImpresora(impresora, Informe->PrinterSettings.PrinterName)) return false;
    TPrinterFile archivo(impresora);
    return Informe->QRPrinter()->Print(impresora, Desde, Hasta, Informe->PrinterSettings.Copies) &&
           ArchivoImpresoGrabado(archivo);
}
