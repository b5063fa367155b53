#pragma once
// The database timeout as the operator sets it (IBDatabase::Timeout): the environment variable
// INZEFOR_DB_TIMEOUT for the window and the console, and inzefor-batch's --db-timeout=SECONDS
// over it.
#include <chrono>
#include <optional>
#include <string>

class DatabaseTimeout {
public:
    static constexpr const char* kVariable = "INZEFOR_DB_TIMEOUT";
    static constexpr long kMaxSeconds = 86400;

    // A whole number of seconds from 1 to kMaxSeconds; nothing otherwise.
    static std::optional<std::chrono::seconds> Parse(const std::string& text);
    // The variable's setting when it holds one, else fallback.
    static std::chrono::seconds FromEnvironment(std::chrono::seconds fallback);
    // Empty, or why the variable's value cannot be used.
    static std::string EnvironmentProblem();
    // What a value must look like, for the messages.
    static std::string Expected();
};
