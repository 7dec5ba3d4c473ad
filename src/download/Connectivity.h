#pragma once
// Whether the machine has a network connection, as a download job asks between its waits.
//
//   if (!download::MachineIsOnline()) return DownloadOutcome::Of(DownloadResult::NoNetwork);
//
// On Windows the system's own check (tools/NetworkCheck.h); elsewhere always true, and tests
// script a lost network through download::JobEnvironment instead.
//
// Thread-safety: any thread.

namespace download {

bool MachineIsOnline() noexcept;

}  // namespace download
