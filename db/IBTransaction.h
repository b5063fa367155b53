#pragma once
// The one transaction (TR1) on the connection.
#include "platform/Component.h"

#include <memory>
#include <string>
#include <vector>

namespace Firebird {
class ITransaction;
}

class IBDatabase;

class IBTransaction : public Component {
public:
    explicit IBTransaction(IBDatabase& db, std::string name = "TR1", Component* owner = nullptr);
    ~IBTransaction() override;

    std::vector<std::string> Params{"read_committed", "rec_version", "nowait"};

    void StartTransaction();
    void Commit();
    void Rollback();
    void CommitRetaining();
    bool InTransaction() const;

    IBDatabase& Database() const { return db_; }
    Firebird::ITransaction* Handle() const;

private:
    IBDatabase& db_;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
