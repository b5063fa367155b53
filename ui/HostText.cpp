#include "ui/HostText.h"

#include "platform/Text.h"

QString HostText(const std::string& win1250) {
    QString s = QString::fromStdString(text::ToUtf8(win1250));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}
