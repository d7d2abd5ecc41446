#include "gene/session/geneayud.h"

#include <QApplication>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TfGENEAYUD::TfGENEAYUD(QWidget* owner) : TForm(owner) {
    setName(QStringLiteral("fGENEAYUD"));
    setCaption(QStringLiteral("Ayuda"));
    setPosition(poScreenCenter);
    auto* caja = new QVBoxLayout(this);
    caja->setContentsMargins(0, 0, 0, 0);
    Navegador = new QTextBrowser(this);
    Navegador->setObjectName(QStringLiteral("Navegador"));
    Navegador->setOpenExternalLinks(true);
    caja->addWidget(Navegador);
    resize(720, 560);
    // Esc closes it, as it closes the program's other windows.
    setKeyPreview(true);
    OnKeyDown = [this](QObject*, int& Key, TShiftState Shift) {
        if (Key != VK_ESCAPE || Shift != 0) return;
        Key = 0;
        Close();
    };
    connect(Navegador, &QTextBrowser::sourceChanged, this, [this] {
        const QString titulo = Navegador->documentTitle();
        setCaption(titulo.isEmpty() ? QStringLiteral("Ayuda") : titulo);
    });
}

void TfGENEAYUD::MostrarPagina(const QString& Ruta) {
    pagina_ = Ruta;
    if (Ruta.isEmpty()) {
        Navegador->clear();
        setCaption(QStringLiteral("Ayuda"));
        return;
    }
    Navegador->setSource(QUrl::fromLocalFile(Ruta));
    const QString titulo = Navegador->documentTitle();
    setCaption(titulo.isEmpty() ? QStringLiteral("Ayuda") : titulo);
}

TfGENEAYUD* MostrarVentanaAyuda(const QString& Ruta) {
    TfGENEAYUD* ventana = nullptr;
    for (TForm* f : ApplicationForms())
        if ((ventana = qobject_cast<TfGENEAYUD*>(f))) break;
    if (!ventana) ventana = NewForm<TfGENEAYUD>();
    ventana->MostrarPagina(Ruta);
    // Asked from a modal dialog (the programmable listing), a window of its
    // own would take no key nor click until the dialog closed: the help
    // waits above the dialog then, and Esc gives the dialog back.
    // (Already above it, it stays so.)
    if (QWidget* modal = QApplication::activeModalWidget(); modal != ventana) {
        const Qt::WindowModality modo = modal ? Qt::ApplicationModal : Qt::NonModal;
        if (ventana->windowModality() != modo) {
            ventana->hide();
            ventana->setWindowModality(modo);
        }
    }
    ventana->Show();
    return ventana;
}
