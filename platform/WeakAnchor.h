#pragma once

#include <memory>

namespace platform {

// Lets deferred blocks refer to an object weakly: a block holds a WeakRef and
// finds nothing once the object (and with it its anchor) is gone.
template <class T>
class WeakRef {
public:
    explicit WeakRef(std::weak_ptr<T*> target) : target_(std::move(target)) {}
    T* lock() const {
        auto strong = target_.lock();
        return strong ? *strong : nullptr;
    }

private:
    std::weak_ptr<T*> target_;
};

template <class T>
class WeakAnchor {
public:
    explicit WeakAnchor(T* owner) : self_(std::make_shared<T*>(owner)) {}
    WeakAnchor(const WeakAnchor&) = delete;
    WeakAnchor& operator=(const WeakAnchor&) = delete;
    WeakRef<T> weak() const { return WeakRef<T>(self_); }

private:
    std::shared_ptr<T*> self_;
};

}  // namespace platform
