#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

namespace platform::gtk {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) {
            g_object_unref(object);
        }
    }
};

// Owns one reference to a GObject.
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes over a reference the caller already owns (a "transfer full" return).
template <class T>
GObjectPtr<T> adoptGObject(T* object) {
    return GObjectPtr<T>(object);
}

// Owns a floating reference: sinks it, so the holder keeps the object alive even
// after a container that took it lets it go.
template <class T>
GObjectPtr<T> retainFloating(T* object) {
    return GObjectPtr<T>(static_cast<T*>(g_object_ref_sink(object)));
}

}  // namespace platform::gtk
