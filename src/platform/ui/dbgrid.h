#pragma once
// TDBGrid: the records of a data source as rows. The grid never reads the
// whole dataset: it shows a window of as many rows as fit, read around the
// current record (TDataSet::ReadRows), and the current record is always one
// of them. Moving in the grid moves the dataset (arrows, pages, Ctrl+Home,
// Ctrl+End, the wheel, a click on a row, the scroll bar, whose three
// positions say first, in between and last); moving the dataset moves the
// grid. Typing in a cell of an editable grid puts the dataset in edit mode
// and edits the field's Text (EditFormat); the cell shows DisplayText
// (DisplayFormat); the value goes in through the field (OnSetText) when the
// cell is left and the record is posted when the row is left. Down on the
// last record appends one; Up on an appended record left untouched cancels it.
// A row clicked is reached by its identity, whatever the line posted or given
// up on the way re-read, and the cell clicked is the current one; a row
// deleted meanwhile is told and the current row stays. Tab and Enter pass
// over a memo's "…" column (its viewer is opened with the mouse or the
// form's key) and never take the keys out of the grid; letters never search.
// The cell highlighted is always the current one.
// A memo, or a text the cell's single-line editor cannot hold whole (longer
// than it or its field, or with line ends), is not edited in the cell; where
// its column has a button, the cell opens read-only, for the button.
//
// Columns are the dataset's visible fields (DisplayLabel, DisplayWidth)
// unless columns were added; Columns().RestoreDefaults() goes back to them.

#include <QPointer>
#include <QTableView>
#include <algorithm>

#include "db/dataset.h"
#include "db/datasource.h"
#include "ui/component.h"
#include "ui/griddraw.h"

class QScrollBar;
class TDBGrid;
class TField;

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

class TColumnTitle {
public:
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    int Color() const { return color_; }
    void setColor(int c) { color_ = c; }

private:
    friend class TColumn;
    friend class TDBGrid;
    class TColumn* column_ = nullptr;
    QString caption_;
    int color_ = clBtnFace;
};

class TColumn {
public:
    QString FieldName() const { return fieldName_; }
    void setFieldName(const QString& name);
    // The field of the grid's dataset, while it is open.
    TField* Field() const;
    // In pixels on screen. Until a width is set (by code or by the user
    // dragging the title's edge) the column takes its default: the field's
    // DisplayWidth in characters of the grid's font, at least its title in the
    // titles' font; 64 without a field. It follows later changes of either font.
    int Width() const;
    // A width as the forms give it: pixels of the font the forms were laid out
    // in, whose digits are kDigitoDiseno pixels wide. The column shows it
    // scaled to the grid's font, and follows later changes of that font.
    void setWidth(int w);
    // A width measured on screen (the grid's width shared out, a text
    // measured in the grid's font): taken as it is.
    void setPixelWidth(int w);
    static constexpr int kDigitoDiseno = 6;
    bool Visible() const { return visible_; }
    void setVisible(bool v);
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool v) { readOnly_ = v; }
    TColumnButtonStyle ButtonStyle() const { return buttonStyle_; }
    void setButtonStyle(TColumnButtonStyle s) { buttonStyle_ = s; }
    QStringList PickList() const { return pickList_; }
    void setPickList(const QStringList& items) { pickList_ = items; }
    TColumnTitle* Title() { return &title_; }
    const TColumnTitle* Title() const { return &title_; }
    int Color() const { return color_; }
    void setColor(int c);
    int Index() const;
    TDBGrid* Grid() const { return grid_; }

private:
    friend class TDBGridColumns;
    friend class TColumnTitle;
    friend class TDBGrid;
    explicit TColumn(TDBGrid* grid);
    void changed();
    TDBGrid* grid_;
    QString fieldName_;
    int width_ = -1;            // -1: the default width
    bool designWidth_ = false;  // width_ in the forms' units, not on-screen pixels
    bool visible_ = true;
    bool readOnly_ = false;
    TColumnButtonStyle buttonStyle_ = cbsAuto;
    QStringList pickList_;
    TColumnTitle title_;
    int color_ = clWindow;
};

enum TDBGridColumnsState { csDefault, csCustomized };

class TDBGridColumns {
public:
    int Count() const { return int(items_.size()); }
    TColumn* Items(int index) const { return items_.value(index).get(); }
    TColumn* operator[](int index) const { return Items(index); }
    // A column added by code: the grid's columns are then its own.
    TColumn* Add();
    void Clear();
    void Delete(int index);
    TDBGridColumnsState State() const { return state_; }
    // Back to a column per visible field of the dataset.
    void RestoreDefaults();

private:
    friend class TDBGrid;
    friend class TColumn;
    explicit TDBGridColumns(TDBGrid* grid) : grid_(grid) {}
    TDBGrid* grid_;
    QList<std::shared_ptr<TColumn>> items_;
    TDBGridColumnsState state_ = csDefault;
};

// The bookmarks of the rows selected with dgMultiSelect (Ctrl+click).
class TBookmarkList {
public:
    int Count() const { return int(items_.size()); }
    TBookmark Items(int index) const { return items_.value(index); }
    bool Contains(const TBookmark& b) const;
    bool CurrentRowSelected() const;
    void setCurrentRowSelected(bool selected);
    void Clear();

private:
    friend class TDBGrid;
    explicit TBookmarkList(TDBGrid* grid) : grid_(grid) {}
    TDBGrid* grid_;
    QList<TBookmark> items_;
};

enum TDBGridOption {
    dgEditing = 1,
    dgAlwaysShowEditor = 2,
    dgTitles = 4,
    dgIndicator = 8,
    dgColumnResize = 16,
    dgColLines = 32,
    dgRowLines = 64,
    dgTabs = 128,
    dgRowSelect = 256,
    dgAlwaysShowSelection = 512,
    dgConfirmDelete = 1024,
    dgCancelOnExit = 2048,
    dgMultiSelect = 4096,
};
using TDBGridOptions = int;

using TDrawColumnCellEvent = std::function<void(QObject* Sender, const QRect& Rect, int DataCol,
                                                TColumn* Column, int State)>;
using TDBGridClickEvent = std::function<void(TColumn* Column)>;
Q_DECLARE_METATYPE(TDrawColumnCellEvent)
Q_DECLARE_METATYPE(TDBGridClickEvent)

// The part of a cell's text a grid lays out: at most a few thousand
// characters, never splitting a letter, elided when cut.
QString GridCellText(const QString& text);

class TDBGrid : public QTableView, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QTableView)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE setDataSource)
    Q_PROPERTY(int Options READ Options WRITE setOptions)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(int SelectedIndex READ SelectedIndex WRITE setSelectedIndex)
    Q_PROPERTY(int FixedColor READ FixedColor WRITE setFixedColor)
    Q_PROPERTY(QFont TitleFont READ TitleFont WRITE setTitleFont)
    Q_PROPERTY(int TitleFontColor READ TitleFontColor WRITE setTitleFontColor)
    Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE setDefaultRowHeight)
    RH_EVENT(OnEditButtonClick)
    RH_EVENT(OnDrawColumnCell)
    RH_EVENT(OnColEnter)
    RH_EVENT(OnColExit)
    RH_EVENT(OnTitleClick)
    RH_EVENT(OnCellClick)

public:
    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void setDataSource(TDataSource* source);
    TDBGridColumns& Columns() { return columns_; }
    TDBGridOptions Options() const { return options_; }
    void setOptions(TDBGridOptions options);
    bool ReadOnly() const { return readOnly_; }
    void setReadOnly(bool v);
    int FixedColor() const { return fixedColor_; }
    void setFixedColor(int c);
    QFont TitleFont() const;
    void setTitleFont(const QFont& font);
    int TitleFontColor() const { return titleFontColor_; }
    void setTitleFontColor(int c);
    int DefaultRowHeight() const;
    void setDefaultRowHeight(int h);

    // The current column (-1 when there is none) and its field.
    int SelectedIndex() const { return selectedIndex_; }
    // The column a new row starts at (the first visible one from there on);
    // 0 unless a grid's line must be typed from another column first.
    int NewRowColumn() const { return newRowColumn_; }
    void setNewRowColumn(int index) { newRowColumn_ = std::max(0, index); }
    void setSelectedIndex(int index);
    TField* SelectedField() const;
    void setSelectedField(TField* field);
    TBookmarkList& SelectedRows() { return selectedRows_; }
    // A column moved as the user drags its title: on the default columns the
    // field itself moves in the dataset (the columns follow the fields).
    void MoveColumn(int from, int to);
    // A column resized as the user drags its title's edge: on the default
    // columns the field's DisplayWidth follows (characters of the grid's font).
    void ResizeColumn(int index, int width);

    // The window: rows shown, and the one that is the current record.
    int VisibleRowCount() const;
    int Row() const { return activeRow_; }
    bool EditorMode() const { return state() == EditingState; }
    void setEditorMode(bool on);
    // Writes the open editor's text into the field (raises the field's error).
    void UpdateData();

    // The painter of the cell OnDrawColumnCell draws; fields read that row.
    QPainter* Canvas() const { return canvas_; }
    void DefaultDrawColumnCell(const QRect& rect, int dataCol, TColumn* column, int state);

    TNotifyEvent OnEditButtonClick;
    TDrawColumnCellEvent OnDrawColumnCell;
    TNotifyEvent OnColEnter;
    // May raise (Abort): the column does not change.
    TNotifyEvent OnColExit;
    TDBGridClickEvent OnTitleClick;
    TDBGridClickEvent OnCellClick;

    void DoExit() override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool event(QEvent* event) override;
    // Tab (and Enter, which the forms make a Tab) stays in a grid of cells:
    // the next column, the next line (see nextLine, previousLine).
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    // No search by typed letters: a letter never moves the cursor to
    // another record.
    void keyboardSearch(const QString&) override {}
    void mousePressEvent(QMouseEvent* event) override;
    // The selection is the current cell (or row), nothing else.
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    // A cell whose text the field refused keeps its editor, the focus and the
    // text selected, whatever asked to leave it; Esc still drops it.
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    class Link;
    class Model;
    class Delegate;
    friend class Link;
    friend class Model;
    friend class Delegate;
    friend class TColumn;
    friend class TDBGridColumns;
    friend class TBookmarkList;

    TDataSet* dataSet() const;
    bool canEdit(int column) const;
    // canEdit, and the current record's text goes whole through the cell's
    // single-line editor (else the editor opens read-only, or not at all).
    bool canEditText(int column) const;
    // An ellipsis column of the current row offers its button even where the
    // cell cannot be edited (the editor then shows the text read-only).
    bool canOpenEditor(int column) const;
    bool hasEditButton(int column) const;
    void linkActiveChanged();
    void buildDefaultColumns();
    void columnsChanged();
    void applyColumnGeometry();
    int defaultColumnWidth(const TColumn* column) const;
    int scaledWidth(int designWidth) const;
    // Reads the window again with the current record at `active` (as near
    // as the data allow).
    void fillWindow(int active);
    void refreshCurrentRow();
    void syncCurrentIndex();
    void updateScrollBar();
    void scrollAction(int action);
    bool move(const std::function<void()>& step);
    // Makes the window's row current: the record of that identity where it
    // has one (the line being typed posted or given up on the way), else the
    // record that many rows away.
    // False when the row was not reached (a record deleted meanwhile is
    // told, and the one current before stays current).
    bool goToRow(int row, const QVariant& identity);
    // A text the field refused in the open editor: the cell is held on it.
    void refused(const QString& text);
    // The refused cell's editor back in focus, its text selected.
    void holdRefusedCell();
    // Whether Esc belongs to the grid: a line of it is being edited or inserted.
    bool editingLine() const;
    // The identity of the line on screen row `row`; none past the lines.
    QVariant identityAt(int row) const;
    // Esc: the line being typed is dropped (its open cell with it).
    void cancelLine();
    // Tab (or Enter) on the last column: the line is posted and the next one
    // is shown (a new one at the end where lines may be added).
    void nextLine();
    // Shift+Tab on the first column: as Up, to the last column of the line
    // above.
    void previousLine();
    // Up's step: an appended line nobody typed into goes, else the record
    // before.
    void lineUp();
    // A new line given up by the checks of a column the keys left starts
    // again in its place (at the end or where it was inserted).
    void restartLine(bool atEnd);
    bool canAppend() const;
    // The columns Tab and Enter stop at: the visible ones but a memo's "…"
    // column, whose viewer the mouse or Ctrl+Enter opens. keyColumnFrom: the
    // first of them from `from` on, by `step` (-1 when none).
    bool keyColumn(int column) const;
    int keyColumnFrom(int from, int step) const;
    int firstVisibleColumn(int from) const;
    void placeScrollBar();
    int capacity() const;

    std::unique_ptr<Link> link_;
    Model* model_;
    Delegate* delegate_;
    QScrollBar* scrollBar_;
    TDBGridColumns columns_;
    TBookmarkList selectedRows_;
    TDBGridOptions options_ = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                              dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    bool readOnly_ = false;
    int fixedColor_ = clBtnFace;
    int titleFontColor_ = clWindowText;
    int selectedIndex_ = 0;
    int newRowColumn_ = 0;
    bool inserting_ = false;
    int activeRow_ = 0;
    bool atFirst_ = true;
    bool atLast_ = true;
    bool syncing_ = false;
    int filling_ = 0;
    QPainter* canvas_ = nullptr;
    QPointer<QWidget> editor_;
    // The open editor whose text the field refused at its last commit, and
    // that text.
    QPointer<QWidget> refusedEditor_;
    QString refusedText_;
};
