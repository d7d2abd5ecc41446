#pragma once
// A paint device that keeps the texts drawn on it, each with its pen colour
// and its place: what a widget draws can be read back as texts and colours.

#include <QColor>
#include <QList>
#include <QMap>
#include <QPaintDevice>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>

class QTableView;
class QWidget;

class LienzoPrueba : public QPaintDevice {
public:
    struct Texto {
        QString texto;
        QColor color;
        QPointF punto;  // the text's baseline origin, in the device's coordinates
    };
    explicit LienzoPrueba(const QSize& Medidas);
    ~LienzoPrueba() override;
    QPaintEngine* paintEngine() const override;
    QList<Texto> textos;

protected:
    int metric(PaintDeviceMetric Medida) const override;

private:
    QSize medidas_;
    std::unique_ptr<QPaintEngine> motor_;
};

// The texts Widget draws, in its own coordinates.
QList<LienzoPrueba::Texto> TextosDibujados(QWidget* Widget);

// The texts drawn in each cell of a table view, keyed by (column, row), each
// as its text, a blank and its colour's "#rrggbb", in drawing order.
QMap<std::pair<int, int>, QStringList> TextosCeldas(QTableView* Rejilla);
// The marks drawn in the cell of day Dia of a calendar grid: its texts and
// colours as TextosCeldas gives them, the day's own black number left out.
QStringList MarcasDia(QTableView* Rejilla, int Columna, int Fila, int Dia);
