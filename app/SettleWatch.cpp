#include "app/SettleWatch.h"

#include "platform/CheckedPath.h"
#include "platform/DbfExtent.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

namespace {

using Steady = std::chrono::steady_clock;

std::string Seconds(SettleWatch::Clock::duration age) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(age).count();
    return std::to_string(std::max<long long>(seconds, 0));
}

} // namespace

SettleWatch::Duration SettleWatch::FromEnvironment() {
    const char* text = std::getenv("INZEFOR_SETTLE");
    const std::optional<Duration> settle = text ? Parse(text) : std::nullopt;
    return settle ? *settle : DefaultSettle;
}

std::optional<SettleWatch::Duration> SettleWatch::Parse(const std::string& seconds) {
    if (seconds.empty() || seconds.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(seconds.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value > 3600) return std::nullopt;
    return Duration(std::llround(value * 1000));
}

SettleWatch::SettleWatch(TF_INView& view, Duration settle, bool tables)
    : view_(view), settle_(settle), tables_(tables) {}

SettleWatch::Result SettleWatch::Watch(const std::string& folder,
                                       const std::vector<std::string>& names,
                                       const std::function<Clock::time_point()>& folderNow) {
    Result result;
    if (settle_.count() <= 0) {
        result.Taken = names;
        return result;
    }
    folder_ = folder;
    folderStart_ = folderNow();
    start_ = Steady::now();
    std::vector<Seen> recent;
    for (const std::string& name : names) {
        Seen file;
        file.Name = name;
        Unchanged(file);
        if (file.Gone) continue;
        const Clock::duration age = folderStart_ - file.Modified;
        if (age >= settle_) {
            Decide(file, age, result);
            continue;
        }
        recent.push_back(file);
        result.Waited.push_back(name);
    }
    WaitFor(recent, result);
    // Taken in the order listed, whichever settled first.
    std::vector<std::string> taken;
    for (const std::string& name : names)
        if (std::find(result.Taken.begin(), result.Taken.end(), name) != result.Taken.end())
            taken.push_back(name);
    result.Taken = std::move(taken);
    return result;
}

void SettleWatch::WaitFor(std::vector<Seen>& recent, Result& result) const {
    const auto poll = std::clamp(settle_ / 10, Duration(10), Duration(100));
    while (!recent.empty()) {
        view_.ProcessMessages();
        if (view_.StopRequested()) {
            result.Stopped = true;
            return;
        }
        if (Steady::now() - start_ >= 3 * settle_) break;
        std::this_thread::sleep_for(poll);
        std::erase_if(recent, [&](Seen& file) {
            if (!Unchanged(file)) return file.Gone;
            const Clock::duration age = folderStart_ + (Steady::now() - start_) - file.Modified;
            // Seen unchanged for the settle time counts too: the file's time may lie ahead.
            if (age < settle_ && Steady::now() - file.Since < settle_) return false;
            Decide(file, age, result);
            return true;
        });
    }
    for (const Seen& file : recent) {
        result.Left.push_back(file.Name);
        result.Why.push_back(file.Name + " is still being written (it changed in the last " +
                             Seconds(settle_) + " s): it is left for a later run.");
    }
}

bool SettleWatch::Unchanged(Seen& file) const {
    struct stat st {};
    const std::string host = CheckedPath(folder_).Entry(file.Name).Host().string();
    if (::stat(host.c_str(), &st) != 0) {
        // Taken away by someone else: nothing of this run's.
        file.Gone = true;
        return false;
    }
    const Clock::time_point modified(std::chrono::duration_cast<Clock::duration>(
        std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    if (file.Since != Steady::time_point{} && size == file.Size && modified == file.Modified)
        return true;
    file.Size = size;
    file.Modified = modified;
    file.Since = Steady::now();
    return false;
}

void SettleWatch::Decide(const Seen& file, Clock::duration age, Result& result) const {
    if (!tables_ || age >= DamageAge) {
        result.Taken.push_back(file.Name);
        return;
    }
    // A writer that pauses leaves a table whose records and header do not agree yet.
    const std::optional<DbfExtent> extent =
        DbfExtent::Read(CheckedPath(folder_).Entry(file.Name).Host());
    if (extent && !extent->Loose()) {
        result.Taken.push_back(file.Name);
        return;
    }
    result.Left.push_back(file.Name);
    result.Why.push_back(
        (extent ? extent->Describe(file.Name) : file.Name + " has no complete dBase header") +
        "; it changed " + Seconds(age) +
        " s ago and may still be being written: it is left for "
        "a later run.");
}
