#pragma once
// The folder chooser: a tree of the file system below a starting folder in
// which the user picks a folder or a file.

#include <QString>

#include "ui/form.h"

class QFileSystemModel;
class QTreeView;
class TButton;
class TLabel;
class TPanel;
class TfGENEINIC;

class TfGENEOPEN : public TForm {
    Q_OBJECT
public:
    explicit TfGENEOPEN(QWidget* owner = nullptr);

    TPanel* PanelTitulo;
    TLabel* Titulo;
    QTreeView* ShellTreeView;
    TPanel* Panel2;
    TButton* pbAceptar;

    // The tree's root (native or "\" path); false with Motivo when the
    // folder cannot be opened.
    bool EstablecerRaiz(const QString& Ruta, QString& Motivo);
    // What the tree shows: folders, files, hidden items.
    void TiposObjeto(bool Carpetas, bool Archivos, bool Ocultos);
    // The selected node's path (the root when none is selected).
    QString RutaSeleccionada() const;
    bool SeleccionarRuta(const QString& Ruta);

private:
    QFileSystemModel* modelo_;
    QString raiz_;
};

// Opciones: the words "Carpetas", "Archivos", "Ocultos". On "&Aceptar" Ruta
// becomes the chosen path and the result is true. A folder that cannot be
// opened warns "¡No ha sido posible abrir el archivo o carpeta ...!. Motivo:
// ..." and gives false. An empty Ruta starts at the user's home folder.
bool ElegirCarpeta(TfGENEINIC* f, const QString& Titulo, QString& Ruta, const QString& Opciones);
