#include "db/TEQuery.h"

#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBQuery.h"
#include "platform/FileSystem.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

#include <exception>
#include <filesystem>
#include <fstream>

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}

// Replaces every occurrence without regard to letter case.
void ReplaceAllIgnoreCase(std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    std::string upperFrom = text::UpperWin1250(from);
    std::string result;
    std::string upper = text::UpperWin1250(s);
    size_t last = 0;
    for (size_t pos = upper.find(upperFrom); pos != std::string::npos;
         pos = upper.find(upperFrom, pos + from.size())) {
        result.append(s, last, pos - last);
        result += to;
        last = pos + from.size();
    }
    result.append(s, last, std::string::npos);
    s = std::move(result);
}

void Append(const std::filesystem::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    // Every insert must be logged: a log that cannot be written stops the work, not one row.
    if (!out) throw DbError("Cannot open the log file " + path.string(), DbError::Reach::Database);
    out << content;
    out.close();
    if (!out) throw DbError("Cannot write the log file " + path.string(), DbError::Reach::Database);
}

} // namespace

TEQuery::TEQuery(std::string name, Component* owner, SqlLogSettings* log)
    : TDataSet(std::move(name), owner), LogFolder(log ? log->LogFolderFor(owner) : std::string()),
      log_(log) {}

TEQuery::~TEQuery() = default;

IBQuery* TEQuery::Backend() const {
    return dynamic_cast<IBQuery*>(xQuery_);
}

void TEQuery::Fire(const TNotifyEvent& event) {
    if (!event) return;
    try {
        event(this);
    } catch (...) {
        // A handler's failure is not the operation's.
    }
}

void TEQuery::SetXQuery(TDataSet* dataset) {
    if (dynamic_cast<TEQuery*>(dataset)) return;
    if (xQuery_ == dataset) return;
    if (xQuery_) {
        xQuery_->RemoveFreeNotification(this);
        RemoveFreeNotification(xQuery_);
    }
    xQuery_ = dataset;
    if (xQuery_) xQuery_->FreeNotification(this);
}

void TEQuery::Notification(TDataSet* removed) {
    if (removed == xQuery_) xQuery_ = nullptr;
}

bool TEQuery::Active() const {
    IBQuery* q = Backend();
    return q && q->Active();
}

TStrings* TEQuery::SQL() const {
    IBQuery* q = Backend();
    return q ? &q->SQL() : nullptr;
}

void TEQuery::SetSQL(const std::vector<std::string>& lines) {
    if (!Backend()) return;
    if (Active()) Close();
    if (IBQuery* q = Backend()) {
        q->SQL().Clear();
        q->SQL().AddStrings(lines);
    }
}

void TEQuery::SetSQLText(const std::string& text) {
    SetSQL(text::SplitLines(text));
}

TParams& TEQuery::Params() {
    if (IBQuery* q = Backend()) paramCopy_ = q->Params();
    return paramCopy_;
}

void TEQuery::SetParams(const TParams& params) {
    paramCopy_ = params;
    if (IBQuery* q = Backend()) q->Params().AssignValues(params);
}

NullableRef<TParam> TEQuery::ParamByName(const std::string& name) {
    IBQuery* q = Backend();
    if (!q) return {nullptr, "parameter " + name + " (" + Name + " has no query)"};
    return {&q->ParamByName(name), "parameter " + name};
}

int TEQuery::ParamCount() const {
    IBQuery* q = Backend();
    return q ? q->ParamCount() : 0;
}

NullableRef<TField> TEQuery::FieldByName(const std::string& name) {
    IBQuery* q = Backend();
    if (!q || !q->Active()) return {nullptr, "field " + name + " (" + Name + " is not open)"};
    TField* field = q->FindField(name);
    return {field, "field " + name + " (not in the result of " + Name + ")"};
}

TField* TEQuery::FindField(const std::string& name) {
    IBQuery* q = Backend();
    return q ? q->FindField(name) : nullptr;
}

int TEQuery::FieldCount() const {
    IBQuery* q = Backend();
    return q ? q->FieldCount() : 0;
}

std::vector<TField*> TEQuery::Fields() const {
    IBQuery* q = Backend();
    return q ? q->Fields() : std::vector<TField*>();
}

void TEQuery::Open() {
    if (!Backend() || Backend()->Active()) return;
    Fire(BeforeOpen);
    Fire(BeforeFirst);
    if (!Backend()) return;
    Backend()->Open();
    if (!Active()) return;
    Fire(AfterOpen);
    if (Backend() && !Backend()->IsEmpty()) {
        Fire(AfterFirst);
        Fire(AfterMove);
    }
}

void TEQuery::Close() {
    if (!Backend() || !Backend()->Active()) return;
    Fire(BeforeClose);
    if (!Backend()) return;
    Backend()->Close();
    if (Backend() && !Backend()->Active()) Fire(AfterClose);
}

bool TEQuery::Eof() const {
    IBQuery* q = Backend();
    return q && q->Eof();
}

bool TEQuery::Bof() const {
    IBQuery* q = Backend();
    return q && q->Bof();
}

bool TEQuery::IsEmpty() const {
    IBQuery* q = Backend();
    return !q || !q->Active() || q->IsEmpty();
}

bool TEQuery::Next() {
    if (!Backend()) return false;
    if (Active()) Fire(BeforeNext);
    if (!Backend()) return false;
    Backend()->Next();
    bool result = !Eof();
    if (result) {
        Fire(AfterNext);
        Fire(AfterMove);
    }
    return result;
}

bool TEQuery::Prior() {
    if (!Backend()) return false;
    if (Active()) Fire(BeforePrior);
    if (!Backend()) return false;
    Backend()->Prior();
    bool result = !Bof();
    if (result) {
        Fire(AfterPrior);
        Fire(AfterMove);
    }
    return result;
}

bool TEQuery::First() {
    if (!Backend()) return false;
    if (Active()) Fire(BeforeFirst);
    if (!Backend()) return false;
    Backend()->First();
    bool result = !IsEmpty();
    if (result) {
        Fire(AfterFirst);
        Fire(AfterMove);
    }
    return result;
}

bool TEQuery::Last() {
    if (!Backend()) return false;
    if (Active()) Fire(BeforeLast);
    if (!Backend()) return false;
    Backend()->Last();
    bool result = !IsEmpty();
    if (result) {
        Fire(AfterLast);
        Fire(AfterMove);
    }
    return result;
}

int TEQuery::MoveBy(int distance) {
    IBQuery* q = Backend();
    if (!q) return 0;
    int moved = q->MoveBy(distance);
    if (moved != 0) Fire(AfterMove);
    return moved;
}

bool TEQuery::Locate(const std::string& keyFields, const std::vector<std::string>& values,
                     bool caseInsensitive, bool partialKey) {
    IBQuery* q = Backend();
    if (!q || !q->Active()) return false;
    bool found = q->Locate(keyFields, values, caseInsensitive, partialKey);
    if (found) {
        Fire(AfterLocate);
        Fire(AfterMove);
    }
    return found;
}

bool TEQuery::LocateKeys(const std::string& keyFields, const std::string& keyValues, bool partial,
                         bool forceReopen) {
    const std::vector<std::string> fields = text::SplitNames(keyFields, ";,");
    std::vector<std::string> pieces;
    if (!keyValues.empty()) {
        std::string rest = keyValues + '\x01';
        size_t start = 0;
        for (size_t end = rest.find('\x01'); end != std::string::npos;
             start = end + 1, end = rest.find('\x01', start))
            pieces.push_back(text::Trim(rest.substr(start, end - start)));
    }

    std::vector<std::string> values;
    bool missingField = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i < pieces.size() && pieces[i] != "`?`") {
            values.push_back(pieces[i]);
        } else if (Active()) {
            // A key field missing from the open result has no current value, so no row can
            // match it: the search finds nothing instead of failing.
            TField* field = FindField(fields[i]);
            if (!field) missingField = true;
            values.push_back(field ? field->AsString() : std::string());
        } else {
            values.push_back("0");
        }
    }
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i)
        joined += (i ? ";" : "") + fields[i];

    if (forceReopen || !Active()) {
        Close();
        Open();
    }
    if (fields.empty() || missingField) return false;
    return Locate(joined, values, true, partial);
}

bool TEQuery::LocateRec(const std::string& keyFields, const std::string& keyValues) {
    return LocateKeys(keyFields, keyValues, false, false);
}

bool TEQuery::LocatePartial(const std::string& keyFields, const std::string& keyValues) {
    return LocateKeys(keyFields, keyValues, true, false);
}

bool TEQuery::ReOpen(const std::string& keyFields, const std::string& keyValues) {
    reOpenActive_ = true;
    try {
        return LocateKeys(keyFields, keyValues, false, true);
    } catch (...) {
        reOpenActive_ = false;
        return false;
    }
}

int TEQuery::RecordCount() const {
    IBQuery* q = Backend();
    return q ? q->RecordCount() : 0;
}

int TEQuery::RecCount() {
    IBQuery* q = Backend();
    if (!q) return -1;
    int result = -1;
    try {
        const std::vector<std::string> statement = segments_.CountStatement(q->SQL().Lines());
        if (statement.empty()) return -1;
        IBQuery count(q->Database(), q->Transaction());
        count.SetSQL(statement);
        count.Params().AssignValues(q->Params());
        // Counting must never run a statement that changes data (an update with RETURNING,
        // an insert from a select): only a plain select is opened.
        if (!count.IsSelectStatement()) return -1;
        count.Open();
        result = count.FieldByName("xSelCnt")->AsInteger();
    } catch (...) {
        // A statement that cannot be counted counts as unknown.
    }
    return result;
}

void TEQuery::ExecSQLNoLog() {
    if (IBQuery* q = Backend()) q->ExecSQL();
}

void TEQuery::ExecSQL() {
    IBQuery* q = Backend();
    // Nothing to run for no query or one of a kind this component does not know.
    if (!q) return;
    std::string text = q->SQLText();
    if (text.find("``") != std::string::npos) {
        ReplaceAll(text, "``", "'");
        q->SetSQLText(text);
    }
    std::exception_ptr failure;
    std::string message;
    try {
        q->ExecSQL();
    } catch (const std::exception& e) {
        failure = std::current_exception();
        message = text::OneLine(e.what());
    } catch (...) {
        failure = std::current_exception();
        message = "Unknown failure";
    }
    WriteLog(failure != nullptr, message);
    if (failure) std::rethrow_exception(failure);
}

void TEQuery::WriteLog(bool failed, const std::string& errorMessage) {
    if (!log_ || LogFolder.empty() || !fs_win::DirectoryExists(LogFolder)) return;
    IBQuery* q = Backend();
    if (!q) return;
    const std::string base = failed ? "sqlerr" : "sql";
    const std::string fileName = LogFolder + base + log_->ExecSqlLogSuffix + ".log";
    const std::filesystem::path path = fs_win::ToHost(fileName);

    std::string statement = text::OneLine(q->SQLText());
    std::error_code ec;
    std::uintmax_t size =
        std::filesystem::exists(path, ec) ? std::filesystem::file_size(path, ec) : 0;
    if (ec) size = 0;
    const std::uintmax_t blocks = size / 128;

    const TParams& params = Params();
    for (int i = 0; i < params.Count(); ++i) {
        const std::string marker = ":" + params[i].Name();
        ReplaceAllIgnoreCase(statement, marker + ",", marker + " ,");
        ReplaceAllIgnoreCase(statement, marker + ")", marker + " )");
    }
    // Values are flattened too, so that an entry keeps its one line per statement.
    for (int i = 0; i < params.Count(); ++i)
        ReplaceAllIgnoreCase(statement, ":" + params[i].Name() + " ",
                             text::Quoted(text::OneLine(params[i].AsString())) + " ");

    const std::string stamp =
        FormatSettings::Default().FormatDateTime("mm.dd hh:nn", log_->LogClock());
    const std::string who = (Owner ? Owner->Name : std::string()) + "." + Name;
    std::string entry = (failed ? "/*Err " : "/* ") + stamp + " " + who + "*/\r\n";
    entry += statement + "\r\n";
    if (failed) entry += "/*ErrMsg " + errorMessage + " */\r\n";
    Append(path, entry);

    if (!text::Trim(log_->ExecSqlCountSql).empty()) WriteCountLine(*q, stamp);
    if (blocks / 1024 > 500) {
        const std::string older = LogFolder + base + "_1" + log_->ExecSqlLogSuffix + ".log";
        fs_win::DeleteFile(older);
        fs_win::RenameFile(fileName, older);
    }
}

void TEQuery::WriteCountLine(IBQuery& query, const std::string& stamp) {
    try {
        query.SetSQLText(log_->ExecSqlCountSql);
        query.Open();
        const std::filesystem::path path =
            fs_win::ToHost(LogFolder + "sql" + log_->ExecSqlLogSuffix + ".log");
        TField& count = *query.FieldByName("RCNT");
        log_->ExecSqlLastCount = count.AsInteger();
        Append(path, "/* [" + count.AsString() + "] " + stamp + " " +
                         query.Database().DatabaseName + "*/\r\n");
    } catch (...) {
        // The count is a diagnostic aid; it never fails the statement.
    }
}
