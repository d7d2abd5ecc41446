#include "ui/dbgrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "db/dberror.h"
#include "db/field.h"
#include "db/sysutils.h"

// ---------------------------------------------------------------------------
// The link, the model of the window and the cell delegate

class TDBGrid::Link : public TDataLink {
public:
    explicit Link(TDBGrid* grid) : grid_(grid) {}

protected:
    void ActiveChanged() override { grid_->linkActiveChanged(); }
    void DataSetChanged() override {
        TDataSet* ds = grid_->dataSet();
        int active = grid_->activeRow_;
        if (ds && ds->State() != dsInsert) {
            if (ds->Bof())
                active = 0;
            else if (ds->Eof())
                active = grid_->capacity() - 1;
        }
        grid_->fillWindow(active);
    }
    void DataSetScrolled(int distance) override { grid_->fillWindow(grid_->activeRow_ + distance); }
    void RecordChanged(TField* field) override { grid_->refreshCurrentRow(); }
    void EditingChanged() override { grid_->refreshCurrentRow(); }
    void LayoutChanged() override {
        if (grid_->columns_.State() == csDefault) grid_->buildDefaultColumns();
        grid_->columnsChanged();
    }
    void UpdateData() override { grid_->UpdateData(); }

private:
    TDBGrid* grid_;
};

class TDBGrid::Model : public QAbstractTableModel {
public:
    struct Row {
        TRow row;
        QStringList texts;
        bool current = false;
        bool inserted = false;  // the record being inserted
    };

    explicit Model(TDBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_->columns_.Count();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rows.size()) return {};
        const Row& r = rows[index.row()];
        TColumn* column = grid_->columns_.Items(index.column());
        switch (role) {
            case Qt::DisplayRole:
                return r.texts.value(index.column());
            case Qt::EditRole: {
                TField* f = column ? column->Field() : nullptr;
                return r.current && f ? f->Text() : r.texts.value(index.column());
            }
            case Qt::TextAlignmentRole: {
                TField* f = column ? column->Field() : nullptr;
                const bool right = f && f->Alignment() == taRightJustify;
                const bool center = f && f->Alignment() == taCenter;
                return int((right    ? Qt::AlignRight
                            : center ? Qt::AlignHCenter
                                     : Qt::AlignLeft) |
                           Qt::AlignVCenter);
            }
            case Qt::BackgroundRole:
                if (grid_->selectedRows_.items_.contains(TBookmark{r.row.identity}))
                    return QApplication::palette().color(QPalette::Highlight).lighter(160);
                if (column && column->Color() != clWindow) return ColorToQt(column->Color());
                return {};
            default:
                return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::ForegroundRole && orientation == Qt::Horizontal &&
            grid_->titleFontColor_ != clWindowText)
            return QBrush(ColorToQt(grid_->titleFontColor_));
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Horizontal) {
            const TColumn* c = grid_->columns_.Items(section);
            return c ? c->Title()->Caption() : QVariant();
        }
        if (section != grid_->activeRow_ || section >= rows.size()) return QString();
        TDataSet* ds = grid_->dataSet();
        const TDataSetState s = ds ? ds->State() : dsInactive;
        return s == dsInsert ? QStringLiteral("*")
               : s == dsEdit ? QStringLiteral("I")
                             : QStringLiteral("▶");
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.row() == grid_->activeRow_ && grid_->canOpenEditor(index.column()))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || index.row() != grid_->activeRow_) return false;
        TColumn* column = grid_->columns_.Items(index.column());
        TField* f = column ? column->Field() : nullptr;
        if (!f) return false;
        // A text the field refuses is told and the field keeps its value;
        // the cell is held on it (closeEditor).
        const bool written = RunHandler(grid_, [&] {
            const QString text = value.toString();
            if (text != f->Text()) f->setText(text);
        });
        if (!written) grid_->refused(value.toString());
        return written;
    }

    void reset(QVector<Row> newRows) {
        beginResetModel();
        rows = std::move(newRows);
        endResetModel();
    }

    QVector<Row> rows;

private:
    TDBGrid* grid_;
};

namespace {
// Qt lays out a cell's whole text before it elides it: a value of millions of
// characters takes seconds and memory enough to end the program. No cell
// shows more than this many characters.
constexpr qsizetype kMaxCellText = 4000;
}  // namespace

QString GridCellText(const QString& text) {
    if (text.size() <= kMaxCellText) return text;
    return text.left(WholeLetters(text, kMaxCellText)) + QChar(0x2026);
}

namespace {

// A line edit cuts what it is given at its limit (Qt's own when none is set)
// and has no line ends: a text it cannot hold whole would come back cut.
constexpr qsizetype kLineEditLimit = 32767;

bool fitsLineEdit(const QString& text, qsizetype limit) {
    return text.size() <= limit && !text.contains(QLatin1Char('\n')) &&
           !text.contains(QLatin1Char('\r'));
}

qsizetype lineEditLimit(const TField* f) {
    return f->DataType() == ftString && f->Size() > 0 ? f->Size() : kLineEditLimit;
}

// What a read-only cell editor shows: bounded, on one line.
QString shownText(const QString& text) {
    QString t = GridCellText(text);
    t.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t;
}

QLineEdit* lineOf(QWidget* editor) {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) return combo->lineEdit();
    return qobject_cast<QLineEdit*>(editor);
}

bool readOnlyEditor(QWidget* editor) {
    const QLineEdit* line = lineOf(editor);
    return line && line->isReadOnly();
}

}  // namespace

class TDBGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TDBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        TColumn* column = grid_->columns_.Items(index.column());
        QWidget* editor = nullptr;
        const bool editable = grid_->canEditText(index.column());
        if (column && !column->PickList().isEmpty() && editable) {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->addItems(column->PickList());
            editor = combo;
        } else {
            auto* line = new QLineEdit(parent);
            line->setReadOnly(!editable);
            TField* f = column ? column->Field() : nullptr;
            if (f && editable) line->setMaxLength(int(lineEditLimit(f)));
            if (column && column->ButtonStyle() == cbsEllipsis) {
                QPixmap dots(16, 16);
                dots.fill(Qt::transparent);
                QPainter p(&dots);
                p.drawText(dots.rect(), Qt::AlignCenter, QStringLiteral("…"));
                p.end();
                QAction* button = line->addAction(QIcon(dots), QLineEdit::TrailingPosition);
                TDBGrid* grid = grid_;
                QObject::connect(button, &QAction::triggered, grid, [grid] {
                    if (grid->OnEditButtonClick)
                        RunHandler(grid, [grid] { grid->OnEditButtonClick(grid); });
                });
            }
            editor = line;
        }
        grid_->editor_ = editor;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = index.data(Qt::EditRole).toString();
        // A value changed under an open editor into one it cannot hold whole
        // is no longer edited there.
        if (QLineEdit* line = lineOf(editor);
            line && !line->isReadOnly() && !fitsLineEdit(text, line->maxLength()))
            line->setReadOnly(true);
        if (readOnlyEditor(editor)) {
            lineOf(editor)->setText(shownText(text));
            return;
        }
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setEditText(text);
            // The view selects a plain editor's text so that a key typed
            // into the cell replaces it; the list's own line edit is not
            // reached that way.
            if (QLineEdit* line = combo->lineEdit()) line->selectAll();
        } else if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (readOnlyEditor(editor)) return;
        model->setData(index, editorText(editor), Qt::EditRole);
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        // Esc in a cell of a line being typed drops the whole line, not just
        // the cell's text (the window's "Cancelar Edición" never sees it).
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel) && grid_->editingLine()) {
            QPointer<TDBGrid> grid(grid_);
            QStyledItemDelegate::eventFilter(object, event);
            if (grid) grid->cancelLine();
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

    static QString editorText(const QWidget* editor) {
        if (auto* combo = qobject_cast<const QComboBox*>(editor)) return combo->currentText();
        if (auto* line = qobject_cast<const QLineEdit*>(editor)) return line->text();
        return QString();
    }

    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = GridCellText(option->text);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (!grid_->OnDrawColumnCell) return;
        TDataSet* ds = grid_->dataSet();
        if (!ds || index.row() >= grid_->model_->rows.size()) return;
        const Model::Row& r = grid_->model_->rows[index.row()];
        int state = 0;
        if (option.state & QStyle::State_Selected) state |= gdSelected;
        if (option.state & QStyle::State_HasFocus) state |= gdFocused;
        // The handler reads the fields of the row it draws.
        if (!r.current) ds->BeginRowView(r.row);
        painter->save();
        grid_->canvas_ = painter;
        RunHandler(grid_, [&] {
            grid_->OnDrawColumnCell(grid_, option.rect, index.column(),
                                    grid_->columns_.Items(index.column()), state);
        });
        grid_->canvas_ = nullptr;
        painter->restore();
        if (!r.current) ds->EndRowView();
    }

private:
    TDBGrid* grid_;
};

// ---------------------------------------------------------------------------
// Columns

void TColumnTitle::setCaption(const QString& caption) {
    caption_ = caption;
    if (column_) column_->changed();
}

TColumn::TColumn(TDBGrid* grid) : grid_(grid) {
    title_.column_ = this;
}

void TColumn::setFieldName(const QString& name) {
    fieldName_ = name;
    changed();
}

TField* TColumn::Field() const {
    TDataSet* ds = grid_->dataSet();
    return ds && ds->Active() && !fieldName_.isEmpty() ? ds->FindField(fieldName_) : nullptr;
}

int TColumn::Width() const {
    if (width_ < 0) return grid_->defaultColumnWidth(this);
    return designWidth_ ? grid_->scaledWidth(width_) : width_;
}

void TColumn::setWidth(int w) {
    width_ = std::max(0, w);
    designWidth_ = true;
    grid_->applyColumnGeometry();
}

void TColumn::setPixelWidth(int w) {
    width_ = std::max(0, w);
    designWidth_ = false;
    grid_->applyColumnGeometry();
}

void TColumn::setVisible(bool v) {
    visible_ = v;
    grid_->applyColumnGeometry();
}

void TColumn::setColor(int c) {
    color_ = c;
    changed();
}

int TColumn::Index() const {
    const auto& items = grid_->columns_.items_;
    for (int i = 0; i < items.size(); ++i)
        if (items[i].get() == this) return i;
    return -1;
}

void TColumn::changed() {
    grid_->columnsChanged();
}

TColumn* TDBGridColumns::Add() {
    if (state_ == csDefault) {
        // The first column of its own replaces the default ones.
        items_.clear();
        state_ = csCustomized;
    }
    items_.append(std::shared_ptr<TColumn>(new TColumn(grid_)));
    grid_->columnsChanged();
    return items_.last().get();
}

void TDBGridColumns::Clear() {
    items_.clear();
    grid_->columnsChanged();
}

void TDBGridColumns::Delete(int index) {
    if (index < 0 || index >= items_.size()) return;
    items_.removeAt(index);
    grid_->columnsChanged();
}

void TDBGridColumns::RestoreDefaults() {
    state_ = csDefault;
    grid_->buildDefaultColumns();
    grid_->columnsChanged();
}

// ---------------------------------------------------------------------------
// Selected rows

bool TBookmarkList::Contains(const TBookmark& b) const {
    return items_.contains(b);
}

bool TBookmarkList::CurrentRowSelected() const {
    TDataSet* ds = grid_->dataSet();
    return ds && ds->Active() && items_.contains(ds->GetBookmark());
}

void TBookmarkList::setCurrentRowSelected(bool selected) {
    TDataSet* ds = grid_->dataSet();
    if (!ds || !ds->Active()) return;
    const TBookmark b = ds->GetBookmark();
    if (b.IsNull()) return;
    if (selected && !items_.contains(b))
        items_.append(b);
    else if (!selected)
        items_.removeAll(b);
    grid_->viewport()->update();
}

void TBookmarkList::Clear() {
    items_.clear();
    grid_->viewport()->update();
}

// ---------------------------------------------------------------------------
// TDBGrid

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent),
      TControlBase(this),
      link_(std::make_unique<Link>(this)),
      model_(new Model(this)),
      delegate_(new Delegate(this)),
      scrollBar_(new QScrollBar(Qt::Vertical, this)),
      columns_(this),
      selectedRows_(this) {
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setHighlightSections(false);
    // Titles as the system's grids show them: from the left, a title longer
    // than its column cut on the right.
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    // The scroll bar is the dataset's, not the window's.
    scrollBar_->setRange(0, 2);
    scrollBar_->setPageStep(1);
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &TDBGrid::scrollAction);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (!syncing_) ResizeColumn(section, size);
            });
    horizontalHeader()->setSectionsMovable(true);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int desde, int hasta) {
                if (syncing_) return;
                // The header goes back to its order; the columns themselves move.
                syncing_ = true;
                horizontalHeader()->moveSection(hasta, desde);
                syncing_ = false;
                MoveColumn(desde, hasta);
            });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (OnTitleClick)
            if (TColumn* c = columns_.Items(section)) RunHandler(this, [&] { OnTitleClick(c); });
    });
    setOptions(options_);
    placeScrollBar();
}

TDBGrid::~TDBGrid() {
    link_->setDataSource(nullptr);
}

TDataSource* TDBGrid::DataSource() const {
    return link_->DataSource();
}

void TDBGrid::setDataSource(TDataSource* source) {
    link_->setDataSource(source);
    linkActiveChanged();
}

TDataSet* TDBGrid::dataSet() const {
    return link_->Active() ? link_->DataSet() : nullptr;
}

void TDBGrid::setOptions(TDBGridOptions options) {
    options_ = options;
    horizontalHeader()->setVisible(options & dgTitles);
    verticalHeader()->setVisible(options & dgIndicator);
    horizontalHeader()->setSectionResizeMode(options & dgColumnResize ? QHeaderView::Interactive
                                                                      : QHeaderView::Fixed);
    setShowGrid(options & (dgColLines | dgRowLines));
    setSelectionBehavior(options & dgRowSelect ? SelectRows : SelectItems);
    setTabKeyNavigation(options & dgTabs);
    setEditTriggers(!(options & dgEditing) ? NoEditTriggers
                    : options & dgAlwaysShowEditor
                        ? EditTriggers(SelectedClicked | AnyKeyPressed | EditKeyPressed)
                        : EditTriggers(AnyKeyPressed | EditKeyPressed));
}

void TDBGrid::setReadOnly(bool v) {
    readOnly_ = v;
}

void TDBGrid::setFixedColor(int c) {
    fixedColor_ = c;
    QPalette p = horizontalHeader()->palette();
    p.setColor(QPalette::Button, ColorToQt(c));
    horizontalHeader()->setPalette(p);
    verticalHeader()->setPalette(p);
}

QFont TDBGrid::TitleFont() const {
    return horizontalHeader()->font();
}

void TDBGrid::setTitleFontColor(int c) {
    titleFontColor_ = c;
    if (model_->columnCount() > 0)
        Q_EMIT model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
}

void TDBGrid::setTitleFont(const QFont& font) {
    QFont f = font;
    f.setFamily(FontFamily(font.family()));
    horizontalHeader()->setFont(f);
    applyColumnGeometry();
}

int TDBGrid::DefaultRowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

void TDBGrid::setDefaultRowHeight(int h) {
    verticalHeader()->setMinimumSectionSize(std::min(h, 8));
    verticalHeader()->setDefaultSectionSize(h);
    fillWindow(activeRow_);
}

bool TDBGrid::canOpenEditor(int column) const {
    return canEdit(column) || hasEditButton(column);
}

bool TDBGrid::hasEditButton(int column) const {
    const TColumn* c = columns_.Items(column);
    const TDataSet* ds = dataSet();
    return c && c->ButtonStyle() == cbsEllipsis && c->Field() && ds && ds->Active() &&
           !(options_ & dgRowSelect);
}

bool TDBGrid::canEdit(int column) const {
    if (readOnly_ || !(options_ & dgEditing) || (options_ & dgRowSelect)) return false;
    TColumn* c = columns_.Items(column);
    TField* f = c ? c->Field() : nullptr;
    TDataSet* ds = dataSet();
    return f && ds && !c->ReadOnly() && !f->ReadOnly() && f->FieldKind() == fkData &&
           ds->CanModify();
}

bool TDBGrid::canEditText(int column) const {
    if (!canEdit(column)) return false;
    const TField* f = columns_.Items(column)->Field();
    // A memo (or any blob) is edited in its viewer, as the column's button
    // offers, unless the form gives it a text of its own.
    if (IsBlobType(f->DataType()) && !f->OnSetText) return false;
    return fitsLineEdit(f->Text(), lineEditLimit(f));
}

int TDBGrid::capacity() const {
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    return std::max(1, viewport()->height() / rowHeight);
}

int TDBGrid::VisibleRowCount() const {
    return model_->rowCount();
}

// ---------------------------------------------------------------------------
// Columns

void TDBGrid::linkActiveChanged() {
    if (columns_.State() == csDefault) buildDefaultColumns();
    selectedRows_.items_.clear();
    columnsChanged();
    fillWindow(0);
}

void TDBGrid::MoveColumn(int from, int to) {
    const int n = columns_.Count();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    if (columns_.State() == csDefault) {
        TField* campo = columns_.Items(from)->Field();
        TField* destino = columns_.Items(to)->Field();
        if (campo && destino) {
            // Widths and hidden columns survive the rebuild of the default columns.
            QStringList ocultas;
            for (int i = 0; i < n; ++i) {
                TColumn* c = columns_.Items(i);
                if (!c->Visible()) ocultas << c->FieldName();
                if (c->width_ >= 0) ResizeColumn(i, c->Width());
            }
            campo->setIndex(destino->Index());
            for (int i = 0; i < columns_.Count(); ++i)
                if (ocultas.contains(columns_.Items(i)->FieldName()))
                    columns_.Items(i)->visible_ = false;
            applyColumnGeometry();
            return;
        }
    }
    columns_.items_.move(from, to);
    if (selectedIndex_ == from) selectedIndex_ = to;
    columnsChanged();
}

void TDBGrid::ResizeColumn(int index, int width) {
    TColumn* c = columns_.Items(index);
    if (!c || !c->Visible()) return;
    c->width_ = std::max(0, width);
    c->designWidth_ = false;
    if (columns_.State() != csDefault) return;
    if (TField* f = c->Field()) {
        const int digito = std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
        f->setDisplayWidth(std::max(1, int(std::lround((c->width_ - 4) / double(digito)))));
    }
}

void TDBGrid::buildDefaultColumns() {
    columns_.items_.clear();
    TDataSet* ds = dataSet();
    if (!ds) return;
    for (TField* f : ds->Fields()) {
        if (!f->Visible()) continue;
        auto c = std::shared_ptr<TColumn>(new TColumn(this));
        c->fieldName_ = f->FieldName();
        c->title_.caption_ = f->DisplayLabel();
        columns_.items_.append(c);
    }
}

void TDBGrid::columnsChanged() {
    if (selectedIndex_ >= columns_.Count()) selectedIndex_ = std::max(0, columns_.Count() - 1);
    fillWindow(activeRow_);
}

int TDBGrid::defaultColumnWidth(const TColumn* column) const {
    const TField* f = column->Field();
    if (!f) return 64;
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    if (!(options_ & dgTitles)) return f->DisplayWidth() * digit + 4;
    // The title's text and the margins the header's style keeps around it.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    const int title =
        horizontalHeader()->fontMetrics().horizontalAdvance(column->Title()->Caption()) +
        2 * margin + 4;
    return std::max(f->DisplayWidth() * digit + 4, title);
}

int TDBGrid::scaledWidth(int designWidth) const {
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return int(std::lround(double(designWidth) * digit / TColumn::kDigitoDiseno));
}

void TDBGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    // Default and given widths are measured in the fonts: they follow them.
    if (event->type() == QEvent::FontChange) applyColumnGeometry();
}

void TDBGrid::applyColumnGeometry() {
    const bool was = syncing_;
    syncing_ = true;
    for (int i = 0; i < columns_.Count() && i < model_->columnCount(); ++i) {
        TColumn* c = columns_.Items(i);
        setColumnHidden(i, !c->Visible());
        if (c->Visible()) setColumnWidth(i, c->Width());
    }
    syncing_ = was;
}

void TDBGrid::setSelectedIndex(int index) {
    if (index < 0 || index >= columns_.Count() || index == selectedIndex_) return;
    selectedIndex_ = index;
    syncCurrentIndex();
    if (OnColEnter) RunHandler(this, [this] { OnColEnter(this); });
}

TField* TDBGrid::SelectedField() const {
    TColumn* c = columns_.Items(selectedIndex_);
    return c ? c->Field() : nullptr;
}

void TDBGrid::setSelectedField(TField* field) {
    for (int i = 0; i < columns_.Count(); ++i)
        if (field && columns_.Items(i)->Field() == field) {
            setSelectedIndex(i);
            return;
        }
}

// ---------------------------------------------------------------------------
// The window

void TDBGrid::fillWindow(int active) {
    TDataSet* ds = dataSet();
    const int cap = capacity();
    QVector<Model::Row> rows;
    auto textsOf = [this]() {
        QStringList texts;
        for (int i = 0; i < columns_.Count(); ++i) {
            TField* f = columns_.Items(i)->Field();
            texts << (f ? f->DisplayText() : QString());
        }
        return texts;
    };
    auto rowOf = [&](const TRow& r) {
        ds->BeginRowView(r);
        Model::Row row{r, textsOf(), false};
        ds->EndRowView();
        return row;
    };
    active = std::clamp(active, 0, cap - 1);
    // A new row starts at its first column, not at the one the grid was on.
    const bool inserting = ds && ds->State() == dsInsert;
    if (inserting && !inserting_) selectedIndex_ = firstVisibleColumn(newRowColumn_);
    inserting_ = inserting;
    ++filling_;
    try {
        if (ds && ds->State() == dsSetKey) {
            --filling_;
            return;  // fields show the key being typed: the window stays
        }
        if (ds && ds->State() == dsInsert) {
            Model::Row fresh{TRow(), textsOf(), true, true};
            if (ds->Eof()) {
                // Appended: after the last records.
                const QVector<TRow> last = ds->ReadRows(TBookmark(), cap - 1, true);
                for (auto it = last.rbegin(); it != last.rend(); ++it) rows.append(rowOf(*it));
                rows.append(fresh);
            } else {
                // Inserted: before the record that was current, the others as shown.
                QVector<Model::Row> kept;
                int at = -1;
                for (const Model::Row& r : std::as_const(model_->rows)) {
                    if (r.inserted) {
                        at = int(kept.size());
                        continue;
                    }
                    if (r.current && at < 0) at = int(kept.size());
                    kept.append(r);
                    kept.last().current = false;
                }
                if (at < 0) at = int(std::min<qsizetype>(activeRow_, kept.size()));
                rows = kept.mid(0, at);
                rows.append(fresh);
                rows += kept.mid(at, std::max(0, cap - at - 1));
            }
            activeRow_ = 0;
            for (int i = 0; i < rows.size(); ++i)
                if (rows[i].current) activeRow_ = i;
            atFirst_ = atLast_ = false;
        } else if (ds && !ds->IsEmpty()) {
            const TBookmark here = ds->GetBookmark();
            QVector<TRow> before = ds->ReadRows(here, active, true);
            const int wantAfter = cap - 1 - int(before.size());
            const QVector<TRow> after = ds->ReadRows(here, wantAfter);
            if (after.size() < wantAfter && before.size() == active) {
                // Near the end: more rows above fill the window.
                const TBookmark from = before.isEmpty() ? here : TBookmark{before.last().identity};
                before += ds->ReadRows(from, wantAfter - int(after.size()), true);
            }
            const int wantBefore = cap - 1 - int(after.size());
            // The ends of the data, for the scroll bar (a row beyond is looked for
            // only when the window did not ask for one).
            atFirst_ = before.size() < std::min(active, wantBefore) ||
                       (before.size() == 0 && (ds->Bof() || ds->ReadRows(here, 1, true).isEmpty()));
            atLast_ =
                after.size() < wantAfter || (wantAfter == 0 && ds->ReadRows(here, 1).isEmpty());
            for (auto it = before.rbegin(); it != before.rend(); ++it) rows.append(rowOf(*it));
            rows.append(Model::Row{TRow{{}, here.identity}, textsOf(), true});
            for (const TRow& r : after) rows.append(rowOf(r));
            activeRow_ = int(before.size());
        } else {
            activeRow_ = 0;
            atFirst_ = atLast_ = true;
        }
    } catch (...) {
        --filling_;
        HandleApplicationException(this, std::current_exception());
        return;
    }
    --filling_;
    // An open editor goes with the rows it stood on; the focus it had stays
    // in the grid rather than passing to whatever control follows it.
    if (editor_ && editor_->hasFocus()) {
        editor_->removeEventFilter(delegate_);
        setFocus(Qt::OtherFocusReason);
    }
    syncing_ = true;
    model_->reset(std::move(rows));
    syncing_ = false;
    applyColumnGeometry();
    syncCurrentIndex();
    updateScrollBar();
}

void TDBGrid::refreshCurrentRow() {
    if (activeRow_ < 0 || activeRow_ >= model_->rows.size()) {
        fillWindow(activeRow_);
        return;
    }
    Model::Row& r = model_->rows[activeRow_];
    if (!r.current) return;
    TDataSet* ds = dataSet();
    if (ds && (ds->State() == dsInsert) != r.inserted) {
        // Inserting began or ended: the window changes, not just this row.
        fillWindow(activeRow_);
        return;
    }
    QStringList texts;
    for (int i = 0; i < columns_.Count(); ++i) {
        TField* f = columns_.Items(i)->Field();
        texts << (f ? f->DisplayText() : QString());
    }
    r.texts = texts;
    Q_EMIT model_->dataChanged(model_->index(activeRow_, 0),
                               model_->index(activeRow_, std::max(0, columns_.Count() - 1)));
    Q_EMIT model_->headerDataChanged(Qt::Vertical, activeRow_, activeRow_);
}

void TDBGrid::syncCurrentIndex() {
    if (model_->rows.isEmpty() || columns_.Count() == 0) return;
    const QModelIndex want = model_->index(activeRow_, selectedIndex_);
    if (currentIndex() == want) return;
    syncing_ = true;
    selectionModel()->setCurrentIndex(
        want,
        QItemSelectionModel::ClearAndSelect |
            (options_ & dgRowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    syncing_ = false;
}

void TDBGrid::updateScrollBar() {
    const QSignalBlocker block(scrollBar_);
    scrollBar_->setValue(atFirst_ ? 0 : atLast_ ? 2 : 1);
    scrollBar_->setEnabled(!(atFirst_ && atLast_));
}

void TDBGrid::placeScrollBar() {
    // Over the strip the view keeps for its own bar: the view lays out the
    // headers' margins, and the strip is never one of them.
    scrollBar_->setGeometry(verticalScrollBar()->parentWidget()->geometry());
    scrollBar_->raise();
}

void TDBGrid::updateGeometries() {
    // The titles' height, known once there are columns, changes the rows that fit.
    const int before = capacity();
    QTableView::updateGeometries();
    placeScrollBar();
    if (capacity() != before) fillWindow(activeRow_);
}

void TDBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeScrollBar();
    if (capacity() != model_->rowCount() || !atLast_) fillWindow(activeRow_);
}

// ---------------------------------------------------------------------------
// Moving

bool TDBGrid::move(const std::function<void()>& step) {
    if (!dataSet()) return false;
    return RunHandler(this, step);
}

void TDBGrid::scrollAction(int action) {
    TDataSet* ds = dataSet();
    if (!ds) return;
    const int page = std::max(1, capacity() - 1);
    move([&] {
        switch (action) {
            case QAbstractSlider::SliderSingleStepAdd:
                ds->Next();
                break;
            case QAbstractSlider::SliderSingleStepSub:
                ds->Prior();
                break;
            case QAbstractSlider::SliderPageStepAdd:
                ds->MoveBy(page);
                break;
            case QAbstractSlider::SliderPageStepSub:
                ds->MoveBy(-page);
                break;
            case QAbstractSlider::SliderToMinimum:
                ds->First();
                break;
            case QAbstractSlider::SliderToMaximum:
                ds->Last();
                break;
            case QAbstractSlider::SliderMove:
                if (scrollBar_->sliderPosition() == 0) ds->First();
                if (scrollBar_->sliderPosition() == 2) ds->Last();
                break;
            default:
                break;
        }
    });
    // The bar tells where the dataset is, not where the slider went.
    scrollBar_->setSliderPosition(atFirst_ ? 0 : atLast_ ? 2 : 1);
}

QModelIndex TDBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    TDataSet* ds = dataSet();
    if (!ds) return QTableView::moveCursor(action, modifiers);
    const int page = std::max(1, capacity() - 1);
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (action) {
        case MoveUp:
            move([&] {
                UpdateData();
                lineUp();
            });
            break;
        case MoveDown:
            move([&] {
                UpdateData();
                if (ds->State() == dsInsert && !ds->Modified()) return;
                const bool wasInsert = ds->State() == dsInsert;
                if (ds->MoveBy(1) == 0 && !wasInsert && ds->Eof() && canAppend()) ds->Append();
            });
            break;
        case MoveNext: {
            if (modifiers & Qt::ShiftModifier) return QTableView::moveCursor(action, modifiers);
            const int siguiente = keyColumnFrom(selectedIndex_ + 1, 1);
            if (siguiente >= 0) return model_->index(activeRow_, siguiente);
            nextLine();
            break;
        }
        case MovePrevious: {
            const int anterior = keyColumnFrom(selectedIndex_ - 1, -1);
            if (anterior >= 0) return model_->index(activeRow_, anterior);
            previousLine();
            break;
        }
        case MovePageUp:
            move([&] { ds->MoveBy(-page); });
            break;
        case MovePageDown:
            move([&] { ds->MoveBy(page); });
            break;
        case MoveHome:
        case MoveEnd:
            if (ctrl) {
                move([&] {
                    if (action == MoveHome)
                        ds->First();
                    else
                        ds->Last();
                });
                break;
            }
            return QTableView::moveCursor(action, modifiers);
        default:
            return QTableView::moveCursor(action, modifiers);
    }
    return model_->index(activeRow_, selectedIndex_);
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid()) return;
    const int filaActiva = activeRow_;
    const int columnaAntes = selectedIndex_;
    // The row reached, by its identity: the line given up or posted on the
    // way, or a handler, re-reads the rows, and the position it had on screen
    // may then hold another line.
    const bool otraFila = current.row() != activeRow_;
    const QVariant pedida = otraFila ? identityAt(current.row()) : QVariant();
    if (current.column() != selectedIndex_) {
        // Leaving a column may be refused.
        const TDataSet* ds = dataSet();
        const bool tecleando = editingLine();
        const bool nueva = ds && ds->State() == dsInsert;
        const bool alFinal = nueva && ds->Eof();
        if (OnColExit && !RunHandler(this, [this] { OnColExit(this); })) {
            // A refusal that gave up the line being typed (an empty new
            // line) still takes the cursor to the cell clicked; by the keys,
            // a new line takes its place, so that what is typed next never
            // lands in the line that was above it.
            if (tecleando && !editingLine()) {
                if (pedida.isValid()) {
                    if (goToRow(current.row(), pedida)) setSelectedIndex(current.column());
                } else if (nueva) {
                    restartLine(alFinal);
                }
            }
            syncCurrentIndex();
            return;
        }
        selectedIndex_ = current.column();
        // A handler that re-read the rows put the cell back on the column it
        // left: the cell typed into next is the one entered.
        if (currentIndex().column() != selectedIndex_) syncCurrentIndex();
        if (OnColEnter) RunHandler(this, [this] { OnColEnter(this); });
        // A handler that posted moved the record to its place: the grid
        // follows it rather than the row the cell was on.
        if (activeRow_ != filaActiva && !pedida.isValid()) {
            syncCurrentIndex();
            return;
        }
    }
    if (otraFila) {
        // The cell clicked is the current one, whatever column a post on
        // the way (a form's after-post) chose; a line gone meanwhile leaves
        // the cell that was current.
        const int clicada = selectedIndex_;
        const int columna = goToRow(current.row(), pedida) ? clicada : columnaAntes;
        if (selectedIndex_ != columna) setSelectedIndex(columna);
        syncCurrentIndex();
    }
}

bool TDBGrid::goToRow(int row, const QVariant& identity) {
    TDataSet* ds = dataSet();
    if (!ds) return false;
    const int filaAntes = activeRow_;
    bool ido = false;
    move([&] {
        if (!identity.isValid()) {
            ds->MoveBy(row - activeRow_);
            ido = true;
            return;
        }
        // The line being typed is posted or given up first; the row is then
        // found again where it was on screen.
        ds->CheckBrowseMode();
        activeRow_ = row;
        try {
            ds->GotoBookmark(TBookmark{identity});
            ido = true;
        } catch (const EDatabaseError& e) {
            if (e.code() != DbError::InvalidBookmark) throw;
            // Deleted meanwhile: the clerk is told, as when the arrows reach
            // it, and the record current before the click stays current
            // (never one he did not point at).
            fillWindow(filaAntes);
            throw EDatabaseError::make(DbError::RecordDeleted);
        }
    });
    return ido;
}

bool TDBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    // After a move the column's checks refused, the view asks for the editor
    // of the cell it meant to reach: it opens in the cell kept, so that what
    // is typed next goes where the cursor shows.
    if (trigger == AllEditTriggers && index.isValid() && index.row() == activeRow_ &&
        currentIndex().isValid() && index != currentIndex())
        return QTableView::edit(currentIndex(), trigger, event);
    // Only the triggers the options allow (the view also asks on every change of cell).
    if (trigger == NoEditTriggers || trigger == AllEditTriggers || !(editTriggers() & trigger))
        return QTableView::edit(index, trigger, event);
    if (!index.isValid() || index.row() != activeRow_ || !canOpenEditor(index.column()))
        return false;
    const bool editable = canEditText(index.column());
    if (!editable && !hasEditButton(index.column())) return false;
    if (state() != EditingState && editable) {
        TDataSet* ds = dataSet();
        bool editing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
        if (!editing) RunHandler(this, [&] { editing = link_->Edit(); });
        if (!editing) return false;
    }
    // The key that opens the editor goes on into it, already handled.
    const TKeyHandedOn handedOn(trigger == AnyKeyPressed ? event : nullptr);
    return QTableView::edit(model_->index(activeRow_, index.column()), trigger, event);
}

void TDBGrid::setEditorMode(bool on) {
    if (on)
        edit(currentIndex(), EditKeyPressed, nullptr);
    else if (editor_)
        closeEditor(editor_, QAbstractItemDelegate::SubmitModelCache);
}

void TDBGrid::UpdateData() {
    // The cell being typed goes into its field; the field's error reaches the poster.
    if (!editor_ || state() != EditingState) return;
    if (readOnlyEditor(editor_)) return;
    TColumn* column = columns_.Items(currentIndex().column());
    TField* f = column ? column->Field() : nullptr;
    if (!f) return;
    const QString text = Delegate::editorText(editor_);
    if (text == f->Text()) return;
    try {
        f->setText(text);
    } catch (...) {
        refused(text);
        throw;
    }
}

void TDBGrid::refused(const QString& text) {
    refusedEditor_ = editor_;
    refusedText_ = text;
    holdRefusedCell();
}

void TDBGrid::commitData(QWidget* editor) {
    // The text refused already is not written (nor told) again: the message
    // that tells it, a window closing, a second Tab take the focus from the
    // editor without a new text to write.
    if (editor && editor == refusedEditor_ && Delegate::editorText(editor) == refusedText_) return;
    refusedEditor_ = nullptr;
    QTableView::commitData(editor);
}

void TDBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Tab, Enter or a click would otherwise open the next cell with its text
    // selected, and the correction typed next would replace that neighbour.
    if (editor && editor == refusedEditor_ && editor == editor_ && state() == EditingState &&
        hint != QAbstractItemDelegate::RevertModelCache) {
        holdRefusedCell();
        return;
    }
    refusedEditor_ = nullptr;
    QTableView::closeEditor(editor, hint);
}

void TDBGrid::holdRefusedCell() {
    QPointer<QWidget> editor = refusedEditor_;
    if (!editor) return;
    auto selectText = [](QWidget* e) {
        if (auto* combo = qobject_cast<QComboBox*>(e)) e = combo->lineEdit();
        if (auto* line = qobject_cast<QLineEdit*>(e)) line->selectAll();
    };
    selectText(editor);
    if (editor->hasFocus()) return;
    // The focus is on its way elsewhere (a click, a message): it comes back
    // once that is over.
    QTimer::singleShot(0, editor, [editor, selectText] {
        if (!editor || !editor->isVisible()) return;
        editor->setFocus(Qt::OtherFocusReason);
        selectText(editor);
    });
}

int TDBGrid::firstVisibleColumn(int from) const {
    for (int i = std::max(0, from); i < columns_.Count(); ++i)
        if (columns_.Items(i)->Visible()) return i;
    for (int i = 0; i < std::min(from, columns_.Count()); ++i)
        if (columns_.Items(i)->Visible()) return i;
    return 0;
}

bool TDBGrid::keyColumn(int column) const {
    const TColumn* c = columns_.Items(column);
    if (!c || !c->Visible()) return false;
    if (c->ButtonStyle() != cbsEllipsis) return true;
    // A memo's "…" column is its viewer's: a key typed there would be lost.
    const TField* f = c->Field();
    return !f || !IsBlobType(f->DataType()) || bool(f->OnSetText);
}

int TDBGrid::keyColumnFrom(int from, int step) const {
    for (int i = from; i >= 0 && i < columns_.Count(); i += step)
        if (keyColumn(i)) return i;
    return -1;
}

QVariant TDBGrid::identityAt(int row) const {
    return row >= 0 && row < model_->rows.size() ? model_->rows[row].row.identity : QVariant();
}

bool TDBGrid::editingLine() const {
    const TDataSet* ds = dataSet();
    return ds && (ds->State() == dsEdit || ds->State() == dsInsert);
}

void TDBGrid::cancelLine() {
    TDataSet* ds = dataSet();
    if (editor_ && state() == EditingState)
        closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
    if (ds)
        move([&] {
            if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Cancel();
        });
}

bool TDBGrid::canAppend() const {
    const TDataSet* ds = dataSet();
    return ds && !readOnly_ && (options_ & dgEditing) && ds->CanModify();
}

void TDBGrid::lineUp() {
    TDataSet* ds = dataSet();
    // An appended record left untouched goes away; one inserted above a
    // line goes too, and Up reaches the line above it.
    if (ds->State() == dsInsert && !ds->Modified() && ds->Eof())
        ds->Cancel();
    else
        ds->Prior();
}

void TDBGrid::restartLine(bool atEnd) {
    TDataSet* ds = dataSet();
    if (!ds || !canAppend() || editingLine()) return;
    move([&] {
        if (atEnd)
            ds->Append();
        else
            ds->Insert();
    });
}

void TDBGrid::nextLine() {
    TDataSet* ds = dataSet();
    if (!ds) return;
    const bool nueva = ds->State() == dsInsert;
    const bool alFinal = nueva && ds->Eof();
    const bool tecleada = nueva && ds->Modified();
    const QVariant antes = ds->GetBookmark().identity;
    const bool moved = move([&] {
        UpdateData();
        // The column is left as by any other move: its checks may refuse.
        if (OnColExit) OnColExit(this);
        // A new line nobody typed into stays as it is.
        if (ds->State() == dsInsert && !ds->Modified()) Abort();
        if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Post();
        // The post's own handlers may have started the next line already.
        if (ds->State() == dsInsert) return;
        // A line added at the end is followed by a new one at the end, even
        // where its post put it in its place among the others.
        if (alFinal && canAppend()) {
            ds->Append();
            return;
        }
        if (ds->MoveBy(1) == 0 && ds->Eof() && canAppend()) ds->Append();
    });
    // A new line the checks gave up: another takes its place (the keys
    // typed next never go into the line above).
    if (!moved && tecleada && !editingLine()) restartLine(alFinal);
    // A new line has its own starting column (set as it began); the last
    // line of a grid that adds none stays where it is.
    if (moved && ds->State() != dsInsert && (nueva || ds->GetBookmark().identity != antes))
        setSelectedIndex(firstVisibleColumn(0));
    syncCurrentIndex();
}

void TDBGrid::previousLine() {
    TDataSet* ds = dataSet();
    if (!ds) return;
    const bool nueva = ds->State() == dsInsert;
    const QVariant antes = ds->GetBookmark().identity;
    move([&] {
        UpdateData();
        if (OnColExit) OnColExit(this);
        lineUp();
    });
    // Reached the line above (or the line was given up on the way): its
    // last column.
    const bool otra = nueva ? ds->State() != dsInsert : ds->GetBookmark().identity != antes;
    if (otra) setSelectedIndex(std::max(0, keyColumnFrom(columns_.Count() - 1, -1)));
    syncCurrentIndex();
}

bool TDBGrid::focusNextPrevChild(bool next) {
    TDataSet* ds = dataSet();
    // Tab (or Enter) in an empty grid where lines may be added starts the
    // first line: the clerk is going to a column of it, and what he types
    // next would otherwise land in the window's next field (its text
    // selected, replaced by the typing).
    if (next && tabKeyNavigation() && ds && isVisible() && isEnabled() && hasFocus() &&
        ds->State() == dsBrowse && ds->IsEmpty() && canAppend()) {
        move([&] { ds->Append(); });
        return true;
    }
    if (tabKeyNavigation() && ds && isVisible() && isEnabled()) {
        QKeyEvent tab(QEvent::KeyPress, next ? Qt::Key_Tab : Qt::Key_Backtab, Qt::NoModifier);
        keyPressEvent(&tab);
        // Tab and Enter move within the grid and never take the keys out of
        // it (the mouse or the window's keys do): what is typed next goes
        // to the cell shown as current. A grid of whole rows has no cells
        // to move through.
        if (tab.isAccepted() || editingLine() || !(options_ & dgRowSelect)) return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TDBGrid::event(QEvent* event) {
    // Esc while a line is typed is the grid's (see keyPressEvent), never a
    // shortcut of the window's.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Cancel) && editingLine()) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    TDataSet* ds = dataSet();
    if (event->key() == Qt::Key_Escape && editingLine()) {
        cancelLine();
        return;
    }
    if (ds && event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier &&
        canAppend()) {
        move([&] { ds->Insert(); });
        return;
    }
    if (ds && (options_ & dgMultiSelect) && event->key() == Qt::Key_Space &&
        event->modifiers() == Qt::ControlModifier) {
        selectedRows_.setCurrentRowSelected(!selectedRows_.CurrentRowSelected());
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    // The view selects the cell it meant to reach after making it current;
    // a column's checks may have kept the cell where it was, and the cell
    // shown is the one typed into: the current one.
    const QModelIndex actual = currentIndex();
    if (!actual.isValid()) {
        QTableView::setSelection(rect, command);
        return;
    }
    selectionModel()->select(actual, QItemSelectionModel::ClearAndSelect |
                                         (options_ & dgRowSelect ? QItemSelectionModel::Rows
                                                                 : QItemSelectionModel::NoUpdate));
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    // A click elsewhere in the grid while a refused cell is held goes nowhere.
    if (refusedEditor_ && refusedEditor_ == editor_ && state() == EditingState) {
        event->accept();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    const QVariant apuntada = at.isValid() ? identityAt(at.row()) : QVariant();
    QTableView::mousePressEvent(event);
    if (!at.isValid() || !dataSet()) return;
    // A line that was not reached (deleted meanwhile) is neither selected
    // nor told to the form as clicked: the line current is another.
    if (apuntada.isValid() && dataSet()->GetBookmark().identity != apuntada) return;
    if (options_ & dgMultiSelect) {
        if (event->modifiers() & Qt::ControlModifier)
            selectedRows_.setCurrentRowSelected(!selectedRows_.CurrentRowSelected());
        else if (!(event->modifiers() & Qt::ShiftModifier))
            selectedRows_.Clear();
    }
    if (OnCellClick)
        if (TColumn* c = columns_.Items(at.column())) RunHandler(this, [&] { OnCellClick(c); });
}

void TDBGrid::wheelEvent(QWheelEvent* event) {
    TDataSet* ds = dataSet();
    const int steps = event->angleDelta().y() / 120;
    if (!ds || steps == 0) {
        QTableView::wheelEvent(event);
        return;
    }
    move([&] { ds->MoveBy(-steps * QApplication::wheelScrollLines()); });
    event->accept();
}

void TDBGrid::DoExit() {
    // An appended record nobody typed into goes away with the focus.
    TDataSet* ds = dataSet();
    if (ds && (options_ & dgCancelOnExit) && ds->State() == dsInsert && !ds->Modified())
        ds->Cancel();
    TControlBase::DoExit();
}

void TDBGrid::DefaultDrawColumnCell(const QRect& rect, int dataCol, TColumn* column, int state) {
    if (!canvas_ || !column) return;
    TField* f = column->Field();
    const QString text = f ? GridCellText(f->DisplayText()) : QString();
    const bool right = f && f->Alignment() == taRightJustify;
    canvas_->drawText(rect.adjusted(2, 0, -2, 0),
                      int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter), text);
}
