#pragma once

#include <gtkmm/widget.h>

namespace marlguide::ui {

// Gives a widget the name screen readers announce (icon-only buttons need one).
inline void set_accessible_label(Gtk::Widget& widget, const char* label) {
  gtk_accessible_update_property(GTK_ACCESSIBLE(widget.gobj()), GTK_ACCESSIBLE_PROPERTY_LABEL,
                                 label, -1);
}

}  // namespace marlguide::ui
