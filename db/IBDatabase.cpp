#include "db/IBDatabase.h"

#include "db/CallWatch.h"
#include "db/ConnectionUse.h"
#include "db/FbClient.h"
#include "db/IBTransaction.h"
#include "db/ParamBlock.h"
#include "db/StatementCache.h"
#include <algorithm>

using namespace Firebird;

namespace {

// The connection parameter names understood, as the client library names them (without the
// "isc_dpb_" in front).
constexpr ParamBlock::Name kDpbNames[] = {
    {"user_name", isc_dpb_user_name, ParamBlock::Kind::Text},
    {"user", isc_dpb_user_name, ParamBlock::Kind::Text},
    {"password", isc_dpb_password, ParamBlock::Kind::Text},
    {"password_enc", isc_dpb_password_enc, ParamBlock::Kind::Text},
    {"lc_ctype", isc_dpb_lc_ctype, ParamBlock::Kind::Text},
    {"lc_messages", isc_dpb_lc_messages, ParamBlock::Kind::Text},
    {"sql_role_name", isc_dpb_sql_role_name, ParamBlock::Kind::Text},
    {"set_db_charset", isc_dpb_set_db_charset, ParamBlock::Kind::Text},
    {"process_name", isc_dpb_process_name, ParamBlock::Kind::Text},
    {"auth_plugin_list", isc_dpb_auth_plugin_list, ParamBlock::Kind::Text},
    {"config", isc_dpb_config, ParamBlock::Kind::Text},
    {"sql_dialect", isc_dpb_sql_dialect, ParamBlock::Kind::Number},
    {"set_db_sql_dialect", isc_dpb_set_db_sql_dialect, ParamBlock::Kind::Number},
    {"page_size", isc_dpb_page_size, ParamBlock::Kind::Number},
    {"num_buffers", isc_dpb_num_buffers, ParamBlock::Kind::Number},
    {"force_write", isc_dpb_force_write, ParamBlock::Kind::Number},
    {"sweep_interval", isc_dpb_sweep_interval, ParamBlock::Kind::Number},
    {"connect_timeout", isc_dpb_connect_timeout, ParamBlock::Kind::Number},
    {"dummy_packet_interval", isc_dpb_dummy_packet_interval, ParamBlock::Kind::Number},
    {"set_page_buffers", isc_dpb_set_page_buffers, ParamBlock::Kind::Number},
    {"set_db_readonly", isc_dpb_set_db_readonly, ParamBlock::Kind::Number},
    {"no_reserve", isc_dpb_no_reserve, ParamBlock::Kind::Number},
    {"no_garbage_collect", isc_dpb_no_garbage_collect, ParamBlock::Kind::Flag},
    {"no_db_triggers", isc_dpb_no_db_triggers, ParamBlock::Kind::Flag},
    {"utf8_filename", isc_dpb_utf8_filename, ParamBlock::Kind::Flag},
};

// A name the client sends to a server: "host:path", "host/port:path", never "c:\\path".
bool OnServer(const std::string& name) {
    const std::size_t colon = name.find(':');
    return colon != std::string::npos && colon > 1 && name.front() != '/';
}

// Attaches anew with the same name and parameters, its attach bounded by bound.
void Probe(const std::string& name, std::vector<std::string> params, std::chrono::seconds bound) {
    IBDatabase probe("Probe");
    probe.DatabaseName = name;
    std::erase_if(params, [](const std::string& p) { return p.starts_with("connect_timeout="); });
    params.push_back("connect_timeout=" + std::to_string(bound.count()));
    probe.Params = std::move(params);
    probe.Timeout = std::chrono::seconds(0);
    probe.Connect();
}

void (*signalNotify)() = nullptr;

int OnShutdown(const int reason, const int mask, void*) {
    if (!(mask & fb_shut_confirmation) || reason != fb_shutrsn_signal || !signalNotify) return 0;
    signalNotify();
    return 1; // anything but 0 cancels the shutdown
}

} // namespace

struct IBDatabase::Impl {
    // Declared before the attachment, so that it outlives it.
    FbHandle<IProvider> provider;
    FbHandle<IAttachment> attachment;
    ConnectionUse use;
    // After the attachment: it goes first.
    std::unique_ptr<CallWatch> watch;
    StatementCache statements{use};
    std::vector<IBTransaction*> transactions;
};

IBDatabase::IBDatabase(std::string name, Component* owner)
    : Component(std::move(name), owner), impl_(std::make_unique<Impl>()) {}

IBDatabase::~IBDatabase() {
    Disconnect();
    for (IBTransaction* t : impl_->transactions)
        t->DatabaseGone();
}

void IBDatabase::Connect() {
    if (Connected()) return;
    Attach(false);
}

void IBDatabase::CreateDatabase() {
    if (Connected()) throw DbError(Name + ": already connected");
    Attach(true);
}

void IBDatabase::Attach(bool create) {
    if (DatabaseName.empty()) throw DbError(Name + ": no database name is set");
    const bool bounded = Timeout.count() > 0 && OnServer(DatabaseName);
    const auto started = std::chrono::steady_clock::now();
    try {
        AttachNow(create, bounded);
    } catch (const DbError& e) {
        const auto waited = std::chrono::steady_clock::now() - started;
        if (!bounded || waited + std::chrono::milliseconds(500) < Timeout) throw;
        throw DbError("No answer from the database " + DatabaseName + " for " +
                          std::to_string(Timeout.count()) + " s to the attach: " + e.what(),
                      isc_net_connect_err, "08001", {isc_net_connect_err});
    }
    if (bounded) Watch();
}

void IBDatabase::AttachNow(bool create, bool bounded) {
    FbClient::Call([&](ThrowStatusWrapper& st) {
        FbHandle<IXpbBuilder> dpb =
            ParamBlock::Build(st, IXpbBuilder::DPB, kDpbNames, Params, Name);
        if (!dpb->findFirst(&st, isc_dpb_sql_dialect))
            dpb->insertInt(&st, isc_dpb_sql_dialect, SQL_DIALECT_V6);
        // A server that takes the connection but never answers the attach.
        if (bounded && !dpb->findFirst(&st, isc_dpb_connect_timeout))
            dpb->insertInt(&st, isc_dpb_connect_timeout, static_cast<int>(Timeout.count()));
        FbHandle<IProvider> provider(FbClient::Master()->getDispatcher());
        const unsigned length = dpb->getBufferLength(&st);
        const unsigned char* buffer = dpb->getBuffer(&st);
        impl_->attachment.reset(
            create ? provider->createDatabase(&st, DatabaseName.c_str(), length, buffer)
                   : provider->attachDatabase(&st, DatabaseName.c_str(), length, buffer));
        impl_->provider = std::move(provider);
    });
}

void IBDatabase::Watch() {
    impl_->watch = std::make_unique<CallWatch>(
        impl_->attachment.get(), DatabaseName, Timeout,
        [name = DatabaseName, params = Params](std::chrono::seconds bound) {
            Probe(name, params, bound);
        });
    impl_->use.Watch = impl_->watch.get();
}

void IBDatabase::Unwatch() {
    impl_->use.Watch = nullptr;
    impl_->watch.reset();
}

void IBDatabase::DropDatabase() {
    if (!Connected()) throw DbError(Name + ": not connected");
    for (IBTransaction* t : impl_->transactions)
        if (t->InTransaction()) t->Rollback();
    impl_->statements.Clear();
    // A drop that succeeds lets the attachment go; the watch may still cut it meanwhile.
    FbHandle<IReferenceCounted> kept(impl_->attachment.get());
    impl_->attachment->addRef();
    impl_->use.Call(0, [&](ThrowStatusWrapper& st) { impl_->attachment->dropDatabase(&st); });
    Unwatch();
    FbClient::Ended(impl_->attachment);
    impl_->provider.reset();
}

void IBDatabase::Disconnect() {
    if (!Connected()) return;
    for (IBTransaction* t : impl_->transactions) {
        try {
            if (t->InTransaction()) t->Rollback();
        } catch (const DbError&) {
            // The handle is gone either way.
        }
    }
    // Nothing is said over a connection the server has cut (see ConnectionUse), whether it was
    // lost before or found lost by those rollbacks: the transactions forgot themselves, and so
    // do the statements and the attachment.
    impl_->statements.Clear();
    if (impl_->use.Lost)
        FbClient::Ended(impl_->attachment);
    else
        Detach();
    Unwatch();
    impl_->use.Lost = false;
    impl_->provider.reset();
}

// The detach is a call too, watched like the others. It lets the attachment go when it succeeds,
// so the watch's reference keeps it for a cut until the watch has ended.
void IBDatabase::Detach() {
    if (!impl_->watch) {
        impl_->attachment.reset();
        return;
    }
    FbHandle<IReferenceCounted> kept(impl_->attachment.get());
    impl_->attachment->addRef();
    impl_->watch->Arm();
    impl_->attachment.reset();
    impl_->watch->Disarm();
    Unwatch();
}

void IBDatabase::KeepConnectionsOnSignal(void (*notify)()) {
    signalNotify = notify;
    ISC_STATUS_ARRAY status;
    fb_shutdown_callback(status, OnShutdown, fb_shut_confirmation, nullptr);
}

bool IBDatabase::Connected() const {
    return impl_->attachment != nullptr;
}

bool IBDatabase::Lost() const {
    return impl_->use.Lost;
}

IAttachment* IBDatabase::Attachment() const {
    return impl_->attachment.get();
}

StatementCache& IBDatabase::Statements() {
    return impl_->statements;
}

long IBDatabase::RoundTrips() const {
    return impl_->use.RoundTrips;
}

ConnectionUse& IBDatabase::Use() {
    return impl_->use;
}

void IBDatabase::AddTransaction(IBTransaction* transaction) {
    if (std::find(impl_->transactions.begin(), impl_->transactions.end(), transaction) ==
        impl_->transactions.end())
        impl_->transactions.push_back(transaction);
}

void IBDatabase::RemoveTransaction(IBTransaction* transaction) {
    std::erase(impl_->transactions, transaction);
}
