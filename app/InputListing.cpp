#include "app/InputListing.h"

#include "app/InputArchive.h"
#include "platform/CheckedPath.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

// Why an entry is not an input, or empty when it is one.
std::string Fault(const fs_win::FolderEntry& entry) {
    switch (entry.Kind) {
    case fs_win::EntryKind::Link:
        return W1250("szimbolikus link, nem követem");
    case fs_win::EntryKind::Folder:
        return W1250("mappa, nem file");
    case fs_win::EntryKind::Other:
        return W1250("nem közönséges file");
    case fs_win::EntryKind::File:
        break;
    }
    if (!CheckedPath::IsFileName(entry.Name))
        return W1250("a neve Windows alatt nem lehet file név "
                     "(\\ / : * ? \" < > | vagy vezérlőkarakter van benne)");
    if (!InputArchive::Fits(entry.Name))
        return W1250("a neve túl hosszú, az archív neve (Err_ + név + .log) nem fér el");
    return {};
}

std::string Shown(const std::string& name) {
    return "A(z) " + text::Printable(name);
}

} // namespace

InputListing::InputListing(const std::string& folder, const std::string& mask) {
    std::string dir = text::Trim(folder);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    if (dir.empty()) return;
    for (const fs_win::FolderEntry& entry : fs_win::ListFolder(dir, mask)) {
        if (entry.Name[0] == '.') continue;
        const std::string fault = Fault(entry);
        if (!fault.empty()) {
            notices_.push_back(Shown(entry.Name) + W1250(" nem átvehető: ") + fault);
            continue;
        }
        for (const std::string& other : names_)
            if (text::SameTextAscii(other, entry.Name))
                notices_.push_back(Shown(other) + W1250(" és a(z) ") + text::Printable(entry.Name) +
                                   W1250(" neve csak kis- és nagybetűben tér el: külön file-ként "
                                         "veszem át őket"));
        names_.push_back(entry.Name);
    }
}
