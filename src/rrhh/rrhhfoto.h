#pragma once
// The photo of a person's record form (an employee, a candidate): the panel
// PanelFoto that takes picture files dropped from the file manager, the
// stretched picture Foto in it and its pop-up item "&Borrar la Imágen". The
// picture is kept in BLOBTAB under the form's table name and the record's
// key; a new record's key is held first, and the photo counts among the rows
// its cancel removes.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class TAltaMaestro;
class TDataSet;
class TImage;
class TMenuItem;
class TPanel;
class TPopupMenu;
struct TRowAsRead;

class TFotoFicha : public QObject {
public:
    // Formulario owns the components; Padre is the page the panel goes on.
    // Reservar holds a new record's key (false after its warning); Clave is
    // the record's key text ("" when there is no record).
    TFotoFicha(QWidget* Formulario, QWidget* Padre, const QString& NombreTabla, TDataSet* Tabla,
               TAltaMaestro* Alta, std::function<bool()> Reservar, std::function<QString()> Clave);

    TPanel* PanelFoto;
    TImage* Foto;
    TPopupMenu* PopupMenuFoto;
    TMenuItem* BorrarlaImgen1;

    // A drop: the first file replaces the photo; false when nothing was stored.
    bool Soltar(const QStringList& Archivos);
    // "&Borrar la Imágen": the picture is cleared and the stored photo removed.
    void Borrar();
    // Shows the current record's photo (empty when it has none).
    void Mostrar();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The record the photo goes under, as the form read it.
    TRowAsRead leido() const;
    QString nombreTabla_;
    TDataSet* tabla_;
    TAltaMaestro* alta_;
    std::function<bool()> reservar_;
    std::function<QString()> clave_;
};
