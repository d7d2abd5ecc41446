#include "ui/menus.h"

#include <QMenu>
#include <algorithm>

#include "ui/form.h"

namespace {

QString withoutAccel(QString s) {
    s.remove(QLatin1Char('&'));
    return s;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

TMenuItem::TMenuItem(QObject* owner) : QAction(owner) {
    connect(this, &QAction::triggered, this, &TMenuItem::triggeredByUser);
}

TMenuItem::TMenuItem(TMenuItem* parent, const QString& name, const QString& caption,
                     const QKeySequence& shortCut)
    : TMenuItem(static_cast<QObject*>(parent)) {
    setObjectName(name);
    setCaption(caption);
    if (!shortCut.isEmpty()) setShortcut(shortCut);
    if (parent) parent->Add(this);
}

TMenuItem::~TMenuItem() {
    // Sub-items are deleted after this destructor (as QObject children):
    // they must not reach back into this item.
    for (TMenuItem* i : std::as_const(items_)) i->parent_ = nullptr;
    items_.clear();
    // QAction's destructor takes the item out of menus and bars; nothing is
    // rebuilt from here (the form may be half destroyed).
    if (parent_) parent_->items_.removeAll(this);
    delete subMenu_;
}

void TMenuItem::setCaption(const QString& caption) {
    caption_ = caption;
    // A separator with a text would be drawn as a titled section.
    setSeparator(caption == QLatin1String("-"));
    setText(isSeparator() ? QString() : caption);
}

void TMenuItem::setChecked(bool checked) {
    checked_ = checked;
    if (checked && radioItem_ && parent_) {
        // One checked item per group among the siblings.
        for (TMenuItem* s : parent_->items_)
            if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_) s->setChecked(false);
    }
    setCheckable(checked || radioItem_);
    QAction::setChecked(checked);
}

void TMenuItem::setGroupIndex(int v) {
    groupIndex_ = v;
    changed();
}

void TMenuItem::setHint(const QString& hint) {
    setStatusTip(hint);
    setToolTip(hint);
}

void TMenuItem::triggeredByUser() {
    // Qt toggles a checkable action before triggering it; the item keeps its
    // state unless it checks itself.
    if (autoCheck_)
        setChecked(!checked_);
    else
        QAction::setChecked(checked_);
    if (OnClick) RunHandler(this, [this] { OnClick(this); });
}

void TMenuItem::Click() {
    if (autoCheck_) setChecked(!checked_);
    if (OnClick) OnClick(this);
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(int(items_.size()), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item || item == this) return;
    if (item->parent_) item->parent_->Remove(item);
    if (item->parent() != this) item->setParent(this);
    item->parent_ = this;
    items_.insert(std::clamp(index, 0, int(items_.size())), item);
    rebuildSubMenu();
}

void TMenuItem::Remove(TMenuItem* item) {
    if (!item || item->parent_ != this) return;
    items_.removeAll(item);
    item->parent_ = nullptr;
    rebuildSubMenu();
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = items_.value(index);
    if (!item) return;
    Remove(item);
    delete item;
}

void TMenuItem::Clear() {
    while (!items_.isEmpty()) Delete(int(items_.size()) - 1);
}

TMenuItem* TMenuItem::Find(const QString& caption) const {
    const QString wanted = withoutAccel(caption);
    for (TMenuItem* i : items_)
        if (withoutAccel(i->caption_) == wanted) return i;
    return nullptr;
}

void TMenuItem::rebuildSubMenu() {
    if (items_.isEmpty()) {
        if (subMenu_) {
            setMenu(static_cast<QMenu*>(nullptr));
            delete subMenu_;
            subMenu_ = nullptr;
        }
    } else {
        if (!subMenu_) {
            subMenu_ = new QMenu();
            setMenu(subMenu_);
        }
        subMenu_->clear();
        for (TMenuItem* i : items_) subMenu_->addAction(i);
    }
    // The bar holds the top-level items themselves: only a change of their
    // list rebuilds it. A menu that fills itself as it opens (the open
    // windows under "Ventana") must not close itself by rebuilding the bar.
    if (!parent_) changed();
}

void TMenuItem::changed() {
    // Changes of the top level show in the bar at once; deeper ones show
    // through their submenu.
    const TMenuItem* root = parent_ ? parent_ : this;
    if (root->parent_) return;
    if (auto* menu = qobject_cast<TMainMenu*>(root->parent())) menu->Changed();
}

// ---------------------------------------------------------------------------

TMenu::TMenu(QObject* owner) : QObject(owner), items_(new TMenuItem(this)) {}

TMenuItem* TMenu::FindItem(const QString& name) const {
    const QList<TMenuItem*> all = items_->findChildren<TMenuItem*>();
    for (TMenuItem* i : all)
        if (sameName(i->objectName(), name)) return i;
    return nullptr;
}

TMainMenu::TMainMenu(QObject* owner) : TMenu(owner) {}

void TMainMenu::Changed() {
    if (form_) form_->UpdateMenu();
}

TPopupMenu::TPopupMenu(QObject* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
    delete menu_;
}

void TPopupMenu::Popup(const QPoint& globalPos) {
    if (OnPopup) {
        if (!RunHandler(this, [this] { OnPopup(this); })) return;
    }
    if (!menu_) menu_ = new QMenu();
    menu_->clear();
    for (int i = 0; i < items_->Count(); ++i) menu_->addAction(items_->Items(i));
    menu_->popup(globalPos);
}

void TPopupMenu::AttachShortcuts(QWidget* control) {
    if (!control) return;
    for (TMenuItem* item : items_->findChildren<TMenuItem*>()) {
        if (item->shortcut().isEmpty()) continue;
        item->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        control->addAction(item);
    }
}

// ---------------------------------------------------------------------------

QList<TMenuItem*> MergedMenuItems(const TMainMenu* main, const TMainMenu* child) {
    QList<TMenuItem*> out;
    if (main)
        for (int i = 0; i < main->Items()->Count(); ++i) out.append(main->Items()->Items(i));
    if (!child) return out;
    QList<TMenuItem*> fromChild;
    for (int i = 0; i < child->Items()->Count(); ++i) fromChild.append(child->Items()->Items(i));
    // The child's groups replace the main window's items of the same group.
    QList<int> groups;
    for (TMenuItem* c : fromChild)
        if (!groups.contains(c->GroupIndex())) groups.append(c->GroupIndex());
    out.erase(std::remove_if(out.begin(), out.end(),
                             [&](TMenuItem* m) { return groups.contains(m->GroupIndex()); }),
              out.end());
    // Then each goes after the items whose group is not greater than its own.
    for (TMenuItem* c : fromChild) {
        qsizetype at = 0;
        while (at < out.size() && out[at]->GroupIndex() <= c->GroupIndex()) ++at;
        out.insert(at, c);
    }
    return out;
}

QKeySequence ShortCut(int virtualKey, TShiftState shift) {
    int key = QtKeyOf(virtualKey);
    if (key == 0) return QKeySequence();
    if (shift & ssShift) key |= Qt::SHIFT;
    if (shift & ssCtrl) key |= Qt::CTRL;
    if (shift & ssAlt) key |= Qt::ALT;
    return QKeySequence(key);
}
