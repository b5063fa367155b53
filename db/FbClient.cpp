#include "db/FbClient.h"

using namespace Firebird;

namespace {

// Runs the call that ends an interface; when it fails, the interface is still held and only
// dropping the reference is left.
template <class T, class End> void EndOrRelease(T* object, End end) {
    FbHandle<IStatus> status(FbClient::Master()->getStatus());
    CheckStatusWrapper wrapper(status.get());
    end(object, &wrapper);
    if (wrapper.getState() & IStatus::STATE_ERRORS) object->release();
}

} // namespace

void FbDelete::operator()(IAttachment* attachment) const {
    EndOrRelease(attachment, [](IAttachment* a, CheckStatusWrapper* st) { a->detach(st); });
}

void FbDelete::operator()(ITransaction* transaction) const {
    EndOrRelease(transaction, [](ITransaction* t, CheckStatusWrapper* st) { t->rollback(st); });
}

void FbDelete::operator()(IStatement* statement) const {
    EndOrRelease(statement, [](IStatement* s, CheckStatusWrapper* st) { s->free(st); });
}

void FbDelete::operator()(IResultSet* cursor) const {
    EndOrRelease(cursor, [](IResultSet* c, CheckStatusWrapper* st) { c->close(st); });
}

void FbDelete::operator()(IBlob* blob) const {
    EndOrRelease(blob, [](IBlob* b, CheckStatusWrapper* st) { b->close(st); });
}

void FbDelete::operator()(IReferenceCounted* object) const {
    object->release();
}

void FbDelete::operator()(IDisposable* object) const {
    object->dispose();
}

IMaster* FbClient::Master() {
    static IMaster* master = fb_get_master_interface();
    return master;
}

IUtil* FbClient::Util() {
    static IUtil* util = Master()->getUtilInterface();
    return util;
}
