#pragma once
// What every stand-in control shares: handler types, key codes and shift
// states as handlers see them, colour values, the installed substitutes of
// Windows font names, the application's exception hook, and TControlBase
// with the published properties and events common to all controls.
//
// A control derives from its Qt widget and from TControlBase, and writes
// RH_CONTROL(QtBase) in its body: that publishes Name, Enabled, Visible,
// Tag, Hint, Color, Font, FontColor, Left, Top, Width, Height, TabOrder and
// the events OnClick, OnDblClick, OnEnter, OnExit, OnKeyDown, OnKeyPress as
// Q_PROPERTYs, so that framework code finds them by name. An event property
// reads as true when a handler is assigned and accepts a handler of its type
// (QVariant::fromValue) or an empty QVariant to remove it.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <exception>
#include <functional>

class TForm;
class TPopupMenu;
class QEvent;
class QKeyEvent;

// ---------------------------------------------------------------------------
// Handler types. Events are std::function members: "assigned" is operator bool.

using TNotifyEvent = std::function<void(QObject* Sender)>;

// Modifier keys and mouse buttons held, as a set of bits.
enum TShiftStateFlag {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = int;

// Key is a virtual-key code (VK_*); a handler that sets it to 0 swallows the
// key, one that sets VK_TAB moves the focus as Tab does.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
// Key is the character typed; QChar() swallows it, another character replaces it.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

// A question a handler answers by clearing the flag (OnCloseQuery, OnChanging...).
using TAllowEvent = std::function<void(QObject* Sender, bool& Allow)>;

Q_DECLARE_METATYPE(TNotifyEvent)
Q_DECLARE_METATYPE(TAllowEvent)
Q_DECLARE_METATYPE(TKeyEvent)
Q_DECLARE_METATYPE(TKeyPressEvent)

// Virtual-key codes as handlers compare them; letters and digits are their
// upper-case character codes ('A' = 65, '0' = 48).
enum TVirtualKey : int {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_NUMPAD0 = 96,
    VK_MULTIPLY = 106,
    VK_ADD = 107,
    VK_SUBTRACT = 109,
    VK_DECIMAL = 110,
    VK_DIVIDE = 111,
    VK_F1 = 112,
    VK_F2,
    VK_F3,
    VK_F4,
    VK_F5,
    VK_F6,
    VK_F7,
    VK_F8,
    VK_F9,
    VK_F10,
    VK_F11,
    VK_F12,
    VK_OEM_PLUS = 187,
    VK_OEM_COMMA = 188,
    VK_OEM_MINUS = 189,
    VK_OEM_PERIOD = 190,
};

// The virtual-key code and shift state of a Qt key event (0 when it has none),
// and the Qt key of a virtual-key code.
int VirtualKeyOf(const QKeyEvent* event);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {});
int QtKeyOf(int virtualKey);

// A key a control hands on to a widget of its own (a grid to the cell editor
// that key opens) was seen already by the form's and the control's key
// handlers: while the guard lives, that event reaches the widget without
// running them a second time.
class TKeyHandedOn {
public:
    explicit TKeyHandedOn(const QEvent* event);
    ~TKeyHandedOn();
    TKeyHandedOn(const TKeyHandedOn&) = delete;
    TKeyHandedOn& operator=(const TKeyHandedOn&) = delete;
    static bool Contains(const QEvent* event);

private:
    const QEvent* previous_;
};

// ---------------------------------------------------------------------------
// Colours as the system stores them: red + 256 * green + 65536 * blue, or a
// system colour (negative values: 0x80000000 + the system index).

enum TColorValue : int {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clWindow = int(0x80000005),
    clWindowText = int(0x80000008),
    clBtnFace = int(0x8000000F),
    clHighlight = int(0x8000000D),
    clHighlightText = int(0x8000000E),
    clGradientInactiveCaption = int(0x8000001C),
    clInfoBk = int(0x80000018),
    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};

// System colours take the application palette's colour of the same role.
QColor ColorToQt(int color);
int ColorFromQt(const QColor& color);

// ---------------------------------------------------------------------------
// Fonts: the installed family that stands for a Windows font name (Liberation
// Sans for Arial, MS Sans Serif, Tahoma, Segoe UI, Verdana; Liberation Mono for
// Courier New); other names unchanged.
QString FontFamily(const QString& windowsName);
// A font of that name (substituted) and point size (0 keeps the default size).
QFont MakeFont(const QString& windowsName, int points);

// ---------------------------------------------------------------------------
// Exceptions raised by a handler that Qt called (a click, a key, a focus
// change) cannot travel through Qt's event dispatch: they go to the
// application's exception hook. Without a hook the silent abort is dropped and
// any other error is written to the debug output.

using TExceptionHandler = std::function<void(QObject* Sender, std::exception_ptr Error)>;
void SetApplicationExceptionHandler(TExceptionHandler handler);
void HandleApplicationException(QObject* Sender, std::exception_ptr error);

// Runs `call`; an exception goes to the hook and gives false.
bool RunHandler(QObject* Sender, const std::function<void()>& call);

// ---------------------------------------------------------------------------

class TControlBase {
public:
    explicit TControlBase(QWidget* self);
    virtual ~TControlBase();
    TControlBase(const TControlBase&) = delete;
    TControlBase& operator=(const TControlBase&) = delete;

    QWidget* Widget() const { return self_; }
    // The form the control is on (nullptr when none).
    TForm* ParentForm() const;

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    QString Hint() const;
    void setHint(const QString& hint);
    // Not hidden explicitly (a control on a hidden form is still Visible).
    // Visible and Enabled are written with QWidget's setVisible/setEnabled.
    virtual bool Visible() const;
    bool Enabled() const { return self_->isEnabled(); }

    int Color() const { return color_ == clDefault ? defaultColor() : color_; }
    void setColor(int color);
    QFont Font() const { return self_->font(); }
    // Sets the widget's font with its family substituted as FontFamily does.
    void AssignFont(const QFont& font);
    int FontColor() const { return fontColor_; }
    void setFontColor(int color);

    // Position and size. A size given to a control becomes its size hint, so
    // that layouts start from it.
    virtual int Left() const;
    virtual void setLeft(int v);
    virtual int Top() const;
    virtual void setTop(int v);
    virtual int Width() const;
    virtual void setWidth(int v);
    virtual int Height() const;
    virtual void setHeight(int v);
    void SetBounds(int left, int top, int width, int height);
    int TabOrder() const { return tabOrder_; }
    void setTabOrderIndex(int order);  // setTabOrder is QWidget's

    TPopupMenu* PopupMenu() const;
    void setPopupMenu(TPopupMenu* menu);

    bool CanFocus() const;
    void SetFocus();
    bool Focused() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

    // Runs OnClick (as a click by the user does).
    virtual void Click();

    // The focus came into the control from another control of its form, or
    // is leaving it for one. DoExit may raise: the focus then comes back.
    virtual void DoEnter();
    virtual void DoExit();
    // Clicks by mouse run OnClick through the dispatcher unless the control
    // reports its own clicks (buttons, check boxes).
    virtual bool ClicksFromMouse() const { return true; }

    // For RH_CONTROL's accessors.
    QVariant eventOnClick() const { return bool(OnClick); }
    void setEventOnClick(const QVariant& v) { assignHandler(OnClick, v); }
    QVariant eventOnDblClick() const { return bool(OnDblClick); }
    void setEventOnDblClick(const QVariant& v) { assignHandler(OnDblClick, v); }
    QVariant eventOnEnter() const { return bool(OnEnter); }
    void setEventOnEnter(const QVariant& v) { assignHandler(OnEnter, v); }
    QVariant eventOnExit() const { return bool(OnExit); }
    void setEventOnExit(const QVariant& v) { assignHandler(OnExit, v); }
    QVariant eventOnKeyDown() const { return bool(OnKeyDown); }
    void setEventOnKeyDown(const QVariant& v) { assignHandler(OnKeyDown, v); }
    QVariant eventOnKeyPress() const { return bool(OnKeyPress); }
    void setEventOnKeyPress(const QVariant& v) { assignHandler(OnKeyPress, v); }
    QString nameProperty() const { return self_->objectName(); }
    void setNameProperty(const QString& n) { self_->setObjectName(n); }

    // A handler of the event's type, or an empty value that removes it;
    // anything else leaves the event as it was.
    template <class F>
    static void assignHandler(F& event, const QVariant& v) {
        if (v.canConvert<F>() && v.metaType() == QMetaType::fromType<F>())
            event = v.value<F>();
        else if (!v.isValid() || v.isNull() || (v.typeId() == QMetaType::Bool && !v.toBool()))
            event = nullptr;
    }

    // Size hint: the size given through Width/Height, else the widget's own.
    QSize hintFor(QSize natural) const;

protected:
    // The palette role Color paints (the base of edits and lists, else the window).
    virtual QPalette::ColorRole colorRole() const { return QPalette::Window; }
    virtual int defaultColor() const { return clBtnFace; }
    void applyColors();

private:
    QWidget* self_;
    int tag_ = 0;
    int color_ = clDefault;
    int fontColor_ = clWindowText;
    int tabOrder_ = -1;
    int hintWidth_ = -1;
    int hintHeight_ = -1;
    QPointer<QObject> popupMenu_;  // a TPopupMenu
};

// The control a widget belongs to: the widget itself or its nearest ancestor
// that is a stand-in control (the editor inside a grid belongs to the grid).
TControlBase* ControlOf(QWidget* widget);

// Published properties and events of every control; `Base` is its Qt class.
#define RH_CONTROL(Base)                                                          \
    Q_PROPERTY(QString Name READ nameProperty WRITE setNameProperty)              \
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)                        \
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)                        \
    Q_PROPERTY(int Tag READ Tag WRITE setTag)                                     \
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)                              \
    Q_PROPERTY(int Color READ Color WRITE setColor)                               \
    Q_PROPERTY(QFont Font READ Font WRITE AssignFont)                             \
    Q_PROPERTY(int FontColor READ FontColor WRITE setFontColor)                   \
    Q_PROPERTY(int Left READ Left WRITE setLeft)                                  \
    Q_PROPERTY(int Top READ Top WRITE setTop)                                     \
    Q_PROPERTY(int Width READ Width WRITE setWidth)                               \
    Q_PROPERTY(int Height READ Height WRITE setHeight)                            \
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrderIndex)                 \
    Q_PROPERTY(QVariant OnClick READ eventOnClick WRITE setEventOnClick)          \
    Q_PROPERTY(QVariant OnDblClick READ eventOnDblClick WRITE setEventOnDblClick) \
    Q_PROPERTY(QVariant OnEnter READ eventOnEnter WRITE setEventOnEnter)          \
    Q_PROPERTY(QVariant OnExit READ eventOnExit WRITE setEventOnExit)             \
    Q_PROPERTY(QVariant OnKeyDown READ eventOnKeyDown WRITE setEventOnKeyDown)    \
    Q_PROPERTY(QVariant OnKeyPress READ eventOnKeyPress WRITE setEventOnKeyPress) \
public:                                                                           \
    QSize sizeHint() const override {                                             \
        return hintFor(Base::sizeHint());                                         \
    }                                                                             \
                                                                                  \
private:

// An event property of a control's own: Q_PROPERTY plus its accessors, for a
// member `Name` of a std::function type.
#define RH_EVENT(Name)                                              \
    Q_PROPERTY(QVariant Name READ event##Name WRITE setEvent##Name) \
public:                                                             \
    QVariant event##Name() const {                                  \
        return bool(Name);                                          \
    }                                                               \
    void setEvent##Name(const QVariant& v) {                        \
        assignHandler(Name, v);                                     \
    }                                                               \
                                                                    \
private:
