#pragma once
// TForm: a window of the program. One class serves the three uses a form
// has: an MDI child inside the main window (FormStyle fsMDIChild), the main
// window that holds them (fsMDIForm: a menu bar and an MDI area), and a
// dialog or top-level window (fsNormal), shown with Show() or ShowModal().
//
// Creation protocol: a form class builds its controls and assigns its
// handlers in its constructor; whoever creates it then calls DoCreate(),
// which runs OnCreate once and shows an MDI child (CreateForm of the
// registry and NewForm<T> do both). Destruction: Release()/Free() (or a close
// whose action is caFree) run OnDestroy while the form is whole; a form
// deleted by its owner runs it from the owner's destructor.
//
// Close protocol: Close() asks OnCloseQuery (an MDI form asks its children
// first); when allowed, OnClose may change the action (caNone keeps the
// form, caHide hides it, caMinimize minimises it, caFree frees it). The
// default action is caMinimize for an MDI child and caHide otherwise. On a
// modal form Close() sets ModalResult to mrCancel; setting ModalResult to any
// other value than mrNone ends ShowModal through the same protocol.
//
// Busy forms: a form whose handler waits in a loop of its own (a listing
// under its preview, a print) is marked busy for that time (TBusyForm). It
// refuses to close, and a Release or Free asked meanwhile frees it only once
// it is idle again, so that the waiting frame never resumes on a freed form.
// A form freed while one of its datasets is being edited or inserted cancels
// that record first (its BeforeCancel handlers run).

#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/component.h"

class QMdiArea;
class QMdiSubWindow;
class QMenuBar;
class QEventLoop;
class TMainMenu;

namespace vcl {
Q_NAMESPACE
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
Q_ENUM_NS(TFormStyle)
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
Q_ENUM_NS(TPosition)
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TFormBorderStyle)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
Q_ENUM_NS(TWindowState)
enum TCloseAction { caNone, caHide, caFree, caMinimize };
Q_ENUM_NS(TCloseAction)
}  // namespace vcl

using vcl::TCloseAction;
using vcl::TFormBorderStyle;
using vcl::TFormStyle;
using vcl::TPosition;
using vcl::TWindowState;
using enum vcl::TFormStyle;
using enum vcl::TPosition;
using enum vcl::TFormBorderStyle;
using enum vcl::TWindowState;
using enum vcl::TCloseAction;

using TModalResult = int;
enum : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8
};

class TForm;
using TCloseQueryEvent = TAllowEvent;  // (Sender, bool& CanClose)
using TCloseEvent = std::function<void(QObject* Sender, TCloseAction& Action)>;
Q_DECLARE_METATYPE(TCloseEvent)

class TForm : public QWidget, public TControlBase {
    Q_OBJECT
    RH_CONTROL(QWidget)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE setClientWidth)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE setClientHeight)
    Q_PROPERTY(vcl::TFormStyle FormStyle READ FormStyle WRITE setFormStyle)
    Q_PROPERTY(vcl::TPosition Position READ Position WRITE setPosition)
    Q_PROPERTY(vcl::TFormBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(vcl::TWindowState WindowState READ WindowState WRITE setWindowState)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE setKeyPreview)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE setHelpContext)
    Q_PROPERTY(int ComponentCount READ ComponentCount)
    Q_PROPERTY(QWidget* ActiveControl READ ActiveControl WRITE setActiveControl)
    RH_EVENT(OnCreate)
    RH_EVENT(OnShow)
    RH_EVENT(OnActivate)
    RH_EVENT(OnDeactivate)
    RH_EVENT(OnDestroy)
    RH_EVENT(OnResize)
    RH_EVENT(OnCloseQuery)
    RH_EVENT(OnClose)

public:
    // `owner` keeps the form alive (it is deleted with it); the form is a
    // window of its own all the same.
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;

    QString Name() const { return objectName(); }
    void setName(const QString& name) { setObjectName(name); }
    QString ClassName() const;
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Position and size of the window (an MDI child: of its frame in the MDI
    // area); the client size is the area the form's controls fill.
    int Left() const override;
    void setLeft(int v) override;
    int Top() const override;
    void setTop(int v) override;
    int Width() const override;
    void setWidth(int v) override;
    int Height() const override;
    void setHeight(int v) override;
    int ClientWidth() const { return width(); }
    void setClientWidth(int v);
    int ClientHeight() const;
    void setClientHeight(int v);
    bool Visible() const override;

    TFormStyle FormStyle() const { return formStyle_; }
    void setFormStyle(TFormStyle style);
    TPosition Position() const { return position_; }
    void setPosition(TPosition p) { position_ = p; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void setBorderStyle(TFormBorderStyle style);
    TWindowState WindowState() const;
    void setWindowState(TWindowState state);
    bool KeyPreview() const { return keyPreview_; }
    void setKeyPreview(bool v) { keyPreview_ = v; }
    int HelpContext() const { return helpContext_; }
    void setHelpContext(int v) { helpContext_ = v; }

    // The control that has (or will get, on a hidden form) the focus.
    QWidget* ActiveControl() const;
    void setActiveControl(QWidget* control);

    // The menu: on an MDI child it is merged into the main window's menu bar
    // while the child is active; on other forms it is the form's own bar.
    TMainMenu* Menu() const;
    void setMenu(TMainMenu* menu);
    // The bar the menu shows in (nullptr before a menu is set; MDI children
    // have none).
    QMenuBar* MenuBar() const { return menuBar_; }
    // Rebuilds the menu bar after items were added, removed or hidden.
    void UpdateMenu();

    // Components of the form, in creation order: named objects below it
    // (controls, datasets, data sources, menus and their items), not those of
    // other forms nor Qt's own internals.
    QList<QObject*> Components() const;
    QObject* Components(int index) const;
    int ComponentCount() const;
    // The first component of that name, letter case ignored; nullptr when none.
    QObject* FindComponent(const QString& name) const;

    // Creation protocol (once); see above.
    void DoCreate();
    void Show();
    void Hide() { hide(); }
    // Runs modally until ModalResult is set or the form closes; returns it.
    TModalResult ShowModal();
    bool Modal() const { return loop_ != nullptr; }
    TModalResult ModalResult() const { return modalResult_; }
    void setModalResult(TModalResult result);
    void Close();
    // Asks OnCloseQuery (and, on an MDI form, its children); false refuses.
    bool CloseQuery();
    // Frees the form once the events under way are handled / at once.
    void Release();
    void Free();
    void BringToFront();
    // Runs OnDestroy once.
    void DoDestroy();
    bool Busy() const { return busy_ > 0; }
    void BeginBusy() { ++busy_; }
    void EndBusy();

    // MDI: the area of an fsMDIForm and its children in creation order.
    QMdiArea* MDIArea() const { return mdiArea_; }
    int MDIChildCount() const;
    TForm* MDIChildren(int index) const;
    TForm* ActiveMDIChild() const;
    QMdiSubWindow* MDISubWindow() const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnResize;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    int defaultColor() const override { return clBtnFace; }

private:
    // The action OnClose chose, or caNone when the close is refused.
    TCloseAction runCloseProtocol(TCloseAction defaultAction);
    void applyCloseAction(TCloseAction action);
    void checkModal();
    void endModal();
    QWidget* frame() const;  // the subwindow of an MDI child, else the form
    void placeMenuBar();
    void attachToMDI();
    void leaveMDI();
    void fitInMDIArea();
    void childActivated(QMdiSubWindow* window);
    void applyPosition();
    void cancelPendingEdits();

    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    TFormBorderStyle borderStyle_ = bsSizeable;
    bool keyPreview_ = false;
    int helpContext_ = 0;
    TModalResult modalResult_ = mrNone;
    QEventLoop* loop_ = nullptr;
    bool created_ = false;
    bool destroyed_ = false;
    bool applyingClose_ = false;
    bool shownOnce_ = false;
    bool freeAfterModal_ = false;
    bool inDestructor_ = false;
    bool freeWhenIdle_ = false;
    int busy_ = 0;
    QPointer<QWidget> pendingActive_;
    QPointer<QObject> menu_;  // a TMainMenu
    QMenuBar* menuBar_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QPointer<QWidget> subWindow_;  // a QMdiSubWindow
    QPointer<TForm> activeChild_;
};

// Marks a form busy for a scope; the form may be gone at its end.
class TBusyForm {
public:
    explicit TBusyForm(TForm* form) : form_(form) {
        if (form) form->BeginBusy();
    }
    ~TBusyForm() {
        if (form_) form_->EndBusy();
    }
    TBusyForm(const TBusyForm&) = delete;
    TBusyForm& operator=(const TBusyForm&) = delete;

private:
    QPointer<TForm> form_;
};

// The main window: the first fsMDIForm unless set otherwise.
TForm* MainForm();
void SetMainForm(TForm* form);
// Every form alive, in creation order.
QList<TForm*> ApplicationForms();
// Runs once for every form, as it is first shown: the program completes
// there what its controls show (the glyphs of buttons built without one).
using TFormPrepareHook = void (*)(TForm* form);
void SetFirstShowHook(TFormPrepareHook hook);

// Builds a form of class F and runs its creation protocol.
template <class F, class... Args>
F* NewForm(Args&&... args) {
    F* form = new F(std::forward<Args>(args)...);
    form->DoCreate();
    return form;
}
