#pragma once
// A Firebird query (IB1..IB5) on one connection and transaction. Its SQL text carries named
// parameters (":NAME"); opening it reads the whole result into memory. The first statement on a
// closed connection connects, and the first outside a transaction starts one.
#include "db/TDataSet.h"
#include "db/TParams.h"
#include "db/TStrings.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class IBDatabase;
class IBTransaction;

class IBQuery : public TDataSet {
public:
    // What the database answered to an open: the names of its columns and its rows.
    struct Answer {
        std::vector<std::string> Columns;
        std::vector<std::vector<DbValue>> Rows;
    };
    // Answers by statement and parameter values.
    using Answers = std::unordered_map<std::string, Answer>;

    IBQuery(IBDatabase& db, IBTransaction& tr, std::string name = {}, Component* owner = nullptr);
    ~IBQuery() override;

    // Editing the text closes the query and rebuilds the parameters from the markers of the new
    // text, keeping the values of names still present.
    TStrings& SQL() { return sql_; }
    const TStrings& SQL() const { return sql_; }
    void SetSQL(const std::vector<std::string>& lines) { sql_.Assign(lines); }
    void SetSQLText(const std::string& text) { sql_.SetText(text); }
    // Every line followed by CR LF.
    std::string SQLText() const { return sql_.Text(); }

    TParams& Params() { return params_; }
    const TParams& Params() const { return params_; }
    // Throws DbError naming the parameter when the text has no such marker.
    TParam& ParamByName(const std::string& name) { return params_.ParamByName(name); }
    int ParamCount() const { return params_.Count(); }

    // Does nothing when already open; fails on an empty text.
    void Open() override;
    // While answers are given, Open asks the database only for a statement and parameter values
    // it has no answer to yet, and adds the answer; otherwise it shows the one it has, without
    // touching the database. nullptr (the default) asks the database every time.
    void SetAnswers(Answers* answers) { answers_ = answers; }
    void Close() override;
    bool Active() const override { return active_; }
    bool First() override;
    bool Next() override;
    bool Prior() override;
    bool Last() override;
    int MoveBy(int distance) override;
    bool Eof() const override;
    bool Bof() const override;
    bool IsEmpty() const override;
    // Rows fetched, which is every row of the result once open.
    int RecordCount() const override;
    bool Locate(const std::string& keyFields, const std::vector<std::string>& values,
                bool caseInsensitive, bool partialKey) override;

    NullableRef<TField> FieldByName(const std::string& name) override;
    TField* FindField(const std::string& name) override;
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::vector<TField*> Fields() const override { return fields_; }

    // Whether the text is a plain select (prepared, not run; connects like a statement would).
    bool IsSelectStatement();

    // Runs a statement without a result set; fails when the query is open or the text empty.
    void ExecSQL();
    // Rows inserted, updated or deleted by the last ExecSQL (0 before the first), asked of the
    // database the first time: a round trip that only callers who want the number pay. Throws
    // when the statement has run again since, or was let go.
    int RowsAffected();

    IBDatabase& Database() const { return db_; }
    IBTransaction& Transaction() const { return tr_; }

private:
    void SqlChanged();
    void EnsureReady();
    void CheckActive() const;
    void ShowRow();
    void Show(Answer answer);
    std::string Describe() const;

    IBDatabase& db_;
    IBTransaction& tr_;
    TStrings sql_;
    TParams params_;
    std::vector<std::string> markers_; // parameter name of each "?" of the statement
    std::string statement_;            // the text sent to the database
    bool active_ = false;
    std::vector<std::vector<DbValue>> rows_;
    int current_ = 0;
    bool bof_ = true;
    bool eof_ = true;
    // Every field object ever handed out lives as long as the query, so a kept pointer never
    // dangles; those not in the current result read as null.
    std::vector<std::unique_ptr<TField>> allFields_;
    std::vector<TField*> fields_;
    long lastRun_ = 0; // of ExecSQL, see PreparedStatement::Execute
    std::optional<int> rowsAffected_;
    Answers* answers_ = nullptr;
};
