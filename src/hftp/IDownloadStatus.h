#pragma once
// The state of one notification (see DataChunk). Valid only during IObserver::OnDataChunk.

#include <cstdint>
#include <optional>
#include <string>

namespace hftp {

class IDownloadStatus {
 public:
  virtual ~IDownloadStatus() = default;

  // One of hftp::Status.
  virtual int GetStatus() const = 0;
  // The most recent response header line, verbatim with its line ending; absent before the first
  // one and in the abort notification sent when a service is destroyed.
  virtual const std::optional<std::string>& GetHeaderLine() const = 0;
  // libcurl's result code; present only in notifications sent when the transfer completed.
  virtual const std::optional<std::int32_t>& GetResultCode() const = 0;
};

}  // namespace hftp
