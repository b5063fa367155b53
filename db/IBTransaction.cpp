#include "db/IBTransaction.h"

#include "db/ConnectionUse.h"
#include "db/IBDatabase.h"
#include "db/ParamBlock.h"
#include "db/TDataSet.h"

#include <algorithm>

using namespace Firebird;

namespace {

// The transaction parameter names understood, as the client library names them (without the
// "isc_tpb_" in front).
constexpr ParamBlock::Name kTpbNames[] = {
    {"read_committed", isc_tpb_read_committed, ParamBlock::Kind::Tag},
    {"rec_version", isc_tpb_rec_version, ParamBlock::Kind::Tag},
    {"no_rec_version", isc_tpb_no_rec_version, ParamBlock::Kind::Tag},
    {"nowait", isc_tpb_nowait, ParamBlock::Kind::Tag},
    {"wait", isc_tpb_wait, ParamBlock::Kind::Tag},
    {"concurrency", isc_tpb_concurrency, ParamBlock::Kind::Tag},
    {"consistency", isc_tpb_consistency, ParamBlock::Kind::Tag},
    {"read", isc_tpb_read, ParamBlock::Kind::Tag},
    {"write", isc_tpb_write, ParamBlock::Kind::Tag},
    {"autocommit", isc_tpb_autocommit, ParamBlock::Kind::Tag},
    {"no_auto_undo", isc_tpb_no_auto_undo, ParamBlock::Kind::Tag},
    {"ignore_limbo", isc_tpb_ignore_limbo, ParamBlock::Kind::Tag},
    {"restart_requests", isc_tpb_restart_requests, ParamBlock::Kind::Tag},
    {"lock_timeout", isc_tpb_lock_timeout, ParamBlock::Kind::Number},
};

} // namespace

struct IBTransaction::Impl {
    FbHandle<ITransaction> handle;
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
    impl_->handle.reset();
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
    db_.Use().Call(1, [&](ThrowStatusWrapper& st) {
        FbHandle<IXpbBuilder> tpb =
            ParamBlock::Build(st, IXpbBuilder::TPB, kTpbNames, Params, Name);
        impl_->handle.reset(db_.Attachment()->startTransaction(&st, tpb->getBufferLength(&st),
                                                               tpb->getBuffer(&st)));
    });
}

void IBTransaction::End(bool commit) {
    CheckDatabase();
    if (!InTransaction()) throw DbError(Name + ": no transaction is active");
    // The rows read belong to the transaction that ends.
    for (TDataSet* ds : std::vector<TDataSet*>(impl_->datasets))
        ds->Close();
    // Over a lost connection the server has rolled back already (see ConnectionUse).
    if (!commit && db_.Use().Lost) {
        Abandon();
        return;
    }
    // A failed commit leaves the transaction to be rolled back by the caller. A failed rollback
    // leaves a handle of no more use: it goes with the error, unsaid if the connection is lost.
    FbHandle<ITransaction> rollback = commit ? nullptr : std::move(impl_->handle);
    try {
        db_.Use().Call(1, [&](ThrowStatusWrapper& st) {
            if (commit)
                impl_->handle->commit(&st);
            else
                rollback->rollback(&st);
        });
    } catch (const DbError&) {
        if (db_.Use().Lost) FbClient::Ended(rollback);
        throw;
    }
    FbClient::Ended(commit ? impl_->handle : rollback);
}

void IBTransaction::Commit() {
    End(true);
}

void IBTransaction::Rollback() {
    End(false);
}

void IBTransaction::Abandon() {
    for (TDataSet* ds : std::vector<TDataSet*>(impl_->datasets))
        ds->Close();
    FbClient::Ended(impl_->handle);
}

void IBTransaction::CommitRetaining() {
    CheckDatabase();
    if (!InTransaction()) throw DbError(Name + ": no transaction is active");
    db_.Use().Call(1, [&](ThrowStatusWrapper& st) { impl_->handle->commitRetaining(&st); });
}

bool IBTransaction::InTransaction() const {
    return impl_->handle != nullptr;
}

ITransaction* IBTransaction::Handle() const {
    return impl_->handle.get();
}

void IBTransaction::ExecuteImmediate(const std::string& sql) {
    CheckDatabase();
    if (!db_.Connected()) db_.Connect();
    if (!InTransaction()) StartTransaction();
    db_.Use().Call(
        1,
        [&](ThrowStatusWrapper& st) {
            db_.Attachment()->execute(&st, impl_->handle.get(), 0, sql.c_str(), SQL_DIALECT_V6,
                                      nullptr, nullptr, nullptr, nullptr);
        },
        sql);
}

void IBTransaction::AddDataSet(TDataSet* dataset) {
    if (std::find(impl_->datasets.begin(), impl_->datasets.end(), dataset) == impl_->datasets.end())
        impl_->datasets.push_back(dataset);
}

void IBTransaction::RemoveDataSet(TDataSet* dataset) {
    std::erase(impl_->datasets, dataset);
}
