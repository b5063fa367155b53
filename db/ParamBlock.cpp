#include "db/ParamBlock.h"

#include "platform/Text.h"

#include <cstdlib>

using namespace Firebird;

FbHandle<IXpbBuilder> ParamBlock::Build(ThrowStatusWrapper& status, unsigned type,
                                        std::span<const Name> names,
                                        const std::vector<std::string>& lines,
                                        const std::string& owner) {
    FbHandle<IXpbBuilder> block(FbClient::Util()->getXpbBuilder(&status, type, nullptr, 0));
    const bool connection = type == IXpbBuilder::DPB;
    const std::string prefix = connection ? "isc_dpb_" : "isc_tpb_";
    const std::string what = connection ? " connection parameter" : " transaction parameter";
    for (const std::string& line : lines) {
        if (text::Trim(line).empty()) continue;
        const size_t eq = line.find('=');
        std::string name = text::LowerAscii(text::Trim(line.substr(0, eq)));
        if (name.rfind(prefix, 0) == 0) name = name.substr(prefix.size());
        const Name* found = nullptr;
        for (const Name& n : names)
            if (name == n.Text) found = &n;
        if (!found) throw DbError(owner + ": unknown" + what + " in the line '" + line + "'");
        const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        switch (found->Type) {
        case Kind::Text:
            block->insertString(&status, found->Tag, value.c_str());
            break;
        case Kind::Number: {
            const std::string digits = text::Trim(value);
            char* end = nullptr;
            const long number = std::strtol(digits.c_str(), &end, 10);
            if (digits.empty() || *end != '\0')
                throw DbError(owner + ": the" + what + " line '" + line + "' needs a whole number");
            block->insertInt(&status, found->Tag, static_cast<int>(number));
            break;
        }
        case Kind::Flag:
            block->insertInt(&status, found->Tag, 1);
            break;
        case Kind::Tag:
            block->insertTag(&status, found->Tag);
            break;
        }
    }
    return block;
}
