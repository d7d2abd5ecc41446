#include "ui/grids.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

// ---------------------------------------------------------------------------
// TStringGrid: fixed rows and columns are ordinary cells painted as titles,
// so that indexes are the system's (row 0 is the title row).

class TStringGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (grid_->defaultDrawing_ || !grid_->OnDrawCell)
            QStyledItemDelegate::paint(painter, option, index);
        if (!grid_->OnDrawCell) return;
        int state = 0;
        if (option.state & QStyle::State_Selected) state |= gdSelected;
        if (option.state & QStyle::State_HasFocus) state |= gdFocused;
        if (index.row() < grid_->fixedRows_ || index.column() < grid_->fixedCols_) state |= gdFixed;
        painter->save();
        painter->setClipRect(option.rect);
        grid_->canvas_ = painter;
        RunHandler(grid_, [&] {
            grid_->OnDrawCell(grid_, index.column(), index.row(), option.rect, state);
        });
        grid_->canvas_ = nullptr;
        painter->restore();
    }

private:
    TStringGrid* grid_;
};

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(5, 5, parent), TControlBase(this) {
    setItemDelegate(new Delegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setDefaultColWidth(64);
    setDefaultRowHeight(24);
    setOptions(options_);
    styleFixed();
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int oldRow, int oldCol) {
                if (selecting_ || row < 0 || col < 0) return;
                // Titles are never current; a handler may refuse the cell.
                bool can = row >= fixedRows_ && col >= fixedCols_;
                if (can && OnSelectCell)
                    if (!RunHandler(this, [&] { OnSelectCell(this, col, row, can); })) can = false;
                if (!can && oldRow >= 0 && oldCol >= 0) {
                    selecting_ = true;
                    setCurrentCell(oldRow, oldCol);
                    selecting_ = false;
                }
            });
}

void TStringGrid::setColCount(int n) {
    setColumnCount(std::max(0, n));
    styleFixed();
}

void TStringGrid::setRowCount(int n) {
    QTableWidget::setRowCount(std::max(0, n));
    styleFixed();
}

void TStringGrid::setFixedCols(int n) {
    fixedCols_ = std::max(0, n);
    styleFixed();
}

void TStringGrid::setFixedRows(int n) {
    fixedRows_ = std::max(0, n);
    styleFixed();
}

QTableWidgetItem* TStringGrid::cell(int col, int row, bool create, const QString* text) {
    if (row < 0 || col < 0 || row >= rowCount() || col >= columnCount()) return nullptr;
    QTableWidgetItem* it = item(row, col);
    if (!it && create) {
        it = text ? new QTableWidgetItem(*text) : new QTableWidgetItem;
        if (row < fixedRows_ || col < fixedCols_) {
            it->setFlags(Qt::ItemIsEnabled);
            it->setBackground(ColorToQt(fixedColor_));
        } else if (!(options_ & goEditing)) {
            it->setFlags(it->flags() & ~Qt::ItemIsEditable);
        }
        setItem(row, col, it);
    }
    return it;
}

QString TStringGrid::Cells(int col, int row) const {
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void TStringGrid::setCells(int col, int row, const QString& text) {
    if (QTableWidgetItem* it = item(row, col))
        it->setText(text);
    else
        cell(col, row, true, &text);
}

QStringList TStringGrid::Rows(int row) const {
    QStringList cells;
    for (int c = 0; c < columnCount(); ++c) cells << Cells(c, row);
    return cells;
}

void TStringGrid::setRows(int row, const QStringList& cells) {
    for (int c = 0; c < cells.size() && c < columnCount(); ++c) setCells(c, row, cells[c]);
}

QStringList TStringGrid::Cols(int col) const {
    QStringList cells;
    for (int r = 0; r < rowCount(); ++r) cells << Cells(col, r);
    return cells;
}

int TStringGrid::DefaultColWidth() const {
    return horizontalHeader()->defaultSectionSize();
}

void TStringGrid::setDefaultColWidth(int w) {
    horizontalHeader()->setDefaultSectionSize(w);
}

int TStringGrid::DefaultRowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void TStringGrid::setDefaultRowHeight(int h) {
    verticalHeader()->setMinimumSectionSize(std::min(h, 8));
    verticalHeader()->setDefaultSectionSize(h);
}

void TStringGrid::setDefaultDrawing(bool v) {
    defaultDrawing_ = v;
    viewport()->update();
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
    // Other buttons leave the selection alone: the pop-up menu that follows
    // acts on the cell already selected.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool again = at.isValid() && at.row() == currentRow() && at.column() == currentColumn();
    QTableWidget::mousePressEvent(event);
    // A click on the selected cell selects it again, as the user meant.
    if (again && OnSelectCell && at.row() >= fixedRows_ && at.column() >= fixedCols_) {
        bool can = true;
        RunHandler(this, [&] { OnSelectCell(this, at.column(), at.row(), can); });
    }
}

void TStringGrid::setFixedColor(int color) {
    fixedColor_ = color;
    styleFixed();
}

void TStringGrid::setOptions(int options) {
    options_ = options;
    setSelectionBehavior(options & goRowSelect ? SelectRows : SelectItems);
    setSelectionMode(options & goRangeSelect && !(options & goRowSelect) ? ContiguousSelection
                                                                         : SingleSelection);
    setShowGrid(options & (goVertLine | goHorzLine));
    setTabKeyNavigation(options & goTabs);
    setEditTriggers(options & goEditing ? (options & goAlwaysShowEditor
                                               ? AllEditTriggers
                                               : (DoubleClicked | EditKeyPressed | AnyKeyPressed))
                                        : NoEditTriggers);
    horizontalHeader()->setSectionResizeMode(options & goColSizing ? QHeaderView::Interactive
                                                                   : QHeaderView::Fixed);
    styleFixed();
}

void TStringGrid::styleFixed() {
    const QColor fixed = ColorToQt(fixedColor_);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            const bool isFixed = r < fixedRows_ || c < fixedCols_;
            QTableWidgetItem* it = item(r, c);
            if (!it && !isFixed) continue;
            if (!it) it = cell(c, r, true);
            // Only what changes is set: each change is told to the views.
            Qt::ItemFlags f = Qt::ItemIsEnabled;
            if (!isFixed) {
                f |= Qt::ItemIsSelectable;
                if (options_ & goEditing) f |= Qt::ItemIsEditable;
            }
            if (it->flags() != f) it->setFlags(f);
            const QBrush fondo = isFixed ? QBrush(fixed) : QBrush();
            if (it->background() != fondo) it->setBackground(fondo);
        }
}

// ---------------------------------------------------------------------------

TValueListEditor::TValueListEditor(QWidget* parent) : TStringGrid(parent) {
    setColCount(2);
    setRowCount(1);
    setFixedCols(0);
    setFixedRows(1);
    setOptions(Options() | goEditing | goColSizing);
    setTitleCaptions(QStringLiteral("Clave"), QStringLiteral("Valor"));
    horizontalHeader()->setStretchLastSection(true);
}

void TValueListEditor::setTitleCaptions(const QString& key, const QString& value) {
    setCells(0, 0, key);
    setCells(1, 0, value);
}

QStringList TValueListEditor::Strings() const {
    QStringList lines;
    for (int r = FixedRows(); r < RowCount(); ++r)
        lines << Cells(0, r) + QLatin1Char('=') + Cells(1, r);
    return lines;
}

void TValueListEditor::setStrings(const QStringList& lines) {
    setRowCount(FixedRows() + int(lines.size()));
    for (int i = 0; i < lines.size(); ++i) {
        const qsizetype eq = lines[i].indexOf(QLatin1Char('='));
        setCells(0, FixedRows() + i, eq < 0 ? lines[i] : lines[i].left(eq));
        setCells(1, FixedRows() + i, eq < 0 ? QString() : lines[i].mid(eq + 1));
    }
}

int TValueListEditor::FindRow(const QString& key) const {
    for (int r = FixedRows(); r < RowCount(); ++r)
        if (Cells(0, r).compare(key, Qt::CaseInsensitive) == 0) return r;
    return -1;
}

QString TValueListEditor::Values(const QString& key) const {
    const int r = FindRow(key);
    return r < 0 ? QString() : Cells(1, r);
}

void TValueListEditor::setValues(const QString& key, const QString& value) {
    int r = FindRow(key);
    if (r < 0) {
        r = RowCount();
        setRowCount(r + 1);
        setCells(0, r, key);
    }
    setCells(1, r, value);
}

// ---------------------------------------------------------------------------

TListView::TListView(QWidget* parent) : QTreeWidget(parent), TControlBase(this) {
    setRootIsDecorated(false);
    setColumnCount(0);
    setSelectionBehavior(SelectRows);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] {
        if (OnSelectItem) RunHandler(this, [this] { OnSelectItem(this); });
    });
}

void TListView::AddColumn(const QString& caption, int width) {
    const int n = columnCount();
    setColumnCount(n + 1);
    headerItem()->setText(n, caption);
    setColumnWidth(n, width);
}

QString TListView::ColumnCaption(int col) const {
    return headerItem()->text(col);
}

void TListView::setColumnCaption(int col, const QString& caption) {
    headerItem()->setText(col, caption);
}

QTreeWidgetItem* TListView::AddItem(const QString& caption, const QStringList& subItems) {
    QStringList texts{caption};
    texts += subItems;
    if (texts.size() > columnCount()) setColumnCount(int(texts.size()));
    auto* it = new QTreeWidgetItem(texts);
    addTopLevelItem(it);
    return it;
}

QString TListView::Caption(int index) const {
    const QTreeWidgetItem* it = topLevelItem(index);
    return it ? it->text(0) : QString();
}

QStringList TListView::SubItems(int index) const {
    QStringList out;
    const QTreeWidgetItem* it = topLevelItem(index);
    if (!it) return out;
    for (int c = 1; c < it->columnCount(); ++c) out << it->text(c);
    return out;
}

int TListView::ItemIndex() const {
    return currentItem() ? indexOfTopLevelItem(currentItem()) : -1;
}

void TListView::setItemIndex(int index) {
    setCurrentItem(topLevelItem(index));
}
