#include "db/CallWatch.h"

#include "db/FbClient.h"

#include <future>

using namespace std::chrono_literals;

CallWatch::CallWatch(Firebird::IAttachment* attachment, std::string database,
                     std::chrono::seconds timeout, std::function<void(std::chrono::seconds)> probe)
    : attachment_(attachment), database_(std::move(database)), timeout_(timeout),
      probe_(std::move(probe)), thread_([this] { Watch(); }) {}

CallWatch::~CallWatch() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void CallWatch::Arm() {
    std::lock_guard lock(mutex_);
    ++depth_;
    ++calls_;
    started_ = Clock::now();
    nextLook_ = timeout_;
}

bool CallWatch::Disarm() {
    std::lock_guard lock(mutex_);
    --depth_;
    return cut_;
}

DbError CallWatch::Silence() const {
    std::lock_guard lock(mutex_);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(silence_).count();
    return DbError("No answer from the database " + database_ + " for " + std::to_string(seconds) +
                       " s (timeout " + std::to_string(timeout_.count()) +
                       " s): the connection is taken as lost",
                   isc_conn_lost, "08006", {isc_conn_lost});
}

void CallWatch::Watch() {
    const auto tick = std::clamp<Clock::duration>(timeout_ / 10, 100ms, 1s);
    const auto bound = std::min<std::chrono::seconds>(timeout_, 10s);
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, tick);
        if (stop_ || depth_ == 0 || cut_) continue;
        const auto waited = Clock::now() - started_;
        if (waited < nextLook_) continue;
        const long call = calls_;
        lock.unlock();
        const bool alive = waited < kPatience * timeout_ && Answers(bound);
        lock.lock();
        if (depth_ == 0 || calls_ != call) continue;
        if (alive)
            nextLook_ = waited + timeout_;
        else
            Cut(Clock::now() - started_);
    }
}

// On a thread of its own, so that a probe that outlasts its bound does not hold the watch; it
// ends by itself once the client gives up its attach.
bool CallWatch::Answers(std::chrono::seconds bound) const {
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> answered = answer->get_future();
    std::thread([answer, probe = probe_, bound] {
        try {
            probe(bound);
            answer->set_value(true);
        } catch (const std::exception&) {
            answer->set_value(false);
        }
    }).detach();
    return answered.wait_for(bound + 2s) == std::future_status::ready && answered.get();
}

// Under the lock, so that the call cannot end and its connection go meanwhile. The client
// closes the connection under the blocked call; nothing more goes over it.
void CallWatch::Cut(Clock::duration waited) {
    cut_ = true;
    silence_ = waited;
    FbHandle<Firebird::IStatus> status(FbClient::Master()->getStatus());
    Firebird::CheckStatusWrapper wrapper(status.get());
    attachment_->cancelOperation(&wrapper, fb_cancel_abort);
}
