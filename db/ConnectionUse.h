#pragma once
// What the calls over one connection share: how many round trips they made, and whether the
// server has cut the connection. Once it has, nothing more is sent over it, not even a rollback
// or a detach: the server rolls back with the attachment, and a request over what is left of the
// connection can wait for an answer that never comes.
#include "db/FbClient.h"

#include <utility>

struct ConnectionUse {
    long RoundTrips = 0;
    bool Lost = false;

    // FbClient::Call over this connection: refused once it is lost, and noting a failure that
    // says it is.
    template <class F> auto Call(F&& f) {
        if (Lost) throw DbError::LostConnection();
        try {
            return FbClient::Call(std::forward<F>(f));
        } catch (const DbError& e) {
            if (DbError::ConnectionLost(e)) Lost = true;
            throw;
        }
    }
};
