#pragma once
// The database connection (DB1): a Firebird attachment by name with name=value parameter lines.
#include "platform/Component.h"

#include <memory>
#include <string>
#include <vector>

namespace Firebird {
class IAttachment;
}

class IBTransaction;
class StatementCache;

class IBDatabase : public Component {
public:
    explicit IBDatabase(std::string name = "DB1", Component* owner = nullptr);
    ~IBDatabase() override;

    // Used untrimmed as the connection string: a file path opens with the embedded engine,
    // "host:path" goes to a server.
    std::string DatabaseName;
    // name=value lines, translated by name into the database parameter block.
    std::vector<std::string> Params{"user_name=SYSDBA", "password=quenbirat", "lc_ctype=WIN1250"};

    // Throws DbError with Firebird's message; an unknown parameter name names its line.
    void Connect();
    // Rolls back nothing: an active default transaction is committed by the caller first.
    void Disconnect();
    bool Connected() const;

    IBTransaction* DefaultTransaction = nullptr;
    Firebird::IAttachment* Attachment() const;
    // Prepared statements of this attachment, keyed by SQL text.
    StatementCache& Statements();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
