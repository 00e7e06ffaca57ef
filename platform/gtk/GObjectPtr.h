#pragma once

#include "platform/glib/GLibPtr.h"

#include <cairo.h>

#include <memory>

// The desktop code's owners: GLib's (platform/glib/GLibPtr.h) and cairo's.
namespace platform::gtk {

using glib::adoptGObject;
using glib::GCharsPtr;
using glib::GErrorPtr;
using glib::GObjectPtr;
using glib::GStrvPtr;
using glib::retainFloating;

struct CairoSurfaceDestroy {
    void operator()(cairo_surface_t* surface) const {
        if (surface != nullptr) {
            cairo_surface_destroy(surface);
        }
    }
};
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceDestroy>;

struct CairoDestroy {
    void operator()(cairo_t* cr) const {
        if (cr != nullptr) {
            cairo_destroy(cr);
        }
    }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDestroy>;

}  // namespace platform::gtk
