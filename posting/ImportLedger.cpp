#include "posting/ImportLedger.h"

#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "db/LedgerSchema.h"
#include "platform/Text.h"

namespace {

std::vector<std::string> Statements(const std::string& script) {
    std::vector<std::string> statements;
    std::size_t start = 0;
    for (std::size_t end; (end = script.find(';', start)) != std::string::npos; start = end + 1)
        statements.push_back(script.substr(start, end - start));
    return statements;
}

const char* const kAdvance =
    "update INZ_FILE set IF_LAST_ROW=:ROW, IF_YEAR=:YEAR, IF_HEADER_ID=:HEADER, "
    "IF_VOUCHER=:VOUCHER, IF_CUSTOMER=:CUSTOMER, IF_TOTAL=:TOTAL, IF_ACCOUNT=:ACCOUNT, "
    "IF_DIRECTION=:DIRECTION, IF_ISSUED=:ISSUED, IF_CU_SHORT=:CU_SHORT, IF_CU_ACCOUNT=:CU_ACCOUNT, "
    "IF_CU_COMPANY=:CU_COMPANY, IF_CU_TAX=:CU_TAX, IF_CU_BANK=:CU_BANK, IF_POSTED=:POSTED, "
    "IF_FLAGGED=:FLAGGED, "
    "IF_REJECTED=:REJECTED, IF_VOUCHERS=:VOUCHERS, IF_CUSTOMERS=:CUSTOMERS, "
    "IF_JOURNALS=:JOURNALS where IF_KEY=:K and IF_LAST_ROW=:BEFORE and IF_STATE='running'";

} // namespace

ImportLedger::ImportLedger(IBDatabase& db, IBTransaction& tr)
    : db_(db), tr_(tr), query_(db, tr, "IBLedger") {}

void ImportLedger::Commit() {
    query_.Close();
    if (tr_.InTransaction()) tr_.Commit();
}

bool ImportLedger::Exists() {
    query_.SetSQLText("select count(*) C from RDB$RELATIONS where RDB$RELATION_NAME in "
                      "('INZ_FILE','INZ_REJECT')");
    query_.Open();
    const bool both = query_.FieldByName("C")->AsInteger() == 2;
    Commit();
    return both;
}

bool ImportLedger::Open(std::string& why) {
    available_ = false;
    try {
        if (!Exists()) {
            for (const std::string& statement : Statements(kLedgerSchema))
                if (!text::Trim(statement).empty()) tr_.ExecuteImmediate(statement);
            Commit();
        }
        available_ = true;
    } catch (const DbError& e) {
        if (tr_.InTransaction()) tr_.Rollback();
        // Another importer may have created them at the same moment.
        available_ = Exists();
        if (!available_) why = e.what();
    }
    return available_;
}

std::optional<ImportLedger::Entry> ImportLedger::Find(const std::string& key) {
    query_.SetSQLText("select * from INZ_FILE where IF_KEY=:K");
    query_.ParamByName("K").SetAsString(key);
    query_.Open();
    if (query_.IsEmpty()) {
        Commit();
        return std::nullopt;
    }
    auto field = [this](const char* name) -> TField& { return *query_.FieldByName(name); };
    Entry entry;
    entry.Key = key;
    entry.Name = field("IF_NAME").AsString();
    entry.Type = field("IF_TYPE").AsString();
    entry.Rows = field("IF_ROWS").AsInteger();
    FileProgress& progress = entry.Progress;
    progress.RowsDone = field("IF_LAST_ROW").AsInteger();
    if (!field("IF_YEAR").IsNull()) progress.Year = field("IF_YEAR").AsFloat();
    progress.Previous = {field("IF_VOUCHER").AsString(),   field("IF_CUSTOMER").AsInteger(),
                         field("IF_TOTAL").AsFloat(),      field("IF_ACCOUNT").AsString(),
                         field("IF_DIRECTION").AsString(), field("IF_ISSUED").AsDateTime(),
                         field("IF_HEADER_ID").AsInteger()};
    progress.PreviousCustomer = {
        field("IF_CUSTOMER").AsInteger(),  field("IF_CU_SHORT").AsString(),
        field("IF_CU_ACCOUNT").AsString(), field("IF_CU_COMPANY").AsString(),
        field("IF_CU_TAX").AsString(),     field("IF_CU_BANK").AsString()};
    progress.Counts = {field("IF_POSTED").AsInteger(),    field("IF_FLAGGED").AsInteger(),
                       field("IF_REJECTED").AsInteger(),  field("IF_VOUCHERS").AsInteger(),
                       field("IF_CUSTOMERS").AsInteger(), field("IF_JOURNALS").AsInteger()};
    entry.Started = field("IF_STARTED").AsDateTime();
    entry.Ended = field("IF_ENDED").AsDateTime();
    entry.Finished = field("IF_STATE").AsString() == "finished";
    entry.Attachment = field("IF_ATTACHMENT").AsInt64();

    query_.SetSQLText("select IR_TEXT from INZ_REJECT where IR_KEY=:K order by IR_ROW");
    query_.ParamByName("K").SetAsString(key);
    query_.Open();
    for (bool more = !query_.IsEmpty(); more; more = query_.Next())
        progress.Report += query_.FieldByName("IR_TEXT")->AsString();
    Commit();
    return entry;
}

bool ImportLedger::HeldByOther(const Entry& entry) {
    if (entry.Attachment == 0) return false;
    query_.SetSQLText("select count(*) C from MON$ATTACHMENTS where MON$ATTACHMENT_ID=:A and "
                      "MON$ATTACHMENT_ID<>current_connection");
    query_.ParamByName("A").SetAsInteger(entry.Attachment);
    query_.Open();
    const bool held = query_.FieldByName("C")->AsInteger() > 0;
    Commit();
    return held;
}

bool ImportLedger::HeaderExists(int headerId) {
    query_.SetSQLText("select count(*) C from FEJLEC where FE_ID=:ID");
    query_.ParamByName("ID").SetAsInteger(headerId);
    query_.Open();
    const bool exists = query_.FieldByName("C")->AsInteger() > 0;
    Commit();
    return exists;
}

bool ImportLedger::Begin(const Entry& entry, bool again) {
    try {
        if (again) {
            query_.SetSQLText("delete from INZ_REJECT where IR_KEY=:K");
            query_.ParamByName("K").SetAsString(entry.Key);
            query_.ExecSQL();
            query_.SetSQLText(
                "update INZ_FILE set IF_NAME=:N, IF_TYPE=:T, IF_ROWS=:R, IF_YEAR=null, "
                "IF_LAST_ROW=0, IF_HEADER_ID=0, IF_VOUCHER='', IF_CUSTOMER=0, IF_TOTAL=0, "
                "IF_ACCOUNT='', IF_DIRECTION='', IF_ISSUED=null, IF_CU_SHORT='', IF_CU_ACCOUNT='', "
                "IF_CU_COMPANY='', IF_CU_TAX='', IF_CU_BANK='', IF_POSTED=0, IF_FLAGGED=0, "
                "IF_REJECTED=0, IF_VOUCHERS=0, IF_CUSTOMERS=0, IF_JOURNALS=0, "
                "IF_STARTED=current_timestamp, IF_RESUMED=null, IF_ENDED=null, "
                "IF_STATE='running', IF_ATTACHMENT=current_connection "
                "where IF_KEY=:K and IF_STATE='finished'");
        } else {
            query_.SetSQLText(
                "insert into INZ_FILE (IF_KEY, IF_NAME, IF_TYPE, IF_ROWS, IF_LAST_ROW, "
                "IF_HEADER_ID, IF_VOUCHER, IF_CUSTOMER, IF_TOTAL, IF_ACCOUNT, IF_DIRECTION, "
                "IF_POSTED, IF_FLAGGED, IF_REJECTED, IF_VOUCHERS, IF_CUSTOMERS, IF_JOURNALS, "
                "IF_STARTED, IF_STATE, IF_ATTACHMENT) values (:K, :N, :T, :R, 0, 0, '', 0, 0, "
                "'', '', 0, 0, 0, 0, 0, 0, current_timestamp, 'running', current_connection)");
        }
        query_.ParamByName("K").SetAsString(entry.Key);
        query_.ParamByName("N").SetAsString(entry.Name);
        query_.ParamByName("T").SetAsString(entry.Type);
        query_.ParamByName("R").SetAsInteger(entry.Rows);
        query_.ExecSQL();
        const bool taken = query_.RowsAffected() == 1;
        if (taken)
            Commit();
        else
            tr_.Rollback();
        return taken;
    } catch (const DbError& e) {
        if (tr_.InTransaction()) tr_.Rollback();
        if (e.Conflict()) return false;
        throw;
    }
}

bool ImportLedger::Resume(const Entry& found) {
    try {
        query_.SetSQLText("update INZ_FILE set IF_ATTACHMENT=current_connection, "
                          "IF_RESUMED=current_timestamp where IF_KEY=:K and IF_STATE='running' "
                          "and IF_LAST_ROW=:ROW and IF_ATTACHMENT=:A");
        query_.ParamByName("K").SetAsString(found.Key);
        query_.ParamByName("ROW").SetAsInteger(found.Progress.RowsDone);
        query_.ParamByName("A").SetAsInteger(found.Attachment);
        query_.ExecSQL();
        const bool taken = query_.RowsAffected() == 1;
        if (taken)
            Commit();
        else
            tr_.Rollback();
        return taken;
    } catch (const DbError& e) {
        if (tr_.InTransaction()) tr_.Rollback();
        if (e.Conflict()) return false;
        throw;
    }
}

void ImportLedger::Advance(const std::string& key, int row, const FileProgress& after) {
    const VoucherKey& v = after.Previous;
    const PostingCounts& c = after.Counts;
    try {
        query_.SetSQLText(kAdvance);
        query_.ParamByName("ROW").SetAsInteger(row);
        if (after.Year)
            query_.ParamByName("YEAR").SetAsFloat(*after.Year);
        else
            query_.ParamByName("YEAR").SetValue(DbValue());
        query_.ParamByName("HEADER").SetAsInteger(v.HeaderId);
        query_.ParamByName("VOUCHER").SetAsString(v.VoucherNumber);
        query_.ParamByName("CUSTOMER").SetAsInteger(v.CustomerId);
        query_.ParamByName("TOTAL").SetAsFloat(v.Total);
        query_.ParamByName("ACCOUNT").SetAsString(v.Account);
        query_.ParamByName("DIRECTION").SetAsString(v.Direction);
        query_.ParamByName("ISSUED").SetAsDateTime(v.IssueDate);
        const CustomerValues& customer = after.PreviousCustomer;
        query_.ParamByName("CU_SHORT").SetAsString(customer.ShortName);
        query_.ParamByName("CU_ACCOUNT").SetAsString(customer.Account);
        query_.ParamByName("CU_COMPANY").SetAsString(customer.Company);
        query_.ParamByName("CU_TAX").SetAsString(customer.TaxNumber);
        query_.ParamByName("CU_BANK").SetAsString(customer.BankAccount);
        query_.ParamByName("POSTED").SetAsInteger(c.RowsPosted);
        query_.ParamByName("FLAGGED").SetAsInteger(c.RowsFlagged);
        query_.ParamByName("REJECTED").SetAsInteger(c.RowsRejected);
        query_.ParamByName("VOUCHERS").SetAsInteger(c.VouchersCreated);
        query_.ParamByName("CUSTOMERS").SetAsInteger(c.CustomersCreated);
        query_.ParamByName("JOURNALS").SetAsInteger(c.JournalsCreated);
        query_.ParamByName("K").SetAsString(key);
        query_.ParamByName("BEFORE").SetAsInteger(row - 1);
        query_.ExecSQL();
    } catch (const DbError& e) {
        if (!e.Conflict()) throw;
        throw DbError("The bookkeeping record of this file is held by another import: " +
                          std::string(e.what()),
                      DbError::Reach::Database);
    }
    if (query_.RowsAffected() != 1)
        throw DbError("The bookkeeping record of this file was moved on by another import",
                      DbError::Reach::Database);
}

void ImportLedger::RowPosted(const std::string& key, int row, const FileProgress& after) {
    Advance(key, row, after);
}

void ImportLedger::RowRejected(const std::string& key, int row, const std::string& record,
                               const FileProgress& after) {
    try {
        query_.SetSQLText("insert into INZ_REJECT (IR_KEY, IR_ROW, IR_TEXT) values (:K, :R, :T)");
        query_.ParamByName("K").SetAsString(key);
        query_.ParamByName("R").SetAsInteger(row);
        query_.ParamByName("T").SetAsString(record);
        query_.ExecSQL();
        Advance(key, row, after);
        Commit();
    } catch (...) {
        if (tr_.InTransaction()) tr_.Rollback();
        throw;
    }
}

void ImportLedger::Finish(const std::string& key) {
    query_.SetSQLText("update INZ_FILE set IF_STATE='finished', IF_ENDED=current_timestamp "
                      "where IF_KEY=:K");
    query_.ParamByName("K").SetAsString(key);
    query_.ExecSQL();
    Commit();
}
