#pragma once
// An ordered list of parameters, looked up by name without regard to letter case. Copying a list
// copies names, kinds and values.
#include "db/TParam.h"

#include <memory>
#include <string>
#include <vector>

class TParams {
public:
    TParams() = default;
    TParams(const TParams& other);
    TParams& operator=(const TParams& other);

    int Count() const { return static_cast<int>(items_.size()); }
    TParam& operator[](int index) { return *items_.at(index); }
    const TParam& operator[](int index) const { return *items_.at(index); }

    // nullptr when there is none.
    TParam* FindParam(const std::string& name) const;
    // Throws DbError naming the parameter when there is none.
    TParam& ParamByName(const std::string& name) const;

    // Adds a parameter (or returns the one of that name already there).
    TParam& Add(const std::string& name, TParamType type = TParamType::Unknown);
    void Clear() { items_.clear(); }
    // Rebuilds the list to the given names, in order, keeping the value of every name that was
    // already present.
    void Rebuild(const std::vector<std::string>& names);
    // Gives each parameter of this list the value of the same-named parameter of the other list;
    // names missing from this list are ignored.
    void AssignValues(const TParams& other);

private:
    std::vector<std::unique_ptr<TParam>> items_;
};
