#include "ui/dbcontrols.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolButton>
#include <algorithm>

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/field.h"

namespace {

// A character the field can hold, checked as it is typed.
bool validChar(const TField* f, QChar c) {
    if (!f) return true;
    const TFieldType t = f->DataType();
    const bool digit = c.isDigit();
    const bool sign = c == QLatin1Char('+') || c == QLatin1Char('-');
    if (IsIntegerType(t)) return digit || sign;
    if (IsFloatType(t))
        return digit || sign || c == QLatin1Char(',') || c == QLatin1Char('.') ||
               c == QLatin1Char('e') || c == QLatin1Char('E');
    return true;
}

bool changesText(const QKeyEvent* e) {
    if (!e->text().isEmpty() && e->text().at(0).isPrint()) return true;
    return e->key() == Qt::Key_Backspace || e->key() == Qt::Key_Delete ||
           e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste) ||
           e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo);
}

// Asks for edit mode as a key is typed; an error goes to the hook.
bool beginEdit(QObject* sender, TFieldDataLink& link) {
    bool ok = false;
    RunHandler(sender, [&] { ok = link.EditField(); });
    return ok;
}

}  // namespace

// ---------------------------------------------------------------------------

TFieldDataLink::TFieldDataLink(QWidget* control) : control_(control) {}

void TFieldDataLink::setFieldName(const QString& name) {
    if (name == fieldName_) return;
    fieldName_ = name;
    resolveField();
}

void TFieldDataLink::setReadOnly(bool v) {
    readOnly_ = v;
    if (OnActiveChange) OnActiveChange();
}

bool TFieldDataLink::CanModify() const {
    const TDataSet* ds = DataSet();
    return !readOnly_ && field_ && !field_->ReadOnly() && field_->FieldKind() == fkData && ds &&
           ds->CanModify();
}

bool TFieldDataLink::EditField() {
    if (!CanModify()) return false;
    return Edit();
}

void TFieldDataLink::resolveField() {
    TField* f = nullptr;
    if (Active() && DataSet() && !fieldName_.isEmpty()) f = DataSet()->FindField(fieldName_);
    field_ = f;
    if (OnActiveChange) OnActiveChange();
    if (OnDataChange) OnDataChange();
}

void TFieldDataLink::ActiveChanged() {
    resolveField();
}

void TFieldDataLink::LayoutChanged() {
    resolveField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    // A calculated or looked-up field is worked out again from any field
    // changed: its control shows the new value at once.
    const bool derived = field_ && field_->FieldKind() != fkData;
    if (field && field != field_ && !derived) return;
    if (OnDataChange) OnDataChange();
}

void TFieldDataLink::EditingChanged() {
    if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::UpdateData() {
    if (field_ && OnUpdateData) OnUpdateData();
}

// ---------------------------------------------------------------------------
// TDBEdit

TDBEdit::TDBEdit(QWidget* parent) : TEdit(parent) {
    link_.OnDataChange = [this] { showField(); };
    link_.OnEditingChange = [this] {
        applyReadOnly();
        showField();
    };
    link_.OnActiveChange = [this] { applyReadOnly(); };
    link_.OnUpdateData = [this] {
        if (isModified()) link_.Field()->setText(text());
        setModified(false);
    };
    connect(this, &QLineEdit::textEdited, this, [this] { link_.Modified(); });
    applyReadOnly();
}

void TDBEdit::applyReadOnly() {
    QLineEdit::setReadOnly(!link_.CanModify() || tooLong_);
}

void TDBEdit::showField() {
    TField* f = link_.Field();
    QString t;
    if (f) t = link_.Editing() || hasFocus() ? f->Text() : f->DisplayText();
    // Setting the limit puts the text again (losing the selection): only on a change.
    const int limit = f && f->DataType() == ftString ? f->Size() : 0;
    if (MaxLength() != limit) TEdit::setMaxLength(limit);
    const bool tooLong = f && f->Text().size() > maxLength();
    if (tooLong != tooLong_) {
        tooLong_ = tooLong;
        applyReadOnly();
    }
    if (f)
        QLineEdit::setAlignment(f->Alignment() == taRightJustify
                                    ? Qt::AlignRight | Qt::AlignVCenter
                                    : Qt::AlignLeft | Qt::AlignVCenter);
    if (text() != t) setText(t);
    setModified(false);
}

void TDBEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isModified()) {
        // The field's value comes back.
        link_.Reset();
        selectAll();
        return;
    }
    if (changesText(event)) {
        const QString typed = event->text();
        if (!typed.isEmpty() && typed.at(0).isPrint() && !validChar(link_.Field(), typed.at(0))) {
            QApplication::beep();
            return;
        }
        if (tooLong_ || !beginEdit(this, link_)) return;
    }
    TEdit::keyPressEvent(event);
}

void TDBEdit::focusInEvent(QFocusEvent* event) {
    // Focused, the edit text (also when the window gives the focus back).
    if (!isModified()) showField();
    TEdit::focusInEvent(event);
}

void TDBEdit::DoEnter() {
    if (!isModified()) showField();
    TEdit::DoEnter();
}

void TDBEdit::DoExit() {
    // Raises when the field refuses the text; the focus then stays here.
    try {
        link_.UpdateRecord();
    } catch (...) {
        selectAll();
        throw;
    }
    TEdit::DoExit();
    if (!isModified()) showField();
}

// ---------------------------------------------------------------------------
// TDBMemo

TDBMemo::TDBMemo(QWidget* parent) : TMemo(parent) {
    link_.OnDataChange = [this] { showField(); };
    link_.OnActiveChange = [this] { applyReadOnly(); };
    link_.OnUpdateData = [this] {
        // The box shows every line end as its own; a text whose lines were
        // not changed keeps the line ends it was stored with (LF, CR).
        if (!showsField()) link_.Field()->setAsString(Text());
    };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing_) link_.Modified();
    });
    QPlainTextEdit::setReadOnly(true);
}

namespace {

// Line ends as the box gives them back.
QString plainLines(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

bool fitsMemo(const QString& text) {
    if (text.size() > TDBMemo::kTextoMemo) return false;
    qsizetype run = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            run = 0;
        else if (++run > TDBMemo::kLineaMemo)
            return false;
    }
    return true;
}

// A line laid out wrapped costs more than its length (a line of a million
// characters takes minutes): long lines are broken, never inside a letter,
// and the text is cut.
QString boundedMemo(const QString& text) {
    QString shown;
    const qsizetype n = std::min(text.size(), TDBMemo::kTextoMemo);
    shown.reserve(n + n / TDBMemo::kLineaMemo + 2);
    qsizetype run = 0;
    qsizetype i = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (shown.size() >= TDBMemo::kTextoMemo && !c.isLowSurrogate()) break;
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            run = 0;
        } else if (run >= TDBMemo::kLineaMemo && !c.isLowSurrogate()) {
            shown += QLatin1Char('\n');
            run = 0;
        }
        shown += c;
        ++run;
    }
    if (i < text.size()) shown += QStringLiteral("\n") + QChar(0x2026);
    return shown;
}

}  // namespace

void TDBMemo::showField() {
    TField* f = link_.Field();
    showing_ = true;
    const QString t = f ? f->AsString() : QString();
    bounded_ = !fitsMemo(t);
    if (bounded_)
        setText(boundedMemo(t));
    else if (Text() != t)
        setText(t);
    showing_ = false;
    setMaxLength(f && f->DataType() == ftString ? f->Size() : 0);
    applyReadOnly();
}

void TDBMemo::applyReadOnly() {
    QPlainTextEdit::setReadOnly(!link_.CanModify() || bounded_);
}

bool TDBMemo::showsField() const {
    const TField* f = link_.Field();
    return bounded_ || !f || plainLines(f->AsString()) == toPlainText();
}

QString TDBMemo::Value() const {
    const TField* f = link_.Field();
    return f && showsField() ? f->AsString() : Text();
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
    // A bounded view is not edited: no key puts the record in edit.
    if (!bounded_ &&
        (changesText(event) || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (!beginEdit(this, link_)) return;
    }
    TMemo::keyPressEvent(event);
}

void TDBMemo::insertFromMimeData(const QMimeData* source) {
    if (!bounded_ && beginEdit(this, link_)) TMemo::insertFromMimeData(source);
}

void TDBMemo::DoExit() {
    link_.UpdateRecord();
    TMemo::DoExit();
}

// ---------------------------------------------------------------------------
// TDBCheckBox

TDBCheckBox::TDBCheckBox(QWidget* parent, const QString& caption) : TCheckBox(parent, caption) {
    link_.OnDataChange = [this] { showField(); };
    link_.OnUpdateData = [this] {
        TField* f = link_.Field();
        const bool on = isChecked();
        if (f->DataType() == ftBoolean)
            f->setAsBoolean(on);
        else
            f->setText((on ? valueChecked_ : valueUnchecked_).section(QLatin1Char(';'), 0, 0));
    };
}

void TDBCheckBox::setValueChecked(const QString& v) {
    valueChecked_ = v;
    showField();
}

void TDBCheckBox::setValueUnchecked(const QString& v) {
    valueUnchecked_ = v;
    showField();
}

void TDBCheckBox::showField() {
    TField* f = link_.Field();
    Qt::CheckState state = Qt::Unchecked;
    if (f && !f->IsNull()) {
        auto holds = [f](const QString& values) {
            const QString text = f->Text();
            for (const QString& v : values.split(QLatin1Char(';')))
                if (text.compare(v.trimmed(), Qt::CaseInsensitive) == 0) return true;
            return false;
        };
        if (f->DataType() == ftBoolean)
            state = f->AsBoolean() ? Qt::Checked : Qt::Unchecked;
        else if (holds(valueChecked_))
            state = Qt::Checked;
        else if (!holds(valueUnchecked_) && isTristate())
            state = Qt::PartiallyChecked;
    } else if (f && isTristate()) {
        state = Qt::PartiallyChecked;
    }
    if (checkState() == state) return;
    // Showing the field is not a click.
    const QSignalBlocker block(this);
    setCheckState(state);
    update();
}

void TDBCheckBox::nextCheckState() {
    if (!beginEdit(this, link_)) return;
    {
        const QSignalBlocker block(this);
        TCheckBox::nextCheckState();
    }
    link_.Modified();
    // Written at once, so that the click's handler sees the field changed.
    if (!RunHandler(this, [this] { link_.UpdateRecord(); })) {
        showField();
        return;
    }
    if (OnClick) RunHandler(this, [this] { OnClick(this); });
}

// ---------------------------------------------------------------------------
// TDBComboBox

TDBComboBox::TDBComboBox(QWidget* parent) : TComboBox(parent) {
    link_.OnDataChange = [this] { showField(); };
    link_.OnUpdateData = [this] {
        // Leaving the combo unchanged writes nothing (the record may be browsing).
        if (link_.Field()->Text() != currentText()) link_.Field()->setText(currentText());
    };
    connect(this, &QComboBox::activated, this, [this] {
        if (showing_) return;
        if (!beginEdit(this, link_)) {
            showField();
            return;
        }
        link_.Modified();
        RunHandler(this, [this] { link_.UpdateRecord(); });
    });
    if (lineEdit()) connect(lineEdit(), &QLineEdit::textEdited, this, [this] { link_.Modified(); });
}

void TDBComboBox::showField() {
    TField* f = link_.Field();
    showing_ = true;
    const QSignalBlocker block(this);
    setText(f ? f->Text() : QString());
    showing_ = false;
    update();
}

void TDBComboBox::keyPressEvent(QKeyEvent* event) {
    if (changesText(event) || event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        if (!beginEdit(this, link_)) return;
    }
    TComboBox::keyPressEvent(event);
}

void TDBComboBox::DoExit() {
    link_.UpdateRecord();
    TComboBox::DoExit();
}

// ---------------------------------------------------------------------------
// TDBLookupComboBox

TDBLookupComboBox::TDBLookupComboBox(QWidget* parent) : QComboBox(parent), TControlBase(this) {
    setEditable(false);
    link_.OnDataChange = [this] { showField(); };
    link_.OnUpdateData = [this] { link_.Field()->setValue(keyValue_); };
    connect(this, &QComboBox::activated, this, &TDBLookupComboBox::picked);
}

void TDBLookupComboBox::setListSource(TDataSource* source) {
    listSource_ = source;
    showField();
}

void TDBLookupComboBox::setKeyField(const QString& f) {
    keyField_ = f;
    showField();
}

void TDBLookupComboBox::setListField(const QString& f) {
    listField_ = f;
    showField();
}

QString TDBLookupComboBox::listText(TDataSet* list) const {
    const QString first = listField_.section(QLatin1Char(';'), 0, 0).trimmed();
    TField* f = list && !first.isEmpty() ? list->FindField(first) : nullptr;
    return f ? f->DisplayText() : QString();
}

void TDBLookupComboBox::showKey(const QVariant& key) {
    keyValue_ = key;
    QString text;
    TDataSet* list = listSource_ ? listSource_->DataSet() : nullptr;
    const QString first = listField_.section(QLatin1Char(';'), 0, 0).trimmed();
    if (list && list->Active() && !keyField_.isEmpty() && !first.isEmpty() && key.isValid() &&
        !key.isNull()) {
        RunHandler(this, [&] {
            const QVariant v = list->Lookup(keyField_, key, first);
            if (v.isValid() && !v.isNull()) text = v.toString();
        });
    }
    showing_ = true;
    const QSignalBlocker block(this);
    clear();
    if (!text.isEmpty()) {
        addItem(text, key);
        setCurrentIndex(0);
    }
    showing_ = false;
}

void TDBLookupComboBox::showField() {
    TField* f = link_.Field();
    showKey(f ? f->Value() : (link_.DataSource() ? QVariant() : keyValue_));
}

void TDBLookupComboBox::setKeyValue(const QVariant& key) {
    showKey(key);
    if (link_.Field() && link_.EditField()) {
        link_.Modified();
        link_.UpdateRecord();
        showField();
    }
}

void TDBLookupComboBox::showPopup() {
    TDataSet* list = listSource_ ? listSource_->DataSet() : nullptr;
    if (list && list->Active()) {
        const QStringList shown = listField_.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        showing_ = true;
        const QSignalBlocker block(this);
        clear();
        RunHandler(this, [&] {
            // The rows are read without moving the list's dataset.
            const QVector<TRow> rows = list->ReadRows(TBookmark(), dropDownRows_);
            TField* key = list->FindField(keyField_);
            for (const TRow& r : rows) {
                list->BeginRowView(r);
                QStringList parts;
                for (const QString& name : shown)
                    if (TField* f = list->FindField(name.trimmed())) parts << f->DisplayText();
                const QVariant k = key ? key->Value() : QVariant();
                list->EndRowView();
                addItem(parts.join(QLatin1String(" - ")), k);
            }
        });
        const int current = findData(keyValue_);
        setCurrentIndex(current);
        showing_ = false;
    }
    QComboBox::showPopup();
    ShowEmptyDropDown(this);
}

void TDBLookupComboBox::picked(int index) {
    if (showing_ || index < 0) return;
    const QVariant key = itemData(index);
    if (link_.Field()) {
        if (!beginEdit(this, link_)) {
            showField();
            return;
        }
        keyValue_ = key;
        link_.Modified();
        RunHandler(this, [this] { link_.UpdateRecord(); });
        showField();
    } else {
        keyValue_ = key;
    }
    if (OnCloseUp) RunHandler(this, [this] { OnCloseUp(this); });
}

// ---------------------------------------------------------------------------
// TDBRadioGroup

TDBRadioGroup::TDBRadioGroup(QWidget* parent, const QString& caption)
    : TRadioGroup(parent, caption) {
    link_.OnDataChange = [this] { showField(); };
    link_.OnUpdateData = [this] { link_.Field()->setText(valueOf(ItemIndex())); };
}

void TDBRadioGroup::setValues(const QStringList& v) {
    values_ = v;
    showField();
}

QString TDBRadioGroup::valueOf(int index) const {
    if (index < 0) return QString();
    return values_.isEmpty() ? Items().value(index) : values_.value(index);
}

QString TDBRadioGroup::Value() const {
    return valueOf(ItemIndex());
}

void TDBRadioGroup::showField() {
    TField* f = link_.Field();
    int index = -1;
    if (f) {
        const QString text = f->Text();
        const QStringList& values = values_.isEmpty() ? Items() : values_;
        for (int i = 0; i < values.size(); ++i)
            if (values[i].compare(text, Qt::CaseInsensitive) == 0) {
                index = i;
                break;
            }
    }
    TRadioGroup::setItemIndex(index);
}

void TDBRadioGroup::itemChosen(int index) {
    if (!beginEdit(this, link_)) {
        showField();
        return;
    }
    TRadioGroup::itemChosen(index);
    link_.Modified();
    if (!RunHandler(this, [this] { link_.UpdateRecord(); })) showField();
}

// ---------------------------------------------------------------------------

TDBImage::TDBImage(QWidget* parent) : TImage(parent) {
    link_.OnDataChange = [this] { showField(); };
}

void TDBImage::showField() {
    TField* f = link_.Field();
    setPicture(f ? f->AsImage() : QImage());
}

void TDBImage::LoadPicture(const QImage& image) {
    TField* f = link_.Field();
    if (!f) return;
    if (!link_.EditField()) throw EDatabaseError::make(DbError::ReadOnly);
    f->setAsImage(image);
}

TDBText::TDBText(QWidget* parent) : TLabel(parent) {
    link_.OnDataChange = [this] { showField(); };
}

void TDBText::showField() {
    TField* f = link_.Field();
    setText(f ? f->DisplayText() : QString());
}

// ---------------------------------------------------------------------------
// TDBNavigator

class TDBNavigator::Link : public TDataLink {
public:
    explicit Link(TDBNavigator* nav) : nav_(nav) {}

protected:
    void ActiveChanged() override { nav_->updateButtons(); }
    void EditingChanged() override { nav_->updateButtons(); }
    void DataSetChanged() override { nav_->updateButtons(); }

private:
    TDBNavigator* nav_;
};

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent), TControlBase(this), link_(std::make_unique<Link>(this)) {
    static const char* const kCaptions[] = {"|<", "<", ">", ">|", "+", "-", "^", "✓", "✗", "↻"};
    static const char* const kHints[] = {
        "Primer registro",   "Registro anterior", "Registro siguiente", "Último registro",
        "Insertar registro", "Borrar registro",   "Modificar registro", "Grabar cambios",
        "Cancelar cambios",  "Refrescar datos"};
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    for (int i = 0; i <= nbRefresh; ++i) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(kCaptions[i]));
        b->setToolTip(QString::fromUtf8(kHints[i]));
        b->setFocusPolicy(Qt::NoFocus);
        box->addWidget(b);
        buttons_.append(b);
        connect(b, &QToolButton::clicked, this,
                [this, i] { RunHandler(this, [&] { BtnClick(TNavigateBtn(i)); }); });
    }
    updateButtons();
}

TDBNavigator::~TDBNavigator() = default;

TDataSource* TDBNavigator::DataSource() const {
    return link_->DataSource();
}

void TDBNavigator::setDataSource(TDataSource* source) {
    link_->setDataSource(source);
    updateButtons();
}

void TDBNavigator::setVisibleButtons(int buttons) {
    visible_ = buttons;
    for (int i = 0; i < buttons_.size(); ++i) buttons_[i]->setVisible(buttons & (1 << i));
}

QAbstractButton* TDBNavigator::Button(TNavigateBtn button) const {
    return buttons_.value(button);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
    TDataSet* ds = link_->DataSet();
    if (ds && link_->Active()) {
        switch (button) {
            case nbFirst:
                ds->First();
                break;
            case nbPrior:
                ds->Prior();
                break;
            case nbNext:
                ds->Next();
                break;
            case nbLast:
                ds->Last();
                break;
            case nbInsert:
                ds->Insert();
                break;
            case nbDelete:
                ds->Delete();
                break;
            case nbEdit:
                ds->Edit();
                break;
            case nbPost:
                ds->Post();
                break;
            case nbCancel:
                ds->Cancel();
                break;
            case nbRefresh:
                ds->Refresh();
                break;
        }
    }
    if (OnNavClick) OnNavClick(this, button);
}

void TDBNavigator::updateButtons() {
    TDataSet* ds = link_->DataSet();
    const bool active = ds && link_->Active();
    const bool editing = active && link_->Editing();
    const bool canModify = active && ds->CanModify();
    const bool browse = active && !editing;
    const bool bof = active && ds->Bof();
    const bool eof = active && ds->Eof();
    const bool empty = !active || ds->IsEmpty();
    const bool enabled[] = {browse && !bof,
                            browse && !bof,
                            browse && !eof,
                            browse && !eof,
                            canModify,
                            canModify && !empty && browse,
                            canModify && browse && !empty,
                            editing,
                            editing,
                            browse};
    for (int i = 0; i < buttons_.size(); ++i) buttons_[i]->setEnabled(enabled[i]);
}
