#pragma once

#include "platform/TextContrast.h"

#include <gtk/gtk.h>

#include <memory>

namespace platform::gtk {

// The desktop theme's colours and text as a widget sees them: the settings window's
// text follows the theme (light, dark, high contrast) and stays readable in each.

// A text style: `size` logical pixels, so that text fits the frames laid out around it.
struct Font {
    double size = 13;
    bool bold = false;
};

struct PangoAttrListUnref {
    void operator()(PangoAttrList* list) const { pango_attr_list_unref(list); }
};
using PangoAttributes = std::unique_ptr<PangoAttrList, PangoAttrListUnref>;

// The text attributes of `font`: `font.size` logical pixels, bold or regular, in the
// theme's font family.
PangoAttributes fontAttributes(Font font);

// Adds a text colour (channels from 0 to 1) to `attributes`.
void addForeground(PangoAttrList* attributes, double red, double green, double blue);

// Sets the font of a label's text.
void applyFont(GtkLabel* label, Font font);

// A named colour of the theme (theme_fg_color, theme_bg_color, borders, ...) as the
// widget's style sees it, or `fallback` where the theme does not define it.
GdkRGBA themeColor(GtkWidget* widget, const char* name, GdkRGBA fallback);

// Whether the theme is a high-contrast one: one of GTK's HighContrast themes, or one
// whose borders stand out from its background.
bool isHighContrastTheme(GtkWidget* widget);

// The least contrast text may have in the widget's theme: 4.5:1, or 7:1 in a
// high-contrast theme.
double minimumContrastOf(GtkWidget* widget);

// The colour for text of `color` over `background`, with the theme's minimum contrast.
GdkRGBA readableTextColor(GtkWidget* widget, TextColor color, const GdkRGBA& background);

}  // namespace platform::gtk
