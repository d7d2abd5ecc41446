#pragma once
// The data module's shared dialogs: SaveDialog1, OpenDialog1, PrintDialog1
// and FontDialog1. Callers set the file name, filter, filter index and title,
// run the dialog and read back the chosen file or printer. They live with the
// data module (one set per module; a fixed set while there is none).
//
// Filters are written as the system writes them: description and pattern
// pairs joined by "|" ("Archivos PDF (*.PDF)|*.PDF"); FilterIndex counts
// pairs from 1.
//
// Test seam: while a seam is set no dialog is shown; the seam gets the
// dialog, may change its values and answers whether the user confirmed.

#include <QFont>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFileDialog;
class QPrinter;
class QWidget;
class TModuloDatos;

class TFileDialog : public QObject {
    Q_OBJECT
public:
    enum Tipo { Guardar, Abrir };
    TFileDialog(Tipo tipo, QObject* parent);

    Tipo TipoDialogo() const { return tipo_; }
    QString Title;
    QString FileName;
    QString Filter;
    int FilterIndex = 1;

    // Shows the dialog; true when the user chose a file (FileName, FilterIndex).
    bool Execute();

private:
    Tipo tipo_;
};

class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QObject* parent);
    ~TPrintDialog() override;

    // The printer chosen, with its copies, page range and output file.
    QPrinter& Printer() const { return *printer_; }
    // Pages offered (MinPage..MaxPage) and chosen (0: all pages).
    int MinPage = 1;
    int MaxPage = 9999;
    int FromPage = 0;
    int ToPage = 0;
    int Copies = 1;

    bool Execute();

private:
    std::unique_ptr<QPrinter> printer_;
};

// The font dialog: Font is the font it starts with and, after Execute, the
// one chosen.
class TFontDialog : public QObject {
    Q_OBJECT
public:
    explicit TFontDialog(QObject* parent);
    QFont Font;
    bool Execute();
};

// A file dialog of the program's own (not the desktop's) in Spanish, as the
// rest of the program: besides Qt's translated texts, the kinds of file, the
// sizes and the dates of its list, without touching the program's locale.
void DialogoArchivosEnEspanol(QFileDialog& Dialogo);

TFileDialog* SaveDialog1(TModuloDatos* ModuloDatos);
TFileDialog* OpenDialog1(TModuloDatos* ModuloDatos);
TPrintDialog* PrintDialog1(TModuloDatos* ModuloDatos);
TFontDialog* FontDialog1(TModuloDatos* ModuloDatos);

// Restores a file dialog's filter and filter index when the scope ends.
class FiltroGuardado {
public:
    explicit FiltroGuardado(TFileDialog* d) : d_(d), filtro_(d->Filter), indice_(d->FilterIndex) {}
    ~FiltroGuardado() {
        d_->Filter = filtro_;
        d_->FilterIndex = indice_;
    }
    FiltroGuardado(const FiltroGuardado&) = delete;
    FiltroGuardado& operator=(const FiltroGuardado&) = delete;

private:
    TFileDialog* d_;
    QString filtro_;
    int indice_;
};

// "Listar ficha actual": the window's image printed on the printer chosen in
// PrintDialog1, at its size on screen or fitted to the page. False when the
// dialog was cancelled or nothing could be drawn.
bool ImprimirImagenFormulario(TModuloDatos* ModuloDatos, QWidget* Formulario, bool AjustarPagina);

using TSeamDialogo = std::function<bool(QObject* Dialogo)>;
void AsignarSeamDialogos(TSeamDialogo seam);
