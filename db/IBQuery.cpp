#include "db/IBQuery.h"

#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "db/ParamMarkers.h"
#include "db/StatementCache.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"

#include <cmath>
#include <cstdio>

namespace {

bool ParseNumber(const std::string& s, double& value) {
    if (FormatSettings::Default().TryStrToFloat(s, value)) return true;
    FormatSettings point = FormatSettings::Default();
    point.DecimalSeparator = '.';
    return point.TryStrToFloat(s, value);
}

// Whether a field value matches a key given as text.
bool Matches(const DbValue& value, const std::string& key, bool caseInsensitive, bool partial) {
    switch (value.GetKind()) {
    case DbValue::Kind::Null:
        return key.empty();
    case DbValue::Kind::Text: {
        std::string a = value.AsString();
        std::string b = key;
        if (caseInsensitive) {
            a = text::UpperWin1250(a);
            b = text::UpperWin1250(b);
        }
        return partial ? a.compare(0, b.size(), b) == 0 && a.size() >= b.size() : a == b;
    }
    case DbValue::Kind::Integer:
    case DbValue::Kind::Float: {
        double number;
        return ParseNumber(key, number) && number == value.AsFloat();
    }
    case DbValue::Kind::DateTime: {
        datetime::TDateTime date;
        if (FormatSettings::Default().TryStrToDate(text::Trim(key), date) &&
            date == value.AsDateTime())
            return true;
        return value.AsString() == key;
    }
    }
    return false;
}

// A statement and its input values as one text; each value carries its kind and length, so
// that no two different lists of values give the same text.
std::string AnswerKey(const std::string& statement, const std::vector<const DbValue*>& inputs) {
    std::string key = statement;
    for (const DbValue* input : inputs) {
        std::string value;
        switch (input->GetKind()) {
        case DbValue::Kind::Null:
            break;
        case DbValue::Kind::Text:
            value = input->AsString();
            break;
        case DbValue::Kind::Integer:
            value = std::to_string(input->AsInt64());
            break;
        case DbValue::Kind::Float:
        case DbValue::Kind::DateTime: {
            char exact[40];
            std::snprintf(exact, sizeof exact, "%a", input->AsFloat());
            value = exact;
            break;
        }
        }
        key.push_back('\0');
        key += std::to_string(static_cast<int>(input->GetKind())) + std::to_string(value.size());
        key.push_back(':');
        key += value;
    }
    return key;
}

} // namespace

IBQuery::IBQuery(IBDatabase& db, IBTransaction& tr, std::string name, Component* owner)
    : TDataSet(std::move(name), owner), db_(db), tr_(tr) {
    sql_.OnChange = [this] { SqlChanged(); };
    tr_.AddDataSet(this);
}

IBQuery::~IBQuery() {
    sql_.OnChange = nullptr;
    tr_.RemoveDataSet(this);
}

std::string IBQuery::Describe() const {
    return Name.empty() ? std::string("query") : Name;
}

void IBQuery::SqlChanged() {
    Close();
    ParamMarkers markers(sql_.Text());
    statement_ = markers.Statement();
    markers_ = markers.Names();
    params_.Rebuild(markers.DistinctNames());
}

void IBQuery::EnsureReady() {
    if (text::Trim(statement_).empty()) throw DbError(Describe() + ": the SQL text is empty");
    if (!db_.Connected()) db_.Connect();
    if (!tr_.InTransaction()) tr_.StartTransaction();
}

bool IBQuery::IsSelectStatement() {
    EnsureReady();
    return db_.Statements().Get(db_.Attachment(), tr_.Handle(), statement_).IsSelect();
}

void IBQuery::Open() {
    if (active_) return;
    std::vector<const DbValue*> inputs;
    for (const std::string& name : markers_)
        inputs.push_back(&params_.ParamByName(name).Value());
    std::string key;
    if (answers_) {
        key = AnswerKey(statement_, inputs);
        if (auto known = answers_->find(key); known != answers_->end()) {
            Show(known->second);
            return;
        }
    }
    EnsureReady();
    PreparedStatement& ps = db_.Statements().Get(db_.Attachment(), tr_.Handle(), statement_);
    if (!ps.HasOutput())
        throw DbError(Describe() +
                      ": the statement gives no result set to open: " + text::Trim(sql_.Text()));
    Answer answer{ps.ColumnNames(), ps.Fetch(tr_.Handle(), inputs)};
    if (answers_)
        Show(answers_->emplace(key, std::move(answer)).first->second);
    else
        Show(std::move(answer));
}

void IBQuery::Show(Answer answer) {
    rows_ = std::move(answer.Rows);
    fields_.clear();
    for (const std::string& column : answer.Columns) {
        TField* field = nullptr;
        for (auto& f : allFields_)
            if (f->Name() == column) field = f.get();
        if (!field) {
            allFields_.push_back(std::make_unique<TField>(column));
            field = allFields_.back().get();
        }
        fields_.push_back(field);
    }
    active_ = true;
    current_ = 0;
    bof_ = true;
    eof_ = rows_.empty();
    ShowRow();
}

void IBQuery::Close() {
    if (!active_) return;
    active_ = false;
    rows_.clear();
    for (TField* f : fields_)
        f->SetValue(DbValue());
    fields_.clear();
    current_ = 0;
    bof_ = eof_ = true;
}

void IBQuery::CheckActive() const {
    if (!active_) throw DbError(Describe() + ": cannot perform this operation on a closed dataset");
}

void IBQuery::ShowRow() {
    bool haveRow = active_ && current_ >= 0 && current_ < static_cast<int>(rows_.size());
    for (size_t i = 0; i < fields_.size(); ++i)
        fields_[i]->SetValue(haveRow ? rows_[current_][i] : DbValue());
}

bool IBQuery::First() {
    CheckActive();
    current_ = 0;
    bof_ = true;
    eof_ = rows_.empty();
    ShowRow();
    return !IsEmpty();
}

bool IBQuery::Last() {
    CheckActive();
    current_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
    eof_ = true;
    bof_ = rows_.empty();
    ShowRow();
    return !IsEmpty();
}

bool IBQuery::Next() {
    MoveBy(1);
    return !eof_;
}

bool IBQuery::Prior() {
    MoveBy(-1);
    return !bof_;
}

int IBQuery::MoveBy(int distance) {
    CheckActive();
    if (rows_.empty()) {
        bof_ = eof_ = true;
        return 0;
    }
    bof_ = eof_ = false;
    int moved = 0;
    const int last = static_cast<int>(rows_.size()) - 1;
    if (distance > 0) {
        int step = std::min(distance, last - current_);
        moved = step;
        if (step < distance) eof_ = true;
    } else if (distance < 0) {
        int step = std::max(distance, -current_);
        moved = step;
        if (step > distance) bof_ = true;
    }
    current_ += moved;
    ShowRow();
    return moved;
}

bool IBQuery::Eof() const {
    return !active_ || eof_;
}

bool IBQuery::Bof() const {
    return !active_ || bof_;
}

bool IBQuery::IsEmpty() const {
    return !active_ || rows_.empty();
}

int IBQuery::RecordCount() const {
    return active_ ? static_cast<int>(rows_.size()) : 0;
}

bool IBQuery::Locate(const std::string& keyFields, const std::vector<std::string>& values,
                     bool caseInsensitive, bool partialKey) {
    CheckActive();
    std::vector<std::string> names = text::SplitNames(keyFields, ";");
    if (names.empty()) throw DbError(Describe() + ": no key field given to locate by");
    if (names.size() != values.size())
        throw DbError(Describe() + ": " + std::to_string(names.size()) + " key field(s) but " +
                      std::to_string(values.size()) + " value(s) to locate by");
    std::vector<size_t> columns;
    for (const std::string& name : names) {
        TField* field = FindField(name);
        if (!field) throw DbError(Describe() + ": field '" + name + "' not found");
        for (size_t i = 0; i < fields_.size(); ++i)
            if (fields_[i] == field) columns.push_back(i);
    }
    for (size_t row = 0; row < rows_.size(); ++row) {
        bool all = true;
        for (size_t k = 0; k < columns.size() && all; ++k)
            all = Matches(rows_[row][columns[k]], values[k], caseInsensitive, partialKey);
        if (all) {
            current_ = static_cast<int>(row);
            bof_ = eof_ = false;
            ShowRow();
            return true;
        }
    }
    return false;
}

NullableRef<TField> IBQuery::FieldByName(const std::string& name) {
    TField* field = FindField(name);
    if (!field) throw DbError(Describe() + ": field '" + name + "' not found");
    return {field, "field " + name};
}

TField* IBQuery::FindField(const std::string& name) {
    for (TField* f : fields_)
        if (text::SameTextAscii(f->Name(), name)) return f;
    return nullptr;
}

void IBQuery::ExecSQL() {
    if (active_) throw DbError(Describe() + ": ExecSQL on an open query");
    EnsureReady();
    PreparedStatement& ps = db_.Statements().Get(db_.Attachment(), tr_.Handle(), statement_);
    std::vector<const DbValue*> inputs;
    for (const std::string& name : markers_)
        inputs.push_back(&params_.ParamByName(name).Value());
    rowsAffected_.reset();
    lastRun_ = 0;
    lastRun_ = ps.Execute(tr_.Handle(), inputs);
}

int IBQuery::RowsAffected() {
    if (!rowsAffected_ && lastRun_) {
        PreparedStatement* ps = db_.Statements().Find(statement_);
        if (!ps || ps->LastRun() != lastRun_)
            throw DbError(Describe() + ": the rows its last statement changed are no longer known");
        rowsAffected_ = static_cast<int>(ps->AffectedRecords());
    }
    return rowsAffected_.value_or(0);
}
