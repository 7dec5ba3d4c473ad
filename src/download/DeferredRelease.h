#pragma once
// Releases services whose transfer a job no longer waits for, without making the job wait.
//
//   sink->Abandon();                                  // nothing reaches the file or view any more
//   download::ReleaseInBackground(std::move(service));  // returns at once
//   ...
//   download::AwaitBackgroundReleases();              // before the engine is torn down at unload
//
// Releasing a pooled service waits for the engine's shared worker, and that worker can be held
// for seconds by libcurl (a TLS handshake fetching a missing intermediate certificate runs inside
// curl_multi_perform). A cancelled download must answer at once, so the release runs on a thread of
// its own. That thread also holds an EngineSession until the service is gone, so the job's own
// session may end without tearing the engine down under the transfer (the last of the two to end
// does it). Should no thread be available, the service is released on the caller's thread, as
// before.
//
// AwaitBackgroundReleases returns once every release handed over so far has finished and its
// thread has been joined: the host calls it before it tears the engine down and unloads the code
// those threads run.
//
// Thread-safety: both may be called from any thread but an engine thread (an observer), at the same
// time.

#include "hftp/IService.h"

#include <memory>

namespace download {

void ReleaseInBackground(std::shared_ptr<hftp::IService> service) noexcept;

void AwaitBackgroundReleases() noexcept;

}  // namespace download
