#pragma once
// The one transaction (TR1) on the connection. Params are translated by name into the
// transaction parameter block ("read_committed", "rec_version", "nowait", "wait", "concurrency",
// "consistency", "read", "write", "lock_timeout=N" ...); an unknown name is an error naming it.
// Ending the transaction closes the queries open on it. Nothing is ever committed behind the
// caller's back (closing the last query does not commit): what a caller writes between two
// commits stands or falls together. Declare the connection before its transactions and those
// before their queries, so that they go in the reverse order.
#include "platform/Component.h"

#include <memory>
#include <string>
#include <vector>

namespace Firebird {
class ITransaction;
}

class IBDatabase;
class TDataSet;

class IBTransaction : public Component {
public:
    explicit IBTransaction(IBDatabase& db, std::string name = "TR1", Component* owner = nullptr);
    ~IBTransaction() override;

    std::vector<std::string> Params{"read_committed", "rec_version", "nowait"};

    // The connection must be open.
    void StartTransaction();
    void Commit();
    void Rollback();
    void CommitRetaining();
    bool InTransaction() const;

    IBDatabase& Database() const { return db_; }
    Firebird::ITransaction* Handle() const;

    // Runs one statement as it is (no parameters, no result, not kept prepared), starting the
    // transaction if needed: for schema scripts.
    void ExecuteImmediate(const std::string& sql);

    // Datasets running on this transaction register themselves, so ending it closes them.
    void AddDataSet(TDataSet* dataset);
    void RemoveDataSet(TDataSet* dataset);

private:
    friend class IBDatabase;
    void End(bool commit);
    // Forgets the transaction of a lost connection without a word to the server.
    void Abandon();
    void DatabaseGone();
    void CheckDatabase() const;
    IBDatabase& db_;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
