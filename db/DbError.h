#pragma once
// A failure reported by the database (or by the query layer on its behalf): the message as the
// database words it, with its status codes and SQLSTATE where the database gave them.
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace Firebird {
class IStatus;
}

class DbError : public std::runtime_error {
public:
    // How far a failure reaches. Most concern one statement and its values; some say that every
    // further statement will fail the same way, so going on row after row is pointless.
    enum class Reach {
        Statement, // a constraint, a trigger's exception, a lock conflict, a bad value
        Database,  // the connection is lost or shut down, the database cannot read or write its
                   // files, an object the importer needs does not exist, no privilege, the SQL
                   // log cannot be written
    };

    explicit DbError(const std::string& message, long gdsCode = 0, std::string sqlState = {},
                     std::vector<long> codes = {});
    DbError(const std::string& message, Reach reach);

    // The message formatted by the client library, with its status codes and SQLSTATE.
    static DbError FromStatus(const Firebird::IStatus* status);

    // Another transaction holds or has just written the same key: a lock or update conflict, or a
    // unique key violation.
    bool Conflict() const;

    // Whether a failure of any kind will hit every further row the same way.
    static bool ReachesDatabase(const std::exception& failure);
    // Whether the server has cut the connection or the network lost it: nothing more can be said
    // to the server on it, not even a rollback.
    static bool ConnectionLost(const std::exception& failure);
    // " (in: <statement>)" for a failure that came from a statement, else empty: for the
    // program's own texts.
    static std::string StatementNote(const std::exception& failure);
    // What a call over a connection already known to be lost fails with, unsent.
    static DbError LostConnection();

    long GdsCode;
    std::string SqlState;
    std::vector<long> Codes; // every status code of the status vector, in order
    Reach Scope;
    // The text of the statement the failure came from, without its values; empty when it came
    // from no statement. For the program's own texts: the described ones show the message only.
    std::string Sql;
};
