#include "db/IBStoredProc.h"

#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "db/StatementCache.h"
#include "platform/Text.h"

namespace {

const char* const kProcedureParameters =
    "select p.RDB$PROCEDURE_NAME, pp.RDB$PARAMETER_NAME, pp.RDB$PARAMETER_TYPE "
    "from RDB$PROCEDURES p left join RDB$PROCEDURE_PARAMETERS pp "
    "on pp.RDB$PROCEDURE_NAME = p.RDB$PROCEDURE_NAME and pp.RDB$PACKAGE_NAME is null "
    "where p.RDB$PROCEDURE_NAME = ? and p.RDB$PACKAGE_NAME is null "
    "order by pp.RDB$PARAMETER_TYPE, pp.RDB$PARAMETER_NUMBER";

// The name as the database stores it: upper-cased unless written in double quotes.
std::string StoredName(const std::string& name) {
    std::string n = text::Trim(name);
    if (n.size() >= 2 && n.front() == '"' && n.back() == '"') {
        std::string inner;
        for (size_t i = 1; i + 1 < n.size(); ++i) {
            inner += n[i];
            if (n[i] == '"' && n[i + 1] == '"') ++i;
        }
        return inner;
    }
    return text::UpperAscii(n);
}

} // namespace

IBStoredProc::IBStoredProc(IBDatabase& db, IBTransaction& tr, std::string name, Component* owner)
    : Component(std::move(name), owner), db_(db), tr_(tr) {}

void IBStoredProc::SetStoredProcName(const std::string& name) {
    if (name == procName_) return;
    procName_ = name;
    prepared_ = false;
    params_.Clear();
    statement_.clear();
}

void IBStoredProc::Prepare() {
    if (prepared_) return;
    std::string stored = StoredName(procName_);
    if (stored.empty()) throw DbError(Name + ": no stored procedure name is set");
    if (auto known = described_.find(stored); known != described_.end()) {
        params_ = known->second.first;
        statement_ = known->second.second;
        prepared_ = true;
        return;
    }
    if (!db_.Connected()) db_.Connect();
    if (!tr_.InTransaction()) tr_.StartTransaction();
    PreparedStatement& lookup =
        db_.Statements().Get(db_.Attachment(), tr_.Handle(), kProcedureParameters);
    DbValue key = DbValue::Text(stored);
    std::vector<PreparedStatement::Row> rows = lookup.Fetch(tr_.Handle(), {&key});
    if (rows.empty())
        throw DbError(Name + ": stored procedure '" + procName_ + "' not found",
                      DbError::Reach::Database);

    TParams params;
    int inputs = 0;
    for (const auto& row : rows) {
        if (row[1].IsNull()) continue;
        std::string name = text::TrimRight(row[1].AsString());
        bool input = row[2].AsInteger() == 0;
        params.Add(name, input ? TParamType::Input : TParamType::Output);
        if (input) ++inputs;
    }
    std::string sql = "execute procedure " + text::Quoted(stored, '"');
    if (inputs > 0) {
        sql += " (";
        for (int i = 0; i < inputs; ++i)
            sql += i ? ", ?" : "?";
        sql += ")";
    }
    described_[stored] = {params, sql};
    params_ = params;
    statement_ = sql;
    prepared_ = true;
}

TParams& IBStoredProc::Params() {
    Prepare();
    return params_;
}

TParam& IBStoredProc::ParamByName(const std::string& name) {
    Prepare();
    TParam* p = params_.FindParam(name);
    if (!p)
        throw DbError(Name + ": parameter '" + name + "' not found in stored procedure " +
                      procName_);
    return *p;
}

void IBStoredProc::ExecProc() {
    Prepare();
    if (!db_.Connected()) db_.Connect();
    if (!tr_.InTransaction()) tr_.StartTransaction();
    PreparedStatement& ps = db_.Statements().Get(db_.Attachment(), tr_.Handle(), statement_);
    std::vector<const DbValue*> inputs;
    std::vector<TParam*> outputs;
    for (int i = 0; i < params_.Count(); ++i) {
        if (params_[i].ParamType() == TParamType::Input)
            inputs.push_back(&params_[i].Value());
        else
            outputs.push_back(&params_[i]);
    }
    PreparedStatement::Row row;
    ps.Execute(tr_.Handle(), inputs, &row);
    for (size_t i = 0; i < outputs.size(); ++i)
        outputs[i]->SetValue(i < row.size() ? row[i] : DbValue());
}
