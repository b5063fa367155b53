#include "app/MsgDlgType.h"

#include "platform/Component.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

std::string DialogCaption(TMsgDlgType kind, const std::string& buttons) {
    switch (kind) {
    case TMsgDlgType::mtWarning:
        return "Warning";
    case TMsgDlgType::mtError:
        return buttons.find(';', 1) != std::string::npos ? "Error-question" : "Error";
    case TMsgDlgType::mtConfirmation:
        return "Confirmation";
    case TMsgDlgType::mtInformation:
    case TMsgDlgType::mtCustom:
        break;
    }
    return "Message";
}

TMsgDlgType MessageKind(const std::string& buttons) {
    return buttons.find(';') != std::string::npos ? TMsgDlgType::mtConfirmation
                                                  : TMsgDlgType::mtInformation;
}

std::string ErrorText(const Component* sender, const std::string& message) {
    if (!sender) return message;
    const FormatSettings& fmt = FormatSettings::Default();
    datetime::TDateTime now = datetime::Now();
    std::string owner = sender->Owner ? sender->Owner->Name : std::string();
    return message + "\r\n( " + owner + "." + sender->Name + " - " + fmt.DateToStr(now) + " " +
           fmt.TimeToStr(now) + " )";
}
