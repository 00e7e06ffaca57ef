#include "platform/gtk/ThemeStyle.h"

#include "platform/TextContrast.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform::gtk {

namespace {

guint16 channel16(double value) { return static_cast<guint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535)); }

}  // namespace

PangoAttributes fontAttributes(Font font) {
    PangoAttributes attributes(pango_attr_list_new());
    pango_attr_list_insert(attributes.get(),
                           pango_attr_size_new_absolute(static_cast<int>(std::lround(font.size * PANGO_SCALE))));
    pango_attr_list_insert(attributes.get(),
                           pango_attr_weight_new(font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL));
    return attributes;
}

void addForeground(PangoAttrList* attributes, double red, double green, double blue) {
    pango_attr_list_insert(attributes, pango_attr_foreground_new(channel16(red), channel16(green), channel16(blue)));
}

void applyFont(GtkLabel* label, Font font) { gtk_label_set_attributes(label, fontAttributes(font).get()); }

GdkRGBA themeColor(GtkWidget* widget, const char* name, GdkRGBA fallback) {
    GdkRGBA color = fallback;
    if (!gtk_style_context_lookup_color(gtk_widget_get_style_context(widget), name, &color)) {
        return fallback;
    }
    return color;
}

bool isHighContrastTheme(GtkWidget* widget) {
    // By name, as GTK's own HighContrast themes are known; or by what any theme shows.
    const char* forced = g_getenv("GTK_THEME");
    gchar* configured = nullptr;
    g_object_get(gtk_widget_get_settings(widget), "gtk-theme-name", &configured, nullptr);
    const std::string name = forced != nullptr && *forced != '\0' ? forced : (configured != nullptr ? configured : "");
    g_free(configured);
    if (name.rfind("HighContrast", 0) == 0) {
        return true;
    }
    const GdkRGBA background = themeColor(widget, "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
    const GdkRGBA borders = themeColor(widget, "borders", background);
    return isVisibleEdge({borders.red, borders.green, borders.blue},
                         {background.red, background.green, background.blue});
}

double minimumContrastOf(GtkWidget* widget) {
    return isHighContrastTheme(widget) ? enhancedTextContrast : minimumTextContrast;
}

GdkRGBA readableTextColor(GtkWidget* widget, TextColor color, const GdkRGBA& background) {
    const GdkRGBA text = themeColor(widget, "theme_fg_color", GdkRGBA{0.1, 0.1, 0.1, 1});
    const Rgb readable =
        dimmedTextColor({text.red, text.green, text.blue}, {background.red, background.green, background.blue},
                        opacityOf(color), minimumContrastOf(widget));
    return GdkRGBA{readable.red, readable.green, readable.blue, 1};
}

}  // namespace platform::gtk
