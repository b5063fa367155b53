#include "db/ConnectionUse.h"

#include "db/CallWatch.h"

ConnectionUse::Watched::Watched(CallWatch* watch) : watch_(watch) {
    if (watch_) watch_->Arm();
}

ConnectionUse::Watched::~Watched() {
    if (watch_) watch_->Disarm();
}

bool ConnectionUse::Watched::Cut() {
    CallWatch* watch = std::exchange(watch_, nullptr);
    return watch && watch->Disarm();
}

void ConnectionUse::Failed(DbError& error, Watched& watched, std::string_view statement) {
    // The client's own words for a connection the watch cut say nothing of the silence.
    if (watched.Cut()) error = Watch->Silence();
    if (DbError::ConnectionLost(error)) Lost = true;
    if (error.Sql.empty()) error.Sql = statement;
}
