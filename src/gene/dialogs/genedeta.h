#pragma once
// The detail viewer: a long read-only text (plain or an HTML page) in a modal
// window that prints it and, when the text cannot be shown, offers to save it
// to a file.

#include <QString>
#include <QStringList>

#include "ui/form.h"

class QPrinter;
class QTextBrowser;
class TButton;
class TMemo;
class TPanel;
class TSpeedButton;

class TfGENEDETA : public TForm {
    Q_OBJECT
public:
    explicit TfGENEDETA(QWidget* owner = nullptr);

    TPanel* Panel1;
    TSpeedButton* pbImprimir;
    TPanel* Panel3;
    TMemo* MemoDetalle;
    QTextBrowser* WebBrowserDetalle;
    TPanel* PanelControl;
    TButton* pbConforme;

    // The text shown, and whether it is shown as a page.
    QString Texto;
    bool EsHTML = false;
    void MostrarTextoDetalle(const QString& Texto, bool HTML);

    // The print dialog, then Imprimir.
    void pbImprimirClick();
    // The lines printed on a text device: the caption in upper case, an empty
    // line, then the text's lines (a page reduced to its text).
    QStringList LineasImpresion() const;
    void Imprimir(QPrinter& Impresora) const;
    Q_INVOKABLE void BuscarDatosDBEdit(QObject* Sender) {}
};

// An HTML text as plain text: "<br>" and "<hr>" become line breaks, every
// other run from "<" to the next ">" is dropped (tags are matched in lower
// case only; entities stay).
QString TextoPlanoHTML(const QString& Html);

// Shows Texto in a new viewer with that caption; returns when it is closed.
// Opciones: "Fuente=name,size" (the application font when absent),
// "Formato=width,height" (480 by 480 when absent), "Interprete=HTML".
void MostrarDetalle(const QString& Texto, const QString& Titulo, const QString& Opciones);
