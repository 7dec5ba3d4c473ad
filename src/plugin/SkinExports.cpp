// The skinning exports: the installer and uninstaller window skins, and the captured dialog with
// its release. Each records the skin module first (except Unload), so the progress bar finds its
// bitmaps in the library as it is loaded now. Under the plain look (MarlowSetupKit::Skin /PLAIN)
// the installer's windows keep their own look: the captures leave them alone and answer 1, the
// look asked for. None lets an exception reach the host.
#include "plugin/CapturedDialog.h"
#include "plugin/Exports.h"
#include "plugin/ModuleState.h"
#include "ui/InstallDialog.h"
#include "ui/SkinPictures.h"
#include "ui/UninstallDialog.h"

#include <memory>

namespace {

// Creates the skin and hands it to `window`; 1 when the window was subclassed. A skin that could
// not be attached is destroyed again, which also hands its controls back.
template <typename WindowSkin, typename... Args>
int AttachSkin(HWND window, Args... args) noexcept {
  if (ui::PlainLook()) return ::IsWindow(window) ? 1 : 0;
  try {
    return ui::SelfDeletingWindow::AttachToWindow(std::make_unique<WindowSkin>(args...), window) !=
                   nullptr
               ? 1
               : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace

extern "C" {

int CaptureInstallDialog(HWND window, HWND progressBar, HWND statusText) {
  plugin::ModuleState::Instance().RecordSkinModule();
  return AttachSkin<ui::InstallDialog>(window, progressBar, statusText);
}

int CaptureUninstallDialog(HWND window) {
  plugin::ModuleState::Instance().RecordSkinModule();
  return AttachSkin<ui::UninstallDialog>(window);
}

int CaptureDialog(HWND window) {
  plugin::ModuleState::Instance().RecordSkinModule();
  if (ui::PlainLook()) return ::IsWindow(window) ? 1 : 0;
  return plugin::CapturedDialog::Instance().Capture(window) ? 1 : 0;
}

void Unload() {
  plugin::CapturedDialog::Instance().Release();
}

}  // extern "C"
