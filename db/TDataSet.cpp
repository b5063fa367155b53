#include "db/TDataSet.h"

#include <algorithm>

TDataSet::TDataSet(std::string name, Component* owner) : Component(std::move(name), owner) {}

TDataSet::~TDataSet() {
    // A listener may unregister itself while being told, so work on a copy.
    std::vector<TDataSet*> listeners = std::move(listeners_);
    listeners_.clear();
    for (TDataSet* l : listeners) {
        l->RemoveFreeNotification(this);
        l->Notification(this);
    }
}

void TDataSet::FreeNotification(TDataSet* listener) {
    if (!listener || listener == this) return;
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
    // Both ways, so whichever goes first tells the other.
    if (std::find(listener->listeners_.begin(), listener->listeners_.end(), this) ==
        listener->listeners_.end())
        listener->listeners_.push_back(this);
}

void TDataSet::RemoveFreeNotification(TDataSet* listener) {
    std::erase(listeners_, listener);
}
