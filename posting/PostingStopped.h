#pragma once
// A file stopped before its end: on request between two rows, at a row that another site's import
// held back past the database timeout, or at a row whose failure will hit every further row the
// same way. The rows before it are in; the row in hand was rolled back
// whole and has no error record.
#include <stdexcept>
#include <string>

class PostingStopped : public std::runtime_error {
public:
    PostingStopped(const std::string& cause, int rowsIn, bool requested)
        : std::runtime_error(cause), RowsIn(rowsIn), Requested(requested) {}

    int RowsIn; // rows of the file handled before the stop, in earlier runs too
    // No failure of the file or the database (asked for, or held back by another site): the
    // file stays for the next run, whatever rows are in.
    bool Requested;
};
