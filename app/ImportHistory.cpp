#include "app/ImportHistory.h"

#include "db/IBQuery.h"
#include "db/IBTransaction.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

#include <nlohmann/json.hpp>

namespace {

// The counts and year of an import are those of its last row's record, and the rows' user
// names are gathered: through the index of the kept rows, or among the few rows of the files not
// yet finished.
std::string HistorySql() {
    const std::string columns = "IR_IMPORT, IR_ROW, IR_USER, IR_YEAR, IR_POSTED, IR_FLAGGED, "
                                "IR_REJECTED, IR_VOUCHERS, IR_CUSTOMERS, IR_JOURNALS";
    const std::string rows =
        "(select " + columns + " from INZ_ROW union all select " + columns + " from INZ_ROW_DONE) ";
    return "select i.II_ID, i.II_KEY, i.II_NAME, i.II_TYPE, i.II_ROWS, i.II_STATE, i.II_STARTED, "
           "i.II_DB_USER, i.II_UNDONE, i.II_UNDONE_BY, r.IR_YEAR, r.IR_POSTED, r.IR_FLAGGED, "
           "r.IR_REJECTED, r.IR_VOUCHERS, r.IR_CUSTOMERS, r.IR_JOURNALS, (select list(distinct "
           "u.IR_USER, ', ') from " +
           rows +
           "u where u.IR_IMPORT=i.II_ID and u.IR_USER>'') USERS from INZ_IMPORT i left join " +
           rows + "r on r.IR_IMPORT=i.II_ID and r.IR_ROW=(select max(m.IR_ROW) from " + rows +
           "m where m.IR_IMPORT=i.II_ID) order by i.II_ID desc";
}

std::string State(const std::string& stored) {
    return stored == "finished" ? "posted" : stored == "undone" ? "undone" : "stopped";
}

} // namespace

std::vector<ImportHistory::Import> ImportHistory::Read(IBDatabase& db) {
    IBTransaction tr(db, "TRHISTORY");
    tr.Params = {"read_committed", "rec_version", "nowait", "read"};
    IBQuery query(db, tr, "IBHistory");
    query.SetSQLText(HistorySql());
    query.Open();
    std::vector<Import> imports;
    for (bool more = !query.IsEmpty(); more; more = query.Next()) {
        auto field = [&query](const char* name) -> TField& { return *query.FieldByName(name); };
        Import import;
        import.Id = field("II_ID").AsInteger();
        import.Key = field("II_KEY").AsString();
        import.Name = field("II_NAME").AsString();
        import.Type = field("II_TYPE").AsString();
        import.Rows = field("II_ROWS").AsInteger();
        import.State = State(field("II_STATE").AsString());
        import.Posted = field("II_STARTED").AsDateTime();
        import.DbUser = text::Trim(field("II_DB_USER").AsString());
        import.Undone = field("II_UNDONE").AsDateTime();
        import.UndoneBy = text::Trim(field("II_UNDONE_BY").AsString());
        import.Year = field("IR_YEAR").AsFloat();
        import.Users = field("USERS").AsString();
        import.Counts = {field("IR_POSTED").AsInteger(),    field("IR_FLAGGED").AsInteger(),
                         field("IR_REJECTED").AsInteger(),  field("IR_VOUCHERS").AsInteger(),
                         field("IR_CUSTOMERS").AsInteger(), field("IR_JOURNALS").AsInteger()};
        imports.push_back(std::move(import));
    }
    query.Close();
    tr.Commit();
    return imports;
}

std::string ImportHistory::Stamp(datetime::TDateTime when) {
    return FormatSettings::Default().FormatDateTime("yyyy.mm.dd. hh:nn:ss", when);
}

std::string ImportHistory::Line(const Import& i) {
    return "Import " + std::to_string(i.Id) + " " + i.State + " " + Stamp(i.Posted) + " " + i.Name +
           " " + i.Type + " " + FormatSettings::Default().FloatToStr(i.Year);
}

std::string ImportHistory::Block(const Import& i) {
    const PostingCounts& c = i.Counts;
    std::string block =
        Line(i) + "\n  database user " + i.DbUser + ", rows' users " +
        (i.Users.empty() ? "-" : i.Users) + "\n  rows read " + std::to_string(c.RowsRead()) +
        " of " + std::to_string(i.Rows) + ", posted " + std::to_string(c.RowsPosted) +
        ", rejected " + std::to_string(c.RowsRejected) + "; created: vouchers " +
        std::to_string(c.VouchersCreated) + ", customers " + std::to_string(c.CustomersCreated) +
        ", journals " + std::to_string(c.JournalsCreated) + "\n  content key " + i.Key + "\n";
    if (i.State == "undone") block += "  undone " + Stamp(i.Undone) + " by " + i.UndoneBy + "\n";
    return block;
}

std::string ImportHistory::Json(const std::vector<Import>& imports, int exitStatus) {
    using nlohmann::json;
    json list = json::array();
    for (const Import& i : imports) {
        const PostingCounts& c = i.Counts;
        json entry = {{"id", i.Id},
                      {"posted", Stamp(i.Posted)},
                      {"database_user", text::ToUtf8(i.DbUser)},
                      {"row_users", text::ToUtf8(i.Users)},
                      {"file", text::ToUtf8(i.Name)},
                      {"content_key", i.Key},
                      {"type", i.Type},
                      {"year", i.Year},
                      {"rows", i.Rows},
                      {"rows_read", c.RowsRead()},
                      {"rows_posted", c.RowsPosted},
                      {"rows_rejected", c.RowsRejected},
                      {"vouchers_created", c.VouchersCreated},
                      {"customers_created", c.CustomersCreated},
                      {"journals_created", c.JournalsCreated},
                      {"state", i.State}};
        if (i.State == "undone") {
            entry["undone"] = Stamp(i.Undone);
            entry["undone_by"] = text::ToUtf8(i.UndoneBy);
        }
        list.push_back(entry);
    }
    const json report = {{"program", "inzefor-batch"},
                         {"version", INZEFOR_VERSION},
                         {"history", list},
                         {"exit_status", exitStatus}};
    return report.dump(2) + "\n";
}
