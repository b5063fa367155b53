#pragma once
// What the calls over one connection share: how many round trips they made, and whether the
// server has cut the connection. Once it has, nothing more is sent over it, not even a rollback
// or a detach: the server rolls back with the attachment, and a request over what is left of the
// connection can wait for an answer that never comes.
#include "db/FbClient.h"

#include <string_view>
#include <utility>

class CallWatch;

struct ConnectionUse {
    long RoundTrips = 0;
    bool Lost = false;
    // Bounds every call while the connection has one (a server connection); see CallWatch.
    CallWatch* Watch = nullptr;

    // The funnel of every call over this connection: FbClient::Call, refused once the connection
    // is lost, counting the round trips the call makes, noting a failure that says the connection
    // is lost, and naming the statement a failure came from.
    template <class F> auto Call(long trips, F&& f, std::string_view statement = {}) {
        if (Lost) throw DbError::LostConnection();
        RoundTrips += trips;
        Watched watched(Watch);
        try {
            return FbClient::Call(std::forward<F>(f));
        } catch (DbError& e) {
            Failed(e, watched, statement);
            throw;
        }
    }

private:
    // Arms the watch for the length of one call.
    class Watched {
    public:
        explicit Watched(CallWatch* watch);
        ~Watched();
        Watched(const Watched&) = delete;
        Watched& operator=(const Watched&) = delete;
        // Ends the watch early; true when the watch cut the connection under the call.
        bool Cut();

    private:
        CallWatch* watch_;
    };

    void Failed(DbError& error, Watched& watched, std::string_view statement);
};
