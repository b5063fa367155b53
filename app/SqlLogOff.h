#pragma once
// A check writes no SQL log: while one of these lives, the posting queries log nowhere.
#include "posting/PostingQueries.h"

#include <string>
#include <utility>
#include <vector>

class SqlLogOff {
public:
    SqlLogOff(PostingQueries& queries, bool off) {
        if (!off) return;
        for (TEQuery* query : {&queries.Journals, &queries.Lookups, &queries.Duplicates,
                               &queries.Groups, &queries.VatAccount})
            saved_.emplace_back(query, std::exchange(query->LogFolder, std::string()));
    }
    ~SqlLogOff() {
        for (auto& [query, folder] : saved_)
            query->LogFolder = folder;
    }
    SqlLogOff(const SqlLogOff&) = delete;
    SqlLogOff& operator=(const SqlLogOff&) = delete;

private:
    std::vector<std::pair<TEQuery*, std::string>> saved_;
};
