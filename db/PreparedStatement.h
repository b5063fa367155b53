#pragma once
// One statement prepared on an attachment, run as often as needed with "?" inputs. Input values
// travel in the kind they were set in (text, integer, number, date-time) and the database converts
// them to the column's type; results come back as DbValue rows.
//
// Every call that reaches the database adds to the connection's count of round trips, counted as
// Firebird 3's network client makes them (measured with strace on its socket): the prepare, each
// run, the question for the rows a run changed, and each batch of a cursor's rows, the first of
// which carries the open (the client sends both at once; the close waits for the next call).
// A batch is as many rows as four 32 KiB packets hold, 10 to 1000. A blob costs its open and
// one read. The embedded engine counts the same calls, so that the two figures compare.
#include "db/ConnectionUse.h"
#include "db/DbValue.h"

#include <string>
#include <vector>

class PreparedStatement {
public:
    using Row = std::vector<DbValue>;

    // Throws DbError with the database's message (a syntax error, an unknown table...).
    PreparedStatement(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction,
                      const std::string& sql, ConnectionUse& use);
    // Over a lost connection the statement is forgotten, not freed.
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    const std::string& Sql() const { return sql_; }
    // A plain select: running it reads rows and changes nothing by itself.
    bool IsSelect() const;
    unsigned InputCount() const { return inputCount_; }
    // True when the statement gives rows (a select, or a procedure call with outputs).
    bool HasOutput() const { return !columns_.empty(); }
    const std::vector<std::string>& ColumnNames() const { return columns_; }

    // Runs the statement and reads every row of its result.
    std::vector<Row> Fetch(Firebird::ITransaction* transaction,
                           const std::vector<const DbValue*>& inputs);
    // Runs the statement; outputs, if wanted and given, land in *outputs. Returns the
    // connection's count of round trips after the run, which names the run on that connection.
    long Execute(Firebird::ITransaction* transaction, const std::vector<const DbValue*>& inputs,
                 Row* outputs = nullptr);
    // The name of the statement's last run (0: none yet).
    long LastRun() const { return lastRun_; }
    // The rows its last run inserted, updated or deleted. A question of its own: most callers
    // never ask it.
    unsigned AffectedRecords();

private:
    struct Input;
    Input BuildInput(const std::vector<const DbValue*>& inputs) const;
    Row ReadRow(Firebird::ITransaction* transaction, const unsigned char* buffer) const;
    DbValue ReadBlob(Firebird::ITransaction* transaction, const void* blobId) const;

    Firebird::IAttachment* attachment_;
    ConnectionUse& use_;
    FbHandle<Firebird::IStatement> statement_;
    FbHandle<Firebird::IMessageMetadata> inMeta_;
    FbHandle<Firebird::IMessageMetadata> outMeta_;
    std::string sql_;
    unsigned type_ = 0;
    unsigned inputCount_ = 0;
    std::vector<std::string> columns_;
    long lastRun_ = 0;
};
