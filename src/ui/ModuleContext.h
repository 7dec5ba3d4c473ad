#pragma once
// What the user interface needs from the module that hosts it: the module its dialogs, strings and
// window bitmaps load from, and the one the skinned progress bar loads its pieces from. The host
// provides it when it is loaded: the plug-in its module state from DllMain, a test program that
// links the user interface on its own a context over its own executable.
//
//   class HostModule final : public ui::ModuleContext { ... };
//   ui::module::Provide(&hostModule);  // at load, before any window
//   HBITMAP background = ::LoadBitmapW(ui::module::ResourceInstance(), MAKEINTRESOURCEW(102));
//
// Until a context is provided, the resource instance and the skin module are null: nothing loads
// from them, and dialogs do not open.
//
// Thread-safety: provide the context before the user interface is first used; then every function
// may be called from any thread, so a context's members must allow that too (the plug-in keeps
// its values in atomics).

#include <windows.h>

namespace ui {

class ModuleContext {
 public:
  // The module that dialogs, strings and window bitmaps are loaded from.
  virtual HINSTANCE ResourceInstance() const noexcept = 0;
  // Puts `instance` in place as the resource instance and answers the previous one, in one step.
  virtual HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept = 0;
  // The module the skinned progress bar loads its pieces from (null when the library is not
  // loaded under its own file name).
  virtual HMODULE SkinModule() const noexcept = 0;

 protected:
  ~ModuleContext() = default;
};

namespace module {

// Makes `context` (which must outlive every use of the user interface) the one the functions below
// ask; null withdraws it.
void Provide(ModuleContext* context) noexcept;

// The provided context's answers; null (and no exchange) while none is provided.
HINSTANCE ResourceInstance() noexcept;
HINSTANCE ExchangeResourceInstance(HINSTANCE instance) noexcept;
HMODULE SkinModule() noexcept;

}  // namespace module
}  // namespace ui
