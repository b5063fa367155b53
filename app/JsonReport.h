#pragma once
// The run report a script reads (inzefor-batch --report=FILE): what RunOutcome holds, per file
// and in total, with the exit status, as JSON in UTF-8.
#include "app/RunOutcome.h"

#include <string>

class JsonReport {
public:
    // Why a report cannot be written at path (a host path), or empty. Asked before the run, so
    // that no run goes unreported.
    static std::string CannotWrite(const std::string& path);
    static std::string Text(const RunOutcome& run, int exitStatus);
    // Throws std::runtime_error naming the file when it cannot be written whole.
    static void Write(const std::string& path, const RunOutcome& run, int exitStatus);
};
