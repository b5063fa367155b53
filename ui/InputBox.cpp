#include "ui/InputBox.h"

#include "platform/Text.h"
#include "ui/DialogAnswers.h"

#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>

#include <algorithm>

namespace {

// Room for the title bar's icon and buttons beside the caption.
constexpr int kTitleBarRoom = 160;

} // namespace

bool InputBox::InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                          QWidget* parent) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(text::ToUtf8(caption)));
    dialog.setLabelText(QString::fromStdString(text::ToUtf8(prompt)));
    dialog.setTextValue(QString::fromStdString(text::ToUtf8(value)));
    // Wide enough that the title bar shows the whole caption and the prompt fits on its line. The
    // dialog sizes itself by its layout, so the width is asked of the text field in it.
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    const int needed =
        std::max(QFontMetrics(titleFont).horizontalAdvance(dialog.windowTitle()) + kTitleBarRoom,
                 dialog.fontMetrics().horizontalAdvance(dialog.labelText()) * 3 / 2);
    if (auto* field = dialog.findChild<QLineEdit*>()) field->setMinimumWidth(needed);
    if (DialogAnswers::Exec(dialog) != QDialog::Accepted) return false;
    value = text::FromUtf8(dialog.textValue().toStdString());
    return true;
}

std::string InputBox::Ask(const std::string& caption, const std::string& prompt,
                          const std::string& defaultValue, QWidget* parent) {
    std::string value = defaultValue;
    return InputQuery(caption, prompt, value, parent) ? value : defaultValue;
}
