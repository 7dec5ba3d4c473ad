#include "plugin/Unloading.h"

#include "download/DeferredRelease.h"
#include "download/EngineSession.h"
#include "hftp/EngineTeardown.h"
#include "plugin/BackgroundDownloads.h"
#include "plugin/CapturedDialog.h"
#include "ui/SkinPictures.h"

namespace plugin {

UINT_PTR AtUnload(NSPIM message) {
  if (message != NSPIM_UNLOAD) return 0;
  CapturedDialog::Instance().Release();
  // The skin's pictures go here rather than under the loader lock.
  ui::UseBuiltInSkin();
  // A background download that did not end in time keeps the library (pinned) and libcurl's
  // state: its thread still uses both.
  if (!background::ShutDown()) return 0;
  // Transfers that a cancelled or overdue download left behind hold sessions of their own until
  // libcurl lets go of them (bounded: the revocation and name-lookup waits end in seconds).
  download::AwaitBackgroundReleases();
  // libcurl's global state goes here, on the installer's thread, rather than under the loader lock
  // at the unload itself. Every foreground download has ended (the commands return only then) and
  // the background ones are gone, so no transfer can run.
  if (download::EngineSession::Holders() != 0) return 0;
  try {
    hftp::TearDownEngine();
  } catch (...) {
  }
  hftp::ReleaseGlobalState();
  return 0;
}

}  // namespace plugin
