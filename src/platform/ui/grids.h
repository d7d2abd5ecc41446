#pragma once
// Grids and lists of plain values: TStringGrid (cells addressed column
// first, fixed rows and columns drawn as titles), TValueListEditor
// ("Name=Value" lines) and TListView (a report of items with sub-items).
// A string grid may draw its cells itself (OnDrawCell on Canvas()); only
// the left button selects a cell, so that the pop-up menu acts on the cell
// already selected, and a click on the selected cell selects it again.

#include <QTableWidget>
#include <QTreeWidget>

#include "ui/component.h"
#include "ui/griddraw.h"

class QPainter;

// Grid options as sets of bits.
enum TGridOption {
    goFixedVertLine = 1,
    goFixedHorzLine = 2,
    goVertLine = 4,
    goHorzLine = 8,
    goRangeSelect = 16,
    goDrawFocusSelected = 32,
    goRowSizing = 64,
    goColSizing = 128,
    goRowMoving = 256,
    goColMoving = 512,
    goEditing = 1024,
    goTabs = 2048,
    goRowSelect = 4096,
    goAlwaysShowEditor = 8192,
    goThumbTracking = 16384,
};

using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;
Q_DECLARE_METATYPE(TSelectCellEvent)
// State: TGridDrawStateFlag bits.
using TDrawCellEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const QRect& Rect, int State)>;
Q_DECLARE_METATYPE(TDrawCellEvent)

class TStringGrid : public QTableWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QTableWidget)
    Q_PROPERTY(int ColCount READ ColCount WRITE setColCount)
    Q_PROPERTY(int RowCount READ RowCount WRITE setRowCount)
    Q_PROPERTY(int FixedCols READ FixedCols WRITE setFixedCols)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE setFixedRows)
    Q_PROPERTY(int Col READ Col WRITE setCol)
    Q_PROPERTY(int Row READ Row WRITE setRow)
    Q_PROPERTY(int Options READ Options WRITE setOptions)
    Q_PROPERTY(int DefaultColWidth READ DefaultColWidth WRITE setDefaultColWidth)
    Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE setDefaultRowHeight)
    Q_PROPERTY(int FixedColor READ FixedColor WRITE setFixedColor)
    Q_PROPERTY(bool DefaultDrawing READ DefaultDrawing WRITE setDefaultDrawing)
    RH_EVENT(OnSelectCell)
    RH_EVENT(OnDrawCell)
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount(); }
    void setColCount(int n);
    int RowCount() const { return rowCount(); }
    void setRowCount(int n);
    int FixedCols() const { return fixedCols_; }
    void setFixedCols(int n);
    int FixedRows() const { return fixedRows_; }
    void setFixedRows(int n);

    // Column first, as the system addresses cells.
    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);
    QStringList Rows(int row) const;
    void setRows(int row, const QStringList& cells);
    QStringList Cols(int col) const;
    int ColWidths(int col) const { return columnWidth(col); }
    void setColWidths(int col, int width) { setColumnWidth(col, width); }
    int RowHeights(int row) const { return rowHeight(row); }
    void setRowHeights(int row, int height) { setRowHeight(row, height); }
    int DefaultColWidth() const;
    void setDefaultColWidth(int w);
    int DefaultRowHeight() const;
    void setDefaultRowHeight(int h);
    int FixedColor() const { return fixedColor_; }
    void setFixedColor(int color);

    // The current cell.
    int Col() const { return currentColumn(); }
    void setCol(int col) { setCurrentCell(std::max(0, Row()), col); }
    int Row() const { return currentRow(); }
    void setRow(int row) { setCurrentCell(row, std::max(0, Col())); }
    int Options() const { return options_; }
    void setOptions(int options);

    // With DefaultDrawing the cell is drawn as usual before OnDrawCell;
    // without it OnDrawCell draws the whole cell.
    bool DefaultDrawing() const { return defaultDrawing_; }
    void setDefaultDrawing(bool v);
    // The painter of the cell OnDrawCell draws (nullptr outside it).
    QPainter* Canvas() const { return canvas_; }

    TSelectCellEvent OnSelectCell;
    TDrawCellEvent OnDrawCell;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }
    void mousePressEvent(QMouseEvent* event) override;

private:
    class Delegate;
    friend class Delegate;
    // A new item gets `text` (when given) and its flags before it joins the
    // table: one change told to the views instead of one per property.
    QTableWidgetItem* cell(int col, int row, bool create, const QString* text = nullptr);
    void styleFixed();
    int fixedCols_ = 1;
    int fixedRows_ = 1;
    int options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    int fixedColor_ = clBtnFace;
    bool selecting_ = false;
    bool defaultDrawing_ = true;
    QPainter* canvas_ = nullptr;
};

// Two columns, "Clave" and "Valor" unless retitled; one row per line.
class TValueListEditor : public TStringGrid {
    Q_OBJECT
    Q_PROPERTY(QStringList Strings READ Strings WRITE setStrings)
public:
    explicit TValueListEditor(QWidget* parent = nullptr);
    // "Name=Value" lines.
    QStringList Strings() const;
    void setStrings(const QStringList& lines);
    QString Values(const QString& key) const;
    void setValues(const QString& key, const QString& value);  // adds a row when missing
    QString Keys(int row) const { return Cells(0, row); }
    void setTitleCaptions(const QString& key, const QString& value);
    // The row of a key (letter case ignored), or -1.
    int FindRow(const QString& key) const;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public QTreeWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QTreeWidget)
    Q_PROPERTY(int ItemCount READ ItemCount)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    RH_EVENT(OnSelectItem)
public:
    explicit TListView(QWidget* parent = nullptr);
    void AddColumn(const QString& caption, int width);
    QString ColumnCaption(int col) const;
    void setColumnCaption(int col, const QString& caption);
    // An item with its caption and sub-items (the following columns).
    QTreeWidgetItem* AddItem(const QString& caption, const QStringList& subItems = {});
    int ItemCount() const { return topLevelItemCount(); }
    QString Caption(int index) const;
    QStringList SubItems(int index) const;
    int ItemIndex() const;
    void setItemIndex(int index);
    void Clear() { clear(); }

    TNotifyEvent OnSelectItem;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }
};
