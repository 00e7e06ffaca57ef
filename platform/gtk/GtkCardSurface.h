#pragma once

#include "platform/CardSurface.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkWidgetHolder.h"

#include <gtk/gtk.h>

#include <optional>

namespace platform::gtk {

// A card drawn with cairo in the theme's colours. GTK 3 cannot transform widgets,
// so the card draws itself scaled about its bottom-left corner (the anchor a layer
// keeps), and draws past its allocation (by `overhang` on every side) so that neither
// its shadow nor its growth is cut off.
// Its events come from an input-only box of exactly the card's size, so a grown
// card never steals the pointer from its neighbour.
class GtkCardSurface : public CardSurface, public GtkWidgetHolder {
public:
    static constexpr int overhang = 16;

    explicit GtkCardSurface(const Rect& frame);
    ~GtkCardSurface() override;

    void applyStyle(const CardStyle& style) override;
    void fixSize(double width, double height) override;
    void setTitle(const std::string& text) override;
    void setDescription(const std::string& text) override;
    void setPreviewImage(const std::optional<std::filesystem::path>& file) override;
    void setOverlayHidden(bool hidden) override;
    void setBorder(double width, BorderColor color) override;
    void setFrames(const CardFrames& frames) override;
    void animateScale(double factor, double seconds) override;
    void setOnLayout(std::function<void(double, double)> handler) override { onLayout_ = std::move(handler); }
    void setOnPointerEntered(std::function<void()> handler) override { onEntered_ = std::move(handler); }
    void setOnPointerExited(std::function<void()> handler) override { onExited_ = std::move(handler); }
    void setOnClick(std::function<void()> handler) override { onClick_ = std::move(handler); }

    GtkWidget* gtkWidget() const override { return eventBox_.get(); }

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
    void readThemeColors();
    static gboolean onEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean onLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
    static gboolean onButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean onButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean onTick(GtkWidget* widget, GdkFrameClock* clock, gpointer self);

    void contentChanged();
    static void scaleAboutAnchor(cairo_t* cr, double height, double scale);
    void draw(cairo_t* cr, double width, double height);
    void drawCard(cairo_t* cr, double height);
    void drawShadow(cairo_t* cr, const Rect& panel);
    void drawPreview(cairo_t* cr, const Rect& frame);
    void drawText(cairo_t* cr, const std::string& text, const Rect& frame, Font font, const GdkRGBA& color,
                  bool centered);
    GdkRGBA themeColor(const char* name, GdkRGBA fallback) const;
    GdkRGBA textColor(TextColor color) const;
    void stopScaling();
    double currentScale() const { return scale_; }

    GObjectPtr<GtkWidget> eventBox_;
    GObjectPtr<GtkWidget> canvas_;
    GObjectPtr<GdkPixbuf> preview_;

    CardStyle style_;
    GdkRGBA panelColor_{1, 1, 1, 1};
    std::optional<GdkRGBA> panelEdge_;  // the theme's outline for the panel, where it wants one
    std::string title_;
    std::string description_;
    bool overlayHidden_ = false;
    double borderWidth_ = 0;
    BorderColor borderKind_ = BorderColor::clear;
    GdkRGBA borderColor_{0, 0, 0, 0};
    std::optional<CardFrames> frames_;
    double width_ = 0;
    double height_ = 0;
    bool pressed_ = false;

    double scale_ = 1.0;
    Scaling scaling_;
    // The card at rest, painted scaled while it grows or shrinks; empty otherwise.
    CairoSurfacePtr snapshot_;

    std::function<void(double, double)> onLayout_;
    std::function<void()> onEntered_;
    std::function<void()> onExited_;
    std::function<void()> onClick_;
};

}  // namespace platform::gtk
