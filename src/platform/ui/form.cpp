#include "ui/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "db/dataset.h"
#include "ui/menus.h"

namespace {

QList<TForm*>& formList() {
    static QList<TForm*> forms;
    return forms;
}

QPointer<TForm>& mainForm() {
    static QPointer<TForm> form;
    return form;
}

bool sameName(QStringView a, QStringView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= u'a' && x <= u'z') x -= 32;
        if (y >= u'a' && y <= u'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

// Pre-order walk of the object tree: a form is built parents first, in
// order, so this is the order its components were created in.
void collect(const QObject* parent, QList<QObject*>& out) {
    for (QObject* child : parent->children()) {
        if (qobject_cast<TForm*>(child)) continue;  // another form owns what it holds
        const QString name = child->objectName();
        const bool internal = name.startsWith(QLatin1String("qt_"));
        if (!name.isEmpty() && !internal) out.append(child);
        // Qt's own containers (a page control's stack, a scroll area's
        // viewport) hold the form's controls: walked, not listed.
        collect(child, out);
    }
}

}  // namespace

TForm* MainForm() {
    return mainForm();
}

namespace {
TFormPrepareHook firstShowHook = nullptr;
}  // namespace

void SetFirstShowHook(TFormPrepareHook hook) {
    firstShowHook = hook;
}

void SetMainForm(TForm* form) {
    mainForm() = form;
}

QList<TForm*> ApplicationForms() {
    return formList();
}

TForm::TForm(QWidget* owner) : QWidget(owner, Qt::Window), TControlBase(this) {
    formList().append(this);
}

TForm::~TForm() {
    // What derives from TForm is gone already: no cancel handler of its may run.
    inDestructor_ = true;
    // The area tells of activations while its children go, after this body.
    if (mdiArea_) disconnect(mdiArea_, nullptr, this, nullptr);
    // Forms this one owns are still whole here: their OnDestroy runs first.
    const QList<TForm*> owned = findChildren<TForm*>();
    for (TForm* f : owned) f->DoDestroy();
    DoDestroy();
    menu_ = nullptr;  // its items go with the children, after this
    if (loop_) loop_->exit();
    formList().removeAll(this);
    if (mainForm() == this) mainForm() = nullptr;
}

QString TForm::ClassName() const {
    return QString::fromLatin1(metaObject()->className());
}

// ---------------------------------------------------------------------------
// Geometry

QWidget* TForm::frame() const {
    return subWindow_ ? static_cast<QWidget*>(subWindow_.data()) : const_cast<TForm*>(this);
}

int TForm::Left() const {
    return frame()->x();
}

void TForm::setLeft(int v) {
    frame()->move(v, frame()->y());
}

int TForm::Top() const {
    return frame()->y();
}

void TForm::setTop(int v) {
    frame()->move(frame()->x(), v);
}

int TForm::Width() const {
    return frame()->width();
}

void TForm::setWidth(int v) {
    frame()->resize(v, frame()->height());
}

int TForm::Height() const {
    return frame()->height();
}

void TForm::setHeight(int v) {
    frame()->resize(frame()->width(), v);
}

void TForm::setClientWidth(int v) {
    if (subWindow_)
        subWindow_->resize(subWindow_->width() - width() + v, subWindow_->height());
    else
        resize(v, height());
}

int TForm::ClientHeight() const {
    return height() - contentsMargins().top();
}

void TForm::setClientHeight(int v) {
    const int h = v + contentsMargins().top();
    if (subWindow_)
        subWindow_->resize(subWindow_->width(), subWindow_->height() - height() + h);
    else
        resize(width(), h);
}

bool TForm::Visible() const {
    return frame()->isVisible();
}

// ---------------------------------------------------------------------------
// Style

void TForm::setFormStyle(TFormStyle style) {
    if (style == formStyle_) return;
    formStyle_ = style;
    if (style == fsMDIForm && !mdiArea_) {
        mdiArea_ = new QMdiArea(this);
        if (!layout()) {
            auto* box = new QVBoxLayout(this);
            box->setContentsMargins(0, 0, 0, 0);
        }
        layout()->addWidget(mdiArea_);
        connect(mdiArea_, &QMdiArea::subWindowActivated, this, &TForm::childActivated);
        // Ctrl+F4 closes the active child, as in the MDI frames users know,
        // where the platform gives the subwindows only Ctrl+W.
        const QKeySequence ctrlF4(Qt::CTRL | Qt::Key_F4);
        if (!QKeySequence::keyBindings(QKeySequence::Close).contains(ctrlF4)) {
            auto* cerrar = new QShortcut(ctrlF4, this);
            connect(cerrar, &QShortcut::activated, this, [this] {
                if (QMdiSubWindow* activa = mdiArea_->activeSubWindow()) activa->close();
            });
        }
        if (!mainForm()) mainForm() = this;
    }
    if (style == fsStayOnTop) setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TForm::setBorderStyle(TFormBorderStyle style) {
    borderStyle_ = style;
    if (subWindow_ || !isWindow()) return;
    Qt::WindowFlags flags = windowFlags() & ~(Qt::WindowType_Mask | Qt::FramelessWindowHint);
    switch (style) {
        case bsNone:
            flags |= Qt::Window | Qt::FramelessWindowHint;
            break;
        case bsDialog:
            flags |= Qt::Dialog;
            break;
        case bsToolWindow:
        case bsSizeToolWin:
            flags |= Qt::Tool;
            break;
        default:
            flags |= Qt::Window;
            break;
    }
    const bool wasVisible = isVisible();
    setWindowFlags(flags);
    if (wasVisible) show();
}

TWindowState TForm::WindowState() const {
    const Qt::WindowStates s = frame()->windowState();
    if (s & Qt::WindowMinimized) return wsMinimized;
    if (s & Qt::WindowMaximized) return wsMaximized;
    return wsNormal;
}

void TForm::setWindowState(TWindowState state) {
    QWidget* f = frame();
    switch (state) {
        case wsMinimized:
            f->setWindowState((f->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
            break;
        case wsMaximized:
            f->setWindowState((f->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            break;
        case wsNormal:
            f->setWindowState(f->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            break;
    }
}

// ---------------------------------------------------------------------------
// Focus

QWidget* TForm::ActiveControl() const {
    if (pendingActive_) return pendingActive_;
    QWidget* f = focusWidget();
    if (!f || f == this || !isAncestorOf(f)) return nullptr;
    TControlBase* c = ControlOf(f);
    return c && c != static_cast<const TControlBase*>(this) ? c->Widget() : f;
}

void TForm::setActiveControl(QWidget* control) {
    if (!control) {
        pendingActive_ = nullptr;
        return;
    }
    if (isVisible()) {
        pendingActive_ = nullptr;
        control->setFocus(Qt::OtherFocusReason);
    } else {
        pendingActive_ = control;
    }
}

// ---------------------------------------------------------------------------
// Menus

TMainMenu* TForm::Menu() const {
    return static_cast<TMainMenu*>(menu_.data());
}

QMdiSubWindow* TForm::MDISubWindow() const {
    return static_cast<QMdiSubWindow*>(subWindow_.data());
}

void TForm::setMenu(TMainMenu* menu) {
    menu_ = menu;
    if (menu) menu->setForm(this);
    UpdateMenu();
}

void TForm::UpdateMenu() {
    if (destroyed_) return;
    if (formStyle_ == fsMDIChild && (subWindow_ || mainForm())) {
        // Shown in the main window's bar while active.
        TForm* main = mainForm();
        if (main && main != this && main->activeChild_ == this) main->UpdateMenu();
        return;
    }
    TMainMenu* child = nullptr;
    if (formStyle_ == fsMDIForm && activeChild_ && activeChild_->formStyle_ == fsMDIChild)
        child = activeChild_->Menu();
    if (!menuBar_) {
        if (!menu_ && !child) return;
        menuBar_ = new QMenuBar(this);
    }
    const QList<TMenuItem*> items = MergedMenuItems(Menu(), child);
    menuBar_->clear();
    for (TMenuItem* item : items) menuBar_->addAction(item);
    menuBar_->setVisible(!items.isEmpty());
    placeMenuBar();
}

void TForm::placeMenuBar() {
    if (!menuBar_) return;
    const int h = menuBar_->isVisible() ? menuBar_->sizeHint().height() : 0;
    menuBar_->setGeometry(0, 0, width(), h);
    // The form's layout starts below the bar.
    QMargins m = contentsMargins();
    if (m.top() != h) {
        m.setTop(h);
        setContentsMargins(m);
    }
}

// ---------------------------------------------------------------------------
// Components

QList<QObject*> TForm::Components() const {
    QList<QObject*> out;
    collect(this, out);
    return out;
}

QObject* TForm::Components(int index) const {
    const QList<QObject*> all = Components();
    return index >= 0 && index < all.size() ? all[index] : nullptr;
}

int TForm::ComponentCount() const {
    return int(Components().size());
}

QObject* TForm::FindComponent(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (QObject* c : Components())
        if (sameName(c->objectName(), name)) return c;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Showing

void TForm::DoCreate() {
    if (created_) return;
    created_ = true;
    if (OnCreate) OnCreate(this);
    if (formStyle_ == fsMDIChild && mainForm() && mainForm() != this && mainForm()->mdiArea_)
        Show();
}

void TForm::attachToMDI() {
    TForm* main = mainForm();
    if (subWindow_ || !main || main == this || !main->mdiArea_) return;
    const QSize size = this->size();
    // Sized before it joins the area, so that the area places it by its real size.
    auto* sub = new QMdiSubWindow;
    sub->setWidget(this);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->resize(sub->sizeHint().expandedTo(size));
    main->mdiArea_->addSubWindow(sub);
    subWindow_ = sub;
    connect(this, &QObject::destroyed, sub, &QObject::deleteLater);
}

// A child opens inside the area's visible part: moved in, and made smaller
// only where it is larger than the area.
void TForm::fitInMDIArea() {
    QMdiSubWindow* sub = MDISubWindow();
    QMdiArea* area = sub ? sub->mdiArea() : nullptr;
    if (!area) return;
    const QRect sitio = area->viewport()->rect();
    if (sitio.isEmpty()) return;
    QRect r = sub->geometry();
    r.setWidth(std::min(r.width(), sitio.width()));
    r.setHeight(std::min(r.height(), sitio.height()));
    if (r.right() > sitio.right()) r.moveRight(sitio.right());
    if (r.bottom() > sitio.bottom()) r.moveBottom(sitio.bottom());
    if (r.left() < sitio.left()) r.moveLeft(sitio.left());
    if (r.top() < sitio.top()) r.moveTop(sitio.top());
    if (r != sub->geometry()) sub->setGeometry(r);
}

void TForm::Show() {
    const bool nuevo = formStyle_ == fsMDIChild && !subWindow_;
    if (formStyle_ == fsMDIChild) attachToMDI();
    if (subWindow_) {
        subWindow_->show();
        show();
        if (nuevo && !subWindow_->isMaximized()) fitInMDIArea();
        if (MDISubWindow()->mdiArea())
            MDISubWindow()->mdiArea()->setActiveSubWindow(MDISubWindow());
        return;
    }
    show();
    raise();
    activateWindow();
}

void TForm::BringToFront() {
    if (subWindow_ && MDISubWindow()->mdiArea()) {
        MDISubWindow()->mdiArea()->setActiveSubWindow(MDISubWindow());
        subWindow_->raise();
    } else {
        raise();
        activateWindow();
    }
}

void TForm::applyPosition() {
    QRect area;
    QWidget* relative = nullptr;
    switch (position_) {
        case poScreenCenter:
        case poDesktopCenter:
            if (QScreen* s = screen()) area = s->availableGeometry();
            break;
        case poMainFormCenter:
            relative = mainForm();
            break;
        case poOwnerFormCenter:
            relative = parentWidget() ? parentWidget()->window() : nullptr;
            break;
        default:
            return;
    }
    if (relative && relative != this) area = relative->frameGeometry();
    if (!area.isValid()) return;
    QWidget* f = frame();
    f->move(area.center() - QPoint(f->width() / 2, f->height() / 2));
}

void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (!shownOnce_) {
        shownOnce_ = true;
        if (firstShowHook) RunHandler(this, [this] { firstShowHook(this); });
        if (!subWindow_) applyPosition();
    }
    if (pendingActive_) {
        QWidget* c = pendingActive_;
        pendingActive_ = nullptr;
        c->setFocus(Qt::OtherFocusReason);
    }
    if (OnShow) RunHandler(this, [this] { OnShow(this); });
}

void TForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMenuBar();
    if (OnResize) RunHandler(this, [this] { OnResize(this); });
}

void TForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // MDI children hear of activation from their main window.
    if (event->type() != QEvent::ActivationChange || subWindow_) return;
    if (isActiveWindow()) {
        if (OnActivate) RunHandler(this, [this] { OnActivate(this); });
    } else if (OnDeactivate) {
        RunHandler(this, [this] { OnDeactivate(this); });
    }
}

void TForm::childActivated(QMdiSubWindow* window) {
    TForm* now = window ? qobject_cast<TForm*>(window->widget()) : nullptr;
    if (!window && activeChild_ && activeChild_->subWindow_ &&
        activeChild_->subWindow_->isVisible())
        return;  // the main window itself lost the focus: the child stays active
    if (now == activeChild_) return;
    QPointer<TForm> before = activeChild_;
    activeChild_ = now;
    UpdateMenu();
    if (before && before->OnDeactivate) RunHandler(before, [&] { before->OnDeactivate(before); });
    if (now && now->OnActivate) RunHandler(now, [now] { now->OnActivate(now); });
}

int TForm::MDIChildCount() const {
    return mdiArea_ ? int(mdiArea_->subWindowList().size()) : 0;
}

TForm* TForm::MDIChildren(int index) const {
    if (!mdiArea_) return nullptr;
    const QList<QMdiSubWindow*> list = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    if (index < 0 || index >= list.size()) return nullptr;
    return qobject_cast<TForm*>(list[index]->widget());
}

TForm* TForm::ActiveMDIChild() const {
    return activeChild_;
}

// ---------------------------------------------------------------------------
// Modal

// A modal form cannot live in the main window's area, which the modal loop
// blocks: an MDI child shown modally becomes a dialog over the main window
// for good, at the place its frame had, and its frame leaves the area at once
// rather than staying behind empty until the form is freed.
void TForm::leaveMDI() {
    QPoint sitio;
    QMdiSubWindow* sub = MDISubWindow();
    if (sub) sitio = mapToGlobal(QPoint(0, 0));
    formStyle_ = fsNormal;
    subWindow_ = nullptr;
    if (sub) {
        sub->setWidget(nullptr);
        if (QMdiArea* area = sub->mdiArea()) area->removeSubWindow(sub);
        sub->deleteLater();
    }
    TForm* main = mainForm();
    setParent(main != this ? main : nullptr, Qt::Dialog);
    if (sub) move(sitio);
    UpdateMenu();
}

TModalResult TForm::ShowModal() {
    if (loop_) return mrNone;
    modalResult_ = mrNone;
    if (formStyle_ == fsMDIChild) leaveMDI();
    const Qt::WindowFlags flags = windowFlags();
    if (!(flags & Qt::Window) || subWindow_) setWindowFlags(flags | Qt::Dialog);
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    loop_ = &loop;
    QPointer<TForm> self(this);
    show();
    raise();
    activateWindow();
    loop.exec(QEventLoop::DialogExec);
    if (!self) return mrCancel;  // freed while modal
    loop_ = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    const TModalResult result = modalResult_;
    if (freeAfterModal_) {
        freeAfterModal_ = false;
        Release();
    }
    return result;
}

void TForm::setModalResult(TModalResult result) {
    modalResult_ = result;
    if (loop_ && result != mrNone)
        QMetaObject::invokeMethod(this, &TForm::checkModal, Qt::QueuedConnection);
}

void TForm::checkModal() {
    if (!loop_ || modalResult_ == mrNone) return;
    TCloseAction action = caNone;
    if (!RunHandler(this, [&] { action = runCloseProtocol(caHide); })) action = caNone;
    if (action == caNone) {
        modalResult_ = mrNone;
        return;
    }
    if (action == caFree) freeAfterModal_ = true;
    endModal();
}

void TForm::endModal() {
    if (loop_) loop_->exit();
}

// ---------------------------------------------------------------------------
// Closing

bool TForm::CloseQuery() {
    if (busy_ > 0) return false;
    if (formStyle_ == fsMDIForm && mdiArea_) {
        for (QMdiSubWindow* w : mdiArea_->subWindowList())
            if (auto* child = qobject_cast<TForm*>(w->widget()))
                if (!child->CloseQuery()) return false;
    }
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

TCloseAction TForm::runCloseProtocol(TCloseAction defaultAction) {
    if (!CloseQuery()) return caNone;
    TCloseAction action = defaultAction;
    if (OnClose) OnClose(this, action);
    return action;
}

void TForm::Close() {
    if (loop_) {
        setModalResult(mrCancel);
        return;
    }
    const TCloseAction action = runCloseProtocol(formStyle_ == fsMDIChild ? caMinimize : caHide);
    applyCloseAction(action);
}

void TForm::applyCloseAction(TCloseAction action) {
    switch (action) {
        case caNone:
            break;
        case caHide:
            applyingClose_ = true;
            frame()->close();
            applyingClose_ = false;
            break;
        case caMinimize:
            setWindowState(wsMinimized);
            break;
        case caFree:
            applyingClose_ = true;
            frame()->hide();
            applyingClose_ = false;
            Release();
            break;
    }
}

void TForm::closeEvent(QCloseEvent* event) {
    if (applyingClose_) {
        event->accept();
        return;
    }
    event->ignore();
    if (loop_) {
        setModalResult(mrCancel);
        return;
    }
    // The window's close button: the protocol decides, then acts.
    TCloseAction action = caNone;
    if (!RunHandler(this, [&] {
            action = runCloseProtocol(formStyle_ == fsMDIChild ? caMinimize : caHide);
        }))
        return;
    if (action == caHide || action == caFree) {
        event->accept();
        if (action == caFree) Release();
        return;
    }
    if (action == caMinimize) setWindowState(wsMinimized);
}

void TForm::Release() {
    if (destroyed_) return;
    // A frame of this form waits in a loop: it goes once that frame is done.
    if (busy_ > 0) {
        freeWhenIdle_ = true;
        return;
    }
    // The subwindow of an MDI child follows the form (see attachToMDI).
    deleteLater();
}

void TForm::Free() {
    if (busy_ > 0) {
        freeWhenIdle_ = true;
        return;
    }
    DoDestroy();
    delete this;
}

void TForm::EndBusy() {
    if (busy_ > 0) --busy_;
    if (busy_ > 0 || !freeWhenIdle_) return;
    freeWhenIdle_ = false;
    Release();
}

void TForm::cancelPendingEdits() {
    for (QObject* c : Components()) {
        QPointer<TDataSet> ds = qobject_cast<TDataSet*>(c);
        if (!ds || (ds->State() != dsEdit && ds->State() != dsInsert)) continue;
        RunHandler(this, [&ds] {
            if (ds) ds->Cancel();
        });
    }
}

void TForm::DoDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    // A record left half typed is cancelled, not dropped: the form's cancel
    // handlers undo what was written for it.
    if (!inDestructor_) cancelPendingEdits();
    if (OnDestroy) RunHandler(this, [this] { OnDestroy(this); });
}

bool TForm::event(QEvent* event) {
    // A deferred delete of the form (or of its subwindow) runs OnDestroy
    // while the form is whole.
    if (event->type() == QEvent::DeferredDelete) DoDestroy();
    return QWidget::event(event);
}
