// render-page-preview: loads one page in WebKitGTK, lets it draw for a while, and
// writes what it shows, scaled down, as a PNG. The preview pictures of the settings
// window are made with it (see scripts/render-artwork.sh).
//
//   render-page-preview URL OUTPUT.png VIEWPORT_W VIEWPORT_H OUTPUT_W OUTPUT_H WAIT_MS

#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using platform::gtk::CairoPtr;
using platform::gtk::CairoSurfacePtr;
using platform::gtk::GErrorPtr;

struct Job {
    std::string output;
    int outputWidth = 0;
    int outputHeight = 0;
    int waitMs = 0;
    int status = 1;
    bool snapshotStarted = false;
};

void onSnapshot(GObject* view, GAsyncResult* result, gpointer data) {
    auto* job = static_cast<Job*>(data);
    GError* rawError = nullptr;
    CairoSurfacePtr shot(webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(view), result, &rawError));
    GErrorPtr error(rawError);
    if (!shot) {
        std::fprintf(stderr, "snapshot failed: %s\n", error ? error->message : "no picture");
        gtk_main_quit();
        return;
    }
    const double width = cairo_image_surface_get_width(shot.get());
    const double height = cairo_image_surface_get_height(shot.get());
    CairoSurfacePtr scaled(cairo_image_surface_create(CAIRO_FORMAT_RGB24, job->outputWidth, job->outputHeight));
    CairoPtr cr(cairo_create(scaled.get()));
    // The wallpaper shows a page over black; so does its preview.
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    cairo_scale(cr.get(), job->outputWidth / width, job->outputHeight / height);
    cairo_set_source_surface(cr.get(), shot.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_BEST);
    cairo_paint(cr.get());
    if (cairo_surface_write_to_png(scaled.get(), job->output.c_str()) == CAIRO_STATUS_SUCCESS) {
        job->status = 0;
    } else {
        std::fprintf(stderr, "cannot write %s\n", job->output.c_str());
    }
    gtk_main_quit();
}

gboolean takeSnapshot(gpointer data) {
    auto* view = WEBKIT_WEB_VIEW(data);
    auto* job = static_cast<Job*>(g_object_get_data(G_OBJECT(view), "job"));
    webkit_web_view_get_snapshot(view, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
                                 onSnapshot, job);
    return G_SOURCE_REMOVE;
}

void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
    auto* job = static_cast<Job*>(data);
    if (event == WEBKIT_LOAD_FINISHED && !job->snapshotStarted) {
        job->snapshotStarted = true;
        g_timeout_add(static_cast<guint>(job->waitMs), takeSnapshot, view);
    }
}

gboolean giveUp(gpointer) {
    std::fprintf(stderr, "the page did not finish loading in time\n");
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s URL OUTPUT.png VIEWPORT_W VIEWPORT_H OUTPUT_W OUTPUT_H WAIT_MS\n", argv[0]);
        return 2;
    }
    gtk_init(&argc, &argv);
    Job job;
    job.output = argv[2];
    job.outputWidth = std::atoi(argv[5]);
    job.outputHeight = std::atoi(argv[6]);
    job.waitMs = std::atoi(argv[7]);

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), std::atoi(argv[3]), std::atoi(argv[4]));
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    GtkWidget* view = webkit_web_view_new();
    GdkRGBA black{0, 0, 0, 1};
    webkit_web_view_set_background_color(WEBKIT_WEB_VIEW(view), &black);
    WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(view));
    webkit_settings_set_allow_file_access_from_file_urls(settings, TRUE);
    g_object_set_data(G_OBJECT(view), "job", &job);
    g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), &job);
    gtk_container_add(GTK_CONTAINER(window), view);
    gtk_widget_show_all(window);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    g_timeout_add_seconds(60, giveUp, nullptr);
    gtk_main();
    return job.status;
}
