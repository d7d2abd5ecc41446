#pragma once
// Plain controls: thin stand-ins over Qt widgets under the names forms use.
// Each publishes the properties of RH_CONTROL (component.h) and its own.
// Events fire when the user acts and, as the system expects, when code
// changes the value (OnChange of an edit, OnClick of a check box).

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "ui/component.h"

class QButtonGroup;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QGridLayout;
class QPainter;

// Horizontal alignment of a caption or a value.
enum TTextAlignment { taLeft = 0, taRight = 1, taCentered = 2 };

class TLabel : public QLabel, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QLabel)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(int Alignment READ Alignment WRITE setAlignment)
public:
    explicit TLabel(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    int Alignment() const;
    void setAlignment(int a);  // TTextAlignment
    // Giving the focus to the label's control (the "&" key of its caption).
    void setFocusControl(QWidget* control) { setBuddy(control); }
};

class TEdit : public QLineEdit, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QLineEdit)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength)
    Q_PROPERTY(QString PasswordChar READ PasswordChar WRITE setPasswordChar)
    RH_EVENT(OnChange)
public:
    explicit TEdit(QWidget* parent = nullptr);
    QString Text() const { return text(); }
    // 0 is no limit.
    int MaxLength() const { return maxLength() == 32767 ? 0 : maxLength(); }
    void setMaxLength(int n) { QLineEdit::setMaxLength(n > 0 ? n : 32767); }
    QString PasswordChar() const;
    void setPasswordChar(const QString& c);
    void SelectAll() { selectAll(); }
    void Clear() { clear(); }
    bool Modified() const { return isModified(); }
    void setModified(bool v) { QLineEdit::setModified(v); }

    TNotifyEvent OnChange;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }
};

// An edit with a mask of the system's syntax: "mask;keepLiterals;blank",
// mask characters 0 (digit), 9 (digit or blank), # (digit, sign or blank),
// L/l (letter), A/a (letter or digit), C/c (any), > and < (case), \ (literal).
class TMaskEdit : public TEdit {
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ EditMask WRITE setEditMask)
    Q_PROPERTY(QString EditText READ EditText)
public:
    explicit TMaskEdit(QWidget* parent = nullptr);
    QString EditMask() const { return editMask_; }
    void setEditMask(const QString& mask);
    // The text as shown (literals and blanks); Text leaves the literals out
    // when the mask says they are not kept.
    QString EditText() const { return displayText(); }
    QString Text() const;
    // The Qt input mask that stands for a mask of the system's syntax.
    static QString QtInputMask(const QString& editMask);

private:
    QString editMask_;
    bool keepLiterals_ = true;
};

class TMemo : public QPlainTextEdit, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QPlainTextEdit)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(QStringList Lines READ Lines WRITE setLines)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength)
    RH_EVENT(OnChange)
public:
    explicit TMemo(QWidget* parent = nullptr);
    // Lines joined by CR LF, as the system stores memo texts.
    QString Text() const;
    void setText(const QString& text);
    QStringList Lines() const;
    void setLines(const QStringList& lines);
    bool WordWrap() const { return lineWrapMode() != NoWrap; }
    void setWordWrap(bool wrap) { setLineWrapMode(wrap ? WidgetWidth : NoWrap); }
    int MaxLength() const { return maxLength_; }
    void setMaxLength(int n) { maxLength_ = n; }
    void Clear() { clear(); }
    void SelectAll() { selectAll(); }

    TNotifyEvent OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    int maxLength_ = 0;
};

class TButton : public QPushButton, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QPushButton)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
public:
    explicit TButton(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    // A click gives the form this modal result (ending ShowModal) before OnClick.
    int ModalResult() const { return modalResult_; }
    void setModalResult(int r) { modalResult_ = r; }
    // Esc clicks a Cancel button.
    bool Cancel() const { return cancel_; }
    void setCancel(bool v);
    void Click() override;
    bool ClicksFromMouse() const override { return false; }

private:
    void clickedByUser();
    int modalResult_ = 0;
    bool cancel_ = false;
};

// A button with a picture.
class TBitBtn : public TButton {
    Q_OBJECT
    Q_PROPERTY(QIcon Glyph READ icon WRITE setIcon)
public:
    explicit TBitBtn(QWidget* parent = nullptr, const QString& caption = QString());
    void setGlyph(const QIcon& glyph) { setIcon(glyph); }
};

// A flat button that never takes the focus; with a GroupIndex it stays down
// as one of its group.
class TSpeedButton : public QToolButton, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QToolButton)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QIcon Glyph READ icon WRITE setIcon)
    Q_PROPERTY(bool Down READ Down WRITE setDown)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool Flat READ Flat WRITE setFlat)
public:
    explicit TSpeedButton(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    bool Down() const { return isChecked(); }
    void setDown(bool down);
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int g);
    bool Flat() const { return autoRaise(); }
    void setFlat(bool f) { setAutoRaise(f); }
    void Click() override { click(); }
    bool ClicksFromMouse() const override { return false; }

private:
    int groupIndex_ = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public QCheckBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QCheckBox)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
    Q_PROPERTY(int State READ State WRITE setState)
    Q_PROPERTY(bool AllowGrayed READ isTristate WRITE setTristate)
public:
    explicit TCheckBox(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    bool Checked() const { return isChecked(); }
    int State() const;
    void setState(int s);
    // OnClick runs whenever the state changes, by the user or by code.
    void Click() override { toggle(); }
    bool ClicksFromMouse() const override { return false; }
};

class TRadioButton : public QRadioButton, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QRadioButton)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ isChecked WRITE setChecked)
public:
    explicit TRadioButton(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    bool Checked() const { return isChecked(); }
    void Click() override { setChecked(true); }
    bool ClicksFromMouse() const override { return false; }
};

// A group of radio buttons, one per item, in Columns columns; OnClick runs
// when ItemIndex changes.
class TRadioGroup : public QGroupBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QGroupBox)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(int Columns READ Columns WRITE setColumns)
public:
    explicit TRadioGroup(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }
    QStringList Items() const { return items_; }
    void setItems(const QStringList& items);
    int ItemIndex() const { return itemIndex_; }
    void setItemIndex(int index);  // -1: none
    int Columns() const { return columns_; }
    void setColumns(int n);
    bool ClicksFromMouse() const override { return false; }

protected:
    // For TDBRadioGroup: the user picked an item.
    virtual void itemChosen(int index);

private:
    void rebuild();
    QStringList items_;
    int itemIndex_ = -1;
    int columns_ = 1;
    QButtonGroup* buttons_;
    QGridLayout* grid_;
    bool updating_ = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// The arrow of a combo whose list is empty opens an empty box all the same,
// which Esc, Enter or a click elsewhere closes (the list's keys never reach
// the window behind it). Called after QComboBox::showPopup.
void ShowEmptyDropDown(QComboBox* combo);

class TComboBox : public QComboBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QComboBox)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(int Style READ Style WRITE setStyle)
    Q_PROPERTY(bool Sorted READ Sorted WRITE setSorted)
    Q_PROPERTY(int DropDownCount READ maxVisibleItems WRITE setMaxVisibleItems)
    RH_EVENT(OnChange)
    RH_EVENT(OnSelect)
    RH_EVENT(OnDropDown)
public:
    explicit TComboBox(QWidget* parent = nullptr);
    QString Text() const { return currentText(); }
    // An item's text selects it; any other text is typed in (drop-down style)
    // or ignored (a list-only combo keeps none selected).
    void setText(const QString& text);
    QStringList Items() const;
    void setItems(const QStringList& items);
    int ItemIndex() const { return currentIndex(); }
    void setItemIndex(int index) { setCurrentIndex(index); }
    int Style() const { return style_; }
    void setStyle(int style);
    bool Sorted() const { return sorted_; }
    void setSorted(bool sorted);
    void Clear() { clear(); }

    TNotifyEvent OnChange;    // the text changed
    TNotifyEvent OnSelect;    // the user picked an item
    TNotifyEvent OnDropDown;  // the list is about to open (it may refill the items)
    void showPopup() override;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    int style_ = csDropDown;
    bool sorted_ = false;
};

class TListBox : public QListWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QListWidget)
    Q_PROPERTY(QStringList Items READ Items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE setItemIndex)
    Q_PROPERTY(bool MultiSelect READ MultiSelect WRITE setMultiSelect)
    Q_PROPERTY(bool Sorted READ isSortingEnabled WRITE setSortingEnabled)
    Q_PROPERTY(int SelCount READ SelCount)
public:
    explicit TListBox(QWidget* parent = nullptr);
    QStringList Items() const;
    void setItems(const QStringList& items);
    int ItemIndex() const { return currentRow(); }
    void setItemIndex(int index);
    bool MultiSelect() const { return selectionMode() == ExtendedSelection; }
    void setMultiSelect(bool v) { setSelectionMode(v ? ExtendedSelection : SingleSelection); }
    bool Selected(int index) const;
    void setSelected(int index, bool selected);
    int SelCount() const { return int(selectedItems().size()); }
    void Clear() { clear(); }
    bool ClicksFromMouse() const override { return false; }

    // Items dragged with the mouse onto a list box whose OnDragDrop is set:
    // it is told which list box they came from (Source, possibly itself); the
    // lists themselves change only as the handler says.
    std::function<void(QObject* Sender, QObject* Source)> OnDragDrop;
    void setDragMode(bool automatic);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    bool updating_ = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A container; its Caption, when any, is drawn in the middle.
class TPanel : public QFrame, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QFrame)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(int Alignment READ Alignment WRITE setAlignment)
public:
    explicit TPanel(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    int BevelOuter() const { return bevel_; }
    void setBevelOuter(int bevel);
    int Alignment() const { return alignment_; }
    void setAlignment(int a);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int bevel_ = bvRaised;
    int alignment_ = taCentered;
};

class TGroupBox : public QGroupBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QGroupBox)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TGroupBox(QWidget* parent = nullptr, const QString& caption = QString());
    QString Caption() const { return title(); }
    void setCaption(const QString& caption) { setTitle(caption); }
};

class TPageControl;

// A page of a TPageControl; TabVisible false takes its tab away.
class TTabSheet : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool TabVisible READ TabVisible WRITE setTabVisible)
    Q_PROPERTY(int PageIndex READ PageIndex)
public:
    // Added as the last page of `pageControl` (when given).
    explicit TTabSheet(TPageControl* pageControl = nullptr, const QString& caption = QString());
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool TabVisible() const { return tabVisible_; }
    void setTabVisible(bool visible);
    int PageIndex() const;
    TPageControl* PageControl() const;

private:
    QString caption_;
    bool tabVisible_ = true;
};

using TTabChangingEvent = TAllowEvent;  // (Sender, bool& AllowChange)

class TPageControl : public QTabWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QTabWidget)
    Q_PROPERTY(int ActivePageIndex READ ActivePageIndex WRITE setActivePageIndex)
    Q_PROPERTY(int PageCount READ PageCount)
    RH_EVENT(OnChange)
    RH_EVENT(OnChanging)
public:
    explicit TPageControl(QWidget* parent = nullptr);
    int PageCount() const { return count(); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const;
    void setActivePage(TTabSheet* page);
    int ActivePageIndex() const { return currentIndex(); }
    void setActivePageIndex(int index) { setCurrentIndex(index); }

    TNotifyEvent OnChange;         // another page became active
    TTabChangingEvent OnChanging;  // the user is leaving the page; false keeps it

private:
    void tabClicked(int index);
    int lastIndex_ = -1;
    bool reverting_ = false;
};

// A picture; Stretch scales it to the control.
class TImage : public QLabel, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QLabel)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE setStretch)
    Q_PROPERTY(bool Center READ Center WRITE setCenter)
    Q_PROPERTY(bool Empty READ Empty)
public:
    explicit TImage(QWidget* parent = nullptr);
    QImage Picture() const { return picture_; }
    void setPicture(const QImage& image);
    // False (and the picture unchanged) when the file is not a picture.
    bool LoadFromFile(const QString& fileName);
    void Clear() { setPicture(QImage()); }
    bool Empty() const { return picture_.isNull(); }
    bool Stretch() const { return hasScaledContents(); }
    void setStretch(bool v) { setScaledContents(v); }
    bool Center() const { return alignment() & Qt::AlignHCenter; }
    void setCenter(bool v) {
        QLabel::setAlignment(v ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
    }

private:
    QImage picture_;
};

struct TStatusPanel {
    QString Text;
    int Width = 50;
    int Alignment = taLeft;
};

// A status bar drawn by itself: one simple text, or panels side by side.
class TStatusBar : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    Q_PROPERTY(bool SimplePanel READ SimplePanel WRITE setSimplePanel)
    Q_PROPERTY(QString SimpleText READ SimpleText WRITE setSimpleText)
    Q_PROPERTY(int PanelCount READ PanelCount)
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    bool SimplePanel() const { return simplePanel_; }
    void setSimplePanel(bool v);
    QString SimpleText() const { return simpleText_; }
    void setSimpleText(const QString& text);
    int PanelCount() const { return int(panels_.size()); }
    TStatusPanel& Panels(int index) { return panels_[index]; }
    const TStatusPanel& Panels(int index) const { return panels_[index]; }
    TStatusPanel& AddPanel(const QString& text = QString(), int width = 50);
    void ClearPanels();
    void setPanelText(int index, const QString& text);
    // The width of a text in the bar's font, for sizing panels.
    int TextWidth(const QString& text) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool simplePanel_ = false;
    QString simpleText_;
    QList<TStatusPanel> panels_;
};

class TTimer : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(QVariant OnTimer READ eventOnTimer WRITE setEventOnTimer)
public:
    // Enabled, every 1000 ms, as a new timer is.
    explicit TTimer(QObject* owner = nullptr);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool v);
    int Interval() const { return interval_; }
    void setInterval(int ms);
    int Tag() const { return tag_; }
    void setTag(int v) { tag_ = v; }
    TNotifyEvent OnTimer;
    QVariant eventOnTimer() const { return bool(OnTimer); }
    void setEventOnTimer(const QVariant& v) { TControlBase::assignHandler(OnTimer, v); }

private:
    void update();
    QTimer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
    int tag_ = 0;
};

class TSpinEdit : public QSpinBox, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QSpinBox)
    Q_PROPERTY(int Value READ value WRITE setValue)
    Q_PROPERTY(int MinValue READ minimum WRITE setMinimum)
    Q_PROPERTY(int MaxValue READ maximum WRITE setMaximum)
    Q_PROPERTY(int Increment READ singleStep WRITE setSingleStep)
    RH_EVENT(OnChange)
public:
    explicit TSpinEdit(QWidget* parent = nullptr);
    int Value() const { return value(); }
    TNotifyEvent OnChange;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }
};

// Two arrow buttons, one above the other, that repeat while held; what they
// count is the form's business (OnUpClick, OnDownClick).
class TSpinButton : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    RH_EVENT(OnUpClick)
    RH_EVENT(OnDownClick)
public:
    explicit TSpinButton(QWidget* parent = nullptr);
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }
    // As a click on the upper or lower arrow.
    void UpClick() { up_->click(); }
    void DownClick() { down_->click(); }
    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

private:
    QToolButton* up_;
    QToolButton* down_;
};

class TProgressBar : public QProgressBar, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QProgressBar)
    Q_PROPERTY(int Position READ value WRITE setValue)
    Q_PROPERTY(int Min READ minimum WRITE setMinimum)
    Q_PROPERTY(int Max READ maximum WRITE setMaximum)
    Q_PROPERTY(int Step READ Step WRITE setStep)
public:
    explicit TProgressBar(QWidget* parent = nullptr);
    int Position() const { return value(); }
    int Step() const { return step_; }
    void setStep(int s) { step_ = s; }
    void StepIt() { StepBy(step_); }
    void StepBy(int delta);

private:
    int step_ = 10;
};

enum TDateTimeKind { dtkDate, dtkTime };

// Dates as dd/MM/yyyy, times as HH:mm:ss.
class TDateTimePicker : public QDateTimeEdit, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QDateTimeEdit)
    Q_PROPERTY(QDate Date READ date WRITE setDate)
    Q_PROPERTY(QTime Time READ time WRITE setTime)
    Q_PROPERTY(QDateTime DateTime READ dateTime WRITE setDateTime)
    Q_PROPERTY(int Kind READ Kind WRITE setKind)
    RH_EVENT(OnChange)
public:
    explicit TDateTimePicker(QWidget* parent = nullptr);
    QDate Date() const { return date(); }
    QTime Time() const { return time(); }
    int Kind() const { return kind_; }
    void setKind(int kind);
    TNotifyEvent OnChange;

protected:
    QPalette::ColorRole colorRole() const override { return QPalette::Base; }
    int defaultColor() const override { return clWindow; }

private:
    int kind_ = dtkDate;
};

// Sizes the controls on either side; the controls are added to it.
class TSplitter : public QSplitter, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QSplitter)
public:
    explicit TSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);
};

// Scrolls a client area; controls go on Client().
class TScrollBox : public QScrollArea, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QScrollArea)
public:
    explicit TScrollBox(QWidget* parent = nullptr);
    QWidget* Client() const { return widget(); }
};

// Drawn by its OnPaint handler through Canvas().
class TPaintBox : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    RH_EVENT(OnPaint)
public:
    explicit TPaintBox(QWidget* parent = nullptr);
    // The painter of the paint under way (nullptr outside OnPaint).
    QPainter* Canvas() const { return canvas_; }
    TNotifyEvent OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainter* canvas_ = nullptr;
};
