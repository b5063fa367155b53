#pragma once
// The database connection (DB1): a Firebird attachment by name with name=value parameter lines.
#include "platform/Component.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace Firebird {
class IAttachment;
}

class IBTransaction;
class StatementCache;
struct ConnectionUse;

class IBDatabase : public Component {
public:
    explicit IBDatabase(std::string name = "DB1", Component* owner = nullptr);
    ~IBDatabase() override;

    // Used untrimmed as the connection string: a file path opens with the embedded engine,
    // "host:path" goes to a server.
    std::string DatabaseName;
    // name=value lines, translated by name into the database parameter block.
    std::vector<std::string> Params{"user_name=SYSDBA", "password=quenbirat", "lc_ctype=WIN1250"};

    // The database timeout: on a server ("host:path"), a call that gets no answer this long
    // while the database answers no other connection either fails as a lost connection, and an
    // attach is given up after it (see CallWatch). Read at Connect. 0: calls wait unbounded.
    std::chrono::seconds Timeout{kDefaultTimeout};
    static constexpr std::chrono::seconds kDefaultTimeout{60};

    // Throws DbError with Firebird's message; an unknown parameter name names its line.
    void Connect();
    // Creates the database file named DatabaseName with Params (for instance
    // "set_db_charset=WIN1250", "page_size=8192") and stays connected to it.
    void CreateDatabase();
    // Removes the database this connection is attached to; afterwards it is disconnected.
    void DropDatabase();
    // Commits nothing: a transaction still active is rolled back (the caller commits first what
    // it wants kept), then the prepared statements go and the attachment is closed. Never throws.
    // A connection the server has cut is only forgotten, with its transactions and statements.
    void Disconnect();
    bool Connected() const;
    // The server has cut the connection: calls over it fail at once, unsent. It stays connected
    // until Disconnect, so that nothing attaches anew behind a transaction that was on it.
    bool Lost() const;

    // The client library shuts every connection of the process down when it gets SIGINT or
    // SIGTERM, under whatever statement runs. For a program that stops between rows itself,
    // this cancels that shutdown and calls notify instead (from the library's signal handling:
    // it may only set a flag).
    static void KeepConnectionsOnSignal(void (*notify)());

    IBTransaction* DefaultTransaction = nullptr;
    Firebird::IAttachment* Attachment() const;
    // Prepared statements of this attachment, keyed by SQL text.
    StatementCache& Statements();

    // Calls that reached the database since this object was made, counted as the network client
    // makes them round trips (see PreparedStatement); connecting and disconnecting are not
    // counted. The transactions and statements of this connection add theirs.
    long RoundTrips() const;
    // What the calls over this connection share; transactions and statements call through it.
    ConnectionUse& Use();

    // Transactions on this connection register themselves, so a disconnect can end them.
    void AddTransaction(IBTransaction* transaction);
    void RemoveTransaction(IBTransaction* transaction);

private:
    void Attach(bool create);
    void AttachNow(bool create, bool bounded);
    void Watch();
    void Unwatch();
    void Detach();

    struct Impl;
    std::unique_ptr<Impl> impl_;
};
