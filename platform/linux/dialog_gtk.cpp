#include "platform/linux/dialog_gtk.h"

#include "platform/module_resources.h"

#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <set>
#include <string>

namespace {

constexpr const char* controlKey = "orvalune-control";

// What the view last showed, so that only real changes reach GTK (moving a window the user
// has dragged, or grabbing the focus again, would fight the user).
struct View {
    GtkWidget* window = nullptr;
    GtkWidget* fixed = nullptr;
    GMainLoop* loop = nullptr;
    bool syncing = false; // changes made for the procedure are not the user's
    RECT shownRect{-1, -1, -1, -1};
    HICON shownIcon = nullptr;
    int shownTopmost = -1;
    int shownVisible = -1;
    HWND shownFocus = nullptr;
};

View& viewOf(DialogWindow& dialog) { return *static_cast<View*>(dialog.view); }

bool gtkReady()
{
    static const bool ready = [] {
        gtk_disable_setlocale(); // the show prints and parses numbers in the C locale
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return ready;
}

GdkPixbuf* pixbufOfResource(const ModuleResource* resource)
{
    if (!resource)
        return nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, resource->data, resource->size, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
        pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
        if (pixbuf)
            g_object_ref(pixbuf);
    } else {
        gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
    return pixbuf;
}

// The resource's font where the desktop has it, else the desktop's sans at the same size.
std::string fontOf(const DialogTemplate& resource)
{
    return std::string(resource.fontFace) + ", Sans " + std::to_string(resource.fontPoints);
}

// Each dialog resource styles its own windows.
std::string styleClassOf(const DialogTemplate& resource) { return "orvalune-dialog-" + std::to_string(resource.id); }

void installStyle(const DialogTemplate& resource)
{
    static std::set<int> installed;
    if (!installed.insert(resource.id).second)
        return;
    // The dialog's font (as measured for its units), and controls as compact as Windows' are.
    const std::string scope = "." + styleClassOf(resource);
    const std::string css = scope + " { font-family: \"" + resource.fontFace + "\", Sans; font-size: " +
                            std::to_string(resource.fontPoints) + "pt; }\n" + scope +
                            " button { min-height: 0; min-width: 0; padding: 0 6px; }\n" + scope +
                            " combobox button { padding: 0 1px 0 3px; }\n" + scope +
                            " combobox arrow { min-width: 12px; min-height: 12px; }\n" + scope +
                            " checkbutton { padding: 0; }\n" + scope +
                            " checkbutton check { min-width: 12px; min-height: 12px; margin: 0 3px 0 0; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

DialogControl* controlOf(GtkWidget* widget)
{
    for (; widget; widget = gtk_widget_get_parent(widget))
        if (auto* control = static_cast<DialogControl*>(g_object_get_data(G_OBJECT(widget), controlKey)))
            return control;
    return nullptr;
}

void onClicked(GtkButton*, gpointer data)
{
    auto* control = static_cast<DialogControl*>(data);
    if (!viewOf(*control->dialog).syncing)
        dialogUserClick(*control);
}

void onToggled(GtkToggleButton* button, gpointer data)
{
    auto* control = static_cast<DialogControl*>(data);
    if (viewOf(*control->dialog).syncing)
        return;
    const bool ticked = gtk_toggle_button_get_active(button) != FALSE;
    if (ticked != (control->check == BST_CHECKED))
        dialogUserClick(*control);
    // The procedure may have answered otherwise (or the click was refused): show its state.
    gtkRefreshDialog(*control->dialog, control);
}

void onChanged(GtkComboBox* combo, gpointer data)
{
    auto* control = static_cast<DialogControl*>(data);
    if (!viewOf(*control->dialog).syncing)
        dialogUserSelect(*control, gtk_combo_box_get_active(combo));
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    dialogUserClose(*static_cast<DialogWindow*>(data));
    return TRUE; // the procedure decides whether the dialog ends
}

gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data)
{
    int virtualKey = 0;
    switch (event->keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: virtualKey = VK_RETURN; break;
    case GDK_KEY_Escape: virtualKey = VK_ESCAPE; break;
    default: return FALSE; // Tab, arrows and space work as GTK's controls make them work
    }
    DialogControl* focused = controlOf(gtk_window_get_focus(GTK_WINDOW(window)));
    return dialogUserKey(*static_cast<DialogWindow*>(data), virtualKey, focused) ? TRUE : FALSE;
}

gboolean onSignal(gpointer data)
{
    dialogUserClose(*static_cast<DialogWindow*>(data));
    return G_SOURCE_CONTINUE;
}

GtkWidget* bitmapWidget(const DialogControl& control)
{
    GdkPixbuf* picture = pixbufOfResource(findModuleResource(control.item.bitmap));
    if (!picture)
        return gtk_image_new();
    // The picture fills its place whatever the font makes of the dialog units: scaled evenly,
    // then the overhang cut off on both sides.
    const int width = control.rect.right - control.rect.left, height = control.rect.bottom - control.rect.top;
    const int pictureWidth = gdk_pixbuf_get_width(picture), pictureHeight = gdk_pixbuf_get_height(picture);
    if (pictureWidth != width || pictureHeight != height) {
        const double scale = std::max(double(width) / pictureWidth, double(height) / pictureHeight);
        const int scaledWidth = std::max(width, int(std::lround(pictureWidth * scale)));
        const int scaledHeight = std::max(height, int(std::lround(pictureHeight * scale)));
        GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, scaledWidth, scaledHeight, GDK_INTERP_BILINEAR);
        GdkPixbuf* cut = gdk_pixbuf_new_subpixbuf(scaled, (scaledWidth - width) / 2, (scaledHeight - height) / 2, width, height);
        g_object_unref(scaled);
        g_object_unref(picture);
        picture = cut;
    }
    GtkWidget* image = gtk_image_new_from_pixbuf(picture);
    g_object_unref(picture);
    return image;
}

GtkWidget* buildControl(DialogWindow& dialog, DialogControl& control)
{
    const DialogItem& item = control.item;
    GtkWidget* widget = nullptr;
    switch (item.kind) {
    case ControlKind::Bitmap:
        widget = bitmapWidget(control);
        break;
    case ControlKind::GroupBox:
        widget = gtk_frame_new(item.text[0] ? item.text : nullptr);
        break;
    case ControlKind::Text:
        widget = gtk_label_new(item.text);
        gtk_label_set_xalign(GTK_LABEL(widget), 0.0f);
        gtk_label_set_ellipsize(GTK_LABEL(widget), PANGO_ELLIPSIZE_END);
        break;
    case ControlKind::DropDownList: {
        widget = gtk_combo_box_text_new();
        // Long entries shorten in the field instead of widening it past its place.
        GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(widget));
        for (GList* cell = cells; cell; cell = cell->next)
            g_object_set(cell->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        g_list_free(cells);
        g_signal_connect(widget, "changed", G_CALLBACK(onChanged), &control);
        break;
    }
    case ControlKind::CheckBox:
        widget = gtk_check_button_new_with_label(item.text);
        g_signal_connect(widget, "toggled", G_CALLBACK(onToggled), &control);
        break;
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        widget = gtk_button_new_with_label(item.text);
        g_signal_connect(widget, "clicked", G_CALLBACK(onClicked), &control);
        break;
    }
    g_object_set_data(G_OBJECT(widget), controlKey, &control);
    if (!isTabStop(item.kind))
        gtk_widget_set_can_focus(widget, FALSE);
    gtk_widget_set_size_request(widget, control.rect.right - control.rect.left, control.rect.bottom - control.rect.top);
    gtk_fixed_put(GTK_FIXED(viewOf(dialog).fixed), widget, control.rect.left, control.rect.top);
    if (item.kind == ControlKind::DefaultPushButton) {
        gtk_widget_set_can_default(widget, TRUE);
        gtk_window_set_default(GTK_WINDOW(viewOf(dialog).window), widget);
    }
    return widget;
}

void showControl(DialogControl& control)
{
    auto* widget = static_cast<GtkWidget*>(control.view);
    gtk_widget_set_sensitive(widget, control.enabled);
    gtk_widget_set_visible(widget, control.visible);
    if (control.item.kind == ControlKind::DropDownList) {
        // Lists only grow: the entries added since the last time are appended.
        GtkComboBox* combo = GTK_COMBO_BOX(widget);
        const int shown = gtk_tree_model_iter_n_children(gtk_combo_box_get_model(combo), nullptr);
        for (size_t i = static_cast<size_t>(shown); i < control.entries.size(); ++i)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), control.entries[i].c_str());
        if (gtk_combo_box_get_active(combo) != control.selection)
            gtk_combo_box_set_active(combo, control.selection);
    } else if (control.item.kind == ControlKind::CheckBox) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), control.check == BST_CHECKED);
    }
}

void focusFirstTabStop(DialogWindow& dialog)
{
    for (auto& control : dialog.controls)
        if (isTabStop(control->item.kind) && control->enabled && control->visible) {
            gtk_widget_grab_focus(static_cast<GtkWidget*>(control->view));
            return;
        }
}

void showDialog(DialogWindow& dialog)
{
    View& view = viewOf(dialog);
    GtkWindow* window = GTK_WINDOW(view.window);
    const RECT& r = dialog.rect;
    if (r.left != view.shownRect.left || r.top != view.shownRect.top)
        gtk_window_move(window, r.left, r.top);
    view.shownRect = r;
    if (dialog.icon != view.shownIcon) {
        view.shownIcon = dialog.icon;
        GdkPixbuf* icon = pixbufOfResource(reinterpret_cast<const ModuleResource*>(dialog.icon));
        gtk_window_set_icon(window, icon);
        if (icon)
            g_object_unref(icon);
    }
    if (static_cast<int>(dialog.topmost) != view.shownTopmost) {
        view.shownTopmost = dialog.topmost;
        gtk_window_set_keep_above(window, dialog.topmost);
    }
    if (static_cast<int>(dialog.visible) != view.shownVisible) {
        view.shownVisible = dialog.visible;
        if (dialog.visible) {
            gtk_widget_show(view.fixed);
            gtk_widget_show(view.window);
        } else {
            gtk_widget_hide(view.window);
        }
    }
    if (dialog.visible && dialog.raiseRequested) {
        dialog.raiseRequested = false;
        gtk_window_present(window);
    }
    if (dialog.focus != view.shownFocus) {
        view.shownFocus = dialog.focus;
        if (DialogControl* control = findControl(dialog.focus))
            gtk_widget_grab_focus(static_cast<GtkWidget*>(control->view));
        else if (dialog.focus == handleOf(dialog))
            focusFirstTabStop(dialog);
    }
    if (dialog.ended && view.loop)
        g_main_loop_quit(view.loop);
}

} // namespace

RECT gtkDesktopRect()
{
    if (!gtkReady())
        return {};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return {};
    GdkRectangle area;
    gdk_monitor_get_geometry(monitor, &area);
    return {area.x, area.y, area.x + area.width, area.y + area.height};
}

DialogUnits gtkDialogUnits(const DialogTemplate& resource)
{
    DialogUnits units;
    if (!gtkReady())
        return units;
    // As Windows measures a dialog font: the average width of the 52 letters, and the height.
    PangoContext* context = gdk_pango_context_get();
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_from_string(fontOf(resource).c_str());
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    pango_font_description_free(font);
    g_object_unref(layout);
    g_object_unref(context);
    if (width > 0 && height > 0) {
        units.baseX = (width / 26 + 1) / 2;
        units.baseY = height;
    }
    return units;
}

bool gtkOpenDialog(DialogWindow& dialog)
{
    if (!gtkReady())
        return false;
    const DialogTemplate& resource = *dialog.resource;
    installStyle(resource);
    auto* view = new View;
    dialog.view = view;
    view->window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* window = GTK_WINDOW(view->window);
    gtk_window_set_title(window, resource.caption);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_style_context_add_class(gtk_widget_get_style_context(view->window), styleClassOf(resource).c_str());
    view->fixed = gtk_fixed_new();
    gtk_widget_set_size_request(view->fixed, dialog.rect.right - dialog.rect.left, dialog.rect.bottom - dialog.rect.top);
    gtk_container_add(GTK_CONTAINER(view->window), view->fixed);
    g_signal_connect(view->window, "delete-event", G_CALLBACK(onDelete), &dialog);
    g_signal_connect(view->window, "key-press-event", G_CALLBACK(onKeyPress), &dialog);
    for (auto& control : dialog.controls) {
        control->view = buildControl(dialog, *control);
        gtkRefreshDialog(dialog, control.get());
    }
    gtkRefreshDialog(dialog, nullptr);
    return true;
}

void gtkRefreshDialog(DialogWindow& dialog, DialogControl* control)
{
    if (!dialog.view)
        return;
    View& view = viewOf(dialog);
    view.syncing = true;
    if (control) {
        if (control->view)
            showControl(*control);
    } else {
        showDialog(dialog);
    }
    view.syncing = false;
}

void gtkRunDialog(DialogWindow& dialog)
{
    View& view = viewOf(dialog);
    view.loop = g_main_loop_new(nullptr, FALSE);
    // GLib leaves the default action behind when its watch goes: whoever handled the signals
    // before the dialog (SDL, once the show runs) gets them back.
    struct sigaction interruptBefore {}, terminateBefore {};
    sigaction(SIGINT, nullptr, &interruptBefore);
    sigaction(SIGTERM, nullptr, &terminateBefore);
    const guint interrupt = g_unix_signal_add(SIGINT, onSignal, &dialog);
    const guint terminate = g_unix_signal_add(SIGTERM, onSignal, &dialog);
    if (!dialog.ended)
        g_main_loop_run(view.loop);
    g_source_remove(interrupt);
    g_source_remove(terminate);
    sigaction(SIGINT, &interruptBefore, nullptr);
    sigaction(SIGTERM, &terminateBefore, nullptr);
    g_main_loop_unref(view.loop);
    view.loop = nullptr;
}

void gtkCloseDialog(DialogWindow& dialog)
{
    if (!dialog.view)
        return;
    View* view = &viewOf(dialog);
    gtk_widget_destroy(view->window);
    // Let the window leave the screen before whatever comes next opens its own.
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
    gdk_display_flush(gdk_display_get_default());
    for (auto& control : dialog.controls)
        control->view = nullptr;
    dialog.view = nullptr;
    delete view;
}
