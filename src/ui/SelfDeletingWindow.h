#pragma once
// A window object that its window owns: it is handed over when it is attached and deletes itself
// after the window's last message. The installer and uninstaller skins and the captured-dialog
// skin work this way.
//
//   ui::InstallDialog* skin =
//       ui::SelfDeletingWindow::AttachToWindow(std::make_unique<ui::InstallDialog>(bar, text),
//       window);
//   // skin == nullptr: attaching failed and the object is gone already.
//   ui::WindowOwnedRef<ui::InstallDialog> ref(skin);  // tells when the object has ended
//   if (auto* alive = ref.get()) alive->Dispose();     // end it early
//
// Ownership rule: the only `delete` of such an object is in OnFinalMessage, reached after
// WM_NCDESTROY or through Dispose. Attach is hidden, so no object can be attached without handing
// it to its window; a detached object is destroyed by whoever holds its unique_ptr.
//
// Thread-safety: the window's thread only; WindowOwnedRef::get is safe on that thread.

#include "ui/WindowImpl.h"

#include <memory>
#include <type_traits>

namespace ui {

class SelfDeletingWindow : public WindowImpl {
 public:
  // Attaches `object` to `window` and hands it to the window. Answers the object (now owned by the
  // window) or null when attaching failed, in which case the object has been destroyed here.
  template <typename T>
  static T* AttachToWindow(std::unique_ptr<T> object, HWND window) noexcept {
    static_assert(std::is_base_of_v<SelfDeletingWindow, T>);
    if (object == nullptr || !static_cast<SelfDeletingWindow&>(*object).Attach(window)) {
      return nullptr;
    }
    return object.release();
  }

  // Ends the object: detached and deleted now or, while it is handling a message of its window,
  // as soon as that message has returned. The pointer must not be used afterwards.
  void Dispose() noexcept;

  // Expires when the object has been deleted.
  std::weak_ptr<const void> Lifetime() const noexcept { return alive_; }

 protected:
  SelfDeletingWindow();
  void OnFinalMessage(HWND window) noexcept final;

 private:
  using WindowImpl::Attach;
  using WindowImpl::Detach;

  std::shared_ptr<const void> alive_;
};

// A non-owning reference to an object owned by its window, which knows when the object has ended.
template <typename T>
class WindowOwnedRef {
 public:
  WindowOwnedRef() noexcept = default;
  explicit WindowOwnedRef(T* object) noexcept
      : object_(object),
        alive_(object != nullptr ? object->Lifetime() : std::weak_ptr<const void>()) {}

  // The object, or null when there is none or it has ended.
  T* get() const noexcept { return alive_.expired() ? nullptr : object_; }
  void reset() noexcept { *this = WindowOwnedRef(); }

 private:
  T* object_ = nullptr;
  std::weak_ptr<const void> alive_;
};

}  // namespace ui
