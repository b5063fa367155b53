#include "ui/edit/TEStr.h"

#include "platform/Text.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kButtonWidth = 15;

QString Qt8(const std::string& win1250) {
    return QString::fromStdString(text::ToUtf8(win1250));
}

std::string Win(const QString& s) {
    return text::FromUtf8(s.toStdString());
}

char UpperChar(char c) {
    return text::UpperWin1250(std::string(1, c))[0];
}
char LowerChar(char c) {
    return text::LowerWin1250(std::string(1, c))[0];
}

bool Above27(char c) {
    return static_cast<unsigned char>(c) > 27;
}

// The character a key event types, 0 for none; Enter and Esc count as characters.
char TypedChar(const QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) return 13;
    if (e->key() == Qt::Key_Escape) return 27;
    // A Ctrl chord (not AltGr) types no printable character, whatever text the event carries.
    const auto mods = e->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) return 0;
    const QString t = e->text();
    if (t.size() != 1) return 0;
    const char16_t u = t[0].unicode();
    if (u < 32) return static_cast<char>(u);
    if (u == 127) return 0;
    std::string w = Win(t);
    return w.size() == 1 ? w[0] : 0;
}

} // namespace

TEStr::TEStr(QWidget* owner, const std::string& name) : QLineEdit(owner), owner_(owner) {
    setObjectName(QString::fromStdString(name));
    QFont f("Arial");
    f.setPointSize(9);
    setFont(f);
    resize(width(), 20);
    connect(this, &QLineEdit::textChanged, this, [this] { Change(); });
}

TEStr::~TEStr() {
    HideButton();
    delete label_.data();
    // The list lives on the form; it must not outlast the field whose handlers it calls. It is
    // forgotten first: its destructor still sends events to the field's filter.
    QComboBox* list = pickList_;
    pickList_ = nullptr;
    delete list;
}

void TEStr::ShowMessage(const std::string& text, bool isError) {
    try {
        if (OnMessage) {
            OnMessage(text, isError);
        } else if (isError) {
            QMessageBox::critical(nullptr, "Error", Qt8(text));
        } else {
            QMessageBox::information(nullptr, QApplication::applicationName(), Qt8(text));
        }
    } catch (...) {
        // A message that cannot be shown must not take the field down.
    }
}

std::string TEStr::Name() const {
    return objectName().toStdString();
}

void TEStr::SetName(const std::string& name) {
    setObjectName(QString::fromStdString(name));
}

std::string TEStr::Text() const {
    return Win(text());
}

void TEStr::SetText(const std::string& value) {
    setText(Qt8(value));
}

bool TEStr::TabStop() const {
    return focusPolicy() & Qt::TabFocus;
}

void TEStr::SetTabStop(bool value) {
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TEStr::SetAlignment(TAlignment value) {
    alignment_ = value;
    Qt::Alignment h = value == taRightJustify ? Qt::AlignRight
                      : value == taCenter     ? Qt::AlignHCenter
                                              : Qt::AlignLeft;
    setAlignment(h | Qt::AlignVCenter);
}

void TEStr::SetUpdater(QObject* value) {
    updater_ = value;
    if (value) updaterAssigned_ = true;
}

std::string TEStr::IOText() {
    std::string r = conversion_.ConvertIOText(Text());
    if (OnGetText) {
        try {
            OnGetText(*this, r);
        } catch (...) {
        }
    }
    return r;
}

void TEStr::SetIOText(const std::string& value) {
    updateValue_ = value;
    std::string v = value;
    if (OnSetText) {
        try {
            OnSetText(*this, v);
        } catch (...) {
        }
    }
    SetText(v);
    updateValue_ = v;
}

void TEStr::SetCharSet(const std::string& value) {
    conversion_.SetCharSet(value, [this](const std::string& m) { ShowMessage(m, true); });
}

void TEStr::SetCharSetDisabled(const std::string& value) {
    conversion_.SetCharSetDisabled(value, [this](const std::string& m) { ShowMessage(m, true); });
}

void TEStr::SetCaption(const std::string& value) {
    caption_ = value;
    if (text::Trim(value).empty()) {
        delete label_.data();
        label_ = nullptr;
        return;
    }
    const QString labelName = QString::fromStdString("L_" + Name());
    QLabel* found = owner_ ? owner_->findChild<QLabel*>(labelName) : nullptr;
    if (found) {
        label_ = found;
        label_->setText(Qt8(value));
        return;
    }
    auto* label = new QLabel(parentWidget());
    label->setObjectName(labelName);
    label->setText(Qt8(value));
    label->adjustSize();
    label->move(x(), y() - label->height() - 1);
    if (parentWidget()) label->show();
    label_ = label;
}

void TEStr::ClearDefault(const std::string& value) {
    std::string v;
    if (!value.empty()) {
        v = text::UpperAscii(text::Trim(value)) == "SELF" ? Text() : value;
    } else if (IOTextOptions().Contains(e_Numeric) || IOTextOptions().Contains(e_Integer)) {
        v = "0";
    }
    defaultText_ = v;
    lastExitText_ = v;
}

bool TEStr::CanFocus() const {
    return isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus;
}

void TEStr::SetFocus() {
    if (CanFocus()) setFocus(Qt::OtherFocusReason);
}

bool TEStr::OwnerIsForm() const {
    return owner_ && owner_->isWindow();
}

void TEStr::MoveFocus(bool next) {
    try {
        QWidget::focusNextPrevChild(next);
        // Skip fields that cannot be seen; the bound only guards against a chain of them.
        for (int i = 0; i < 256; ++i) {
            QWidget* f = QApplication::focusWidget();
            if (!f || f->isVisible()) break;
            QWidget::focusNextPrevChild(next);
        }
    } catch (...) {
    }
}

void TEStr::Notify(const TEStrNotifyEvent& handler) {
    if (!handler) return;
    try {
        handler(*this);
    } catch (...) {
        // Handlers of the field's events never take it down.
    }
}

std::string TEStr::ComboItemsText() const {
    return text::JoinLines(comboItems_);
}

bool TEStr::HasEmptyItem() const {
    return std::find(comboItems_.begin(), comboItems_.end(), std::string()) != comboItems_.end();
}

// ---- keyboard

void TEStr::keyPressEvent(QKeyEvent* event) {
    if (KeyDown(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    char key = TypedChar(event);
    if (key == 0) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    KeyPress(event, key);
}

// True when the key was taken here and nothing else may see it.
bool TEStr::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    lastKeyDown_ = key;
    shiftEnterDone_ = false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;

    if (key == Qt::Key_F5 || (key == Qt::Key_T && ctrl)) {
        SetTabStop(!TabStop());
        ShowMessage(TabStop() ? "TabStop is enabled" : "TabStop is disabled", false);
        return true;
    }
    if (enter && (modifiers & Qt::ShiftModifier) && OwnerIsForm()) {
        MoveFocus(false);
        shiftEnterDone_ = true;
        return true;
    }
    const bool padStar = key == Qt::Key_Asterisk && (modifiers & Qt::KeypadModifier);
    if (comboMode_ && (key == Qt::Key_F2 || key == Qt::Key_F4 || padStar)) {
        DropDown();
        return true;
    }
    if ((key == Qt::Key_Space && isReadOnly() && comboMode_) || key == Qt::Key_Delete) {
        // Only a list that offers an empty choice after another one may be cleared this way.
        const std::string items = ComboItemsText();
        if (items.find("\r\n\r\n") != std::string::npos ||
            items.find("\r\n \r\n") != std::string::npos) {
            SetText("");
            return true;
        }
    }
    if (key == Qt::Key_Z && ctrl) {
        SetText(entryText_);
        return true;
    }
    if (!arrowNoByTab_ && OwnerIsForm() && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        MoveFocus(key == Qt::Key_Down);
        return true;
    }
    return false;
}

void TEStr::KeyPress(QKeyEvent* event, char key) {
    const char typed = key;
    if (lower_ && Above27(key)) key = LowerChar(key);
    if (upper_ && Above27(key))
        key = UpperChar(key);
    else if (upperFirstChar_ && Above27(key) && text().isEmpty())
        key = UpperChar(key);

    if (key == '\'' && !text::Trim(sqlTable_).empty() && !text::Trim(sqlField_).empty()) return;
    if (key == 27) SetText(entryText_);
    if (key == 13 && comboMode_ && text().isEmpty() && !comboItems_.empty() && !HasEmptyItem()) {
        DropDown();
        return;
    }
    if (key == 13 && enterByTab_) {
        if (shiftEnterDone_) return;
        if (OwnerIsForm()) {
            MoveFocus(true);
            return;
        }
    }
    if (conversion_.RefusesTyped(key)) return;
    if (comboMode_ && key == '*') return;
    shiftEnterDone_ = false;
    if (comboMode_ && Above27(key) && IncrementalPick(key)) return;

    if (key == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent cased(event->type(), event->key(), event->modifiers(), Qt8(std::string(1, key)),
                    event->isAutoRepeat(), event->count());
    QLineEdit::keyPressEvent(&cased);
    event->setAccepted(cased.isAccepted());
}

// A typed letter jumps to the first item that begins with it, whatever its case.
bool TEStr::IncrementalPick(char key) {
    const std::string items = ComboItemsText();
    const std::string needle = std::string("\r\n") + UpperChar(key);
    const size_t at = ("\r\n" + text::UpperWin1250(items)).find(needle);
    if (at == std::string::npos) return false;
    std::string entry = items.substr(at, 200);
    entry = entry.substr(0, entry.find("\r\n"));
    SetText(entry);
    // The caret stands after the letter typed.
    setCursorPosition(std::min(1, static_cast<int>(text().size())));
    return true;
}

// ---- entry, exit, change

void TEStr::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (inside_) return;
    inside_ = true;
    DoEnter();
}

void TEStr::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching windows or opening a popup does not leave the field.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (!inside_) return;
    inside_ = false;
    DoExit();
}

void TEStr::DoEnter() {
    entering_ = true;
    try {
        if (comboMode_ && !button_ && IsEmpty() && !isReadOnly() && isEnabled()) DefaultTextRule();
        if (comboMode_) {
            ShowButton();
            if (button_) button_->setText("...");
        }
        entryText_ = Text();
        if (!inDropDown_) Notify(OnEnter);
    } catch (...) {
    }
    entering_ = false;
    if (!comboMode_ && IsEmpty() && !isReadOnly()) DefaultTextRule();
    if (autoSelect_ && !text().isEmpty()) setSelection(0, static_cast<int>(text().size()));
    if (comboMode_ && button_) button_->setText("...");
}

void TEStr::DefaultTextRule() {
    if (defaultLastExitText_) {
        if (!lastExitText_.empty())
            SetText(lastExitText_);
        else
            lastExitText_ = defaultText_;
    } else if (!text::Trim(defaultText_).empty()) {
        SetText(defaultText_);
    }
}

void TEStr::DoExit() {
    if (inDropDown_) return;
    if (comboMode_) HideButton();
    Notify(OnExit);
    lastExitText_ = Text();
}

void TEStr::Change() {
    setModified(!entering_);
    if (inChange_) return;
    inChange_ = true;
    try {
        const std::string current = Text();
        const std::string kept = conversion_.Filter(current);
        if (kept.size() != current.size()) {
            // The caret keeps its place among the characters that stay.
            const int caret = cursorPosition();
            const std::string before = Win(text().left(caret));
            const int removedBefore =
                static_cast<int>(before.size() - conversion_.Filter(before).size());
            SetText(kept);
            setCursorPosition(std::max(0, caret - removedBefore));
        }
        isFromUpdater_ = updaterAssigned_;
        Notify(OnChange);
    } catch (...) {
    }
    inChange_ = false;
}

void TEStr::mouseDoubleClickEvent(QMouseEvent* event) {
    if (button_) DropDown();
    QLineEdit::mouseDoubleClickEvent(event);
    Notify(OnDblClick);
}

// ---- pick list

void TEStr::ShowButton() {
    if (button_) return;
    resize(width() - kButtonWidth, height());
    inDropDown_ = false;
    auto* button = new QToolButton(parentWidget());
    button->setObjectName(QString::fromStdString(Name() + "Button"));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(x() + width() - 1, y(), kButtonWidth, height());
    button->setText("...");
    button->setToolTip("<F4>");
    connect(button, &QToolButton::clicked, this, [this] { DropDown(); });
    if (parentWidget()) button->show();
    button_ = button;
}

void TEStr::HideButton() {
    if (!button_) return;
    QToolButton* button = button_;
    button_ = nullptr;
    disconnect(button, nullptr, this, nullptr);
    button->hide();
    resize(width() + kButtonWidth, height());
    delete button;
}

void TEStr::DropDown() {
    if (inDropDown_) return;
    inDropDown_ = true;
    if (OnButtonClick) {
        Notify(OnButtonClick);
        // Without a list nothing would clear the flag, and the field would refuse to be left.
        inDropDown_ = false;
        return;
    }
    if (comboItems_.empty()) {
        inDropDown_ = false;
        return;
    }
    QWidget* form = OwnerIsForm() ? owner_.data() : window();
    if (!pickList_) {
        auto* list = new QComboBox(form);
        list->hide();
        list->setObjectName(QString::fromStdString("CBX_" + Name()));
        list->setEditable(false);
        QFont f("Arial");
        f.setPointSize(9);
        list->setFont(f);
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, this->palette().color(QPalette::Base));
        palette.setColor(QPalette::Button, this->palette().color(QPalette::Base));
        list->setPalette(palette);
        if (downCount_ < 2) downCount_ = 2;
        list->setMaxVisibleItems(downCount_);
        connect(list, &QComboBox::activated, this, [this] {
            if (!ListDroppedDown()) CloseList();
        });
        pickList_ = list;
    }
    QComboBox* list = pickList_;
    const QPoint at = form->isAncestorOf(this) ? mapTo(form, QPoint(0, 0))
                                               : form->mapFromGlobal(mapToGlobal(QPoint(0, 0)));
    list->clear();
    for (const auto& item : comboItems_)
        list->addItem(Qt8(item));
    list->setFont(font());
    list->setGeometry(at.x(), at.y(), width() + kButtonWidth, list->sizeHint().height());
    WatchList(true);

    list->show();
    list->raise();
    down_ = true;
    QMetaObject::invokeMethod(
        this, [this] { FocusListMessage(); }, Qt::QueuedConnection);
    // The selection is made before the list drops so that the dropped rows show it.
    const int same = list->findText(text(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setCurrentIndex(same >= 0 ? same : (list->count() > 0 ? 0 : -1));
    list->showPopup();
}

bool TEStr::ListDroppedDown() const {
    return pickList_ && pickList_->view() && pickList_->view()->isVisible();
}

void TEStr::WatchList(bool on) {
    if (!pickList_) return;
    QObject* parts[] = {pickList_.data(), pickList_->view(), pickList_->view()->viewport()};
    for (QObject* part : parts) {
        if (on)
            part->installEventFilter(this);
        else
            part->removeEventFilter(this);
    }
}

bool TEStr::eventFilter(QObject* watched, QEvent* event) {
    if (!pickList_) return QLineEdit::eventFilter(watched, event);
    QComboBox* list = pickList_;
    QAbstractItemView* view = list->view();
    try {
        if (event->type() == QEvent::KeyPress && (watched == list || watched == view)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                if (watched == view) {
                    // The row lit in the dropped list is the one chosen.
                    const int row = view->currentIndex().row();
                    if (row >= 0) list->setCurrentIndex(row);
                    list->hidePopup();
                }
                ListEnter();
                return true;
            }
            if (key == Qt::Key_Escape) {
                if (ListDroppedDown()) list->hidePopup();
                CloseList();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick &&
                   (watched == list || watched == view->viewport())) {
            if (watched == view->viewport()) {
                const QModelIndex row =
                    view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
                if (row.isValid()) list->setCurrentIndex(row.row());
                list->hidePopup();
            }
            PickByDoubleClick();
            return true;
        } else if (event->type() == QEvent::FocusOut && watched == list) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                CloseList();
        }
    } catch (...) {
    }
    return QLineEdit::eventFilter(watched, event);
}

void TEStr::FocusListMessage() {
    if (pickList_) pickList_->setFocus(Qt::OtherFocusReason);
}

void TEStr::ListEnter() {
    if (!pickList_) return;
    const int index = pickList_->currentIndex();
    if (index >= 0) SetText(Win(pickList_->itemText(index)));
    CloseList();
}

void TEStr::PickByDoubleClick() {
    if (inPick_) return;
    inPick_ = true;
    try {
        if (pickList_ && pickList_->currentIndex() >= 0) {
            const size_t index = static_cast<size_t>(pickList_->currentIndex());
            if (index < comboItems_.size()) SetText(comboItems_[index]);
            CloseList();
        }
    } catch (...) {
    }
    inPick_ = false;
}

void TEStr::CloseList() {
    if (pickList_ && pickList_->currentText().isEmpty() && !HasEmptyItem()) {
        // An empty choice is refused unless the items offer one: the list opens again.
        pickList_->setFocus(Qt::OtherFocusReason);
        pickList_->showPopup();
        return;
    }
    if (pickList_) {
        SetText(Win(pickList_->currentText()));
        WatchList(false);
        QMetaObject::invokeMethod(
            this, [this] { CloseListMessage(); }, Qt::QueuedConnection);
    }
    inDropDown_ = false;
    down_ = false;
}

void TEStr::CloseListMessage() {
    inDropDown_ = false;
    QComboBox* list = pickList_;
    pickList_ = nullptr;
    // The field takes the focus before the list goes, so the focus does not wander to a
    // neighbour in between.
    SetFocus();
    if (list) {
        list->hide();
        delete list;
    }
}
