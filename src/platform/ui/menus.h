#pragma once
// Menus: TMenuItem (an action with sub-items), TMainMenu (a form's menu bar)
// and TPopupMenu (a context menu). A caption of "-" is a separator; "&"
// marks the access key as usual. Clicking an item runs OnClick and does not
// toggle Checked (the handler does, as the system's handlers expect).
//
// An MDI child's main menu is merged into the main window's bar while the
// child is active: each of the child's top-level items replaces the main
// window's items of the same GroupIndex, and is otherwise placed among them
// by GroupIndex. Shortcuts of merged items work while their form is active.

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>

#include "ui/component.h"

class QMenu;
class TForm;

class TMenuItem : public QAction {
    Q_OBJECT
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE setChecked)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool RadioItem READ RadioItem WRITE setRadioItem)
    Q_PROPERTY(bool AutoCheck READ AutoCheck WRITE setAutoCheck)
    Q_PROPERTY(QString ShortCut READ ShortCutText WRITE setShortCutText)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE setHelpContext)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(QVariant OnClick READ eventOnClick WRITE setEventOnClick)

public:
    explicit TMenuItem(QObject* owner = nullptr);
    // A child of `parent` (appended to its items) named `name`.
    TMenuItem(TMenuItem* parent, const QString& name, const QString& caption,
              const QKeySequence& shortCut = QKeySequence());
    ~TMenuItem() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    bool Enabled() const { return isEnabled(); }
    bool Visible() const { return isVisible(); }
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int v);
    bool RadioItem() const { return radioItem_; }
    void setRadioItem(bool v) { radioItem_ = v; }
    bool AutoCheck() const { return autoCheck_; }
    void setAutoCheck(bool v) { autoCheck_ = v; }
    QKeySequence ShortCut() const { return shortcut(); }
    void setShortCut(const QKeySequence& key) { setShortcut(key); }
    QString ShortCutText() const { return shortcut().toString(QKeySequence::PortableText); }
    void setShortCutText(const QString& text) { setShortcut(QKeySequence::fromString(text)); }
    QString Hint() const { return statusTip(); }
    void setHint(const QString& hint);
    int Tag() const { return tag_; }
    void setTag(int v) { tag_ = v; }
    int HelpContext() const { return helpContext_; }
    void setHelpContext(int v) { helpContext_ = v; }

    // Sub-items.
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int index) const { return items_.value(index); }
    TMenuItem* operator[](int index) const { return Items(index); }
    TMenuItem* Parent() const { return parent_; }
    int IndexOf(const TMenuItem* item) const { return int(items_.indexOf(item)); }
    int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Remove(TMenuItem* item);  // the item is kept (its owner deletes it)
    void Delete(int index);        // the item is deleted
    void Clear();                  // every sub-item is deleted
    // The sub-item with this caption ("&" ignored), or nullptr.
    TMenuItem* Find(const QString& caption) const;
    bool IsLine() const { return caption_ == QLatin1String("-"); }

    // Runs OnClick (checking a radio item first).
    void Click();
    TNotifyEvent OnClick;

    QVariant eventOnClick() const { return bool(OnClick); }
    void setEventOnClick(const QVariant& v) { TControlBase::assignHandler(OnClick, v); }

    // The item's submenu (nullptr while it has no sub-items).
    QMenu* SubMenu() const { return subMenu_; }

private:
    void triggeredByUser();
    void rebuildSubMenu();
    void changed();

    QString caption_;
    bool checked_ = false;
    bool radioItem_ = false;
    bool autoCheck_ = false;
    int groupIndex_ = 0;
    int tag_ = 0;
    int helpContext_ = 0;
    TMenuItem* parent_ = nullptr;
    QList<TMenuItem*> items_;
    QMenu* subMenu_ = nullptr;
};

// A menu component: Items() is the root whose sub-items are the top level.
class TMenu : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Name READ objectName WRITE setObjectName)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
public:
    explicit TMenu(QObject* owner = nullptr);
    TMenuItem* Items() const { return items_; }
    int Tag() const { return tag_; }
    void setTag(int v) { tag_ = v; }
    // Any item below the root with this name (letter case ignored), or nullptr.
    TMenuItem* FindItem(const QString& name) const;

protected:
    TMenuItem* items_;
    int tag_ = 0;
};

class TMainMenu : public TMenu {
    Q_OBJECT
public:
    explicit TMainMenu(QObject* owner = nullptr);
    // The form whose Menu this is.
    TForm* Form() const { return form_; }
    void setForm(TForm* form) { form_ = form; }
    // Shows changes of the top-level items in the form's bar.
    void Changed();

private:
    QPointer<TForm> form_;
};

class TPopupMenu : public TMenu {
    Q_OBJECT
    Q_PROPERTY(QVariant OnPopup READ eventOnPopup WRITE setEventOnPopup)
public:
    explicit TPopupMenu(QObject* owner = nullptr);
    ~TPopupMenu() override;
    // Runs OnPopup and shows the menu at a screen position.
    void Popup(const QPoint& globalPos);
    TNotifyEvent OnPopup;
    QVariant eventOnPopup() const { return bool(OnPopup); }
    void setEventOnPopup(const QVariant& v) { TControlBase::assignHandler(OnPopup, v); }
    // Shortcuts of the items work while `control` (or a child) has the focus.
    void AttachShortcuts(QWidget* control);

private:
    QMenu* menu_ = nullptr;
};

// The top-level items a bar shows for a main menu with an active child's
// menu merged in by GroupIndex (either may be nullptr).
QList<TMenuItem*> MergedMenuItems(const TMainMenu* main, const TMainMenu* child);

// A shortcut from a virtual-key code and shift state.
QKeySequence ShortCut(int virtualKey, TShiftState shift = 0);
