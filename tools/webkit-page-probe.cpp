// webkit-page-probe: load one URL in a real WebKitGTK view, let it run, and report
// what the page did as JSON lines on stdout:
//   {"event":"request","uri":...}          every resource the page asked for
//   {"event":"console","level":...,"message":...}   console.* calls and uncaught errors
//   {"event":"load","status":"finished"|"failed",...}
//   {"event":"snapshot","path":...,"width":..,"height":..,"mean_luma":..,"luma_stddev":..}
//   {"event":"eval","result":...}          result of --eval, if given
//   {"event":"done"}
// It exists for the page rendering tests and the cost benchmark, so it must behave the
// same way the wallpaper's web view does: ephemeral context, transparent view over black.

#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

template <typename T>
using GPtr = platform::gtk::GObjectPtr<T>;
using GChars = platform::gtk::GCharsPtr;
using ErrorPtr = platform::gtk::GErrorPtr;
using SurfacePtr = platform::gtk::CairoSurfacePtr;
using CairoPtr = platform::gtk::CairoPtr;

std::string jsonString(const char* s) {
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s ? s : ""); *p; ++p) {
        switch (*p) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (*p < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", *p);
                out += buf;
            } else {
                out += static_cast<char>(*p);
            }
        }
    }
    return out + "\"";
}

void emit(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Reports console calls, uncaught errors and every fetch/XHR/WebSocket the page opens
// (WebSockets never reach resource-load-started, so they are caught here).
constexpr const char* kInstrumentation = R"JS(
(function () {
  var post = function (msg) {
    try { window.webkit.messageHandlers.probe.postMessage(JSON.stringify(msg)); } catch (e) {}
  };
  var text = function (args) {
    return Array.prototype.map.call(args, function (a) {
      if (a instanceof Error) return a.name + ': ' + a.message;
      if (typeof a === 'object') { try { return JSON.stringify(a); } catch (e) {} }
      return String(a);
    }).join(' ');
  };
  ['error', 'warn', 'log', 'info'].forEach(function (level) {
    var orig = console[level];
    console[level] = function () {
      post({ kind: 'console', level: level, message: text(arguments) });
      return orig.apply(console, arguments);
    };
  });
  window.addEventListener('error', function (e) {
    post({ kind: 'console', level: 'error', message: 'uncaught: ' + (e.message || 'resource error') +
      (e.filename ? ' at ' + e.filename + ':' + e.lineno : '') });
  }, true);
  window.addEventListener('unhandledrejection', function (e) {
    post({ kind: 'console', level: 'error', message: 'unhandled rejection: ' + text([e.reason]) });
  });
  var abs = function (u) { try { return new URL(String(u), location.href).href; } catch (e) { return String(u); } };
  if (window.fetch) {
    var f = window.fetch;
    window.fetch = function (input) {
      post({ kind: 'request', via: 'fetch', uri: abs(input && input.url ? input.url : input) });
      return f.apply(this, arguments);
    };
  }
  var open = XMLHttpRequest.prototype.open;
  XMLHttpRequest.prototype.open = function (m, u) {
    post({ kind: 'request', via: 'xhr', uri: abs(u) });
    return open.apply(this, arguments);
  };
  if (window.WebSocket) {
    var WS = window.WebSocket;
    var Wrapped = function (u, p) {
      post({ kind: 'request', via: 'websocket', uri: abs(u) });
      return p === undefined ? new WS(u) : new WS(u, p);
    };
    Wrapped.prototype = WS.prototype;
    ['CONNECTING', 'OPEN', 'CLOSING', 'CLOSED'].forEach(function (k) { Wrapped[k] = WS[k]; });
    window.WebSocket = Wrapped;
  }
})();
)JS";

struct Options {
    std::string url;
    int width = 1920;
    int height = 1080;
    int waitMs = 2000;
    std::string snapshot;
    std::string evalScript;
    std::vector<std::pair<std::string, std::string>> schemes;  // name -> folder
};

struct Probe {
    Options opt;
    GtkWidget* window = nullptr;  // owned by GTK's toplevel list; destroyed in main
    WebKitWebView* view = nullptr;
    bool finished = false;
    bool snapshotPending = false;
    bool evalPending = false;
    int exitCode = 0;
};

void maybeQuit(Probe* probe) {
    if (!probe->snapshotPending && !probe->evalPending) {
        emit("{\"event\":\"done\"}");
        gtk_main_quit();
    }
}

void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    GChars raw(jsc_value_to_string(value));
    // The page side already produced JSON; wrap it so every line has an "event" key.
    std::string s = raw ? raw.get() : "{}";
    if (s.rfind("{\"kind\":\"console\"", 0) == 0)
        emit("{\"event\":\"console\"," + s.substr(1));
    else if (s.rfind("{\"kind\":\"request\"", 0) == 0)
        emit("{\"event\":\"request\"," + s.substr(1));
    else
        emit("{\"event\":\"message\",\"raw\":" + jsonString(s.c_str()) + "}");
}

void onResourceFailed(WebKitWebResource* resource, GError* error, gpointer) {
    emit("{\"event\":\"request_failed\",\"uri\":" + jsonString(webkit_web_resource_get_uri(resource)) +
         ",\"error\":" + jsonString(error ? error->message : "") + "}");
}

void onResourceLoadStarted(WebKitWebView*, WebKitWebResource* resource, WebKitURIRequest* request, gpointer) {
    emit("{\"event\":\"request\",\"via\":\"loader\",\"uri\":" + jsonString(webkit_uri_request_get_uri(request)) + "}");
    g_signal_connect(resource, "failed", G_CALLBACK(onResourceFailed), nullptr);
}

gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
    auto* probe = static_cast<Probe*>(data);
    emit("{\"event\":\"load\",\"status\":\"failed\",\"uri\":" + jsonString(uri) +
         ",\"error\":" + jsonString(error ? error->message : "") + "}");
    probe->exitCode = 3;
    return TRUE;  // keep WebKit's own error page out of the snapshot
}

void onSnapshot(GObject* source, GAsyncResult* res, gpointer data) {
    auto* probe = static_cast<Probe*>(data);
    GError* rawError = nullptr;
    SurfacePtr surface(webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), res, &rawError));
    ErrorPtr error(rawError);
    probe->snapshotPending = false;
    if (!surface) {
        emit("{\"event\":\"snapshot\",\"error\":" + jsonString(error ? error->message : "no surface") + "}");
        probe->exitCode = 4;
        maybeQuit(probe);
        return;
    }
    // Composite over black, as the wallpaper window shows the page.
    const int w = cairo_image_surface_get_width(surface.get());
    const int h = cairo_image_surface_get_height(surface.get());
    SurfacePtr flat(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
    {
        CairoPtr cr(cairo_create(flat.get()));
        cairo_set_source_rgb(cr.get(), 0, 0, 0);
        cairo_paint(cr.get());
        cairo_set_source_surface(cr.get(), surface.get(), 0, 0);
        cairo_paint(cr.get());
    }
    cairo_surface_flush(flat.get());
    const unsigned char* data8 = cairo_image_surface_get_data(flat.get());
    const int stride = cairo_image_surface_get_stride(flat.get());
    double sum = 0, sumSq = 0;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data8 + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t px = row[x];
            const double luma = 0.2126 * ((px >> 16) & 0xff) + 0.7152 * ((px >> 8) & 0xff) + 0.0722 * (px & 0xff);
            sum += luma;
            sumSq += luma * luma;
        }
    }
    const double n = static_cast<double>(w) * h;
    const double mean = n > 0 ? sum / n : 0;
    const double stddev = n > 0 ? std::sqrt(std::max(0.0, sumSq / n - mean * mean)) : 0;
    const cairo_status_t st = cairo_surface_write_to_png(flat.get(), probe->opt.snapshot.c_str());
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  ",\"width\":%d,\"height\":%d,\"mean_luma\":%.3f,\"luma_stddev\":%.3f,\"written\":%s}", w, h, mean,
                  stddev, st == CAIRO_STATUS_SUCCESS ? "true" : "false");
    emit("{\"event\":\"snapshot\",\"path\":" + jsonString(probe->opt.snapshot.c_str()) + buf);
    maybeQuit(probe);
}

void onEvaluated(GObject* source, GAsyncResult* res, gpointer data) {
    auto* probe = static_cast<Probe*>(data);
    GError* rawError = nullptr;
    GPtr<JSCValue> value(webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), res, &rawError));
    ErrorPtr error(rawError);
    probe->evalPending = false;
    if (!value) {
        emit("{\"event\":\"eval\",\"error\":" + jsonString(error ? error->message : "no value") + "}");
    } else {
        GChars json(jsc_value_to_json(value.get(), 0));
        emit(std::string("{\"event\":\"eval\",\"result\":") + (json ? json.get() : "null") + "}");
    }
    maybeQuit(probe);
}

gboolean finish(gpointer data) {
    auto* probe = static_cast<Probe*>(data);
    probe->snapshotPending = !probe->opt.snapshot.empty();
    probe->evalPending = !probe->opt.evalScript.empty();
    if (probe->evalPending)
        webkit_web_view_evaluate_javascript(probe->view, probe->opt.evalScript.c_str(), -1, nullptr, nullptr, nullptr,
                                            onEvaluated, probe);
    if (probe->snapshotPending)
        webkit_web_view_get_snapshot(probe->view, WEBKIT_SNAPSHOT_REGION_VISIBLE,
                                     WEBKIT_SNAPSHOT_OPTIONS_TRANSPARENT_BACKGROUND, nullptr, onSnapshot, probe);
    maybeQuit(probe);
    return G_SOURCE_REMOVE;
}

void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* probe = static_cast<Probe*>(data);
    if (event != WEBKIT_LOAD_FINISHED || probe->finished) return;
    probe->finished = true;
    emit("{\"event\":\"load\",\"status\":\"finished\",\"uri\":" + jsonString(webkit_web_view_get_uri(probe->view)) +
         "}");
    g_timeout_add(static_cast<guint>(probe->opt.waitMs), finish, probe);
}

// A folder served through a custom scheme, confined to that folder: this is how the
// wallpaper serves its bundled pages, so the pages are checked the same way.
void onSchemeRequest(WebKitURISchemeRequest* request, gpointer data) {
    const auto* root = static_cast<const std::string*>(data);
    const char* path = webkit_uri_scheme_request_get_path(request);
    GChars unescaped(g_uri_unescape_string(path ? path : "/", nullptr));
    GChars joined(g_build_filename(root->c_str(), unescaped ? unescaped.get() : "", nullptr));
    GChars canonical(g_canonicalize_filename(joined.get(), nullptr));
    GChars canonicalRoot(g_canonicalize_filename(root->c_str(), nullptr));
    const std::string prefix = std::string(canonicalRoot.get()) + "/";
    if (std::strncmp(canonical.get(), prefix.c_str(), prefix.size()) != 0) {
        ErrorPtr err(g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "outside the served folder"));
        webkit_uri_scheme_request_finish_error(request, err.get());
        return;
    }
    gchar* contents = nullptr;
    gsize length = 0;
    GError* rawError = nullptr;
    if (!g_file_get_contents(canonical.get(), &contents, &length, &rawError)) {
        ErrorPtr err(rawError);
        webkit_uri_scheme_request_finish_error(request, err.get());
        return;
    }
    GPtr<GInputStream> stream(g_memory_input_stream_new_from_data(contents, static_cast<gssize>(length), g_free));
    GChars type(g_content_type_guess(canonical.get(), nullptr, 0, nullptr));
    GChars mime(g_content_type_get_mime_type(type.get()));
    std::string mimeType = mime ? mime.get() : "application/octet-stream";
    if (g_str_has_suffix(canonical.get(), ".js") || g_str_has_suffix(canonical.get(), ".mjs"))
        mimeType = "text/javascript";
    webkit_uri_scheme_request_finish(request, stream.get(), static_cast<gint64>(length), mimeType.c_str());
}

bool parseArgs(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "missing value for %s\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--url")
            opt.url = next("--url");
        else if (a == "--width")
            opt.width = std::atoi(next("--width"));
        else if (a == "--height")
            opt.height = std::atoi(next("--height"));
        else if (a == "--wait-ms")
            opt.waitMs = std::atoi(next("--wait-ms"));
        else if (a == "--snapshot")
            opt.snapshot = next("--snapshot");
        else if (a == "--eval")
            opt.evalScript = next("--eval");
        else if (a == "--scheme") {
            std::string mapping = next("--scheme");
            auto eq = mapping.find('=');
            if (eq == std::string::npos) return false;
            opt.schemes.emplace_back(mapping.substr(0, eq), mapping.substr(eq + 1));
        } else {
            return false;
        }
    }
    return !opt.url.empty() && opt.width > 0 && opt.height > 0 && opt.waitMs >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    Probe probe;
    if (!parseArgs(argc, argv, probe.opt)) {
        std::fprintf(stderr,
                     "usage: webkit-page-probe --url URL [--width W] [--height H] [--wait-ms MS]\n"
                     "       [--snapshot out.png] [--eval JS] [--scheme NAME=FOLDER]...\n");
        return 2;
    }
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "webkit-page-probe: cannot open a display\n");
        return 2;
    }

    GPtr<WebKitWebContext> context(webkit_web_context_new_ephemeral());
    for (const auto& [name, folder] : probe.opt.schemes) {
        webkit_web_context_register_uri_scheme(context.get(), name.c_str(), onSchemeRequest, new std::string(folder),
                                               [](gpointer p) { delete static_cast<std::string*>(p); });
        webkit_security_manager_register_uri_scheme_as_secure(webkit_web_context_get_security_manager(context.get()),
                                                              name.c_str());
    }

    GPtr<WebKitUserContentManager> content(webkit_user_content_manager_new());
    {
        WebKitUserScript* script =
            webkit_user_script_new(kInstrumentation, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(content.get(), script);
        webkit_user_script_unref(script);
    }
    g_signal_connect(content.get(), "script-message-received::probe", G_CALLBACK(onScriptMessage), nullptr);
    webkit_user_content_manager_register_script_message_handler(content.get(), "probe");

    probe.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(probe.window), probe.opt.width, probe.opt.height);
    gtk_window_set_decorated(GTK_WINDOW(probe.window), FALSE);
    gtk_window_move(GTK_WINDOW(probe.window), 0, 0);
    GPtr<GtkCssProvider> css(gtk_css_provider_new());
    gtk_css_provider_load_from_data(css.get(), "window { background: black; }", -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(probe.window), GTK_STYLE_PROVIDER(css.get()),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    probe.view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context.get(),
                                              "user-content-manager", content.get(), nullptr));
    GdkRGBA transparent = {0, 0, 0, 0};
    webkit_web_view_set_background_color(probe.view, &transparent);
    gtk_container_add(GTK_CONTAINER(probe.window), GTK_WIDGET(probe.view));
    g_signal_connect(probe.view, "resource-load-started", G_CALLBACK(onResourceLoadStarted), &probe);
    g_signal_connect(probe.view, "load-changed", G_CALLBACK(onLoadChanged), &probe);
    g_signal_connect(probe.view, "load-failed", G_CALLBACK(onLoadFailed), &probe);

    gtk_widget_show_all(probe.window);
    webkit_web_view_load_uri(probe.view, probe.opt.url.c_str());
    gtk_main();

    if (probe.window) gtk_widget_destroy(probe.window);
    return probe.exitCode;
}
