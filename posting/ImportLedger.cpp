#include "posting/ImportLedger.h"

#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/LedgerSchema.h"
#include "platform/Text.h"

#include <algorithm>
#include <vector>

namespace {

// The columns of a row's record; the parameters that fill them have their names.
constexpr const char* kRowColumns[] = {
    "IR_KEY",        "IR_ROW",        "IR_TEXT",      "IR_YEAR",      "IR_HEADER_ID", "IR_VOUCHER",
    "IR_CUSTOMER",   "IR_TOTAL",      "IR_ACCOUNT",   "IR_DIRECTION", "IR_ISSUED",    "IR_CU_SHORT",
    "IR_CU_ACCOUNT", "IR_CU_COMPANY", "IR_CU_TAX",    "IR_CU_BANK",   "IR_POSTED",    "IR_FLAGGED",
    "IR_REJECTED",   "IR_VOUCHERS",   "IR_CUSTOMERS", "IR_JOURNALS",  "IR_IMPORT",    "IR_LINES",
    "IR_PRINT",      "IR_USER"};

// The insert of a row's record; marker ":" takes the values from the query's parameters, ": "
// inside a block from the block's own, which the query's scan for its markers passes over.
// A posted row's record names its voucher line: lineId, the value of IR_LINE_ID.
std::string InsertRowSql(const std::string& marker, const std::string& lineId = "null") {
    std::string columns, values;
    for (const char* column : kRowColumns) {
        const char* separator = columns.empty() ? "" : ", ";
        columns += separator + std::string(column);
        values += separator + marker + column;
    }
    return "insert into INZ_ROW (" + columns + ", IR_LINE_ID) values (" + values + ", " + lineId +
           ")";
}

// Moves the row records of a finished import to where they are kept.
std::string KeepRowsSql() {
    std::string columns = "IR_LINE_ID";
    for (const char* column : kRowColumns)
        columns += std::string(", ") + column;
    return "insert into INZ_ROW_DONE (" + columns + ") select " + columns +
           " from INZ_ROW where IR_KEY=:K and IR_IMPORT=:I";
}

// A posted row's record and the identifier of its voucher line (TE_NEXT, as the engine draws it
// otherwise) in one statement, so that the record costs the row no round trip of its own. The
// block's parameters take the columns' types.
std::string PostRowSql() {
    std::string inputs;
    for (const char* column : kRowColumns)
        inputs += std::string(inputs.empty() ? "" : ", ") + column + " type of column INZ_ROW." +
                  column + " = :" + column;
    return "execute block (" + inputs +
           ") returns (G integer) as begin execute procedure TE_NEXT returning_values : G; " +
           InsertRowSql(": ", ": G") + "; suspend; end";
}

} // namespace

ImportLedger::ImportLedger(IBDatabase& db, IBTransaction& tr)
    : db_(db), tr_(tr), claim_(db, "TRLEDGER"), query_(db, tr, "IBLedger"),
      held_(db, claim_, "IBLedgerHeld"), objects_(db, tr, kLedgerSchema) {}

void ImportLedger::Commit() {
    query_.Close();
    if (tr_.InTransaction()) tr_.Commit();
}

bool ImportLedger::Open(std::string& why, bool create) {
    available_ = false;
    objects_.Ensure(create);
    available_ = objects_.Has("INZ_FILE") && objects_.Has("INZ_ROW") &&
                 objects_.Has("INZ_IMPORT") && objects_.Has("INZ_ROW_DONE");
    if (!available_) why = objects_.Why();
    return available_;
}

std::string ImportLedger::Shortfall() const {
    const std::vector<std::string> missing = objects_.Missing();
    if (missing.empty() || objects_.Why().empty()) return {};
    // Without its first tables the bookkeeping is missing as a whole, which the caller tells.
    if (std::ranges::count(missing, "INZ_FILE") + std::ranges::count(missing, "INZ_ROW") > 0)
        return {};
    std::string names;
    for (const std::string& name : missing)
        names += (names.empty() ? "" : ", ") + name;
    std::string notice = "The bookkeeping objects " + names +
                         " are missing and cannot be created (" + objects_.Why() + "): " +
                         (available_ ? "the import goes on without them."
                                     : "a run that is stopped cannot be resumed.");
    if (!objects_.Has("INZ_GUARD"))
        notice += " A customer or journal that an import of another exchange folder creates at "
                  "the same moment may be created twice.";
    return notice;
}

std::optional<ImportLedger::Entry> ImportLedger::Find(const std::string& key) {
    query_.SetSQLText("select * from INZ_FILE where IF_KEY=:K");
    query_.ParamByName("K").SetAsString(key);
    query_.Open();
    // An undone content is new again.
    if (query_.IsEmpty() || query_.FieldByName("IF_STATE")->AsString() == "undone") {
        Commit();
        return std::nullopt;
    }
    Entry entry;
    entry.Key = key;
    entry.Name = query_.FieldByName("IF_NAME")->AsString();
    entry.Type = query_.FieldByName("IF_TYPE")->AsString();
    entry.Rows = query_.FieldByName("IF_ROWS")->AsInteger();
    entry.Finished = query_.FieldByName("IF_STATE")->AsString() == "finished";
    entry.Started = query_.FieldByName("IF_STARTED")->AsDateTime();
    entry.Import = query_.FieldByName("IF_IMPORT")->AsInteger();
    if (entry.Finished) {
        Commit();
        return entry;
    }

    // Rows a version without imports wrote carry none; they are found by their key.
    query_.SetSQLText(entry.Import ? "select * from INZ_ROW where IR_IMPORT=:I order by IR_ROW"
                                   : "select * from INZ_ROW where IR_KEY=:K and IR_IMPORT is "
                                     "null order by IR_ROW");
    if (entry.Import)
        query_.ParamByName("I").SetAsInteger(entry.Import);
    else
        query_.ParamByName("K").SetAsString(key);
    query_.Open();
    FileProgress& progress = entry.Progress;
    for (bool more = !query_.IsEmpty(); more; more = query_.Next()) {
        auto field = [this](const char* name) -> TField& { return *query_.FieldByName(name); };
        if (field("IR_ROW").AsInteger() != progress.RowsDone + 1) {
            const std::string row = field("IR_ROW").AsString();
            Commit();
            throw std::runtime_error("The bookkeeping of " + entry.Name + " records row " + row +
                                     " after row " + std::to_string(progress.RowsDone) +
                                     "; it cannot be trusted, so nothing of it is posted.");
        }
        progress.RowsDone = field("IR_ROW").AsInteger();
        if (!field("IR_TEXT").IsNull()) progress.Report += field("IR_TEXT").AsString();
        progress.Year = field("IR_YEAR").AsFloat();
        progress.Previous = {field("IR_VOUCHER").AsString(),   field("IR_CUSTOMER").AsInteger(),
                             field("IR_TOTAL").AsFloat(),      field("IR_ACCOUNT").AsString(),
                             field("IR_DIRECTION").AsString(), field("IR_ISSUED").AsDateTime(),
                             field("IR_HEADER_ID").AsInteger()};
        progress.PreviousCustomer = {
            field("IR_CUSTOMER").AsInteger(),  field("IR_CU_SHORT").AsString(),
            field("IR_CU_ACCOUNT").AsString(), field("IR_CU_COMPANY").AsString(),
            field("IR_CU_TAX").AsString(),     field("IR_CU_BANK").AsString()};
        progress.Print = {field("IR_PRINT").AsString(), field("IR_LINES").AsInteger()};
        progress.Counts = {field("IR_POSTED").AsInteger(),    field("IR_FLAGGED").AsInteger(),
                           field("IR_REJECTED").AsInteger(),  field("IR_VOUCHERS").AsInteger(),
                           field("IR_CUSTOMERS").AsInteger(), field("IR_JOURNALS").AsInteger()};
    }
    Commit();
    return entry;
}

bool ImportLedger::HeaderExists(int headerId) {
    query_.SetSQLText("select count(*) C from FEJLEC where FE_ID=:ID");
    query_.ParamByName("ID").SetAsInteger(headerId);
    query_.Open();
    const bool exists = query_.FieldByName("C")->AsInteger() > 0;
    Commit();
    return exists;
}

bool ImportLedger::Hold(const std::string& key, const char* condition) {
    Release();
    try {
        // An update that changes nothing but takes the record's lock until the claim ends; a
        // run that holds it makes this one fail at once (no wait).
        held_.SetSQLText(std::string("update INZ_FILE set IF_RESUMED=IF_RESUMED where IF_KEY=:K "
                                     "and ") +
                         condition);
        held_.ParamByName("K").SetAsString(key);
        held_.ExecSQL();
        if (held_.RowsAffected() == 1) return true;
    } catch (const DbError& e) {
        if (!e.Conflict()) throw;
    }
    Release();
    return false;
}

void ImportLedger::Release() {
    if (claim_.InTransaction()) claim_.Rollback();
}

int ImportLedger::NewImport(const Entry& entry) {
    query_.SetSQLText("select gen_id(INZ_IMPORT_ID, 1) I from RDB$DATABASE");
    query_.Open();
    const int import = query_.FieldByName("I")->AsInteger();
    query_.SetSQLText("insert into INZ_IMPORT (II_ID, II_KEY, II_NAME, II_TYPE, II_ROWS, "
                      "II_STATE, II_STARTED, II_DB_USER) values (:I, :K, :N, :T, :R, 'running', "
                      "current_timestamp, current_user)");
    query_.ParamByName("I").SetAsInteger(import);
    query_.ParamByName("K").SetAsString(entry.Key);
    query_.ParamByName("N").SetAsString(entry.Name);
    query_.ParamByName("T").SetAsString(entry.Type);
    query_.ParamByName("R").SetAsInteger(entry.Rows);
    query_.ExecSQL();
    return import;
}

bool ImportLedger::Begin(const Entry& entry, bool again) {
    try {
        import_ = NewImport(entry);
        // A content posted before, or undone, takes up its record again.
        query_.SetSQLText(std::string("update INZ_FILE set IF_NAME=:N, IF_TYPE=:T, IF_ROWS=:R, "
                                      "IF_STATE='running', IF_STARTED=current_timestamp, "
                                      "IF_RESUMED=null, IF_ENDED=null, IF_IMPORT=:I where "
                                      "IF_KEY=:K and IF_STATE=") +
                          (again ? "'finished'" : "'undone'"));
        SetFileValues(entry);
        query_.ExecSQL();
        if (!again && query_.RowsAffected() == 0) {
            query_.SetSQLText("insert into INZ_FILE (IF_KEY, IF_NAME, IF_TYPE, IF_ROWS, IF_STATE, "
                              "IF_STARTED, IF_IMPORT) values (:K, :N, :T, :R, 'running', "
                              "current_timestamp, :I)");
            SetFileValues(entry);
            query_.ExecSQL();
        }
        if (query_.RowsAffected() != 1) {
            tr_.Rollback();
            return false;
        }
        Commit();
    } catch (const DbError& e) {
        if (tr_.InTransaction()) tr_.Rollback();
        if (e.Conflict()) return false;
        throw;
    }
    return Hold(entry.Key, "IF_STATE='running'");
}

void ImportLedger::SetFileValues(const Entry& entry) {
    query_.ParamByName("K").SetAsString(entry.Key);
    query_.ParamByName("N").SetAsString(entry.Name);
    query_.ParamByName("T").SetAsString(entry.Type);
    query_.ParamByName("R").SetAsInteger(entry.Rows);
    query_.ParamByName("I").SetAsInteger(import_);
}

bool ImportLedger::Resume(const Entry& found) {
    if (!Hold(found.Key, "IF_STATE='running'")) return false;
    import_ = found.Import;
    if (import_ != 0) return true;
    // A file a version without imports stopped becomes an import with the rows it has.
    try {
        import_ = NewImport(found);
        query_.SetSQLText("update INZ_ROW set IR_IMPORT=:I where IR_KEY=:K and IR_IMPORT is null");
        query_.ParamByName("I").SetAsInteger(import_);
        query_.ParamByName("K").SetAsString(found.Key);
        query_.ExecSQL();
        held_.SetSQLText("update INZ_FILE set IF_IMPORT=:I where IF_KEY=:K");
        held_.ParamByName("I").SetAsInteger(import_);
        held_.ParamByName("K").SetAsString(found.Key);
        held_.ExecSQL();
        Commit();
    } catch (...) {
        if (tr_.InTransaction()) tr_.Rollback();
        Release();
        throw;
    }
    return true;
}

void ImportLedger::SetRowValues(const std::string& key, int row, const std::string* record,
                                const FileProgress& after, const std::string* user) {
    const VoucherKey& v = after.Previous;
    const CustomerValues& customer = after.PreviousCustomer;
    const PostingCounts& c = after.Counts;
    auto text = [this](const char* name, const std::string& value) {
        query_.ParamByName(name).SetAsString(value);
    };
    auto number = [this](const char* name, int value) {
        query_.ParamByName(name).SetAsInteger(value);
    };
    text("IR_KEY", key);
    number("IR_ROW", row);
    if (record)
        text("IR_TEXT", *record);
    else
        query_.ParamByName("IR_TEXT").SetValue(DbValue());
    query_.ParamByName("IR_YEAR").SetAsFloat(after.Year.value_or(0));
    number("IR_HEADER_ID", v.HeaderId);
    text("IR_VOUCHER", v.VoucherNumber);
    number("IR_CUSTOMER", v.CustomerId);
    query_.ParamByName("IR_TOTAL").SetAsFloat(v.Total);
    text("IR_ACCOUNT", v.Account);
    text("IR_DIRECTION", v.Direction);
    query_.ParamByName("IR_ISSUED").SetAsDateTime(v.IssueDate);
    text("IR_CU_SHORT", customer.ShortName);
    text("IR_CU_ACCOUNT", customer.Account);
    text("IR_CU_COMPANY", customer.Company);
    text("IR_CU_TAX", customer.TaxNumber);
    text("IR_CU_BANK", customer.BankAccount);
    number("IR_POSTED", c.RowsPosted);
    number("IR_FLAGGED", c.RowsFlagged);
    number("IR_REJECTED", c.RowsRejected);
    number("IR_VOUCHERS", c.VouchersCreated);
    number("IR_CUSTOMERS", c.CustomersCreated);
    number("IR_JOURNALS", c.JournalsCreated);
    number("IR_IMPORT", import_);
    number("IR_LINES", after.Print.Lines);
    text("IR_PRINT", after.Print.Digest);
    if (user)
        text("IR_USER", *user);
    else
        query_.ParamByName("IR_USER").SetValue(DbValue());
}

int ImportLedger::RowPosted(const std::string& key, int row, const FileProgress& after,
                            const std::string& user) {
    static const std::string sql = PostRowSql();
    query_.SetSQLText(sql);
    SetRowValues(key, row, nullptr, after, &user);
    query_.Open();
    const int lineId = query_.FieldByName("G")->AsInteger();
    query_.Close();
    return lineId;
}

void ImportLedger::RowRejected(const std::string& key, int row, const std::string& record,
                               const FileProgress& after) {
    try {
        static const std::string sql = InsertRowSql(":");
        query_.SetSQLText(sql);
        SetRowValues(key, row, &record, after, nullptr);
        query_.ExecSQL();
        Commit();
    } catch (...) {
        if (tr_.InTransaction()) tr_.Rollback();
        throw;
    }
}

void ImportLedger::Finish(const std::string& key, const PostingCounts& counts) {
    held_.SetSQLText("update INZ_FILE set IF_STATE='finished', IF_ENDED=current_timestamp, "
                     "IF_POSTED=:POSTED, IF_FLAGGED=:FLAGGED, IF_REJECTED=:REJECTED, "
                     "IF_VOUCHERS=:VOUCHERS, IF_CUSTOMERS=:CUSTOMERS, IF_JOURNALS=:JOURNALS "
                     "where IF_KEY=:K");
    held_.ParamByName("POSTED").SetAsInteger(counts.RowsPosted);
    held_.ParamByName("FLAGGED").SetAsInteger(counts.RowsFlagged);
    held_.ParamByName("REJECTED").SetAsInteger(counts.RowsRejected);
    held_.ParamByName("VOUCHERS").SetAsInteger(counts.VouchersCreated);
    held_.ParamByName("CUSTOMERS").SetAsInteger(counts.CustomersCreated);
    held_.ParamByName("JOURNALS").SetAsInteger(counts.JournalsCreated);
    held_.ParamByName("K").SetAsString(key);
    held_.ExecSQL();
    held_.SetSQLText("update INZ_IMPORT set II_STATE='finished', II_ENDED=current_timestamp where "
                     "II_ID=:I");
    held_.ParamByName("I").SetAsInteger(import_);
    held_.ExecSQL();
    static const std::string keep = KeepRowsSql();
    for (const std::string& sql : {keep, std::string("delete from INZ_ROW where IR_KEY=:K and "
                                                     "IR_IMPORT=:I")}) {
        held_.SetSQLText(sql);
        held_.ParamByName("K").SetAsString(key);
        held_.ParamByName("I").SetAsInteger(import_);
        held_.ExecSQL();
    }
    claim_.Commit();
}
