#include "gene/data/genesali_dialogos.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QIdentityProxyModel>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include "gene/data/genemodu.h"
#include "io/paths.h"

namespace {

const QLocale& Espanol() {
    static const QLocale espanol(QLocale::Spanish, QLocale::Spain);
    return espanol;
}

// The kind of each entry as the Spanish desktop names it. Asked from the
// dialog's own reading thread: it reads nothing shared.
class TiposEnEspanol : public QFileIconProvider {
public:
    QString type(const QFileInfo& Info) const override {
        if (Info.isRoot()) return QStringLiteral("Unidad");
        if (Info.isDir()) return QStringLiteral("Carpeta");
        const QString extension = Info.suffix().toUpper();
        return extension.isEmpty() ? QStringLiteral("Archivo")
                                   : QStringLiteral("Archivo ") + extension;
    }
};

// Sizes and dates written with Spanish conventions; the rest as the file
// system model gives it.
class ListaEnEspanol : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& Indice, int Rol) const override {
        auto* modelo = qobject_cast<QFileSystemModel*>(sourceModel());
        if (Rol != Qt::DisplayRole || !modelo || (Indice.column() != 1 && Indice.column() != 3))
            return QIdentityProxyModel::data(Indice, Rol);
        const QModelIndex origen = mapToSource(Indice);
        if (Indice.column() == 3)
            return Espanol().toString(modelo->lastModified(origen), QLocale::ShortFormat);
        if (modelo->isDir(origen)) return QString();
        return Espanol().formattedDataSize(modelo->size(origen), 1,
                                           QLocale::DataSizeTraditionalFormat);
    }
};

TSeamDialogo& seam() {
    static TSeamDialogo s;
    return s;
}

// The dialogs' owner: the data module, or a holder of their own while there
// is none.
QObject* Dueno(TModuloDatos* ModuloDatos) {
    if (ModuloDatos) return ModuloDatos;
    static QObject* sinModulo = new QObject;
    return sinModulo;
}

template <class D, class... Args>
D* Dialogo(TModuloDatos* ModuloDatos, const char* nombre, Args... args) {
    QObject* dueno = Dueno(ModuloDatos);
    const QString n = QLatin1String(nombre);
    if (auto* d = dueno->findChild<D*>(n, Qt::FindDirectChildrenOnly)) return d;
    auto* d = new D(args..., dueno);
    d->setObjectName(n);
    return d;
}

// "Desc|*.A|Desc 2|*.B;*.C" as Qt's name filters, one per pair.
QStringList FiltrosQt(const QString& Filtro) {
    QStringList out;
    const QStringList partes = Filtro.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < partes.size(); i += 2) {
        QString patron = partes.value(i + 1);
        if (patron.isEmpty()) {
            // A last description without its pattern: the one in its parentheses.
            const qsizetype a = partes[i].indexOf(QLatin1Char('('));
            const qsizetype b = partes[i].lastIndexOf(QLatin1Char(')'));
            if (a < 0 || b <= a) continue;
            patron = partes[i].mid(a + 1, b - a - 1);
        }
        QStringList patrones;
        for (QString p : patron.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            patrones.append(p);
            // Names on Linux keep their case: both spellings are offered.
            if (p.toLower() != p) patrones.append(p.toLower());
        }
        QString descripcion = partes[i];
        const qsizetype abre = descripcion.indexOf(QLatin1Char('('));
        if (abre > 0) descripcion = descripcion.left(abre).trimmed();
        out.append(descripcion + QStringLiteral(" (") + patrones.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
    }
    return out;
}

}  // namespace

void DialogoArchivosEnEspanol(QFileDialog& Dialogo) {
    Dialogo.setOption(QFileDialog::DontUseNativeDialog, true);
    Dialogo.setLocale(Espanol());
    // One for every dialog: the model's reading thread may still ask it
    // while a dialog goes.
    static TiposEnEspanol tipos;
    Dialogo.setIconProvider(&tipos);
    Dialogo.setProxyModel(new ListaEnEspanol(&Dialogo));
}

TFileDialog::TFileDialog(Tipo tipo, QObject* parent) : QObject(parent), tipo_(tipo) {}

bool TFileDialog::Execute() {
    if (seam()) return seam()(this);
    QFileDialog d(nullptr, Title);
    DialogoArchivosEnEspanol(d);
    d.setAcceptMode(tipo_ == Guardar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    d.setFileMode(tipo_ == Guardar ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filtros = FiltrosQt(Filter);
    if (!filtros.isEmpty()) {
        d.setNameFilters(filtros);
        d.selectNameFilter(filtros.value(qBound(1, FilterIndex, int(filtros.size())) - 1));
    }
    if (!FileName.isEmpty()) d.selectFile(NativePath(FileName));
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
    FileName = NativePath(d.selectedFiles().constFirst());
    const qsizetype i = filtros.indexOf(d.selectedNameFilter());
    if (i >= 0) FilterIndex = int(i) + 1;
    return true;
}

TPrintDialog::TPrintDialog(QObject* parent)
    : QObject(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

TPrintDialog::~TPrintDialog() = default;

bool TPrintDialog::Execute() {
    printer_->setFromTo(0, 0);
    FromPage = ToPage = 0;
    printer_->setCopyCount(qMax(1, Copies));
    if (seam()) return seam()(this);
    QPrintDialog d(printer_.get());
    d.setOption(QAbstractPrintDialog::PrintToFile, true);
    d.setOption(QAbstractPrintDialog::PrintPageRange, true);
    d.setMinMax(MinPage, qMax(MinPage, MaxPage));
    if (d.exec() != QDialog::Accepted) return false;
    FromPage = printer_->fromPage();
    ToPage = printer_->toPage();
    Copies = printer_->copyCount();
    return true;
}

TFontDialog::TFontDialog(QObject* parent) : QObject(parent) {}

bool TFontDialog::Execute() {
    if (seam()) return seam()(this);
    bool aceptado = false;
    const QFont elegida = QFontDialog::getFont(&aceptado, Font, nullptr);
    if (aceptado) Font = elegida;
    return aceptado;
}

TFileDialog* SaveDialog1(TModuloDatos* ModuloDatos) {
    return Dialogo<TFileDialog>(ModuloDatos, "SaveDialog1", TFileDialog::Guardar);
}

TFileDialog* OpenDialog1(TModuloDatos* ModuloDatos) {
    return Dialogo<TFileDialog>(ModuloDatos, "OpenDialog1", TFileDialog::Abrir);
}

TPrintDialog* PrintDialog1(TModuloDatos* ModuloDatos) {
    return Dialogo<TPrintDialog>(ModuloDatos, "PrintDialog1");
}

TFontDialog* FontDialog1(TModuloDatos* ModuloDatos) {
    return Dialogo<TFontDialog>(ModuloDatos, "FontDialog1");
}

bool ImprimirImagenFormulario(TModuloDatos* ModuloDatos, QWidget* Formulario, bool AjustarPagina) {
    TPrintDialog* dialogo = PrintDialog1(ModuloDatos);
    // The window may have gone while the dialog was open.
    const QPointer<QWidget> ventana(Formulario);
    if (!Formulario || !dialogo->Execute() || !ventana) return false;
    QPrinter& impresora = dialogo->Printer();
    const QPixmap imagen = Formulario->grab();
    const QRect pagina = impresora.pageLayout().paintRectPixels(impresora.resolution());
    if (imagen.isNull() || pagina.isEmpty()) return false;
    double escala;
    if (AjustarPagina) {
        escala = std::min(double(pagina.width()) / imagen.width(),
                          double(pagina.height()) / imagen.height());
    } else {
        // The size it has on screen, cut to the page rather than spread over several.
        const QScreen* pantalla = Formulario->screen();
        const double ppp = pantalla ? pantalla->logicalDotsPerInch() : 96.0;
        escala = impresora.resolution() / (ppp > 0 ? ppp : 96.0);
    }
    QPainter lienzo;
    if (!lienzo.begin(&impresora)) return false;
    lienzo.scale(escala, escala);
    lienzo.drawPixmap(0, 0, imagen);
    return lienzo.end();
}

void AsignarSeamDialogos(TSeamDialogo s) {
    seam() = std::move(s);
}
