#pragma once

#include <glib-object.h>

#include <memory>

// Plain GObject references for signal handlers. A handler that keeps a gtkmm wrapper pointer
// dangles once GTK disposes the widget; these keep (or watch) the GObject itself.
namespace marlguide::ui {

// A strong, copyable reference to a GObject; the object lives at least as long as the last
// copy.
template <typename T>
std::shared_ptr<T> hold(T* object) {
  g_object_ref(object);
  return std::shared_ptr<T>(object, [](T* o) { g_object_unref(o); });
}

// A copyable weak reference: `get` gives a strong reference while the object lives, and an
// empty one after it has been finalized.
template <typename T>
class WeakRef {
 public:
  explicit WeakRef(T* object)
      : ref_(new GWeakRef, [](GWeakRef* r) {
          g_weak_ref_clear(r);
          delete r;
        }) {
    g_weak_ref_init(ref_.get(), object);
  }

  std::shared_ptr<T> get() const {
    auto* object = static_cast<T*>(g_weak_ref_get(ref_.get()));
    if (!object) return {};
    return std::shared_ptr<T>(object, [](T* o) { g_object_unref(o); });
  }

 private:
  std::shared_ptr<GWeakRef> ref_;
};

}  // namespace marlguide::ui
