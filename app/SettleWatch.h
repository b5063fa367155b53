#pragma once
// Which of the files a run is to take their writers are done with. Senders write into the
// exchange folder while runs start, so a file is taken only once its size and modification time
// have stayed the same for the settle time. Ages are measured on the folder's own clock: a share
// whose clock is off neither hurries nor delays a file.
#include "app/TF_INView.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class SettleWatch {
public:
    using Clock = std::chrono::system_clock;
    using Duration = std::chrono::milliseconds;

    static constexpr Duration DefaultSettle = std::chrono::seconds(5);
    // A table whose header disagrees with its size counts as being written while it changed
    // within this time, and as damaged once it has stayed so longer.
    static constexpr Duration DamageAge = std::chrono::minutes(5);
    // The settle time the environment variable INZEFOR_SETTLE sets (seconds), or the default.
    static Duration FromEnvironment();
    // A number of seconds from 0 to 3600, fractions allowed; nothing when text is none.
    static std::optional<Duration> Parse(const std::string& seconds);

    struct Result {
        std::vector<std::string> Taken;  // in the order given
        std::vector<std::string> Left;   // still being written: left for a later run
        std::vector<std::string> Why;    // the notice for each file left
        std::vector<std::string> Waited; // changed too recently to be taken at once
        bool Stopped = false;            // a stop was asked for while the run waited
    };

    // tables: the files are dBase tables, whose header is held against their size. A settle time
    // of 0 takes every file as it is.
    SettleWatch(TF_INView& view, Duration settle, bool tables);

    // Watches the files of folder together, for at most three settle times. folderNow is asked
    // once, only when the settle time is not 0.
    Result Watch(const std::string& folder, const std::vector<std::string>& names,
                 const std::function<Clock::time_point()>& folderNow);

private:
    struct Seen {
        std::string Name;
        std::uintmax_t Size = 0;
        Clock::time_point Modified;
        std::chrono::steady_clock::time_point Since; // when this size and time were first seen
        bool Gone = false;
    };

    // Looks at the file again; false when its size or time changed since.
    bool Unchanged(Seen& file) const;
    // A settled file: taken, unless it is a table that does not yet hold what its header says.
    void Decide(const Seen& file, Clock::duration age, Result& result) const;
    // Waits on the recent files until each has settled, the watch ends, or a stop is asked for.
    void WaitFor(std::vector<Seen>& recent, Result& result) const;

    TF_INView& view_;
    Duration settle_;
    bool tables_;
    std::string folder_;
    Clock::time_point folderStart_;
    std::chrono::steady_clock::time_point start_;
};
