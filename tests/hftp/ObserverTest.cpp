// The server connection's observer on its own: what it reports, when it releases its service.
#include "hftp/detail/Observer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hftp/DataChunk.h"
#include "hftp/Status.h"

namespace hftp::test {
namespace {

using detail::Observer;

// Stands for the pooled service: tells when it is released.
class FakeService : public IService {
 public:
  explicit FakeService(bool& released) : released_(released) {}
  ~FakeService() override { released_ = true; }

 private:
  bool& released_;
};

struct Call {
  long id;
  int status;
  std::string text;
  bool serviceReleased;  // at the time of the call
};

bool Notify(Observer& observer, int status, const std::string& bytes = "") {
  const DataChunk chunk(bytes.empty() ? nullptr : bytes.data(),
                        static_cast<std::uint32_t>(bytes.size()), status, 0, std::nullopt,
                        std::nullopt);
  return observer.OnDataChunk(chunk, chunk);
}

TEST(ServerConnectionObserver, ReportsTheWholeBodyOnceAfterReleasingItsService) {
  std::vector<Call> calls;
  bool released = false;
  Observer observer(
      [&](long id, int status, const std::string& text) {
        calls.push_back({id, status, text, released});
      },
      42);
  observer.Own(std::make_unique<FakeService>(released));

  EXPECT_TRUE(Notify(observer, StatusData, "hello "));
  EXPECT_TRUE(Notify(observer, StatusData, std::string("wor\0ld", 6)));
  EXPECT_FALSE(released);
  EXPECT_TRUE(Notify(observer, StatusCompleted));
  EXPECT_FALSE(Notify(observer, StatusAborted));  // a later abort is not reported again

  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].id, 42);
  EXPECT_EQ(calls[0].status, StatusCompleted);
  EXPECT_EQ(calls[0].text, std::string("hello wor\0ld", 12));
  EXPECT_TRUE(calls[0].serviceReleased);
}

TEST(ServerConnectionObserver, AFailureReportsItsStatusWithoutText) {
  for (const int status : {StatusNotFound, StatusError, StatusConnectionError, StatusAborted}) {
    std::vector<Call> calls;
    bool released = false;
    Observer observer(
        [&](long id, int s, const std::string& text) {
          calls.push_back({id, s, text, released});
        },
        7);
    observer.Own(std::make_unique<FakeService>(released));
    Notify(observer, StatusData, "partial");
    EXPECT_FALSE(Notify(observer, status));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].status, status);
    EXPECT_EQ(calls[0].text, "");
    EXPECT_TRUE(released);
  }
}

TEST(ServerConnectionObserver, AServiceHandedOverAfterTheResultIsReleasedAtOnce) {
  int calls = 0;
  bool released = false;
  Observer observer([&](long, int, const std::string&) { ++calls; }, 1);
  Notify(observer, StatusCompleted);  // the transfer was faster than its creator
  EXPECT_EQ(calls, 1);
  observer.Own(std::make_unique<FakeService>(released));
  EXPECT_TRUE(released);
}

TEST(ServerConnectionObserver, AnEmptyCallbackStillReleasesTheService) {
  bool released = false;
  Observer observer(IServerConnection::ResultCallback(), 1);
  observer.Own(std::make_unique<FakeService>(released));
  EXPECT_FALSE(Notify(observer, StatusNotFound));
  EXPECT_TRUE(released);
}

}  // namespace
}  // namespace hftp::test
