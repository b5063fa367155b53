#pragma once
// The query component every statement of the importer passes through. It holds no rows: it
// forwards each operation to the dataset in XQuery and gives a neutral result when there is none
// (or one of a kind it does not know). It adds before/after notifications, locating by key lists
// given as text, and logging of every executed statement.
#include "db/SqlLogSettings.h"
#include "db/SqlSegments.h"
#include "db/TDataSet.h"
#include "db/TParams.h"
#include "db/TStrings.h"

#include <functional>
#include <string>
#include <vector>

class IBQuery;

using TNotifyEvent = std::function<void(Component* sender)>;

class TEQuery : public TDataSet {
public:
    // log: the settings of the SQL log; without them the component does not log.
    explicit TEQuery(std::string name = {}, Component* owner = nullptr,
                     SqlLogSettings* log = nullptr);
    ~TEQuery() override;

    // Folder of the SQL log files; empty (no logging) unless owned by the log's Application.
    std::string LogFolder;

    TDataSet* XQuery() const { return xQuery_; }
    // A TEQuery is refused (the old reference stays); anything else, nullptr included, is kept.
    void SetXQuery(TDataSet* dataset);

    bool Active() const override;

    // The wrapped query's own SQL list, for editing in place; nullptr when there is none.
    TStrings* SQL() const;
    // Closes first when active, then clears the wrapped query's text and appends the lines.
    void SetSQL(const std::vector<std::string>& lines);
    // The same with a text split into lines.
    void SetSQLText(const std::string& text);

    // A fresh copy of the wrapped query's parameters (ParamCopy); values set in it do not reach
    // the query.
    TParams& Params();
    // Copies the list and gives its values by name to the wrapped query's parameters.
    void SetParams(const TParams& params);
    // The wrapped query's parameter; missing when there is no query. A name not in the query
    // throws.
    NullableRef<TParam> ParamByName(const std::string& name);
    NullableRef<TParam> P(const std::string& name) { return ParamByName(name); }
    int ParamCount() const;

    // Never throws: missing when there is no query, it is not open or has no such field.
    NullableRef<TField> FieldByName(const std::string& name) override;
    NullableRef<TField> F(const std::string& name) { return FieldByName(name); }
    TField* FindField(const std::string& name) override;
    int FieldCount() const override;
    std::vector<TField*> Fields() const override;

    void Open() override;
    void Close() override;
    bool Eof() const override;
    bool Bof() const override;
    bool IsEmpty() const override;
    bool Next() override;
    bool Prior() override;
    bool First() override;
    bool Last() override;
    int MoveBy(int distance) override;
    // False on a closed query, without opening it.
    bool Locate(const std::string& keyFields, const std::vector<std::string>& values,
                bool caseInsensitive, bool partialKey) override;
    // Key fields separated by ";" or ","; values separated by the character of code 1; a
    // missing value or "`?`" takes the current row's value.
    bool LocateRec(const std::string& keyFields, const std::string& keyValues);
    bool LocatePartial(const std::string& keyFields, const std::string& keyValues);
    // Closes and reopens, then locates; never throws.
    bool ReOpen(const std::string& keyFields, const std::string& keyValues);
    bool ReOpenActive() const { return reOpenActive_; }
    // Rows fetched so far; 0 without a query.
    int RecordCount() const override;

    // Runs the statement and logs it with its parameter values filled in; a failure is logged
    // and then passed on.
    void ExecSQL();
    void ExecSQLNoLog();

    // Clause editing of a SELECT text, on the component's own copy of it.
    void Parse(const std::string& text) { segments_.ParseText(text); }
    void Parse(const std::vector<std::string>& lines) { segments_.Parse(lines); }
    std::string GetSegment(const std::string& keyword) const {
        return segments_.GetSegment(keyword);
    }
    void ChangeSegment(const std::string& segment) { segments_.ChangeSegment(segment); }
    void AddToWhere(const std::string& condition) { segments_.AddToWhere(condition); }
    void AddOrToWhere(const std::string& condition) { segments_.AddOrToWhere(condition); }
    void DeleteFromWhere(const std::string& condition) { segments_.DeleteFromWhere(condition); }
    std::string Parsed() const { return segments_.Parsed(); }
    const std::vector<std::string>& KeywordList() const { return segments_.KeywordList(); }
    const std::vector<std::string>& ParsedLines() const { return segments_.ParsedLines(); }
    const std::array<SqlSegments::SegmentEntry, SqlSegments::kSegmentCount>& SegmentTable() const {
        return segments_.SegmentTable();
    }
    const std::string& LastParsedText() const { return segments_.LastParsedText(); }
    // Rows the wrapped query's statement would return, counted by the database without opening
    // the query; -1 when that fails or there is no query. Leaves the count statement held.
    int RecCount();

    TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeNext, AfterNext, BeforePrior,
        AfterPrior, BeforeFirst, AfterFirst, BeforeLast, AfterLast, AfterLocate, AfterMove;

protected:
    void Notification(TDataSet* removed) override;

private:
    IBQuery* Backend() const;
    void Fire(const TNotifyEvent& event);
    bool LocateKeys(const std::string& keyFields, const std::string& keyValues, bool partial,
                    bool forceReopen);
    void WriteLog(bool failed, const std::string& errorMessage);
    void WriteCountLine(IBQuery& query, const std::string& stamp);

    SqlSegments segments_;
    TDataSet* xQuery_ = nullptr;
    TParams paramCopy_;
    bool reOpenActive_ = false;
    SqlLogSettings* log_;
};
