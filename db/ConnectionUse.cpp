#include "db/ConnectionUse.h"

void ConnectionUse::Failed(DbError& error, std::string_view statement) {
    if (DbError::ConnectionLost(error)) Lost = true;
    if (error.Sql.empty()) error.Sql = statement;
}
