#pragma once
// Bounds the calls over one server connection. A call that gets no answer within the timeout
// (a network that drops packets, a server that hangs) is cut: the client closes the connection
// under it, and the call fails as a lost connection. A slow database is not a silent one: before
// cutting, the watch asks it over a second connection whether it answers; one that does lets the
// call go on, up to kPatience timeouts in all. One thread per connection; a call only notes its
// start and end.
#include "db/DbError.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Firebird {
class IAttachment;
}

class CallWatch {
public:
    using Clock = std::chrono::steady_clock;
    // How long a call of a database that answers otherwise may go on, in timeouts.
    static constexpr int kPatience = 10;

    // probe attaches anew within the bound it is given and throws when it cannot.
    CallWatch(Firebird::IAttachment* attachment, std::string database, std::chrono::seconds timeout,
              std::function<void(std::chrono::seconds bound)> probe);
    ~CallWatch();
    CallWatch(const CallWatch&) = delete;
    CallWatch& operator=(const CallWatch&) = delete;

    // Around every call (calls may nest: a blob read inside a fetch).
    void Arm();
    // True once the watch has cut the connection.
    bool Disarm();
    // What a call that the watch cut fails with: how long which database was silent.
    DbError Silence() const;

private:
    void Watch();
    bool Answers(std::chrono::seconds bound) const;
    void Cut(Clock::duration waited);

    Firebird::IAttachment* attachment_;
    const std::string database_;
    const std::chrono::seconds timeout_;
    const std::function<void(std::chrono::seconds)> probe_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    int depth_ = 0;
    long calls_ = 0; // names the call in flight
    Clock::time_point started_;
    Clock::duration nextLook_{};
    bool cut_ = false;
    Clock::duration silence_{};
    bool stop_ = false;
    std::thread thread_; // last: it starts on the members above
};
