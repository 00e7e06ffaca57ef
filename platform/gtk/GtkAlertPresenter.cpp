#include "platform/gtk/GtkAlertPresenter.h"

#include "platform/ProductNames.h"
#include "platform/gtk/GObjectPtr.h"
#include "platform/gtk/GtkTitledWindow.h"

#include <gtk/gtk.h>

#include <algorithm>

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
    const auto& titles = alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
    // Packed from the left, so the last one added (the first button) ends up at the right.
    for (auto index = titles.size(); index-- > 0;) {
        gtk_dialog_add_button(GTK_DIALOG(dialog), titles[index].c_str(),
                              alertFirstButtonReturn + static_cast<int>(index));
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
