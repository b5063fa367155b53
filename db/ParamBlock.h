#pragma once
// A connection or transaction parameter block built from name=value lines, one parameter a line,
// found by name in a table of the names understood (with or without the client library's
// "isc_dpb_" / "isc_tpb_" in front, any letter case). Blank lines are skipped.
#include "db/FbClient.h"

#include <span>
#include <string>
#include <vector>

class ParamBlock {
public:
    enum class Kind {
        Text,   // the value after "=", as it is
        Number, // a whole number after "="
        Flag,   // no value; written as the number 1
        Tag,    // no value; written as the bare tag
    };
    struct Name {
        const char* Text;
        unsigned char Tag;
        Kind Type;
    };

    // type: IXpbBuilder::DPB or IXpbBuilder::TPB. An unknown name or a number that is not one
    // throws DbError naming the owner (the connection or transaction) and the line.
    static FbHandle<Firebird::IXpbBuilder> Build(Firebird::ThrowStatusWrapper& status,
                                                 unsigned type, std::span<const Name> names,
                                                 const std::vector<std::string>& lines,
                                                 const std::string& owner);
};
