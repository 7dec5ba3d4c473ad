// The download tests end as the plug-in does at NSIS's unload: transfers that a cancel or a limit
// left to be released in the background are awaited, so no thread outlives the program (the
// thread sanitizer reports one that does).
#include "download/DeferredRelease.h"

#include <gtest/gtest.h>

namespace {

class AwaitReleasesAtExit final : public ::testing::Environment {
 public:
  void TearDown() override { download::AwaitBackgroundReleases(); }
};

[[maybe_unused]] const ::testing::Environment* const kRegistered =
    ::testing::AddGlobalTestEnvironment(new AwaitReleasesAtExit);

}  // namespace
