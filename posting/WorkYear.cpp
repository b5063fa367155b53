#include "posting/WorkYear.h"

#include <cmath>
#include <cstdio>

void WorkYear::Set(double value) {
    Value = value;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    Text = buffer;
    double whole = std::trunc(value);
    // A year far outside the calendar makes every row's date check fail; keep it representable.
    DateYear = std::isfinite(whole) && std::fabs(whole) < 1e9 ? static_cast<int>(whole) : 0;
}
