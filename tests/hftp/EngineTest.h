#pragma once
// Helpers of the tests that start the engine's shared threads: a fixture that tears the engine down
// after each test, as a download does, so that the next one starts afresh; and the test server's
// URLs as the factory takes them.

#include <gtest/gtest.h>

#include <string>

#include "hftp/EngineTeardown.h"
#include "support/TestServer.h"

namespace hftp::test {

class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override { TearDownEngine(); }
};

// TestServer::Url(pathAndQuery) widened (the server's URLs are ASCII).
inline std::wstring WideUrl(const std::string& pathAndQuery) {
  const std::string url = msk::test::TestServer::Url(pathAndQuery);
  return std::wstring(url.begin(), url.end());
}

}  // namespace hftp::test
