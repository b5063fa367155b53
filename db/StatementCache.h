#pragma once
// The statements prepared on one attachment, keyed by their text, so a statement run once per row
// is prepared only once. The least recently used go when the cache is full; all go on disconnect.
#include "db/PreparedStatement.h"

#include <list>
#include <memory>
#include <string>
#include <unordered_map>

class StatementCache {
public:
    // use: the connection's, which its statements share.
    explicit StatementCache(ConnectionUse& use, std::size_t capacity = 256)
        : use_(use), capacity_(capacity) {}

    // The statement for this text, prepared now if it is not held. The reference stays valid
    // until the next Get or Clear.
    PreparedStatement& Get(Firebird::IAttachment* attachment, Firebird::ITransaction* transaction,
                           const std::string& sql);
    // The statement for this text if it is held; nullptr otherwise.
    PreparedStatement* Find(const std::string& sql);
    void Clear();
    std::size_t Size() const { return entries_.size(); }
    // How many statements were prepared since the cache was made.
    long PrepareCount() const { return prepareCount_; }

private:
    using Entry = std::pair<std::string, std::unique_ptr<PreparedStatement>>;
    ConnectionUse& use_;
    std::size_t capacity_;
    std::list<Entry> entries_; // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    long prepareCount_ = 0;
};
