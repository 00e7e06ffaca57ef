#include "platform/gtk/GtkSettingsCard.h"

#include "platform/gtk/ThemeStyle.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace platform::gtk {

namespace {

struct FontDescriptionFree {
    void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    radius = std::max(0.0, std::min({radius, w / 2, h / 2}));
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

// How every card looks: a soft, slightly lowered shadow, so that the panel floats just
// above the window; the padlock on a translucent black cover.
constexpr double panelCornerRadius = 16;
constexpr double shadowOpacity = 0.18;
constexpr double shadowRadius = 10;
constexpr double shadowOffsetY = -2;  // pointing down
constexpr double previewCornerRadius = 10;
constexpr Font titleFont{13, true};
constexpr Font descriptionFont{11, false};
constexpr double overlayBlackAlpha = 0.45;
constexpr const char* glyph = "\U0001F512";
constexpr Font glyphFont{24, false};

double easeInEaseOut(double t) { return t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2; }

}  // namespace

GtkSettingsCard::GtkSettingsCard(const Rect& frame, const CardFrames& frames, Handlers handlers)
    : eventBox_(retainFloating(gtk_event_box_new())),
      canvas_(retainFloating(gtk_drawing_area_new())),
      frames_(frames),
      handlers_(std::move(handlers)) {
    // The box only catches the pointer; the canvas draws, with no window of its own
    // so that it may draw beyond its allocation.
    gtk_event_box_set_visible_window(GTK_EVENT_BOX(eventBox_.get()), FALSE);
    gtk_event_box_set_above_child(GTK_EVENT_BOX(eventBox_.get()), TRUE);
    gtk_widget_add_events(eventBox_.get(), GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK | GDK_BUTTON_PRESS_MASK |
                                               GDK_BUTTON_RELEASE_MASK);
    gtk_widget_set_has_window(canvas_.get(), FALSE);
    gtk_container_add(GTK_CONTAINER(eventBox_.get()), canvas_.get());
    gtk_widget_show(canvas_.get());
    // Held at its size whatever the grid offers.
    gtk_widget_set_size_request(eventBox_.get(), static_cast<int>(std::lround(frame.width)),
                                static_cast<int>(std::lround(frame.height)));
    gtk_widget_set_hexpand(eventBox_.get(), FALSE);
    gtk_widget_set_vexpand(eventBox_.get(), FALSE);

    g_signal_connect_after(canvas_.get(), "size-allocate", G_CALLBACK(&GtkSettingsCard::onSizeAllocate), this);
    g_signal_connect(canvas_.get(), "draw", G_CALLBACK(&GtkSettingsCard::onDraw), this);
    g_signal_connect(eventBox_.get(), "enter-notify-event", G_CALLBACK(&GtkSettingsCard::onEnter), this);
    g_signal_connect(eventBox_.get(), "leave-notify-event", G_CALLBACK(&GtkSettingsCard::onLeave), this);
    g_signal_connect(eventBox_.get(), "button-press-event", G_CALLBACK(&GtkSettingsCard::onButtonPress), this);
    g_signal_connect(eventBox_.get(), "button-release-event", G_CALLBACK(&GtkSettingsCard::onButtonRelease), this);
    // A theme or colour scheme changed while the window is open (XSETTINGS, a forced
    // theme): the panel, its outline and the marked border follow at once, so the text
    // colour, read at each drawing, always meets the panel it was chosen for.
    g_signal_connect(eventBox_.get(), "style-updated", G_CALLBACK(&GtkSettingsCard::onStyleUpdated), this);
    readThemeColors();
}

GtkSettingsCard::~GtkSettingsCard() {
    stopScaling();
    g_signal_handlers_disconnect_by_data(canvas_.get(), this);
    g_signal_handlers_disconnect_by_data(eventBox_.get(), this);
}

void GtkSettingsCard::readThemeColors() {
    GtkWidget* widget = eventBox_.get();
    panelColor_ = themeColor(widget, "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
    // Themes whose borders stand out (high contrast) outline the panel with them, as
    // they outline their own controls; elsewhere the panel has only its shadow.
    panelEdge_ =
        isHighContrastTheme(widget) ? std::optional<GdkRGBA>(themeColor(widget, "borders", panelColor_)) : std::nullopt;
    accentColor_ = themeColor(widget, "theme_selected_bg_color", GdkRGBA{0.21, 0.52, 0.89, 1});
}

void GtkSettingsCard::onStyleUpdated(GtkWidget*, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    self->readThemeColors();
    self->contentChanged();
}

void GtkSettingsCard::show(const CardFace& face) {
    if (face.preview != face_.preview) {
        preview_.reset();
        if (face.preview) {
            GError* error = nullptr;
            preview_ = adoptGObject(gdk_pixbuf_new_from_file(face.preview->c_str(), &error));
            GErrorPtr unreadable(error);  // an unreadable picture leaves the preview empty
        }
    }
    // Screen readers get the whole title even when the card cuts it.
    atk_object_set_name(gtk_widget_get_accessible(eventBox_.get()), face.title.c_str());
    atk_object_set_description(gtk_widget_get_accessible(eventBox_.get()), face.description.c_str());
    face_ = face;
    contentChanged();
}

void GtkSettingsCard::onSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    GdkRectangle clip = *allocation;
    clip.x -= overhang;
    clip.y -= overhang;
    clip.width += 2 * overhang;
    clip.height += 2 * overhang;
    gtk_widget_set_clip(widget, &clip);
    self->snapshot_.reset();
}

gboolean GtkSettingsCard::onDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    self->draw(cr, gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget));
    return TRUE;
}

void GtkSettingsCard::contentChanged() {
    snapshot_.reset();
    gtk_widget_queue_draw(canvas_.get());
}

// The growth keeps the layer's anchor, its bottom-left corner, where it is: the card
// grows up and to the right from that corner, not from its centre.
void GtkSettingsCard::scaleAboutAnchor(cairo_t* cr, double h, double scale) {
    cairo_translate(cr, 0, h);
    cairo_scale(cr, scale, scale);
    cairo_translate(cr, 0, -h);
}

void GtkSettingsCard::draw(cairo_t* cr, double width, double h) {
    if (scaling_.tick == 0) {
        cairo_save(cr);
        scaleAboutAnchor(cr, h, scale_);
        drawCard(cr, h);
        cairo_restore(cr);
        return;
    }
    // Cairo rasterises text anew for every scale it meets and keeps each scaled font's
    // glyphs for later: a growth drawn in vectors would leave a font behind for every
    // frame of every hover (megabytes over a day with the settings open, and a glyph
    // rasterisation per frame). While it grows, the card paints a picture of itself at
    // rest instead; at rest it is drawn sharp again.
    if (!snapshot_) {
        snapshot_.reset(cairo_surface_create_similar(cairo_get_target(cr), CAIRO_CONTENT_COLOR_ALPHA,
                                                     static_cast<int>(width) + 2 * overhang,
                                                     static_cast<int>(h) + 2 * overhang));
        cairo_t* picture = cairo_create(snapshot_.get());
        cairo_translate(picture, overhang, overhang);
        drawCard(picture, h);
        cairo_destroy(picture);
    }
    cairo_save(cr);
    scaleAboutAnchor(cr, h, scale_);
    cairo_set_source_surface(cr, snapshot_.get(), -overhang, -overhang);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

void GtkSettingsCard::drawCard(cairo_t* cr, double h) {
    // Frames are given with the origin at the bottom-left; cairo's is at the top-left.
    auto flipped = [h](const Rect& r) { return Rect{r.x, h - r.y - r.height, r.width, r.height}; };
    const Rect panel = flipped(frames_.container);

    drawShadow(cr, panel);
    roundedRect(cr, panel.x, panel.y, panel.width, panel.height, panelCornerRadius);
    gdk_cairo_set_source_rgba(cr, &panelColor_);
    cairo_fill(cr);

    if (panelEdge_) {
        roundedRect(cr, panel.x + 0.5, panel.y + 0.5, panel.width - 1, panel.height - 1, panelCornerRadius - 0.5);
        gdk_cairo_set_source_rgba(cr, &*panelEdge_);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }

    drawPreview(cr, flipped(frames_.preview));
    GtkWidget* widget = eventBox_.get();
    drawText(cr, face_.title, flipped(frames_.title), titleFont,
             readableTextColor(widget, TextColor::label, panelColor_), false);
    drawText(cr, face_.description, flipped(frames_.description), descriptionFont,
             readableTextColor(widget, TextColor::secondaryLabel, panelColor_), false);

    if (face_.covered) {
        const Rect overlay = flipped(frames_.overlay);
        roundedRect(cr, overlay.x, overlay.y, overlay.width, overlay.height, panelCornerRadius);
        cairo_set_source_rgba(cr, 0, 0, 0, overlayBlackAlpha);
        cairo_fill(cr);
        const Rect& g = frames_.glyph;  // relative to the overlay, bottom-left origin
        const Rect glyphFrame{overlay.x + g.x, overlay.y + overlay.height - g.y - g.height, g.width, g.height};
        drawText(cr, glyph, glyphFrame, glyphFont, GdkRGBA{1, 1, 1, 1}, true);
    }

    if (const double border = face_.borderWidth; border > 0) {
        // Drawn inside the panel's edge, above everything else, like a layer border.
        const double inset = border / 2;
        roundedRect(cr, panel.x + inset, panel.y + inset, panel.width - border, panel.height - border,
                    panelCornerRadius - inset);
        gdk_cairo_set_source_rgba(cr, &accentColor_);
        cairo_set_line_width(cr, border);
        cairo_stroke(cr);
    }
}

void GtkSettingsCard::drawShadow(cairo_t* cr, const Rect& panel) {
    // A soft shadow from stacked, widening translucent outlines: each ring adds a
    // little darkness, so the shade falls off over the shadow's radius.
    const int rings = static_cast<int>(std::lround(shadowRadius));
    const double x = panel.x;
    const double y = panel.y - shadowOffsetY;
    for (int ring = rings; ring >= 1; --ring) {
        const double spread = shadowRadius * ring / rings * 0.6;
        roundedRect(cr, x - spread, y - spread, panel.width + 2 * spread, panel.height + 2 * spread,
                    panelCornerRadius + spread);
        cairo_set_source_rgba(cr, 0, 0, 0, shadowOpacity / rings * 1.6);
        cairo_fill(cr);
    }
}

void GtkSettingsCard::drawPreview(cairo_t* cr, const Rect& frame) {
    if (!preview_ || frame.width <= 0 || frame.height <= 0) {
        return;
    }
    const double imageWidth = gdk_pixbuf_get_width(preview_.get());
    const double imageHeight = gdk_pixbuf_get_height(preview_.get());
    cairo_save(cr);
    roundedRect(cr, frame.x, frame.y, frame.width, frame.height, previewCornerRadius);
    cairo_clip(cr);
    cairo_translate(cr, frame.x, frame.y);
    // Stretched to fill the frame on both axes, whatever the picture's proportions.
    cairo_scale(cr, frame.width / imageWidth, frame.height / imageHeight);
    gdk_cairo_set_source_pixbuf(cr, preview_.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

void GtkSettingsCard::drawText(cairo_t* cr, const std::string& text, const Rect& frame, Font font, const GdkRGBA& color,
                               bool centered) {
    if (text.empty() || frame.width <= 0) {
        return;
    }
    auto layout = adoptGObject(gtk_widget_create_pango_layout(canvas_.get(), text.c_str()));
    std::unique_ptr<PangoFontDescription, FontDescriptionFree> description(
        pango_font_description_copy(pango_context_get_font_description(pango_layout_get_context(layout.get()))));
    pango_font_description_set_absolute_size(description.get(), font.size * PANGO_SCALE);
    pango_font_description_set_weight(description.get(), font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_layout_set_font_description(layout.get(), description.get());
    pango_layout_set_width(layout.get(), static_cast<int>(frame.width * PANGO_SCALE));
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    pango_layout_set_alignment(layout.get(), centered ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);

    int textWidth = 0;
    int textHeight = 0;
    pango_layout_get_pixel_size(layout.get(), &textWidth, &textHeight);
    cairo_save(cr);
    cairo_move_to(cr, frame.x, frame.y + (frame.height - textHeight) / 2);
    gdk_cairo_set_source_rgba(cr, &color);
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

void GtkSettingsCard::animateScale(double factor, double seconds) {
    GdkFrameClock* clock = gtk_widget_get_frame_clock(canvas_.get());
    if (clock == nullptr || seconds <= 0) {
        stopScaling();
        scale_ = factor;
        gtk_widget_queue_draw(canvas_.get());
        return;
    }
    // A new target replaces the old one, starting from wherever the card is now.
    scaling_.from = scale_;
    scaling_.to = factor;
    scaling_.seconds = seconds;
    scaling_.startMicroseconds = gdk_frame_clock_get_frame_time(clock);
    if (scaling_.tick == 0) {
        scaling_.tick = gtk_widget_add_tick_callback(canvas_.get(), &GtkSettingsCard::onTick, this, nullptr);
    }
}

gboolean GtkSettingsCard::onTick(GtkWidget* widget, GdkFrameClock* clock, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    Scaling& scaling = self->scaling_;
    const gint64 microseconds = gdk_frame_clock_get_frame_time(clock) - scaling.startMicroseconds;
    const double elapsed = static_cast<double>(microseconds) / 1e6;
    const double progress = std::clamp(elapsed / scaling.seconds, 0.0, 1.0);
    self->scale_ = scaling.from + (scaling.to - scaling.from) * easeInEaseOut(progress);
    gtk_widget_queue_draw(widget);
    if (progress >= 1.0) {
        // Drawn sharp from here on; the picture is not kept.
        scaling.tick = 0;
        self->snapshot_.reset();
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

void GtkSettingsCard::stopScaling() {
    if (scaling_.tick != 0) {
        gtk_widget_remove_tick_callback(canvas_.get(), scaling_.tick);
        scaling_.tick = 0;
    }
    snapshot_.reset();
}

gboolean GtkSettingsCard::onEnter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    // Crossings between the box and its own child are not the pointer arriving.
    if (event->detail != GDK_NOTIFY_INFERIOR && self->handlers_.pointerCrossed) {
        self->handlers_.pointerCrossed(true);
    }
    return FALSE;
}

gboolean GtkSettingsCard::onLeave(GtkWidget*, GdkEventCrossing* event, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    if (event->detail != GDK_NOTIFY_INFERIOR && self->handlers_.pointerCrossed) {
        self->handlers_.pointerCrossed(false);
    }
    return FALSE;
}

gboolean GtkSettingsCard::onButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    if (event->button == GDK_BUTTON_PRIMARY && event->type == GDK_BUTTON_PRESS) {
        self->pressed_ = true;
    }
    return TRUE;
}

gboolean GtkSettingsCard::onButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<GtkSettingsCard*>(data);
    if (event->button != GDK_BUTTON_PRIMARY || !self->pressed_) {
        return TRUE;
    }
    self->pressed_ = false;
    // A click is a press and a release on the card; letting go elsewhere cancels it.
    const bool inside = event->x >= 0 && event->y >= 0 && event->x < gtk_widget_get_allocated_width(widget) &&
                        event->y < gtk_widget_get_allocated_height(widget);
    if (inside && self->handlers_.clicked) {
        self->handlers_.clicked();
    }
    return TRUE;
}

}  // namespace platform::gtk
