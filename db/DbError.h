#pragma once
// A failure reported by the database (or by the query layer on its behalf): the message as the
// database words it, with its status code and SQLSTATE where the database gave them.
#include <stdexcept>
#include <string>

namespace Firebird {
class IStatus;
}

class DbError : public std::runtime_error {
public:
    explicit DbError(const std::string& message, long gdsCode = 0, std::string sqlState = {})
        : std::runtime_error(message), GdsCode(gdsCode), SqlState(std::move(sqlState)) {}

    // The message formatted by the client library, with the first status code and SQLSTATE.
    static DbError FromStatus(const Firebird::IStatus* status);

    long GdsCode;
    std::string SqlState;
};
