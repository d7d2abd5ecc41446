#include "ui/component.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "db/dberror.h"
#include "ui/form.h"
#include "ui/menus.h"

// ---------------------------------------------------------------------------
// Keys

int VirtualKeyOf(const QKeyEvent* event) {
    const int k = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return k;
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return keypad ? VK_NUMPAD0 + (k - Qt::Key_0) : k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return VK_F1 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        case Qt::Key_Pause:
            return VK_PAUSE;
        case Qt::Key_CapsLock:
            return VK_CAPITAL;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Insert:
            return VK_INSERT;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Asterisk:
            return keypad ? VK_MULTIPLY : 0;
        case Qt::Key_Plus:
            return keypad ? VK_ADD : VK_OEM_PLUS;
        case Qt::Key_Minus:
            return keypad ? VK_SUBTRACT : VK_OEM_MINUS;
        case Qt::Key_Period:
            return keypad ? VK_DECIMAL : VK_OEM_PERIOD;
        case Qt::Key_Comma:
            // Spanish keypads type "," with their decimal key.
            return keypad ? VK_DECIMAL : VK_OEM_COMMA;
        case Qt::Key_Slash:
            return keypad ? VK_DIVIDE : 0;
        default:
            return 0;
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

int QtKeyOf(int vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
    if (vk >= VK_F1 && vk <= VK_F12) return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return Qt::Key_0 + (vk - VK_NUMPAD0);
    switch (vk) {
        case VK_BACK:
            return Qt::Key_Backspace;
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        case VK_PRIOR:
            return Qt::Key_PageUp;
        case VK_NEXT:
            return Qt::Key_PageDown;
        case VK_END:
            return Qt::Key_End;
        case VK_HOME:
            return Qt::Key_Home;
        case VK_LEFT:
            return Qt::Key_Left;
        case VK_UP:
            return Qt::Key_Up;
        case VK_RIGHT:
            return Qt::Key_Right;
        case VK_DOWN:
            return Qt::Key_Down;
        case VK_INSERT:
            return Qt::Key_Insert;
        case VK_DELETE:
            return Qt::Key_Delete;
        case VK_ADD:
        case VK_OEM_PLUS:
            return Qt::Key_Plus;
        case VK_SUBTRACT:
        case VK_OEM_MINUS:
            return Qt::Key_Minus;
        case VK_DECIMAL:
        case VK_OEM_PERIOD:
            return Qt::Key_Period;
        case VK_OEM_COMMA:
            return Qt::Key_Comma;
        case VK_MULTIPLY:
            return Qt::Key_Asterisk;
        case VK_DIVIDE:
            return Qt::Key_Slash;
        default:
            return 0;
    }
}

// ---------------------------------------------------------------------------
// Colours and fonts

QColor ColorToQt(int color) {
    if (color == clNone || color == clDefault) return QColor();
    if (color < 0) {
        const QPalette p = QGuiApplication::palette();
        switch (color & 0xFF) {
            case 5:
                return p.color(QPalette::Base);
            case 8:
                return p.color(QPalette::Text);
            case 13:
                return p.color(QPalette::Highlight);
            case 14:
                return p.color(QPalette::HighlightedText);
            case 15:
                return p.color(QPalette::Button);
            case 24:
                return p.color(QPalette::ToolTipBase);
            case 28:
                return QColor(215, 228, 242);  // a light neutral for the modern look
            default:
                return p.color(QPalette::Window);
        }
    }
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

int ColorFromQt(const QColor& color) {
    return color.red() + 256 * color.green() + 65536 * color.blue();
}

QString FontFamily(const QString& windowsName) {
    static const char* const kSans[] = {"Arial",    "MS Sans Serif", "Tahoma",
                                        "Segoe UI", "Verdana",       "Small Fonts"};
    for (const char* s : kSans)
        if (windowsName.compare(QLatin1String(s), Qt::CaseInsensitive) == 0)
            return QStringLiteral("Liberation Sans");
    if (windowsName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return windowsName;
}

QFont MakeFont(const QString& windowsName, int points) {
    QFont font(FontFamily(windowsName));
    if (points > 0) font.setPointSize(points);
    return font;
}

namespace {
const QEvent* keyHandedOn = nullptr;
}  // namespace

TKeyHandedOn::TKeyHandedOn(const QEvent* event) : previous_(keyHandedOn) {
    if (event) keyHandedOn = event;
}

TKeyHandedOn::~TKeyHandedOn() {
    keyHandedOn = previous_;
}

bool TKeyHandedOn::Contains(const QEvent* event) {
    return event && event == keyHandedOn;
}

// ---------------------------------------------------------------------------
// Exceptions

namespace {

TExceptionHandler& exceptionHook() {
    static TExceptionHandler hook;
    return hook;
}

}  // namespace

void SetApplicationExceptionHandler(TExceptionHandler handler) {
    exceptionHook() = std::move(handler);
}

void HandleApplicationException(QObject* Sender, std::exception_ptr error) {
    if (exceptionHook()) {
        try {
            exceptionHook()(Sender, error);
        } catch (...) {
            // The hook is the last stop: nothing may leave it.
        }
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const EDatabaseError& e) {
        qWarning("%s", qUtf8Printable(e.Message()));
    } catch (const std::exception& e) {
        qWarning("%s", e.what());
    } catch (...) {
        qWarning("unknown exception in an event handler");
    }
}

bool RunHandler(QObject* Sender, const std::function<void()>& call) {
    try {
        call();
        return true;
    } catch (...) {
        HandleApplicationException(Sender, std::current_exception());
        return false;
    }
}

// ---------------------------------------------------------------------------
// The dispatcher: one application-wide filter gives forms and controls their
// key events (the form first when it previews keys), mouse clicks and focus
// changes between controls of one form.

namespace {

TForm* FormOf(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* f = qobject_cast<TForm*>(w)) return f;
    return nullptr;
}

// The form and control a typed key belongs to. A window of Qt's own (a message
// dialog, a drop-down list) keeps its keys: the form behind it never sees the
// Return that closes a message or the Esc that closes a list.
void KeyOwners(QWidget* w, TForm*& form, TControlBase*& control) {
    form = nullptr;
    control = nullptr;
    for (; w; w = w->parentWidget()) {
        if (auto* f = qobject_cast<TForm*>(w)) {
            form = f;
            return;
        }
        if (!control) control = dynamic_cast<TControlBase*>(w);
        if (w->isWindow()) return;
    }
}

class Dispatcher : public QObject {
public:
    Dispatcher() {
        qApp->installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, &Dispatcher::focusChanged);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress: {
                if (sending_ || !watched->isWidgetType() || TKeyHandedOn::Contains(event))
                    return false;
                auto* w = static_cast<QWidget*>(watched);
                // Only where the key was typed: a key a control ignores travels on
                // to its parents (an editor's to its grid), dispatched once already.
                QWidget* focus = QApplication::focusWidget();
                if (focus ? w != focus : !w->isWindow()) return false;
                return keyPress(w, static_cast<QKeyEvent*>(event));
            }
            case QEvent::ShortcutOverride: {
                // Esc typed in an open drop-down list is the list's own: no
                // window's Esc shortcut ("Cancelar Edición", a cancel button)
                // may take it before the list closes.
                QWidget* popup = QApplication::activePopupWidget();
                auto* w = watched->isWidgetType() ? static_cast<QWidget*>(watched) : nullptr;
                auto* key = static_cast<QKeyEvent*>(event);
                if (!w) return false;
                if (!popup && windowKey(w, key)) {
                    // Not offered to the field: the window's shortcut runs.
                    event->ignore();
                    return true;
                }
                if (!popup || (w != popup && !popup->isAncestorOf(w))) return false;
                if (!key->matches(QKeySequence::Cancel)) return false;
                event->accept();
                return true;
            }
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                if (!watched->isWidgetType()) return false;
                mouse(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
                return false;
            default:
                return false;
        }
    }

private:
    // A key a window answers wherever the keyboard is in it (a shortcut of
    // its own, such as Ctrl+F4 on a child window or the main window's
    // Ctrl+E) is never a field's typing, though a line edit under X11's key
    // bindings would take Ctrl+E as the end of the line.
    static bool windowKey(QWidget* w, const QKeyEvent* key) {
        const QKeySequence typed(key->keyCombination());
        for (QWidget* p = w; p; p = p->parentWidget()) {
            for (QShortcut* s : p->findChildren<QShortcut*>(Qt::FindDirectChildrenOnly))
                if (s->isEnabled() && s->key() == typed) return true;
            if (p->isWindow()) break;
        }
        return false;
    }

    // Sends a replacement key event without dispatching it again.
    void resend(QWidget* target, QKeyEvent* original, int qtKey, const QString& text) {
        QKeyEvent replacement(QEvent::KeyPress, qtKey, original->modifiers(), text);
        sending_ = true;
        QCoreApplication::sendEvent(target, &replacement);
        sending_ = false;
    }

    bool keyPress(QWidget* w, QKeyEvent* e) {
        QPointer<QWidget> target(w);
        TForm* form = nullptr;
        TControlBase* control = nullptr;
        KeyOwners(w, form, control);
        QPointer<TForm> formGuard(form);
        const bool preview = form && form->KeyPreview();

        const int original = VirtualKeyOf(e);
        int key = original;
        const TShiftState shift = ShiftStateOf(e->modifiers());
        if (key != 0) {
            auto fire = [&](TControlBase* c, QObject* sender) {
                if (key == 0 || !c || !c->OnKeyDown) return;
                if (!RunHandler(sender, [&] { c->OnKeyDown(sender, key, shift); })) key = 0;
            };
            if (preview) fire(form, form);
            if (control && target) fire(control, control->Widget());
            if (!control && form && !preview && formGuard) fire(form, form);
            if (!target) return true;
            if (key == 0) return true;
            if (key != original) {
                if (key == VK_TAB)
                    resend(target, e, shift & ssShift ? Qt::Key_Backtab : Qt::Key_Tab, QString());
                else
                    resend(target, e, QtKeyOf(key), QString());
                return true;
            }
        }

        const QString text = e->text();
        if (text.size() != 1) return false;
        const QChar typed = text.at(0);
        if (!typed.isPrint() && typed != QLatin1Char('\r') && typed != QChar(27) &&
            typed != QChar(8))
            return false;
        QChar ch = typed;
        auto firePress = [&](TControlBase* c, QObject* sender) {
            if (ch.isNull() || !c || !c->OnKeyPress) return;
            if (!RunHandler(sender, [&] { c->OnKeyPress(sender, ch); })) ch = QChar();
        };
        if (preview && formGuard) firePress(form, form);
        if (control && target) firePress(control, control->Widget());
        if (!control && form && !preview && formGuard) firePress(form, form);
        if (!target || ch.isNull()) return true;
        if (ch != typed) {
            const int qtKey = ch == QLatin1Char('\r') ? int(Qt::Key_Return) : e->key();
            resend(target, e, qtKey, QString(ch));
            return true;
        }
        return false;
    }

    void mouse(QWidget* w, QMouseEvent* e) {
        if (e->button() != Qt::LeftButton) return;
        TControlBase* control = ControlOf(w);
        if (!control) return;
        QWidget* self = control->Widget();
        if (e->type() == QEvent::MouseButtonDblClick) {
            if (control->OnDblClick) RunHandler(self, [&] { control->OnDblClick(self); });
            return;
        }
        if (!control->ClicksFromMouse() || !control->OnClick) return;
        if (!w->rect().contains(e->position().toPoint())) return;
        RunHandler(self, [&] { control->OnClick(self); });
    }

    void focusChanged(QWidget* old, QWidget* now) {
        if (!old || !now) return;  // a window lost or got the focus: controls keep theirs
        // Nor does a message or a list shown over the form (a dialog of its
        // own, parented to it) take the focus from its control: the line
        // being typed in a grid stays, and the focus comes back to it.
        if (old->window() != now->window()) return;
        if (now == restoring_) {
            restoring_ = nullptr;
            return;
        }
        TForm* form = FormOf(old);
        if (!form || FormOf(now) != form) return;
        TControlBase* from = ControlOf(old);
        TControlBase* to = ControlOf(now);
        if (from == to) return;
        QPointer<QWidget> fromWidget(from ? from->Widget() : nullptr);
        QPointer<QWidget> toWidget(to ? to->Widget() : nullptr);
        if (from && from != static_cast<TControlBase*>(form)) {
            if (!RunHandler(fromWidget, [&] { from->DoExit(); })) {
                // The control refused to be left: the focus goes back to it.
                if (fromWidget) {
                    restoring_ = old;
                    QTimer::singleShot(0, fromWidget, [w = QPointer<QWidget>(old)] {
                        if (w) w->setFocus(Qt::OtherFocusReason);
                    });
                }
                return;
            }
        }
        if (to && toWidget && to != static_cast<TControlBase*>(form))
            RunHandler(toWidget, [&] { to->DoEnter(); });
    }

    bool sending_ = false;
    QPointer<QWidget> restoring_;
};

void ensureDispatcher() {
    static Dispatcher* dispatcher = nullptr;
    if (!dispatcher && qApp) dispatcher = new Dispatcher;
}

}  // namespace

// ---------------------------------------------------------------------------
// TControlBase

TControlBase::TControlBase(QWidget* self) : self_(self) {
    ensureDispatcher();
}

TControlBase::~TControlBase() = default;

TControlBase* ControlOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (auto* c = dynamic_cast<TControlBase*>(w)) return c;
    return nullptr;
}

TForm* TControlBase::ParentForm() const {
    return FormOf(self_);
}

QString TControlBase::Hint() const {
    return self_->toolTip();
}

void TControlBase::setHint(const QString& hint) {
    self_->setToolTip(hint);
}

bool TControlBase::Visible() const {
    return !(self_->testAttribute(Qt::WA_WState_ExplicitShowHide) && self_->isHidden());
}

void TControlBase::setColor(int color) {
    color_ = color;
    applyColors();
}

void TControlBase::setFontColor(int color) {
    fontColor_ = color;
    applyColors();
}

void TControlBase::applyColors() {
    QPalette p = self_->palette();
    const QColor back = ColorToQt(color_ == clDefault ? defaultColor() : color_);
    if (color_ != clDefault && back.isValid()) {
        p.setColor(colorRole(), back);
        if (colorRole() == QPalette::Window) self_->setAutoFillBackground(true);
    }
    const QColor text = ColorToQt(fontColor_);
    if (text.isValid() && fontColor_ != clWindowText) {
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Text, text);
        p.setColor(QPalette::ButtonText, text);
    }
    self_->setPalette(p);
}

void TControlBase::AssignFont(const QFont& font) {
    QFont f = font;
    const QString family = FontFamily(font.family());
    if (family != font.family()) f.setFamily(family);
    self_->setFont(f);
}

int TControlBase::Left() const {
    return self_->x();
}

void TControlBase::setLeft(int v) {
    self_->move(v, self_->y());
}

int TControlBase::Top() const {
    return self_->y();
}

void TControlBase::setTop(int v) {
    self_->move(self_->x(), v);
}

int TControlBase::Width() const {
    return self_->width();
}

void TControlBase::setWidth(int v) {
    hintWidth_ = std::max(0, v);
    self_->resize(hintWidth_, self_->height());
    self_->updateGeometry();
}

int TControlBase::Height() const {
    return self_->height();
}

void TControlBase::setHeight(int v) {
    hintHeight_ = std::max(0, v);
    self_->resize(self_->width(), hintHeight_);
    self_->updateGeometry();
}

void TControlBase::SetBounds(int left, int top, int width, int height) {
    setLeft(left);
    setTop(top);
    setWidth(width);
    setHeight(height);
}

QSize TControlBase::hintFor(QSize natural) const {
    if (hintWidth_ >= 0) natural.setWidth(hintWidth_);
    if (hintHeight_ >= 0) natural.setHeight(hintHeight_);
    return natural;
}

void TControlBase::setTabOrderIndex(int order) {
    tabOrder_ = order;
    QWidget* parent = self_->parentWidget();
    if (!parent) return;
    // The siblings that have an order, chained in that order.
    QList<TControlBase*> ordered;
    for (QObject* o : parent->children())
        if (auto* w = qobject_cast<QWidget*>(o))
            if (auto* c = dynamic_cast<TControlBase*>(w); c && c->tabOrder_ >= 0) ordered.append(c);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](TControlBase* a, TControlBase* b) { return a->tabOrder_ < b->tabOrder_; });
    for (int i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1]->self_, ordered[i]->self_);
}

TPopupMenu* TControlBase::PopupMenu() const {
    return static_cast<TPopupMenu*>(popupMenu_.data());
}

void TControlBase::setPopupMenu(TPopupMenu* menu) {
    const bool connectNow = !popupMenu_ && menu;
    popupMenu_ = menu;
    self_->setContextMenuPolicy(menu ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    if (connectNow) {
        QObject::connect(self_, &QWidget::customContextMenuRequested, self_,
                         [this](const QPoint& pos) {
                             if (TPopupMenu* m = PopupMenu()) m->Popup(self_->mapToGlobal(pos));
                         });
    }
}

bool TControlBase::CanFocus() const {
    return self_->isEnabled() && self_->isVisible() && self_->focusPolicy() != Qt::NoFocus;
}

void TControlBase::SetFocus() {
    self_->setFocus(Qt::OtherFocusReason);
}

bool TControlBase::Focused() const {
    QWidget* f = QApplication::focusWidget();
    return f && ControlOf(f) == this;
}

void TControlBase::Click() {
    if (OnClick) OnClick(self_);
}

void TControlBase::DoEnter() {
    if (OnEnter) OnEnter(self_);
}

void TControlBase::DoExit() {
    if (OnExit) OnExit(self_);
}
