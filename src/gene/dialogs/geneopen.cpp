#include "gene/dialogs/geneopen.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "gene/session/geneform.h"
#include "gene/session/geneinic.h"
#include "gene/dialogs/genevtex.h"
#include "gene/data/mensajes.h"
#include "io/paths.h"
#include "ui/controls.h"

TfGENEOPEN::TfGENEOPEN(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("fGENEOPEN"));
    setCaption(QStringLiteral("Abrir"));
    setFormStyle(fsStayOnTop);
    setPosition(poMainFormCenter);
    resize(302, 404);

    auto* raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    PanelTitulo = new TPanel(this);
    PanelTitulo->setObjectName(QStringLiteral("PanelTitulo"));
    auto* capaTitulo = new QVBoxLayout(PanelTitulo);
    Titulo = new TLabel(PanelTitulo);
    Titulo->setObjectName(QStringLiteral("Titulo"));
    Titulo->setAlignment(taCentered);
    Titulo->setWordWrap(true);
    capaTitulo->addWidget(Titulo);
    raiz->addWidget(PanelTitulo);

    modelo_ = new QFileSystemModel(this);
    modelo_->setReadOnly(true);
    ShellTreeView = new QTreeView(this);
    ShellTreeView->setObjectName(QStringLiteral("ShellTreeView"));
    ShellTreeView->setModel(modelo_);
    ShellTreeView->setRootIsDecorated(false);
    ShellTreeView->setHeaderHidden(true);
    for (int c = 1; c < modelo_->columnCount(); ++c) ShellTreeView->hideColumn(c);
    raiz->addWidget(ShellTreeView, 1);
    TiposObjeto(true, true, false);

    pbAceptar = CrearBotonDialogo(this, QStringLiteral("pbAceptar"), QStringLiteral("&Aceptar"),
                                  QString(), mrOk);
    pbAceptar->setDefault(true);
    Panel2 = CrearPanelCentrado(this, QStringLiteral("Panel2"), {pbAceptar});
    raiz->addWidget(Panel2);

    OnShow = [this](QObject*) {
        if (fGENEINIC) TraducirFormulario(fGENEINIC, this, QString());
    };
}

bool TfGENEOPEN::EstablecerRaiz(const QString& Ruta, QString& Motivo) {
    const QString ruta = Ruta.isEmpty() ? QDir::homePath() : NativePath(Ruta);
    const QFileInfo info(ruta);
    if (!info.exists()) {
        Motivo = QStringLiteral("No existe la carpeta");
        return false;
    }
    if (!info.isDir() || !info.isReadable()) {
        Motivo = QStringLiteral("No es una carpeta accesible");
        return false;
    }
    raiz_ = info.absoluteFilePath();
    ShellTreeView->setRootIndex(modelo_->setRootPath(raiz_));
    return true;
}

void TfGENEOPEN::TiposObjeto(bool Carpetas, bool Archivos, bool Ocultos) {
    QDir::Filters filtros = QDir::NoDotAndDotDot;
    if (Carpetas) filtros |= QDir::AllDirs;
    if (Archivos) filtros |= QDir::Files;
    if (Ocultos) filtros |= QDir::Hidden;
    modelo_->setFilter(filtros);
}

QString TfGENEOPEN::RutaSeleccionada() const {
    const QModelIndex actual = ShellTreeView->currentIndex();
    return actual.isValid() ? QDir::toNativeSeparators(modelo_->filePath(actual))
                            : QDir::toNativeSeparators(raiz_);
}

bool TfGENEOPEN::SeleccionarRuta(const QString& Ruta) {
    const QModelIndex indice = modelo_->index(NativePath(Ruta));
    if (!indice.isValid()) return false;
    ShellTreeView->setCurrentIndex(indice);
    return true;
}

bool ElegirCarpeta(TfGENEINIC*, const QString& Titulo, QString& Ruta, const QString& Opciones) {
    std::unique_ptr<TfGENEOPEN> ventana(NewForm<TfGENEOPEN>());
    ventana->Titulo->setCaption(Titulo);
    ventana->TiposObjeto(Opciones.contains(QLatin1String("Carpetas")),
                         Opciones.contains(QLatin1String("Archivos")),
                         Opciones.contains(QLatin1String("Ocultos")));
    QString motivo;
    if (!ventana->EstablecerRaiz(Ruta, motivo)) {
        MensajeAdvertencia(QStringLiteral("¡No ha sido posible abrir el archivo o carpeta ") +
                           Ruta + QStringLiteral("!. Motivo: ") + motivo);
        return false;
    }
    if (ventana->ShowModal() != mrOk) return false;
    Ruta = ventana->RutaSeleccionada();
    return true;
}
