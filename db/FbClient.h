#pragma once
// The entry points of the Firebird client library, and the one place where its exceptions turn
// into DbError.
#include "db/DbError.h"

#include <firebird/Interface.h>

#include <utility>

class FbClient {
public:
    static Firebird::IMaster* Master();
    static Firebird::IUtil* Util();

    // Runs f(status) with a throwing status wrapper; a failure comes out as DbError.
    template <class F> static auto Call(F&& f) {
        Firebird::ThrowStatusWrapper status(Master()->getStatus());
        struct Dispose {
            Firebird::ThrowStatusWrapper& s;
            ~Dispose() { s.dispose(); }
        } dispose{status};
        try {
            return f(status);
        } catch (const Firebird::FbException& e) {
            throw DbError::FromStatus(e.getStatus());
        }
    }
};
