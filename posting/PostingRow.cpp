#include "posting/PostingRow.h"

namespace posting_marks {

std::string Marked(const std::string& value, std::size_t width) {
    return ("? " + value).substr(0, width);
}

} // namespace posting_marks
