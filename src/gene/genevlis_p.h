#pragma once
// Painting shared by the two label/value grids (the field-list viewer and the
// name=value editor): the title row in bold, labels in navy shown through a
// transformation of their text, and the values of rows whose label holds
// "(*)" in the button-face colour.

#include <QStyledItemDelegate>
#include <functional>

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
