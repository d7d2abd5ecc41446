#pragma once
// Painting shared by the two label/value grids (the field-list viewer and the
// name=value editor): the title row in bold, labels in navy shown through a
// transformation of their text, and the values of rows whose label holds
// "(*)" in the button-face colour.

#include <QStyledItemDelegate>
#include <functional>

class QVBoxLayout;
class TForm;
class TPanel;
class TStringGrid;

class TDelegadoRejillaVisor : public QStyledItemDelegate {
public:
    using TTransformacion = std::function<QString(const QString&)>;
    TDelegadoRejillaVisor(QObject* parent, TTransformacion Etiqueta, bool TituloNegrita)
        : QStyledItemDelegate(parent),
          etiqueta_(std::move(Etiqueta)),
          tituloNegrita_(TituloNegrita) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TTransformacion etiqueta_;
    bool tituloNegrita_;
};

// A row whose label holds "(*)" can be neither selected nor edited.
bool FilaBloqueada(const QString& Etiqueta);

// The height a label/value window must not exceed: one grid row per row
// (row height + 1) plus the extra height and the button panel, cut to twenty
// rows (without the panel) when taller than the main window less 100 pixels.
int AlturaIdealRejilla(int Filas, int AlturaFila, int Extra, int Panel);

// The frame of a label/value window: its name, caption and design size, and a
// bevel-less PanelGrid filling it edge to edge. Returns the window's layout,
// for the button panel below; CapaRejilla is PanelGrid's layout, for the grid.
QVBoxLayout* CrearMarcoRejilla(TForm* Ventana, const QString& Nombre, const QString& Titulo,
                               TPanel*& PanelGrid, QVBoxLayout*& CapaRejilla);

// The keys and selection of a label/value window: Esc closes it as cancelled;
// F2 without modifiers runs DobleClic (when given); other keys go to Teclas
// (true: used) and then to the session's key handlers. Rows whose label holds
// "(*)" cannot be selected.
void ConectarMarcoRejilla(TForm* Ventana, TStringGrid* Rejilla, std::function<void()> DobleClic,
                          std::function<bool(int& Key, int Mods)> Teclas);
