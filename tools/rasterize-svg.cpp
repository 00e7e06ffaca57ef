// rasterize-svg: draws an SVG file as a square PNG of the given size.
//
//   rasterize-svg INPUT.svg OUTPUT.png SIZE

#include "platform/gtk/GObjectPtr.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using platform::gtk::GErrorPtr;
using platform::gtk::GObjectPtr;

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.svg OUTPUT.png SIZE\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[3]);
    GError* rawError = nullptr;
    GObjectPtr<GdkPixbuf> picture(gdk_pixbuf_new_from_file_at_size(argv[1], size, size, &rawError));
    GErrorPtr error(rawError);
    if (!picture) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], error ? error->message : "?");
        return 1;
    }
    rawError = nullptr;
    if (!gdk_pixbuf_save(picture.get(), argv[2], "png", &rawError, nullptr)) {
        error.reset(rawError);
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], error ? error->message : "?");
        return 1;
    }
    return 0;
}
