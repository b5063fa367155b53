#pragma once
// A named object with an owner, as the window's parts are: message sender lines and the
// query's log folder are found through the owner chain.
#include <string>

class Component {
public:
    explicit Component(std::string name = {}, Component* owner = nullptr)
        : Name(std::move(name)), Owner(owner) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    std::string Name;
    Component* Owner;
};
