#include "platform/gtk/GtkAlertPresenter.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkSettingsWindow.h"
#include "platform/gtk/ThemeStyle.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>

namespace platform::gtk {

namespace {

GtkMessageType messageType(AlertStyle style) {
    switch (style) {
    case AlertStyle::informational: return GTK_MESSAGE_INFO;
    case AlertStyle::critical: return GTK_MESSAGE_ERROR;
    case AlertStyle::warning: break;
    }
    return GTK_MESSAGE_WARNING;
}

// The theme's own text colour, set on the text, so that it holds in every state of the
// window: themes dim a window's text while another window has the focus (GTK's
// backdrop state), and a question's text dimmed there fell to about 2.7:1.
void keepTextReadable(GtkWidget* label) {
    const GdkRGBA background = themeColor(label, "theme_bg_color", GdkRGBA{0.96, 0.96, 0.96, 1});
    const GdkRGBA text = readableTextColor(label, TextColor::label, background);
    PangoAttrList* kept = gtk_label_get_attributes(GTK_LABEL(label));
    PangoAttributes attributes(kept != nullptr ? pango_attr_list_copy(kept) : pango_attr_list_new());
    // Replaces the colour set before (a theme change), keeping the weight and size GTK set.
    const auto channel = [](double value) { return static_cast<guint16>(std::lround(value * 65535)); };
    pango_attr_list_change(attributes.get(),
                           pango_attr_foreground_new(channel(text.red), channel(text.green), channel(text.blue)));
    gtk_label_set_attributes(GTK_LABEL(label), attributes.get());
}

void onLabelStyleUpdated(GtkWidget* label, gpointer) { keepTextReadable(label); }

// Readable now and after every change of theme.
void keepLabelReadable(GtkWidget* label) {
    if (GTK_IS_LABEL(label)) {
        keepTextReadable(label);
        g_signal_connect(label, "style-updated", G_CALLBACK(&onLabelStyleUpdated), nullptr);
    }
}

// The message and the informative text below it (the buttons' titles are kept as
// they are added: Adwaita draws them at 2.7:1 behind another window).
void keepMessageReadable(GtkMessageDialog* dialog) {
    GList* labels = gtk_container_get_children(GTK_CONTAINER(gtk_message_dialog_get_message_area(dialog)));
    for (GList* item = labels; item != nullptr; item = item->next) {
        keepLabelReadable(GTK_WIDGET(item->data));
    }
    g_list_free(labels);
}

}  // namespace

void GtkAlertPresenter::dismissAll() {
    dismissed_ = true;
    for (void* dialog : running_) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NONE);
    }
}

int GtkAlertPresenter::runModal(const Alert& alert) {
    if (dismissed_) {
        return 0;
    }
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, messageType(alert.style), GTK_BUTTONS_NONE,
                                               "%s", alert.messageText.c_str());
    if (!alert.informativeText.empty()) {
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", alert.informativeText.c_str());
    }
    gtk_window_set_title(GTK_WINDOW(dialog), product::name);
    keepMessageReadable(GTK_MESSAGE_DIALOG(dialog));
    const auto& titles = alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
    // Packed from the left, so the last one added (the first button) ends up at the right.
    for (auto index = titles.size(); index-- > 0;) {
        GtkWidget* button = gtk_dialog_add_button(GTK_DIALOG(dialog), titles[index].c_str(),
                                                  alertFirstButtonReturn + static_cast<int>(index));
        keepLabelReadable(gtk_bin_get_child(GTK_BIN(button)));
    }
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), alertFirstButtonReturn);
    // The application has no window in front to attach the alert to: it comes up
    // centred and above the others, focused even while another application is active.
    gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    presentWithServerTime(GTK_WINDOW(dialog));

    // Held while it runs: the dialog may be destroyed under the run (its display going
    // away as the session ends), and must still be a widget when it is torn down here.
    const auto held = retainFloating(dialog);
    running_.push_back(dialog);
    const int response = gtk_dialog_run(GTK_DIALOG(dialog));
    running_.erase(std::find(running_.begin(), running_.end(), dialog));
    gtk_widget_destroy(dialog);
    // Closing the alert without a button answers none of them.
    return response >= alertFirstButtonReturn ? response : 0;
}

}  // namespace platform::gtk
