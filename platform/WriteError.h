#pragma once
// A write that did not reach its file (a full disk, an I/O error). What it half-wrote is gone by
// the time it is thrown; the run shows it even where other failures end a run quietly, since the
// operator has to act on it.
#include <stdexcept>

class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
