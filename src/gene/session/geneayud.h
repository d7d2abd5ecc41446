#pragma once
// The help window: the HTML pages of the program's folder "help", shown by
// context number (MostrarAyuda, geneinic_programas.h). One window serves
// every request; links between pages work inside it.

#include "ui/form.h"

class QTextBrowser;

class TfGENEAYUD : public TForm {
    Q_OBJECT
public:
    explicit TfGENEAYUD(QWidget* owner = nullptr);
    // Shows the page (an empty path: an empty page); the caption is the
    // page's title, or "Ayuda".
    void MostrarPagina(const QString& Ruta);
    QString Pagina() const { return pagina_; }
    QTextBrowser* Navegador;

private:
    QString pagina_;
};

// The help window, created on first use; shown and brought to the front.
TfGENEAYUD* MostrarVentanaAyuda(const QString& Ruta);
