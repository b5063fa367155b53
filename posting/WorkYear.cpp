#include "posting/WorkYear.h"

#include <charconv>
#include <cmath>

void WorkYear::Set(double value) {
    Value = value;
    // The text is pasted into SQL, so it must not follow the process locale: a desktop session
    // with a comma decimal separator would turn 2012.0 into 2012,0.
    char buffer[400];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1);
    Text = ec == std::errc() ? std::string(buffer, end) : std::string();
    double whole = std::trunc(value);
    // A year far outside the calendar makes every row's date check fail; keep it representable.
    DateYear = std::isfinite(whole) && std::fabs(whole) < 1e9 ? static_cast<int>(whole) : 0;
}
