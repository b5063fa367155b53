#include "db/TParams.h"

#include "db/DbError.h"
#include "platform/Text.h"

TParams::TParams(const TParams& other) {
    *this = other;
}

TParams& TParams::operator=(const TParams& other) {
    if (this == &other) return *this;
    items_.clear();
    for (const auto& p : other.items_)
        items_.push_back(std::make_unique<TParam>(*p));
    return *this;
}

TParam* TParams::FindParam(const std::string& name) const {
    for (const auto& p : items_)
        if (text::SameTextAscii(p->Name(), name)) return p.get();
    return nullptr;
}

TParam& TParams::ParamByName(const std::string& name) const {
    TParam* p = FindParam(name);
    if (!p) throw DbError("Parameter '" + name + "' not found");
    return *p;
}

TParam& TParams::Add(const std::string& name, TParamType type) {
    if (TParam* p = FindParam(name)) return *p;
    items_.push_back(std::make_unique<TParam>(name, type));
    return *items_.back();
}

void TParams::Rebuild(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<TParam>> old = std::move(items_);
    items_.clear();
    for (const std::string& name : names) {
        if (FindParam(name)) continue;
        std::unique_ptr<TParam> kept;
        for (auto& p : old)
            if (p && text::SameTextAscii(p->Name(), name)) kept = std::move(p);
        items_.push_back(kept ? std::move(kept) : std::make_unique<TParam>(name));
    }
}

void TParams::AssignValues(const TParams& other) {
    for (const auto& p : other.items_)
        if (TParam* mine = FindParam(p->Name())) mine->SetValue(p->Value());
}
