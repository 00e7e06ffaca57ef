#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

// Owners for what GLib and GObject hand out, and nothing more: the view site's server
// (libsoup, no toolkit) holds its objects with these as the desktop code does.
namespace platform::glib {

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

struct GErrorFree {
    void operator()(GError* error) const {
        if (error != nullptr) {
            g_error_free(error);
        }
    }
};
// Owns an error a GLib call reported.
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
// Owns a string GLib allocated.
using GCharsPtr = std::unique_ptr<gchar, GFree>;

struct GStrvFree {
    void operator()(GStrv strings) const { g_strfreev(strings); }
};
// Owns a null-terminated array of strings GLib allocated (an environment, say).
using GStrvPtr = std::unique_ptr<gchar*, GStrvFree>;

}  // namespace platform::glib
