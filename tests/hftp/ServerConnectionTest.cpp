// Server connections: whole responses through the callback, errors, parallel requests, requests
// from inside callbacks, and nothing left behind.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "EngineTest.h"
#include "TransferHelpers.h"
#include "plugin/PluginServiceFactory.h"
#include "support/TestServer.h"

namespace hftp::test {
namespace {

using msk::test::TestServer;

struct Result {
  int status = -1;
  std::string text;
  int calls = 0;
};

// Collects the callbacks of several requests, by identifier.
class Results {
 public:
  IServerConnection::ResultCallback Callback() {
    return [this, token = token_](long id, int status, const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex_);
      Result& result = results_[id];
      result.status = status;
      result.text = text;
      ++result.calls;
      ++total_;
      changed_.notify_all();
    };
  }
  bool WaitFor(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return total_ >= count; });
  }
  Result Of(long id) {
    std::lock_guard<std::mutex> lock(mutex_);
    return results_[id];
  }
  // Expires once every callback copy (each held by a request's observer) is gone.
  std::weak_ptr<int> Token() const { return token_; }
  void DropToken() { token_.reset(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<long, Result> results_;
  int total_ = 0;
  std::shared_ptr<int> token_ = std::make_shared<int>(0);
};

using ServerConnection = EngineTest;

TEST_F(ServerConnection, DeliversWholeResponsesAndErrorsOnceEach) {
  Results results;
  const std::string closed = "http://127.0.0.1:" + std::to_string(TestServer::ClosedPort()) + "/";
  {
    auto connection = CreateServiceFactory()->CreateServerConnection();
    connection->Request(1, TestServer::Url("/bytes?size=300000"), "", results.Callback());
    connection->Request(2, TestServer::Url("/echo/body"), "ping", results.Callback());
    connection->Request(3, TestServer::Url("/bytes?size=0"), "", results.Callback());
    connection->Request(4, TestServer::Url("/status/404"), "", results.Callback());
    connection->Request(5, TestServer::Url("/status/503?body=busy"), "x", results.Callback());
    connection->Request(6, closed, "", results.Callback());
  }  // requests in flight do not need the connection
  ASSERT_TRUE(results.WaitFor(6));

  EXPECT_EQ(results.Of(1).text, PatternBytes(0, 300000));
  EXPECT_EQ(results.Of(2).text, "ping");  // POSTed
  const std::pair<long, int> statuses[] = {{1, StatusCompleted}, {2, StatusCompleted},
                                           {3, StatusCompleted}, {4, StatusNotFound},
                                           {5, StatusError},     {6, StatusConnectionError}};
  for (const auto& [id, status] : statuses) {
    SCOPED_TRACE(id);
    EXPECT_EQ(results.Of(id).status, status);
    EXPECT_EQ(results.Of(id).calls, 1);
    if (status != StatusCompleted) {
      EXPECT_EQ(results.Of(id).text, "");
    }
  }
  EXPECT_EQ(results.Of(3).text, "");

  // Every request released its service and observer: nothing holds a callback any more.
  const std::weak_ptr<int> token = results.Token();
  results.DropToken();
  TearDownEngine();
  EXPECT_TRUE(token.expired());
}

TEST_F(ServerConnection, RequestsInFlightTogetherKeepTheirOwnIdentifiersAndTexts) {
  Results results;
  auto connection = CreateServiceFactory()->CreateServerConnection();
  constexpr long kCount = 12;
  for (long id = 0; id < kCount; ++id) {
    // The later ones answer first.
    const std::string delay = std::to_string(0.05 * static_cast<double>(kCount - id));
    connection->Request(id, TestServer::Url("/echo/body?delay=" + delay),
                        "request " + std::to_string(id), results.Callback());
  }
  ASSERT_TRUE(results.WaitFor(kCount));
  for (long id = 0; id < kCount; ++id) {
    EXPECT_EQ(results.Of(id).text, "request " + std::to_string(id));
  }
}

TEST_F(ServerConnection, ACallbackMayStartTheNextRequest) {
  Results results;
  auto connection = CreateServiceFactory()->CreateServerConnection();
  const auto next = results.Callback();
  // The 404 arrives inside curl_multi_perform, the completion in a job of its own.
  connection->Request(1, TestServer::Url("/status/404"), "",
                      [connection, next](long id, int status, const std::string& text) {
                        next(id, status, text);
                        connection->Request(
                            2, TestServer::Url("/bytes?size=5000"), "",
                            [connection, next](long id2, int status2, const std::string& text2) {
                              next(id2, status2, text2);
                              connection->Request(3, TestServer::Url("/echo/body"), "third", next);
                            });
                      });
  ASSERT_TRUE(results.WaitFor(3));
  EXPECT_EQ(results.Of(1).status, StatusNotFound);
  EXPECT_EQ(results.Of(2).text, PatternBytes(0, 5000));
  EXPECT_EQ(results.Of(3).text, "third");
}

}  // namespace
}  // namespace hftp::test
