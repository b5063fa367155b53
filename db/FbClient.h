#pragma once
// The entry points of the Firebird client library, the one place where its exceptions turn into
// DbError, and the one way its interfaces are let go: FbHandle.
#include "db/DbError.h"

#include <firebird/Interface.h>

#include <memory>

// Lets a Firebird interface go the way its kind needs. Never throws: a transaction still active
// is rolled back, a statement freed, a cursor or blob closed, an attachment detached; when that
// fails (a lost connection) only the reference is dropped. The rest is released or disposed.
struct FbDelete {
    void operator()(Firebird::IAttachment* attachment) const;
    void operator()(Firebird::ITransaction* transaction) const;
    void operator()(Firebird::IStatement* statement) const;
    void operator()(Firebird::IResultSet* cursor) const;
    void operator()(Firebird::IBlob* blob) const;
    void operator()(Firebird::IReferenceCounted* object) const;
    void operator()(Firebird::IDisposable* object) const;
};

template <class T> using FbHandle = std::unique_ptr<T, FbDelete>;

class FbClient {
public:
    static Firebird::IMaster* Master();
    static Firebird::IUtil* Util();

    // Runs f(status) with a throwing status wrapper; a failure comes out as DbError.
    template <class F> static auto Call(F&& f) {
        FbHandle<Firebird::IStatus> status(Master()->getStatus());
        Firebird::ThrowStatusWrapper wrapper(status.get());
        try {
            return f(wrapper);
        } catch (const Firebird::FbException& e) {
            throw DbError::FromStatus(e.getStatus());
        }
    }

    // For a handle that a successful commit, rollback, detach, drop, free or close has already
    // let go, or one of a connection the server has cut (see ConnectionUse): forgets it without
    // a call.
    template <class T> static void Ended(FbHandle<T>& handle) { (void)handle.release(); }
};
