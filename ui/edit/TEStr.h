#pragma once
// The single-line data-entry field: a caption label above it, Enter and the arrows moving
// between fields, typed characters filtered and cased, a default text on entry, Esc and Ctrl+Z
// back to the entry text, the converted value IOText, and an optional pick list.
// The widget shows UTF-8; Text, IOText and every property speak Windows-1250.
#include "ui/edit/EditConversion.h"

#include <QLineEdit>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QToolButton;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TEStr;
// The handler may change the text it is given.
using TEStrGetTextEvent = std::function<void(TEStr& sender, std::string& txt)>;
using TEStrNotifyEvent = std::function<void(TEStr& sender)>;

// Where a field's messages go: the plain box of the tab-stop toggle (isError false) and the
// error with one OK button of a bad character set.
using TEStrMessageHandler = std::function<void(const std::string& text, bool isError)>;

class TEStr : public QLineEdit {
    Q_OBJECT

public:
    // The owner is the form: it holds the label found by name, and the pick list lies on it.
    explicit TEStr(QWidget* owner = nullptr, const std::string& name = {});
    ~TEStr() override;

    std::string Name() const;
    void SetName(const std::string& name);
    std::string Text() const;
    void SetText(const std::string& value);
    bool Modified() const { return isModified(); }
    bool TabStop() const;
    void SetTabStop(bool value);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value) { align_ = value; }
    bool Down() const { return down_; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    const std::string& DefaultText() const { return defaultText_; }
    void SetDefaultText(const std::string& value) { defaultText_ = value; }
    bool DefaultLastExitText() const { return defaultLastExitText_; }
    void SetDefaultLastExitText(bool value) { defaultLastExitText_ = value; }
    bool DisableSave() const { return disableSave_; }
    void SetDisableSave(bool value) { disableSave_ = value; }
    bool ComboMode() const { return comboMode_; }
    void SetComboMode(bool value) { comboMode_ = value; }
    const std::vector<std::string>& ComboItems() const { return comboItems_; }
    void SetComboItems(const std::vector<std::string>& items) { comboItems_ = items; }
    std::uint8_t DownCount() const { return downCount_; }
    void SetDownCount(std::uint8_t value) { downCount_ = value; }
    bool IsInvalid() { return conversion_.IsInvalid(Text()); }
    bool IsEmpty() { return conversion_.IsEmpty(Text()); }
    bool IsFromUpdater() const { return isFromUpdater_; }
    TEStrFormatOptions IOTextOptions() const { return conversion_.IOTextOptions; }
    void SetIOTextOptions(TEStrFormatOptions value) { conversion_.IOTextOptions = value; }
    QObject* Updater() const { return updater_; }
    void SetUpdater(QObject* value);
    bool UpdateProtected() const { return updateProtected_; }
    void SetUpdateProtected(bool value) { updateProtected_ = value; }
    const std::string& UpdateValue() const { return updateValue_; }
    std::string IOText();
    void SetIOText(const std::string& value);
    bool EnterByTab() const { return enterByTab_; }
    void SetEnterByTab(bool value) { enterByTab_ = value; }
    bool ArrowNoByTab() const { return arrowNoByTab_; }
    void SetArrowNoByTab(bool value) { arrowNoByTab_ = value; }
    bool UpperFirstChar() const { return upperFirstChar_; }
    void SetUpperFirstChar(bool value) { upperFirstChar_ = value; }
    bool Upper() const { return upper_; }
    void SetUpper(bool value) { upper_ = value; }
    bool Lower() const { return lower_; }
    void SetLower(bool value) { lower_ = value; }
    const std::string& CharSet() const { return conversion_.CharSet(); }
    void SetCharSet(const std::string& value);
    const std::string& CharSetDisabled() const { return conversion_.CharSetDisabled(); }
    void SetCharSetDisabled(const std::string& value);
    const std::string& SqlField() const { return sqlField_; }
    void SetSqlField(const std::string& value) { sqlField_ = value; }
    const std::vector<std::string>& Sql() const { return sql_; }
    void SetSql(const std::vector<std::string>& lines) { sql_ = lines; }
    const std::string& SqlTable() const { return sqlTable_; }
    void SetSqlTable(const std::string& value) { sqlTable_ = value; }
    bool SqlPrimaryField() const { return sqlPrimaryField_; }
    void SetSqlPrimaryField(bool value) { sqlPrimaryField_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);

    TEStrGetTextEvent OnGetText;
    TEStrGetTextEvent OnSetText;
    // Set, it replaces the pick list.
    TEStrNotifyEvent OnButtonClick;
    TEStrNotifyEvent OnChange;
    TEStrNotifyEvent OnEnter;
    TEStrNotifyEvent OnExit;
    TEStrNotifyEvent OnDblClick;
    // Set by the window the field is on; without it a Qt message box shows the message.
    TEStrMessageHandler OnMessage;

    // "self" takes the current text; empty means zero on a number field.
    void ClearDefault(const std::string& value);
    void SetFocus();
    bool CanFocus() const;
    void Extract() { DropDown(); }
    int LastKeyDown() const { return lastKeyDown_; }
    // The text left behind at the last exit, offered by DefaultLastExitText.
    const std::string& LastExitText() const { return lastExitText_; }
    std::string ConvertIOText(const std::string& s) { return conversion_.ConvertIOText(s); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool OwnerIsForm() const;
    void MoveFocus(bool next);
    void Notify(const TEStrNotifyEvent& handler);
    void ShowMessage(const std::string& text, bool isError);
    std::string ComboItemsText() const;
    bool HasEmptyItem() const;

    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void KeyPress(QKeyEvent* event, char key);
    bool IncrementalPick(char key);
    void DoEnter();
    void DoExit();
    void DefaultTextRule();
    void Change();

    void ShowButton();
    void HideButton();
    void DropDown();
    void CloseList();
    void PickByDoubleClick();
    void ListEnter();
    bool ListDroppedDown() const;
    void WatchList(bool on);
    void FocusListMessage();
    void CloseListMessage();

    EditConversion conversion_;
    QPointer<QWidget> owner_;
    QPointer<QObject> updater_;
    QPointer<QLabel> label_;
    QPointer<QToolButton> button_;
    QPointer<QComboBox> pickList_;

    TAlign align_ = alNone;
    bool down_ = false;
    TAlignment alignment_ = taLeftJustify;
    std::string defaultText_;
    bool defaultLastExitText_ = false;
    bool disableSave_ = false;
    bool comboMode_ = false;
    std::vector<std::string> comboItems_;
    std::uint8_t downCount_ = 8;
    bool isFromUpdater_ = false;
    bool updateProtected_ = false;
    std::string updateValue_ = "<<?>>";
    bool enterByTab_ = true;
    bool arrowNoByTab_ = false;
    bool upperFirstChar_ = false;
    bool upper_ = false;
    bool lower_ = false;
    std::string sqlField_;
    std::vector<std::string> sql_;
    std::string sqlTable_;
    bool sqlPrimaryField_ = false;
    std::string caption_;
    bool autoSelect_ = true;

    int lastKeyDown_ = 0;
    std::string lastExitText_;
    std::string entryText_;
    bool updaterAssigned_ = false;
    bool inChange_ = false;
    bool entering_ = false;
    bool shiftEnterDone_ = false;
    bool inDropDown_ = false;
    bool inPick_ = false;
    // Between a real entry and a real exit; window switches and popups do not count.
    bool inside_ = false;
};
