#pragma once
// A file stopped before its end: on request between two rows, or at a row whose failure will hit
// every further row the same way. The rows before it are in; the row in hand was rolled back
// whole and has no error record.
#include <stdexcept>
#include <string>

class PostingStopped : public std::runtime_error {
public:
    PostingStopped(const std::string& cause, int rowsIn, bool requested)
        : std::runtime_error(cause), RowsIn(rowsIn), Requested(requested) {}

    int RowsIn;     // rows of the file handled before the stop, in earlier runs too
    bool Requested; // a stop asked for, not a failure
};
