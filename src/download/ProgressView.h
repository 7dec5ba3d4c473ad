#pragma once
// Where a download shows how far it has come: the progress dialog, the installer's instfiles page
// (ui/PageProgress.h), or a recorder in tests.
//
//   class Bar : public download::ProgressView {
//     void ShowPercent(int percent) noexcept override { ... }
//     void ShowBytes(std::uint64_t received, std::int64_t total) noexcept override { ... }
//   };
//
// Thread-safety: ShowPercent and ShowBytes are called on the engine's transfer thread (or on a
// thread that relays a background job's progress, download/BackgroundJobs.h), ShowRoute on the
// download's, never on the thread that owns the display; implementations hand the values over
// themselves (the dialog posts a message for the percentage and keeps the byte counts in atomics
// that its timer reads).

#include <cstdint>
#include <string>

namespace download {

class ProgressView {
 public:
  virtual ~ProgressView() = default;

  // `percent` is between 0 and 100; it is called only when the value changes.
  virtual void ShowPercent(int percent) noexcept = 0;

  // The bytes at the target so far (a resumed download counts what was there) and the size of
  // the whole resource (0 or less: unknown); called with every block, so it must be cheap. The
  // count goes down when a download starts over.
  virtual void ShowBytes(std::uint64_t /*received*/, std::int64_t /*total*/) noexcept {}

  // The way the download goes out ("direct", "proxy:3128"), before each transfer; called on the
  // download's own thread.
  virtual void ShowRoute(const std::wstring& /*route*/) noexcept {}
};

}  // namespace download
