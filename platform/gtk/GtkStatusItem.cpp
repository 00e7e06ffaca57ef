#include "platform/gtk/GtkStatusItem.h"

#include "platform/ProductNames.h"

#include <libayatana-appindicator/app-indicator.h>

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <string>

namespace platform::gtk {

namespace {
constexpr const char* indicatorID = product::programName;

// Without a StatusNotifierItem host the library falls back to an XEmbed tray icon
// (GtkStatusIcon). Wayland has no XEmbed tray: there the fallback only prints GTK
// CRITICALs, so on Wayland the indicator is of a subclass that does not fall back.
GtkStatusIcon* noFallback(AppIndicator*) { return nullptr; }
void noUnfallback(AppIndicator*, GtkStatusIcon*) {}

GType indicatorWithoutFallbackType() {
    static const GType type = g_type_register_static_simple(
        APP_INDICATOR_TYPE, "TaveloIndicatorWithoutFallback", sizeof(AppIndicatorClass),
        [](gpointer klass, gpointer) {
            auto* indicatorClass = static_cast<AppIndicatorClass*>(klass);
            indicatorClass->fallback = noFallback;
            indicatorClass->unfallback = noUnfallback;
        },
        sizeof(AppIndicator), nullptr, static_cast<GTypeFlags>(0));
    return type;
}

bool onWayland() {
#ifdef GDK_WINDOWING_WAYLAND
    GdkDisplay* display = gdk_display_get_default();
    return display != nullptr && GDK_IS_WAYLAND_DISPLAY(display);
#else
    return false;
#endif
}

// The library's XEmbed fallback looks for the indicator's icon folder in GTK's icon
// search path with a loop that reads past the end of the list when the folder is not
// there (harmless with glibc's allocator, a crash under AddressSanitizer). With the
// folder in the list already, the loop stops where it finds it.
void addToIconSearchPath(const std::string& folder) {
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    if (theme == nullptr) {
        return;
    }
    gchar** paths = nullptr;
    gint count = 0;
    gtk_icon_theme_get_search_path(theme, &paths, &count);
    bool present = false;
    for (gint i = 0; i < count && !present; ++i) {
        present = folder == paths[i];
    }
    g_strfreev(paths);
    if (!present) {
        gtk_icon_theme_append_search_path(theme, folder.c_str());
    }
}

AppIndicator* makeIndicator() {
    if (!onWayland()) {
        return app_indicator_new(indicatorID, "", APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    }
    return APP_INDICATOR(g_object_new(indicatorWithoutFallbackType(), "id", indicatorID, "category",
                                      "ApplicationStatus", "icon-name", "", nullptr));
}

}  // namespace

GtkStatusMenuItem::GtkStatusMenuItem(GtkWidget* item, std::function<void()> action)
    : item_(static_cast<GtkWidget*>(g_object_ref(item))), action_(std::move(action)) {
    g_signal_connect(item_.get(), "activate", G_CALLBACK(&GtkStatusMenuItem::onActivate), this);
}

GtkStatusMenuItem::~GtkStatusMenuItem() { g_signal_handlers_disconnect_by_data(item_.get(), this); }

void GtkStatusMenuItem::setTitle(std::string_view title) {
    gtk_menu_item_set_label(GTK_MENU_ITEM(item_.get()), std::string(title).c_str());
}

void GtkStatusMenuItem::onActivate(GtkMenuItem*, gpointer data) {
    auto* self = static_cast<GtkStatusMenuItem*>(data);
    if (!self->action_) {
        return;
    }
    // Carried out once the menu is done with the click, as a menu's action is:
    // an alert's modal loop must not run inside the tray's D-Bus call.
    auto* action = new std::function<void()>(self->action_);
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer block) -> gboolean {
            (*static_cast<std::function<void()>*>(block))();
            return G_SOURCE_REMOVE;
        },
        action, [](gpointer block) { delete static_cast<std::function<void()>*>(block); });
}

GtkStatusMenu::GtkStatusMenu()
    : menu_(retainFloating(gtk_menu_new())), accelerators_(adoptGObject(gtk_accel_group_new())) {
    gtk_menu_set_accel_group(gtkMenu(), accelerators_.get());
}

GtkStatusMenu::~GtkStatusMenu() {
    // Torn down while the accelerator group lives: the items' labels still refer to it.
    gtk_widget_destroy(menu_.get());
}

MenuItem& GtkStatusMenu::addItem(std::string_view title, std::string_view keyEquivalent, std::function<void()> action) {
    GtkWidget* item = gtk_menu_item_new_with_label(std::string(title).c_str());
    if (!keyEquivalent.empty()) {
        // Shown beside the title (and exported to the tray) as Ctrl+key.
        const guint key =
            gdk_unicode_to_keyval(static_cast<guint32>(static_cast<unsigned char>(keyEquivalent.front())));
        gtk_widget_add_accelerator(item, "activate", accelerators_.get(), key, GDK_CONTROL_MASK, GTK_ACCEL_VISIBLE);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_.get()), item);
    gtk_widget_show(item);
    items_.push_back(std::make_unique<GtkStatusMenuItem>(item, std::move(action)));
    return *items_.back();
}

MenuItem& GtkStatusMenu::insertItem(std::size_t position, std::string_view title, std::function<void()> action) {
    GtkWidget* item = gtk_menu_item_new_with_label(std::string(title).c_str());
    gtk_menu_shell_insert(GTK_MENU_SHELL(menu_.get()), item, static_cast<gint>(position));
    gtk_widget_show(item);
    items_.push_back(std::make_unique<GtkStatusMenuItem>(item, std::move(action)));
    return *items_.back();
}

void GtkStatusMenu::removeItem(MenuItem& item) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if (it->get() == &item) {
            // Out of the menu (and the tray's copy of it); a click already on its way
            // runs a copy of the action.
            gtk_container_remove(GTK_CONTAINER(menu_.get()), (*it)->widget());
            items_.erase(it);
            return;
        }
    }
}

void GtkStatusMenu::addSeparator() {
    GtkWidget* separator = gtk_separator_menu_item_new();
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_.get()), separator);
    gtk_widget_show(separator);
}

GtkStatusItem::GtkStatusItem() : indicator_(adoptGObject(makeIndicator())) {}

GtkStatusItem::~GtkStatusItem() {
    if (indicator_) {
        app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_PASSIVE);
    }
}

void GtkStatusItem::setImage(const std::optional<std::filesystem::path>& image) {
    if (!image) {
        app_indicator_set_icon_full(indicator_.get(), "", nullptr);
        hasImage_ = false;
        return;
    }
    // The tray finds the picture by name in the folder that holds it.
    addToIconSearchPath(image->parent_path().string());
    app_indicator_set_icon_theme_path(indicator_.get(), image->parent_path().c_str());
    app_indicator_set_icon_full(indicator_.get(), image->stem().c_str(), product::name);
    hasImage_ = true;
}

void GtkStatusItem::setMenu(std::unique_ptr<Menu> menu) {
    auto* gtkMenu = dynamic_cast<GtkStatusMenu*>(menu.get());
    if (gtkMenu == nullptr) {
        return;
    }
    menu_ = std::move(menu);
    app_indicator_set_menu(indicator_.get(), gtkMenu->gtkMenu());
    app_indicator_set_status(indicator_.get(), APP_INDICATOR_STATUS_ACTIVE);
}

}  // namespace platform::gtk
