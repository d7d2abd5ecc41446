#include "ui/controls.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QDropEvent>
#include <QGridLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QTabBar>

#include "ui/form.h"

namespace {

Qt::Alignment qtAlignment(int a) {
    switch (a) {
        case taRight:
            return Qt::AlignRight | Qt::AlignVCenter;
        case taCentered:
            return Qt::AlignCenter;
        default:
            return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

int textAlignment(Qt::Alignment a) {
    if (a & Qt::AlignRight) return taRight;
    if (a & Qt::AlignHCenter) return taCentered;
    return taLeft;
}

void fire(QObject* sender, const TNotifyEvent& event) {
    if (event) RunHandler(sender, [&] { event(sender); });
}

}  // namespace

// ---------------------------------------------------------------------------

TLabel::TLabel(QWidget* parent, const QString& caption)
    : QLabel(caption, parent), TControlBase(this) {}

int TLabel::Alignment() const {
    return textAlignment(alignment());
}

void TLabel::setAlignment(int a) {
    QLabel::setAlignment(qtAlignment(a));
}

// ---------------------------------------------------------------------------

TEdit::TEdit(QWidget* parent) : QLineEdit(parent), TControlBase(this) {
    connect(this, &QLineEdit::textChanged, this, [this] { fire(this, OnChange); });
}

QString TEdit::PasswordChar() const {
    return echoMode() == Password ? QStringLiteral("*") : QString();
}

void TEdit::setPasswordChar(const QString& c) {
    setEchoMode(c.isEmpty() || c == QLatin1String("#0") ? Normal : Password);
}

// ---------------------------------------------------------------------------

TMaskEdit::TMaskEdit(QWidget* parent) : TEdit(parent) {}

QString TMaskEdit::QtInputMask(const QString& editMask) {
    const QStringList parts = editMask.split(QLatin1Char(';'));
    const QString mask = parts.value(0);
    QString out;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        switch (c.unicode()) {
            case '0':
                out += QLatin1Char('9');
                break;
            case '9':
                out += QLatin1Char('0');
                break;
            case '#':
                out += QLatin1Char('#');
                break;
            case 'L':
                out += QLatin1Char('A');
                break;
            case 'l':
                out += QLatin1Char('a');
                break;
            case 'A':
                out += QLatin1Char('N');
                break;
            case 'a':
                out += QLatin1Char('n');
                break;
            case 'C':
                out += QLatin1Char('X');
                break;
            case 'c':
                out += QLatin1Char('x');
                break;
            case '!':  // leading blanks: Qt keeps the text as typed
                break;
            case '<':
                if (i + 1 < mask.size() && mask[i + 1] == QLatin1Char('>')) {
                    out += QLatin1Char('!');
                    ++i;
                } else {
                    out += QLatin1Char('<');
                }
                break;
            case '>':
                out += QLatin1Char('>');
                break;
            case '\\':
                if (i + 1 < mask.size()) {
                    out += QLatin1Char('\\');
                    out += mask[++i];
                }
                break;
            default:
                // Any other character is a literal; Qt's own mask letters need escaping.
                if (QStringLiteral("AaNnXx90Dd#HhBb><!\\").contains(c)) out += QLatin1Char('\\');
                out += c;
                break;
        }
    }
    if (out.isEmpty()) return QString();
    const QString blank = parts.value(2);
    out += QLatin1Char(';');
    out += blank.isEmpty() ? QStringLiteral("_") : blank.left(1);
    return out;
}

void TMaskEdit::setEditMask(const QString& mask) {
    editMask_ = mask;
    const QStringList parts = mask.split(QLatin1Char(';'));
    keepLiterals_ = parts.size() < 2 || parts[1].trimmed() != QLatin1String("0");
    setInputMask(QtInputMask(mask));
}

QString TMaskEdit::Text() const {
    if (keepLiterals_ || editMask_.isEmpty()) return text();
    // Only the characters typed into mask positions.
    const QString shown = text();
    const QString mask = inputMask().section(QLatin1Char(';'), 0, 0);
    QString out;
    qsizetype pos = 0;
    for (qsizetype i = 0; i < mask.size() && pos < shown.size(); ++i) {
        const QChar m = mask[i];
        if (m == QLatin1Char('<') || m == QLatin1Char('>') || m == QLatin1Char('!')) continue;
        if (m == QLatin1Char('\\')) {
            ++i;
            ++pos;
            continue;
        }
        if (QStringLiteral("AaNnXx90Dd#HhBb").contains(m)) out += shown[pos];
        ++pos;
    }
    return out.trimmed();
}

// ---------------------------------------------------------------------------

TMemo::TMemo(QWidget* parent) : QPlainTextEdit(parent), TControlBase(this) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { fire(this, OnChange); });
}

QString TMemo::Text() const {
    return toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void TMemo::setText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(t);
}

QStringList TMemo::Lines() const {
    const QString t = toPlainText();
    return t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
}

void TMemo::setLines(const QStringList& lines) {
    setPlainText(lines.join(QLatin1Char('\n')));
}

void TMemo::keyPressEvent(QKeyEvent* event) {
    // The limit counts stored characters: a line break is two (CR LF).
    if (maxLength_ > 0 && !event->text().isEmpty() && event->text().at(0).isPrint() &&
        !textCursor().hasSelection() && Text().size() >= maxLength_)
        return;
    QPlainTextEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------------------

TButton::TButton(QWidget* parent, const QString& caption)
    : QPushButton(caption, parent), TControlBase(this) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &TButton::clickedByUser);
}

void TButton::setCancel(bool v) {
    cancel_ = v;
    setShortcut(v ? QKeySequence(Qt::Key_Escape) : QKeySequence());
}

void TButton::clickedByUser() {
    RunHandler(this, [this] { Click(); });
}

void TButton::Click() {
    if (modalResult_ != 0)
        if (TForm* form = ParentForm()) form->setModalResult(modalResult_);
    if (OnClick) OnClick(this);
}

TBitBtn::TBitBtn(QWidget* parent, const QString& caption) : TButton(parent, caption) {}

// ---------------------------------------------------------------------------

TSpeedButton::TSpeedButton(QWidget* parent, const QString& caption)
    : QToolButton(parent), TControlBase(this) {
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(this, &QToolButton::clicked, this, [this] { fire(this, OnClick); });
}

void TSpeedButton::setGroupIndex(int g) {
    groupIndex_ = g;
    setCheckable(g != 0);
}

void TSpeedButton::setDown(bool down) {
    if (groupIndex_ == 0) {
        QToolButton::setDown(down);
        return;
    }
    setChecked(down);
    if (!down || !parentWidget()) return;
    // One button down per group among the siblings.
    for (TSpeedButton* other :
         parentWidget()->findChildren<TSpeedButton*>(Qt::FindDirectChildrenOnly))
        if (other != this && other->groupIndex_ == groupIndex_) other->setChecked(false);
}

// ---------------------------------------------------------------------------

TCheckBox::TCheckBox(QWidget* parent, const QString& caption)
    : QCheckBox(caption, parent), TControlBase(this) {
    connect(this, &QCheckBox::stateChanged, this, [this] { fire(this, OnClick); });
}

int TCheckBox::State() const {
    switch (checkState()) {
        case Qt::Checked:
            return cbChecked;
        case Qt::PartiallyChecked:
            return cbGrayed;
        default:
            return cbUnchecked;
    }
}

void TCheckBox::setState(int s) {
    if (s == cbGrayed) setTristate(true);
    setCheckState(s == cbChecked  ? Qt::Checked
                  : s == cbGrayed ? Qt::PartiallyChecked
                                  : Qt::Unchecked);
}

TRadioButton::TRadioButton(QWidget* parent, const QString& caption)
    : QRadioButton(caption, parent), TControlBase(this) {
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) fire(this, OnClick);
    });
}

// ---------------------------------------------------------------------------

TRadioGroup::TRadioGroup(QWidget* parent, const QString& caption)
    : QGroupBox(caption, parent),
      TControlBase(this),
      buttons_(new QButtonGroup(this)),
      grid_(new QGridLayout(this)) {
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && !updating_) itemChosen(id);
    });
}

void TRadioGroup::itemChosen(int index) {
    setItemIndex(index);
}

void TRadioGroup::setItems(const QStringList& items) {
    items_ = items;
    if (itemIndex_ >= items_.size()) itemIndex_ = -1;
    rebuild();
}

void TRadioGroup::setColumns(int n) {
    columns_ = std::max(1, n);
    rebuild();
}

void TRadioGroup::setItemIndex(int index) {
    if (index < -1 || index >= items_.size()) index = -1;
    const bool changed = index != itemIndex_;
    itemIndex_ = index;
    updating_ = true;
    if (index >= 0) {
        buttons_->button(index)->setChecked(true);
    } else if (QAbstractButton* b = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        b->setChecked(false);
        buttons_->setExclusive(true);
    }
    updating_ = false;
    if (changed) fire(this, OnClick);
}

void TRadioGroup::rebuild() {
    for (QAbstractButton* b : buttons_->buttons()) {
        buttons_->removeButton(b);
        delete b;
    }
    const int perColumn = int((items_.size() + columns_ - 1) / columns_);
    for (int i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(items_[i], this);
        buttons_->addButton(b, i);
        grid_->addWidget(b, perColumn ? i % perColumn : 0, perColumn ? i / perColumn : 0);
    }
    updating_ = true;
    if (itemIndex_ >= 0) buttons_->button(itemIndex_)->setChecked(true);
    updating_ = false;
}

// ---------------------------------------------------------------------------

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent), TControlBase(this) {
    setEditable(true);
    connect(this, &QComboBox::currentTextChanged, this, [this] { fire(this, OnChange); });
    connect(this, &QComboBox::activated, this, [this] { fire(this, OnSelect); });
}

void TComboBox::setText(const QString& text) {
    const int i = findText(text);
    if (i >= 0)
        setCurrentIndex(i);
    else if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(-1);
}

QStringList TComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i) items << itemText(i);
    return items;
}

void TComboBox::setItems(const QStringList& items) {
    const QString text = currentText();
    clear();
    addItems(items);
    if (sorted_) model()->sort(0);
    if (isEditable())
        setEditText(text);
    else
        setCurrentIndex(findText(text));
}

namespace {

class EmptyDropDown : public QFrame {
public:
    explicit EmptyDropDown(QComboBox* combo) : QFrame(combo, Qt::Popup) {
        setAttribute(Qt::WA_DeleteOnClose);
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setFocusPolicy(Qt::StrongFocus);
        resize(combo->width(), combo->fontMetrics().height() + 6);
        move(combo->mapToGlobal(QPoint(0, combo->height())));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Escape:
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_F4:
                close();
                return;
            case Qt::Key_Up:
            case Qt::Key_Down:
                if (event->modifiers() & Qt::AltModifier) close();
                return;
            default:
                return;
        }
    }
};

}  // namespace

void ShowEmptyDropDown(QComboBox* combo) {
    if (!combo || combo->count() > 0 || QApplication::activePopupWidget()) return;
    auto* box = new EmptyDropDown(combo);
    box->show();
    box->setFocus(Qt::PopupFocusReason);
}

void TComboBox::showPopup() {
    if (OnDropDown) RunHandler(this, [this] { OnDropDown(this); });
    QComboBox::showPopup();
    ShowEmptyDropDown(this);
}

void TComboBox::setStyle(int style) {
    style_ = style;
    setEditable(style != csDropDownList);
}

void TComboBox::setSorted(bool sorted) {
    sorted_ = sorted;
    if (sorted) model()->sort(0);
}

// ---------------------------------------------------------------------------

TListBox::TListBox(QWidget* parent) : QListWidget(parent), TControlBase(this) {
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        if (!updating_) fire(this, OnClick);
    });
}

QStringList TListBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i) items << item(i)->text();
    return items;
}

void TListBox::setItems(const QStringList& items) {
    updating_ = true;
    clear();
    addItems(items);
    updating_ = false;
}

void TListBox::setItemIndex(int index) {
    updating_ = true;
    setCurrentRow(index);
    updating_ = false;
}

bool TListBox::Selected(int index) const {
    const QListWidgetItem* i = item(index);
    return i && i->isSelected();
}

void TListBox::setSelected(int index, bool selected) {
    if (QListWidgetItem* i = item(index)) i->setSelected(selected);
}

void TListBox::setDragMode(bool automatic) {
    setDragEnabled(automatic);
    setAcceptDrops(automatic);
    setDragDropMode(automatic ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void TListBox::dragEnterEvent(QDragEnterEvent* event) {
    if (OnDragDrop && qobject_cast<TListBox*>(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (OnDragDrop && qobject_cast<TListBox*>(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TListBox::dropEvent(QDropEvent* event) {
    auto* origen = qobject_cast<TListBox*>(event->source());
    if (!OnDragDrop || !origen) {
        event->ignore();
        return;
    }
    // Copy, never move: Qt would otherwise take the items out of the source.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    RunHandler(this, [&] { OnDragDrop(this, origen); });
}

// ---------------------------------------------------------------------------

TPanel::TPanel(QWidget* parent, const QString& caption)
    : QFrame(parent), TControlBase(this), caption_(caption) {
    setBevelOuter(bvRaised);
}

void TPanel::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TPanel::setBevelOuter(int bevel) {
    bevel_ = bevel;
    setFrameShape(bevel == bvNone ? QFrame::NoFrame : QFrame::Panel);
    setFrameShadow(bevel == bvLowered ? QFrame::Sunken : QFrame::Raised);
}

void TPanel::setAlignment(int a) {
    alignment_ = a;
    update();
}

void TPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (caption_.isEmpty()) return;
    QPainter p(this);
    p.drawText(contentsRect().adjusted(2, 0, -2, 0), int(qtAlignment(alignment_)), caption_);
}

TGroupBox::TGroupBox(QWidget* parent, const QString& caption)
    : QGroupBox(caption, parent), TControlBase(this) {}

// ---------------------------------------------------------------------------

TTabSheet::TTabSheet(TPageControl* pageControl, const QString& caption)
    : QWidget(nullptr), TControlBase(this), caption_(caption) {
    if (pageControl) pageControl->addTab(this, caption);
}

TPageControl* TTabSheet::PageControl() const {
    // The tab widget holds its pages in a stack of its own.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* pc = qobject_cast<TPageControl*>(w)) return pc;
    return nullptr;
}

int TTabSheet::PageIndex() const {
    TPageControl* pc = PageControl();
    return pc ? pc->indexOf(const_cast<TTabSheet*>(this)) : -1;
}

void TTabSheet::setCaption(const QString& caption) {
    caption_ = caption;
    if (TPageControl* pc = PageControl()) pc->setTabText(PageIndex(), caption);
}

void TTabSheet::setTabVisible(bool visible) {
    tabVisible_ = visible;
    if (TPageControl* pc = PageControl()) pc->setTabVisible(PageIndex(), visible);
}

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent), TControlBase(this) {
    connect(this, &QTabWidget::currentChanged, this, [this](int index) {
        if (reverting_) return;
        if (lastIndex_ >= 0 && OnChanging && index != lastIndex_) {
            bool allow = true;
            if (!RunHandler(this, [&] { OnChanging(this, allow); })) allow = false;
            if (!allow) {
                reverting_ = true;
                setCurrentIndex(lastIndex_);
                reverting_ = false;
                return;
            }
        }
        lastIndex_ = index;
        fire(this, OnChange);
    });
}

TTabSheet* TPageControl::Pages(int index) const {
    return qobject_cast<TTabSheet*>(widget(index));
}

TTabSheet* TPageControl::ActivePage() const {
    return qobject_cast<TTabSheet*>(currentWidget());
}

void TPageControl::setActivePage(TTabSheet* page) {
    setCurrentWidget(page);
}

// ---------------------------------------------------------------------------

TImage::TImage(QWidget* parent) : QLabel(parent), TControlBase(this) {}

void TImage::setPicture(const QImage& image) {
    picture_ = image;
    setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

bool TImage::LoadFromFile(const QString& fileName) {
    QImageReader reader(fileName);
    const QImage image = reader.read();
    if (image.isNull()) return false;
    setPicture(image);
    return true;
}

// ---------------------------------------------------------------------------

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent), TControlBase(this) {
    setMinimumHeight(fontMetrics().height() + 6);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TStatusBar::setSimplePanel(bool v) {
    simplePanel_ = v;
    update();
}

void TStatusBar::setSimpleText(const QString& text) {
    simpleText_ = text;
    update();
}

TStatusPanel& TStatusBar::AddPanel(const QString& text, int width) {
    panels_.append(TStatusPanel{text, width, taLeft});
    update();
    return panels_.last();
}

void TStatusBar::ClearPanels() {
    panels_.clear();
    update();
}

void TStatusBar::setPanelText(int index, const QString& text) {
    if (index < 0 || index >= panels_.size()) return;
    panels_[index].Text = text;
    update();
}

int TStatusBar::TextWidth(const QString& text) const {
    return fontMetrics().horizontalAdvance(text);
}

void TStatusBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect().adjusted(2, 1, -2, -1);
    if (simplePanel_) {
        p.drawText(all, int(Qt::AlignLeft | Qt::AlignVCenter), simpleText_);
        return;
    }
    int x = all.left();
    for (int i = 0; i < panels_.size(); ++i) {
        const TStatusPanel& panel = panels_[i];
        // The last panel takes what is left.
        const int w =
            i + 1 == panels_.size() ? std::max(panel.Width, all.right() - x) : panel.Width;
        const QRect r(x, all.top(), w, all.height());
        p.drawText(r.adjusted(2, 0, -2, 0), int(qtAlignment(panel.Alignment)), panel.Text);
        x += w + 2;
    }
}

// ---------------------------------------------------------------------------

TTimer::TTimer(QObject* owner) : QObject(owner) {
    connect(&timer_, &QTimer::timeout, this, [this] { fire(this, OnTimer); });
    update();
}

void TTimer::setEnabled(bool v) {
    enabled_ = v;
    update();
}

void TTimer::setInterval(int ms) {
    interval_ = ms;
    update();
}

void TTimer::update() {
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

// ---------------------------------------------------------------------------

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent), TControlBase(this) {
    setRange(0, 100);
    connect(this, &QSpinBox::valueChanged, this, [this] { fire(this, OnChange); });
}

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent),
      TControlBase(this),
      up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setArrowType(b == up_ ? Qt::UpArrow : Qt::DownArrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(18);
        layout->addWidget(b);
    }
    connect(up_, &QToolButton::clicked, this, [this] { fire(this, OnUpClick); });
    connect(down_, &QToolButton::clicked, this, [this] { fire(this, OnDownClick); });
}

TProgressBar::TProgressBar(QWidget* parent) : QProgressBar(parent), TControlBase(this) {
    setRange(0, 100);
    setValue(0);
}

void TProgressBar::StepBy(int delta) {
    const int v = value() + delta;
    // The bar wraps to its minimum after the maximum, as the system's does.
    setValue(v > maximum() ? minimum() + (v - maximum()) : v);
}

TDateTimePicker::TDateTimePicker(QWidget* parent) : QDateTimeEdit(parent), TControlBase(this) {
    setKind(dtkDate);
    setCalendarPopup(true);
    setDate(QDate::currentDate());
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] { fire(this, OnChange); });
}

void TDateTimePicker::setKind(int kind) {
    kind_ = kind;
    setDisplayFormat(kind == dtkTime ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd/MM/yyyy"));
}

TSplitter::TSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent), TControlBase(this) {}

TScrollBox::TScrollBox(QWidget* parent) : QScrollArea(parent), TControlBase(this) {
    setWidget(new QWidget);
    setWidgetResizable(true);
}

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent), TControlBase(this) {}

void TPaintBox::paintEvent(QPaintEvent*) {
    if (!OnPaint) return;
    QPainter p(this);
    canvas_ = &p;
    RunHandler(this, [this] { OnPaint(this); });
    canvas_ = nullptr;
}
