#include "app/ImportUndo.h"

#include "app/InputArchive.h"
#include "db/DbError.h"
#include "db/IBQuery.h"
#include "db/IBTransaction.h"
#include "db/TEQuery.h"
#include "platform/FolderLock.h"
#include "platform/Text.h"
#include "posting/VoucherPrint.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

namespace {

// The lock every run holds on its exchange folder.
const char* const kLockFile = "InZEFOR.lock";

struct Voucher {
    int Header = 0;
    std::string Number;
    std::vector<int> LineIds;
    VoucherPrint Print; // after its last line
};

struct Written {
    std::vector<Voucher> Vouchers;
    std::vector<int> JournalHeaders; // the headers of rows that created a journal
};

std::string Joined(const std::vector<std::string>& columns) {
    std::string list;
    for (const std::string& column : columns)
        list += (list.empty() ? "" : ",") + column;
    return list;
}

// What the import wrote, from its rows' records (through the index on their import); only a
// finished import is undone, and its rows are kept.
Written ReadRows(IBQuery& q, int import, ImportUndo::Result& result) {
    q.SetSQLText(
        "select IR_HEADER_ID, IR_LINE_ID, IR_LINES, IR_PRINT, IR_VOUCHER, IR_CUSTOMER, "
        "IR_CU_SHORT, IR_CUSTOMERS, IR_JOURNALS from INZ_ROW_DONE where IR_IMPORT=:I order "
        "by IR_ROW");
    q.ParamByName("I").SetAsInteger(import);
    q.Open();
    Written written;
    std::map<int, std::size_t> place;
    int customers = 0, journals = 0;
    for (bool more = !q.IsEmpty(); more; more = q.Next()) {
        auto field = [&q](const char* name) -> TField& { return *q.FieldByName(name); };
        const int header = field("IR_HEADER_ID").AsInteger();
        // Counts grow only on the rows that created something, and only posted rows do.
        if (field("IR_CUSTOMERS").AsInteger() > customers)
            result.Customers.push_back(text::Trim(field("IR_CU_SHORT").AsString()) + " (" +
                                       field("IR_CUSTOMER").AsString() + ")");
        if (field("IR_JOURNALS").AsInteger() > journals) written.JournalHeaders.push_back(header);
        customers = field("IR_CUSTOMERS").AsInteger();
        journals = field("IR_JOURNALS").AsInteger();
        if (field("IR_LINE_ID").IsNull()) continue; // a rejected row
        auto [at, added] = place.try_emplace(header, written.Vouchers.size());
        if (added)
            written.Vouchers.push_back(
                {header, text::Trim(field("IR_VOUCHER").AsString()), {}, {}});
        Voucher& voucher = written.Vouchers[at->second];
        voucher.LineIds.push_back(field("IR_LINE_ID").AsInteger());
        voucher.Print = {field("IR_PRINT").AsString(), field("IR_LINES").AsInteger()};
    }
    q.Close();
    return written;
}

std::vector<DbValue> Values(IBQuery& q, const std::vector<std::string>& columns) {
    std::vector<DbValue> values;
    for (const std::string& column : columns)
        values.push_back(q.FieldByName(column)->Value());
    return values;
}

// Whether the voucher holds what the import wrote: its header, and exactly its lines, each as
// written. journal: the header's book and journal number.
bool Holds(IBQuery& q, const Voucher& voucher, std::string& journal) {
    const std::vector<std::string>& header = VoucherPrint::HeaderColumns();
    q.SetSQLText("select " + Joined(header) + " from FEJLEC where FE_ID=:ID");
    q.ParamByName("ID").SetAsInteger(voucher.Header);
    q.Open();
    if (q.IsEmpty()) return false;
    journal = q.FieldByName("FE_MO_CHAR")->AsString() + " " + q.FieldByName("FE_NAPLO")->AsString();
    VoucherPrint print = VoucherPrint::OfHeader(Values(q, header));
    const std::vector<std::string>& line = VoucherPrint::LineColumns();
    q.SetSQLText("select TE_ID," + Joined(line) + " from TETEL where TE_FE_ID=:ID order by TE_ID");
    q.ParamByName("ID").SetAsInteger(voucher.Header);
    q.Open();
    std::vector<int> ids;
    for (bool more = !q.IsEmpty(); more; more = q.Next()) {
        ids.push_back(q.FieldByName("TE_ID")->AsInteger());
        print = print.WithLine(Values(q, line));
    }
    q.Close();
    std::vector<int> written = voucher.LineIds;
    std::sort(written.begin(), written.end());
    return ids == written && print == voucher.Print;
}

void Delete(TEQuery& q, const Voucher& voucher) {
    q.SetSQLText("delete from TETEL where TE_FE_ID=:ID");
    q.ParamByName("ID")->SetAsInteger(voucher.Header);
    q.ExecSQL();
    q.SetSQLText("delete from FEJLEC where FE_ID=:ID");
    q.ParamByName("ID")->SetAsInteger(voucher.Header);
    q.ExecSQL();
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Names(const ImportHistory::Import& import, const std::string& name) {
    const std::string wanted = Lower(name), file = Lower(import.Name);
    return wanted == import.Key || wanted == file || wanted == "ok_" + file ||
           wanted == "err_" + file;
}

} // namespace

ImportUndo::ImportUndo(IBDatabase& db, Component* owner, SqlLogSettings* log)
    : db_(db), owner_(owner), log_(log) {}

int ImportUndo::Resolve(const std::string& name, std::string& why) {
    const std::vector<ImportHistory::Import> imports = ImportHistory::Read(db_);
    const bool id = !name.empty() && std::all_of(name.begin(), name.end(),
                                                 [](unsigned char c) { return std::isdigit(c); });
    if (id)
        for (const ImportHistory::Import& import : imports)
            if (std::to_string(import.Id) == name) return import.Id;
    std::vector<const ImportHistory::Import*> candidates;
    for (const ImportHistory::Import& import : imports)
        if (import.State != "undone" && Names(import, name)) candidates.push_back(&import);
    if (candidates.size() == 1) return candidates.front()->Id;
    if (candidates.empty()) {
        why = name + " names no import that is not undone; --history lists them.";
        return 0;
    }
    why = name + " names more than one import; give its id:";
    for (const ImportHistory::Import* import : candidates)
        why += "\n  " + ImportHistory::Line(*import);
    return 0;
}

ImportUndo::Result ImportUndo::Undo(int import, const std::string& exchangeFolder, bool check) {
    Result result;
    result.Import = import;
    const InputArchive archive(exchangeFolder);
    std::optional<FolderLock> lock;
    try {
        archive.Create();
        lock = FolderLock::TryAcquire(archive.Folder() + kLockFile);
    } catch (const std::exception& e) {
        result.Refusal = e.what();
        return result;
    }
    if (!lock) {
        result.Refusal = "Another import is running on the exchange folder " + exchangeFolder +
                         "; nothing is undone.";
        return result;
    }
    for (const ImportHistory::Import& found : ImportHistory::Read(db_)) {
        if (found.Id != import) continue;
        result.Name = found.Name;
        if (found.State == "undone")
            result.Refusal = "Import " + std::to_string(import) + " was undone on " +
                             ImportHistory::Stamp(found.Undone) + " by " + found.UndoneBy + ".";
        else if (found.State == "stopped")
            result.Refusal = "Import " + std::to_string(import) + " (" + found.Name +
                             ") stopped and is to be continued: finish it first.";
        else
            return Run(found, check);
        return result;
    }
    result.Refusal = "There is no import " + std::to_string(import) + ".";
    return result;
}

ImportUndo::Result ImportUndo::Run(const ImportHistory::Import& import, bool check) {
    Result result;
    result.Import = import.Id;
    result.Name = import.Name;
    // A snapshot: a voucher another user changes after it was compared cannot be deleted.
    IBTransaction tr(db_, "TRUNDO");
    tr.Params = {"concurrency", "nowait"};
    IBQuery read(db_, tr, "IBUndo");
    IBQuery remove(db_, tr, "IBUndoDelete", owner_);
    TEQuery deletes("EQUndo", owner_, log_);
    deletes.SetXQuery(&remove);
    if (check) deletes.LogFolder.clear();
    try {
        read.SetSQLText("update INZ_IMPORT set II_STATE='undone', II_UNDONE=current_timestamp, "
                        "II_UNDONE_BY=current_user where II_ID=:I and II_STATE='finished'");
        read.ParamByName("I").SetAsInteger(import.Id);
        read.ExecSQL();
        if (read.RowsAffected() != 1) throw std::runtime_error("The import changed meanwhile.");
        const Written written = ReadRows(read, import.Id, result);
        std::map<int, std::string> journals;
        for (const Voucher& voucher : written.Vouchers)
            if (!Holds(read, voucher, journals[voucher.Header]))
                result.Changed.push_back(voucher.Number);
        for (int header : written.JournalHeaders)
            result.Journals.push_back(journals[header]);
        for (const Voucher& voucher : written.Vouchers)
            result.Lines += static_cast<int>(voucher.LineIds.size());
        result.Vouchers = static_cast<int>(written.Vouchers.size());
        if (!result.Changed.empty() || check) {
            tr.Rollback();
            result.Done = result.Changed.empty();
            return result;
        }
        for (const Voucher& voucher : written.Vouchers)
            Delete(deletes, voucher);
        read.SetSQLText("update INZ_FILE set IF_STATE='undone' where IF_KEY=:K and IF_IMPORT=:I "
                        "and IF_STATE='finished'");
        read.ParamByName("K").SetAsString(import.Key);
        read.ParamByName("I").SetAsInteger(import.Id);
        read.ExecSQL();
        tr.Commit();
        result.Done = true;
    } catch (const std::exception& e) {
        if (tr.InTransaction()) tr.Rollback();
        result.Refusal =
            std::string("The database refused the undo; nothing is undone: ") + e.what();
    }
    return result;
}

std::string ImportUndo::Result::Text(bool check) const {
    const std::string what = "Import " + std::to_string(Import) + " (" + Name + ")";
    if (!Refusal.empty()) return Refusal;
    std::string text;
    if (!Changed.empty()) {
        text = what + " is not undone: these vouchers changed since it posted them:";
        for (const std::string& number : Changed)
            text += "\n  " + number;
        return text;
    }
    text = what + (check ? ": would delete " : ": deleted ") + std::to_string(Vouchers) +
           " vouchers with " + std::to_string(Lines) + " lines.";
    if (!Customers.empty() || !Journals.empty()) {
        text += "\nCustomers and journals it created stay:";
        for (const std::string& customer : Customers)
            text += "\n  customer " + customer;
        for (const std::string& journal : Journals)
            text += "\n  journal " + journal;
    }
    return text;
}
