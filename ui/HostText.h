#pragma once
// Windows-1250 text as a widget shows it: UTF-8, with the host's line breaks.
#include <QString>

#include <string>

QString HostText(const std::string& win1250);
