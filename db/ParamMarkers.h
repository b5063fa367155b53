#pragma once
// Named parameter markers (":NAME") of an SQL text. Markers inside string literals, quoted names
// and comments are text, not markers. The database takes "?" in their place.
#include <string>
#include <vector>

class ParamMarkers {
public:
    explicit ParamMarkers(const std::string& sql);

    // The text with every marker replaced by "?".
    const std::string& Statement() const { return statement_; }
    // The name of each marker in order of appearance (a name may repeat).
    const std::vector<std::string>& Names() const { return names_; }
    // Each name once, in order of first appearance.
    std::vector<std::string> DistinctNames() const;

private:
    std::string statement_;
    std::vector<std::string> names_;
};
