#pragma once
// A reference that may be missing, as a look-up that "gives nothing" returns. Test it like a
// pointer; using a missing one through -> throws an error naming what was looked up instead of
// crashing.
#include "db/DbError.h"

#include <string>

template <class T> class NullableRef {
public:
    NullableRef() = default;
    NullableRef(T* target, std::string lookedUp = {})
        : target_(target), lookedUp_(std::move(lookedUp)) {}

    operator T*() const { return target_; }
    T* Get() const { return target_; }
    T* operator->() const {
        if (!target_) throw DbError("Not available: " + lookedUp_);
        return target_;
    }
    T& operator*() const { return *operator->(); }

private:
    T* target_ = nullptr;
    std::string lookedUp_;
};
