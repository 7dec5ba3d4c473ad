#pragma once
// An IObserver for tests: records every notification, and can refuse data or ask for a speed
// limit. Services run on the test's own thread, so it needs no locking.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hftp/IObserver.h"
#include "hftp/Status.h"

namespace hftp::test {

struct Notification {
  int status;
  bool dataIsNull;
  std::string bytes;
  std::int64_t totalSize;
  std::optional<std::string> headerLine;
  std::optional<std::int32_t> resultCode;
};

// A report beside the notifications, with how many notifications came before it.
template <typename Report>
struct Reported {
  Report report;
  std::size_t after;
};

class RecordingObserver : public IObserver {
 public:
  bool OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) override;
  std::uint32_t GetReceiveSpeedLimit() override { return speedLimit; }
  void OnResponse(const ResponseInfo& response) override {
    responses.push_back({response, notifications_.size()});
  }
  void OnTransferEnd(const TransferResult& result) override {
    ends.push_back({result, notifications_.size()});
  }

  // Everything received, in order.
  const std::vector<Notification>& All() const { return notifications_; }
  // The bytes of all StatusData notifications, concatenated.
  std::string Body() const;
  std::vector<Notification> Finals() const;
  // The status of the one final notification, or -1 (with a test failure) when there is not
  // exactly one or anything follows it.
  int FinalStatus() const;
  const Notification* Final() const;

  std::vector<Reported<ResponseInfo>> responses;
  std::vector<Reported<TransferResult>> ends;
  std::uint32_t speedLimit = kUnlimited;
  // Refuse the data notification with this 1-based number.
  std::optional<std::size_t> refuseChunk;

 private:
  std::vector<Notification> notifications_;
  std::size_t dataChunks_ = 0;
};

}  // namespace hftp::test
