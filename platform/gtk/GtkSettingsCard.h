#pragma once

#include "platform/SettingsWindow.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/ThemeStyle.h"

#include <gtk/gtk.h>

#include <functional>
#include <optional>

namespace platform::gtk {

// One card of the settings window, drawn with cairo in the theme's colours: a
// rounded, shadowed panel with the preview, the title and the description, and the
// dark overlay with the padlock. GTK 3 cannot transform widgets, so the card draws
// itself scaled about its bottom-left corner (the anchor a layer keeps), and draws
// past its allocation (by `overhang` on every side) so that neither its shadow nor
// its growth is cut off.
// Its events come from an input-only box of exactly the card's size, so a grown
// card never steals the pointer from its neighbour.
class GtkSettingsCard {
public:
    static constexpr int overhang = 16;

    struct Handlers {
        std::function<void(bool entered)> pointerCrossed;
        std::function<void()> clicked;
    };

    GtkSettingsCard(const Rect& frame, const CardFrames& frames, Handlers handlers);
    ~GtkSettingsCard();
    GtkSettingsCard(const GtkSettingsCard&) = delete;
    GtkSettingsCard& operator=(const GtkSettingsCard&) = delete;

    void show(const CardFace& face);
    void animateScale(double factor, double seconds);

    GtkWidget* widget() const { return eventBox_.get(); }

private:
    struct Scaling {
        double from = 1.0;
        double to = 1.0;
        double seconds = 0;
        gint64 startMicroseconds = 0;
        guint tick = 0;
    };

    static void onSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer self);
    static gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static void onStyleUpdated(GtkWidget* widget, gpointer self);
    static gboolean onEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean onLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean onButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean onButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean onTick(GtkWidget* widget, GdkFrameClock* clock, gpointer self);

    void readThemeColors();
    void contentChanged();
    static void scaleAboutAnchor(cairo_t* cr, double height, double scale);
    void draw(cairo_t* cr, double width, double height);
    void drawCard(cairo_t* cr, double height);
    void drawShadow(cairo_t* cr, const Rect& panel);
    void drawPreview(cairo_t* cr, const Rect& frame);
    void drawText(cairo_t* cr, const std::string& text, const Rect& frame, Font font, const GdkRGBA& color,
                  bool centered);
    void stopScaling();

    GObjectPtr<GtkWidget> eventBox_;
    GObjectPtr<GtkWidget> canvas_;
    GObjectPtr<GdkPixbuf> preview_;
    CardFrames frames_;
    Handlers handlers_;

    CardFace face_;
    GdkRGBA panelColor_{1, 1, 1, 1};
    std::optional<GdkRGBA> panelEdge_;  // the theme's outline for the panel, where it wants one
    GdkRGBA accentColor_{0.21, 0.52, 0.89, 1};
    bool pressed_ = false;

    double scale_ = 1.0;
    Scaling scaling_;
    // The card at rest, painted scaled while it grows or shrinks; empty otherwise.
    CairoSurfacePtr snapshot_;
};

}  // namespace platform::gtk
