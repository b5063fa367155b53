#include "db/DbError.h"

#include "db/FbClient.h"

#include <firebird/Interface.h>

#include <algorithm>

namespace {

// Status codes that say the connection is gone: the server cut it or the network lost it.
constexpr long kConnectionCodes[] = {
    isc_bad_db_handle, isc_shutdown,           isc_att_shutdown,
    isc_conn_lost,     isc_lost_db_connection, isc_network_error,
    isc_net_read_err,  isc_net_write_err,      isc_net_server_shutdown,
};

// Further codes after which no further statement can succeed: the server cannot be reached, the
// database file cannot be read or written (a full disk), or an object the statement names does
// not exist in the database.
constexpr long kDatabaseCodes[] = {
    isc_net_connect_err, isc_unavailable,       isc_io_error,          isc_io_create_err,
    isc_io_open_err,     isc_io_close_err,      isc_io_read_err,       isc_io_write_err,
    isc_io_access_err,   isc_sys_request,       isc_dsql_relation_err, isc_dsql_procedure_err,
    isc_dsql_field_err,  isc_dsql_function_err, isc_relnotdef,         isc_fldnotdef,
    isc_prcnotdef,       isc_funnotdef,         isc_no_priv,
};

template <std::size_t N> bool AnyOf(const std::vector<long>& codes, const long (&among)[N]) {
    return std::any_of(codes.begin(), codes.end(), [&](long code) {
        return std::find(std::begin(among), std::end(among), code) != std::end(among);
    });
}

DbError::Reach ReachOf(const std::vector<long>& codes) {
    return AnyOf(codes, kConnectionCodes) || AnyOf(codes, kDatabaseCodes)
               ? DbError::Reach::Database
               : DbError::Reach::Statement;
}

} // namespace

DbError::DbError(const std::string& message, long gdsCode, std::string sqlState,
                 std::vector<long> codes)
    : std::runtime_error(message), GdsCode(gdsCode), SqlState(std::move(sqlState)),
      Codes(std::move(codes)), Scope(ReachOf(Codes)) {}

DbError::DbError(const std::string& message, Reach reach)
    : std::runtime_error(message), GdsCode(0), Scope(reach) {}

DbError DbError::FromStatus(const Firebird::IStatus* status) {
    auto* st = const_cast<Firebird::IStatus*>(status);
    char message[4096] = {};
    FbClient::Util()->formatStatus(message, sizeof(message) - 1, st);
    const ISC_STATUS* errors = st->getErrors();
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, errors);
    std::vector<long> codes;
    for (const ISC_STATUS* p = errors; *p != isc_arg_end; p += 2) {
        if (*p == isc_arg_gds) codes.push_back(static_cast<long>(p[1]));
        // A string argument with an explicit length takes one more slot.
        if (*p == isc_arg_cstring) ++p;
    }
    long gds = (errors[0] == isc_arg_gds) ? static_cast<long>(errors[1]) : 0;
    std::string text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return DbError(text, gds, state, std::move(codes));
}

bool DbError::Conflict() const {
    for (long code : Codes)
        if (code == isc_unique_key_violation || code == isc_no_dup || code == isc_deadlock ||
            code == isc_lock_conflict || code == isc_update_conflict)
            return true;
    return false;
}

bool DbError::ConnectionLost(const std::exception& failure) {
    const auto* error = dynamic_cast<const DbError*>(&failure);
    return error && AnyOf(error->Codes, kConnectionCodes);
}

std::string DbError::StatementNote(const std::exception& failure) {
    const auto* error = dynamic_cast<const DbError*>(&failure);
    return error && !error->Sql.empty() ? " (in: " + error->Sql + ")" : std::string();
}

DbError DbError::LostConnection() {
    return DbError("connection lost to database", isc_conn_lost, "08006", {isc_conn_lost});
}

bool DbError::ReachesDatabase(const std::exception& failure) {
    const auto* error = dynamic_cast<const DbError*>(&failure);
    return error && error->Scope == Reach::Database;
}
