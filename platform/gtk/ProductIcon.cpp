#include "platform/gtk/ProductIcon.h"

#include "platform/ImageAsset.h"
#include "platform/Log.h"
#include "platform/gtk/GObjectPtr.h"

#include <gtk/gtk.h>

#include <array>
#include <string>
#include <vector>

namespace platform::gtk {

void useProductIconForEveryWindow(const Bundle& bundle) {
    // Window managers pick the size nearest to what they draw; a few sizes cover a
    // title bar (16) up to a dock (128). GTK leaves a 256 one out of the window's
    // property (it keeps the property under its size limit).
    constexpr std::array sizes{16, 24, 32, 48, 64, 128};
    std::vector<GObjectPtr<GdkPixbuf>> icons;
    for (int size : sizes) {
        const auto file = imageAssetPath(bundle, "TVlogo-" + std::to_string(size));
        if (!file) {
            continue;
        }
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_file(file->c_str(), nullptr)) {
            icons.push_back(adoptGObject(icon));
        }
    }
    if (icons.empty()) {
        systemLog("⚠️ The application bundle holds no product icon: windows show a generic icon.");
        return;
    }
    GList* list = nullptr;
    for (const auto& icon : icons) {
        list = g_list_append(list, icon.get());
    }
    // GTK takes references of its own.
    gtk_window_set_default_icon_list(list);
    g_list_free(list);
}

}  // namespace platform::gtk
