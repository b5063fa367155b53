#include "ui/InputBox.h"

#include "platform/Text.h"
#include "ui/DialogAnswers.h"

#include <QInputDialog>

bool InputBox::InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                          QWidget* parent) {
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("InputBox"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(text::ToUtf8(caption)));
    dialog.setLabelText(QString::fromStdString(text::ToUtf8(prompt)));
    dialog.setTextValue(QString::fromStdString(text::ToUtf8(value)));
    if (DialogAnswers::Exec(dialog) != QDialog::Accepted) return false;
    value = text::FromUtf8(dialog.textValue().toStdString());
    return true;
}

std::string InputBox::Ask(const std::string& caption, const std::string& prompt,
                          const std::string& defaultValue, QWidget* parent) {
    std::string value = defaultValue;
    return InputQuery(caption, prompt, value, parent) ? value : defaultValue;
}
