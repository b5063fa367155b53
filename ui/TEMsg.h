#pragma once
// The message dialog: a window built on the fly from a text, a kind and a ";"-separated list of
// button captions, shown modally; it answers with the number of the button chosen.
#include "app/MsgDlgType.h"
#include "platform/Component.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QColor;
class QDialog;
class QPushButton;
class QSize;
class QWidget;

class TEMsg : public Component {
public:
    using TNotifyEvent = std::function<void(TEMsg& sender)>;

    // One button of the row: its caption and its width in pixels.
    struct Button {
        std::string Caption;
        int Width = 0;
    };
    static constexpr int MaxButtons = 10;

    explicit TEMsg(Component* owner = nullptr);
    ~TEMsg() override;

    // Returns the number of the chosen button (1 to 10), 0 when closed without one. The default
    // button (from 1) has the focus and is taken by Enter. Tests answer it through DialogAnswers.
    int ShowDialog(const std::string& text, TMsgDlgType typ, const std::string& buttons,
                   int defaultButton = 1);

    // The buttons a list gives and the width of their row; items beyond the tenth are dropped.
    static std::vector<Button> ButtonRow(const std::string& buttons, int& rowWidth);

    // The window while it is shown, null otherwise.
    QDialog* Form() const { return form_.get(); }
    std::uint8_t ChosenButton() const { return chosen_; }

    std::string Text;
    TMsgDlgType Typ = TMsgDlgType::mtInformation;
    // Called after the dialog has closed, before its window is freed.
    TNotifyEvent OnAfterShow;

private:
    void BuildForm(const std::string& buttons, int defaultButton);
    // The text at its place; returns the widget that shows it (the label, or an area scrolling
    // it).
    const QWidget* BuildText(QWidget& panel, const QSize& room, const QColor& background);
    void BuildSign(QWidget& panel, const std::string& buttons, const QColor& background);
    std::vector<QPushButton*> BuildButtons(QWidget& panel, const std::string& buttons,
                                           int& rowWidth);

    std::unique_ptr<QDialog> form_;
    std::uint8_t chosen_ = 0;
};

// A message or a question: "Confirmation" when the list has a ";", "Message" otherwise.
int ShowMsg(const std::string& text, const std::string& buttons = {}, int defaultButton = 1);
// An error; for a sender the text gets the line "( owner.name - date time )".
int ShowErrMsg(const Component* sender, const std::string& text, const std::string& buttons = {},
               int defaultButton = 1);
