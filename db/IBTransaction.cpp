#include "db/IBTransaction.h"

#include "db/FbClient.h"
#include "db/IBDatabase.h"
#include "db/TDataSet.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

using namespace Firebird;

namespace {

struct TpbName {
    const char* name;
    unsigned char tag;
    bool number;
};

constexpr TpbName kTpbNames[] = {
    {"read_committed", isc_tpb_read_committed, false},
    {"rec_version", isc_tpb_rec_version, false},
    {"no_rec_version", isc_tpb_no_rec_version, false},
    {"nowait", isc_tpb_nowait, false},
    {"wait", isc_tpb_wait, false},
    {"concurrency", isc_tpb_concurrency, false},
    {"consistency", isc_tpb_consistency, false},
    {"read", isc_tpb_read, false},
    {"write", isc_tpb_write, false},
    {"autocommit", isc_tpb_autocommit, false},
    {"no_auto_undo", isc_tpb_no_auto_undo, false},
    {"ignore_limbo", isc_tpb_ignore_limbo, false},
    {"restart_requests", isc_tpb_restart_requests, false},
    {"lock_timeout", isc_tpb_lock_timeout, true},
};

} // namespace

struct IBTransaction::Impl {
    ITransaction* handle = nullptr;
    std::vector<TDataSet*> datasets;
    bool databaseGone = false;
};

IBTransaction::IBTransaction(IBDatabase& db, std::string name, Component* owner)
    : Component(std::move(name), owner), db_(db), impl_(std::make_unique<Impl>()) {
    db_.AddTransaction(this);
    if (!db_.DefaultTransaction) db_.DefaultTransaction = this;
}

IBTransaction::~IBTransaction() {
    if (impl_->databaseGone) return;
    try {
        if (InTransaction()) Rollback();
    } catch (const DbError&) {
    }
    if (db_.DefaultTransaction == this) db_.DefaultTransaction = nullptr;
    db_.RemoveTransaction(this);
}

void IBTransaction::DatabaseGone() {
    impl_->databaseGone = true;
    impl_->handle = nullptr;
}

void IBTransaction::CheckDatabase() const {
    if (impl_->databaseGone)
        throw DbError(Name + ": its database connection no longer exists",
                      DbError::Reach::Database);
}

void IBTransaction::StartTransaction() {
    CheckDatabase();
    if (InTransaction()) throw DbError(Name + ": a transaction is already active");
    if (!db_.Connected())
        throw DbError(Name + ": the database " + db_.Name + " is not connected",
                      DbError::Reach::Database);
    FbClient::Call([&](ThrowStatusWrapper& st) {
        IXpbBuilder* tpb = FbClient::Util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0);
        try {
            for (const std::string& line : Params) {
                if (text::Trim(line).empty()) continue;
                size_t eq = line.find('=');
                std::string name = text::LowerAscii(text::Trim(line.substr(0, eq)));
                if (name.rfind("isc_tpb_", 0) == 0) name = name.substr(8);
                const TpbName* found = nullptr;
                for (const TpbName& t : kTpbNames)
                    if (name == t.name) found = &t;
                if (!found)
                    throw DbError(Name + ": unknown transaction parameter in the line '" + line +
                                  "'");
                if (found->number) {
                    std::string digits =
                        eq == std::string::npos ? std::string() : text::Trim(line.substr(eq + 1));
                    char* end = nullptr;
                    long number = std::strtol(digits.c_str(), &end, 10);
                    if (digits.empty() || *end != '\0')
                        throw DbError(Name + ": the transaction parameter line '" + line +
                                      "' needs a whole number");
                    tpb->insertInt(&st, found->tag, static_cast<int>(number));
                } else {
                    tpb->insertTag(&st, found->tag);
                }
            }
            impl_->handle = db_.Attachment()->startTransaction(&st, tpb->getBufferLength(&st),
                                                               tpb->getBuffer(&st));
        } catch (...) {
            tpb->dispose();
            throw;
        }
        tpb->dispose();
    });
}

void IBTransaction::End(bool commit) {
    CheckDatabase();
    if (!InTransaction()) throw DbError(Name + ": no transaction is active");
    // The rows read belong to the transaction that ends.
    for (TDataSet* ds : std::vector<TDataSet*>(impl_->datasets))
        ds->Close();
    if (commit) {
        // A failed commit leaves the transaction to be rolled back by the caller.
        FbClient::Call([&](ThrowStatusWrapper& st) { impl_->handle->commit(&st); });
        impl_->handle = nullptr;
        return;
    }
    CheckStatusWrapper st(FbClient::Master()->getStatus());
    impl_->handle->rollback(&st);
    if (st.getState() & IStatus::STATE_ERRORS) {
        // Whatever the failure (typically a lost connection), the handle is of no more use.
        DbError error = DbError::FromStatus(&st);
        impl_->handle->release();
        impl_->handle = nullptr;
        st.dispose();
        throw error;
    }
    st.dispose();
    impl_->handle = nullptr;
}

void IBTransaction::Commit() {
    End(true);
}

void IBTransaction::Rollback() {
    End(false);
}

void IBTransaction::CommitRetaining() {
    CheckDatabase();
    if (!InTransaction()) throw DbError(Name + ": no transaction is active");
    FbClient::Call([&](ThrowStatusWrapper& st) { impl_->handle->commitRetaining(&st); });
}

bool IBTransaction::InTransaction() const {
    return impl_->handle != nullptr;
}

ITransaction* IBTransaction::Handle() const {
    return impl_->handle;
}

void IBTransaction::ExecuteImmediate(const std::string& sql) {
    CheckDatabase();
    if (!db_.Connected()) db_.Connect();
    if (!InTransaction()) StartTransaction();
    FbClient::Call([&](ThrowStatusWrapper& st) {
        db_.Attachment()->execute(&st, impl_->handle, 0, sql.c_str(), SQL_DIALECT_V6, nullptr,
                                  nullptr, nullptr, nullptr);
    });
}

void IBTransaction::AddDataSet(TDataSet* dataset) {
    if (std::find(impl_->datasets.begin(), impl_->datasets.end(), dataset) == impl_->datasets.end())
        impl_->datasets.push_back(dataset);
}

void IBTransaction::RemoveDataSet(TDataSet* dataset) {
    std::erase(impl_->datasets, dataset);
}
