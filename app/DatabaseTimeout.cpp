#include "app/DatabaseTimeout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

std::optional<std::chrono::seconds> DatabaseTimeout::Parse(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const long seconds = std::stol(text);
    if (seconds < 1 || seconds > kMaxSeconds) return std::nullopt;
    return std::chrono::seconds(seconds);
}

std::chrono::seconds DatabaseTimeout::FromEnvironment(std::chrono::seconds fallback) {
    const char* value = std::getenv(kVariable);
    return value ? Parse(value).value_or(fallback) : fallback;
}

std::string DatabaseTimeout::EnvironmentProblem() {
    const char* value = std::getenv(kVariable);
    if (!value || Parse(value)) return {};
    return std::string(kVariable) + "=" + value + ": " + Expected();
}

std::string DatabaseTimeout::Expected() {
    return "the database timeout is a whole number of seconds from 1 to " +
           std::to_string(kMaxSeconds);
}
