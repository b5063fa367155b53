#include "db/DbError.h"

#include "db/FbClient.h"

#include <firebird/Interface.h>

DbError DbError::FromStatus(const Firebird::IStatus* status) {
    auto* st = const_cast<Firebird::IStatus*>(status);
    char message[4096] = {};
    FbClient::Util()->formatStatus(message, sizeof(message) - 1, st);
    const ISC_STATUS* errors = st->getErrors();
    char state[FB_SQLSTATE_SIZE] = {};
    fb_sqlstate(state, errors);
    long gds = (errors[0] == isc_arg_gds) ? static_cast<long>(errors[1]) : 0;
    std::string text = message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return DbError(text, gds, state);
}
