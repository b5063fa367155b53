#include "app/RunProgress.h"

std::string RunProgress::Text() const {
    if (File <= 0) return {};
    std::string text = "file " + std::to_string(File) + "/" + std::to_string(Files) + " " + Name;
    if (Rows > 0) text += "  row " + std::to_string(Row) + "/" + std::to_string(Rows);
    return text;
}
