#include "db/StatementCache.h"

PreparedStatement& StatementCache::Get(Firebird::IAttachment* attachment,
                                       Firebird::ITransaction* transaction,
                                       const std::string& sql) {
    auto found = index_.find(sql);
    if (found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return *found->second->second;
    }
    auto statement = std::make_unique<PreparedStatement>(attachment, transaction, sql, use_);
    ++prepareCount_;
    if (entries_.size() >= capacity_ && !entries_.empty()) {
        index_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(sql, std::move(statement));
    index_[sql] = entries_.begin();
    return *entries_.front().second;
}

PreparedStatement* StatementCache::Find(const std::string& sql) {
    auto found = index_.find(sql);
    return found == index_.end() ? nullptr : found->second->second.get();
}

void StatementCache::Clear() {
    index_.clear();
    entries_.clear();
}
