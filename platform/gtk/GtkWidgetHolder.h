#pragma once

#include "platform/Widget.h"

#include <gtk/gtk.h>

namespace platform::gtk {

// The GTK widget behind a platform widget, for containers that place it.
class GtkWidgetHolder {
public:
    virtual ~GtkWidgetHolder() = default;
    virtual GtkWidget* gtkWidget() const = 0;
};

inline GtkWidget* gtkWidgetOf(Widget& widget) { return dynamic_cast<GtkWidgetHolder&>(widget).gtkWidget(); }

}  // namespace platform::gtk
