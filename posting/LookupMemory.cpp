#include "posting/LookupMemory.h"

#include "db/TEQuery.h"

void LookupMemory::Open(TEQuery& query, const std::string& sql,
                        std::initializer_list<query_steps::TextParam> params) {
    IBQuery* backend = dynamic_cast<IBQuery*>(query.XQuery());
    // The query lends its answers only for this one open: it also runs what is never kept.
    struct Lent {
        IBQuery* query;
        ~Lent() {
            if (query) query->SetAnswers(nullptr);
        }
    } lent{backend};
    if (backend) backend->SetAnswers(&answers_);
    query_steps::OpenLookup(query, sql, params);
}
