#include "db/IBDatabase.h"

#include "db/FbClient.h"
#include "db/IBTransaction.h"
#include "db/StatementCache.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

using namespace Firebird;

namespace {

enum class ValueKind { Text, Number, Flag };

struct DpbName {
    const char* name;
    unsigned char tag;
    ValueKind kind;
};

// The connection parameter names understood, as the client library names them (without the
// "isc_dpb_" in front).
constexpr DpbName kDpbNames[] = {
    {"user_name", isc_dpb_user_name, ValueKind::Text},
    {"user", isc_dpb_user_name, ValueKind::Text},
    {"password", isc_dpb_password, ValueKind::Text},
    {"password_enc", isc_dpb_password_enc, ValueKind::Text},
    {"lc_ctype", isc_dpb_lc_ctype, ValueKind::Text},
    {"lc_messages", isc_dpb_lc_messages, ValueKind::Text},
    {"sql_role_name", isc_dpb_sql_role_name, ValueKind::Text},
    {"set_db_charset", isc_dpb_set_db_charset, ValueKind::Text},
    {"process_name", isc_dpb_process_name, ValueKind::Text},
    {"auth_plugin_list", isc_dpb_auth_plugin_list, ValueKind::Text},
    {"config", isc_dpb_config, ValueKind::Text},
    {"sql_dialect", isc_dpb_sql_dialect, ValueKind::Number},
    {"set_db_sql_dialect", isc_dpb_set_db_sql_dialect, ValueKind::Number},
    {"page_size", isc_dpb_page_size, ValueKind::Number},
    {"num_buffers", isc_dpb_num_buffers, ValueKind::Number},
    {"force_write", isc_dpb_force_write, ValueKind::Number},
    {"sweep_interval", isc_dpb_sweep_interval, ValueKind::Number},
    {"connect_timeout", isc_dpb_connect_timeout, ValueKind::Number},
    {"dummy_packet_interval", isc_dpb_dummy_packet_interval, ValueKind::Number},
    {"set_page_buffers", isc_dpb_set_page_buffers, ValueKind::Number},
    {"set_db_readonly", isc_dpb_set_db_readonly, ValueKind::Number},
    {"no_reserve", isc_dpb_no_reserve, ValueKind::Number},
    {"no_garbage_collect", isc_dpb_no_garbage_collect, ValueKind::Flag},
    {"no_db_triggers", isc_dpb_no_db_triggers, ValueKind::Flag},
    {"utf8_filename", isc_dpb_utf8_filename, ValueKind::Flag},
};

IXpbBuilder* BuildDpb(ThrowStatusWrapper& st, const std::string& owner,
                      const std::vector<std::string>& lines) {
    IXpbBuilder* dpb = FbClient::Util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    try {
        bool dialectGiven = false;
        for (const std::string& line : lines) {
            if (text::Trim(line).empty()) continue;
            size_t eq = line.find('=');
            std::string name = text::LowerAscii(text::Trim(line.substr(0, eq)));
            std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            if (name.rfind("isc_dpb_", 0) == 0) name = name.substr(8);
            const DpbName* found = nullptr;
            for (const DpbName& d : kDpbNames)
                if (name == d.name) found = &d;
            if (!found)
                throw DbError(owner + ": unknown connection parameter in the line '" + line + "'");
            switch (found->kind) {
            case ValueKind::Text:
                dpb->insertString(&st, found->tag, value.c_str());
                break;
            case ValueKind::Number: {
                std::string digits = text::Trim(value);
                char* end = nullptr;
                long number = std::strtol(digits.c_str(), &end, 10);
                if (digits.empty() || *end != '\0')
                    throw DbError(owner + ": the connection parameter line '" + line +
                                  "' needs a whole number");
                dpb->insertInt(&st, found->tag, static_cast<int>(number));
                if (found->tag == isc_dpb_sql_dialect) dialectGiven = true;
                break;
            }
            case ValueKind::Flag:
                dpb->insertInt(&st, found->tag, 1);
                break;
            }
        }
        if (!dialectGiven) dpb->insertInt(&st, isc_dpb_sql_dialect, SQL_DIALECT_V6);
    } catch (...) {
        dpb->dispose();
        throw;
    }
    return dpb;
}

void (*signalNotify)() = nullptr;

int OnShutdown(const int reason, const int mask, void*) {
    if (!(mask & fb_shut_confirmation) || reason != fb_shutrsn_signal || !signalNotify) return 0;
    signalNotify();
    return 1; // anything but 0 cancels the shutdown
}

} // namespace

struct IBDatabase::Impl {
    IProvider* provider = nullptr;
    IAttachment* attachment = nullptr;
    StatementCache statements;
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
    FbClient::Call([&](ThrowStatusWrapper& st) {
        IXpbBuilder* dpb = BuildDpb(st, Name, Params);
        IProvider* provider = FbClient::Master()->getDispatcher();
        try {
            const unsigned length = dpb->getBufferLength(&st);
            const unsigned char* buffer = dpb->getBuffer(&st);
            impl_->attachment =
                create ? provider->createDatabase(&st, DatabaseName.c_str(), length, buffer)
                       : provider->attachDatabase(&st, DatabaseName.c_str(), length, buffer);
        } catch (...) {
            dpb->dispose();
            provider->release();
            throw;
        }
        dpb->dispose();
        impl_->provider = provider;
    });
}

void IBDatabase::DropDatabase() {
    if (!Connected()) throw DbError(Name + ": not connected");
    for (IBTransaction* t : impl_->transactions)
        if (t->InTransaction()) t->Rollback();
    impl_->statements.Clear();
    FbClient::Call([&](ThrowStatusWrapper& st) {
        impl_->attachment->dropDatabase(&st);
        impl_->attachment = nullptr;
    });
    impl_->provider->release();
    impl_->provider = nullptr;
}

void IBDatabase::Disconnect() {
    if (!Connected()) return;
    for (IBTransaction* t : impl_->transactions) {
        try {
            if (t->InTransaction()) t->Rollback();
        } catch (const DbError&) {
            // A connection already lost cannot roll back; the handle is gone either way.
        }
    }
    impl_->statements.Clear();
    CheckStatusWrapper st(FbClient::Master()->getStatus());
    impl_->attachment->detach(&st);
    if (st.getState() & IStatus::STATE_ERRORS) impl_->attachment->release();
    st.dispose();
    impl_->attachment = nullptr;
    impl_->provider->release();
    impl_->provider = nullptr;
}

void IBDatabase::KeepConnectionsOnSignal(void (*notify)()) {
    signalNotify = notify;
    ISC_STATUS_ARRAY status;
    fb_shutdown_callback(status, OnShutdown, fb_shut_confirmation, nullptr);
}

bool IBDatabase::Connected() const {
    return impl_->attachment != nullptr;
}

IAttachment* IBDatabase::Attachment() const {
    return impl_->attachment;
}

StatementCache& IBDatabase::Statements() {
    return impl_->statements;
}

void IBDatabase::AddTransaction(IBTransaction* transaction) {
    if (std::find(impl_->transactions.begin(), impl_->transactions.end(), transaction) ==
        impl_->transactions.end())
        impl_->transactions.push_back(transaction);
}

void IBDatabase::RemoveTransaction(IBTransaction* transaction) {
    std::erase(impl_->transactions, transaction);
}
