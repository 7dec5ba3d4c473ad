#pragma once
// One notification of a transfer: a block of body bytes or a change of state, seen by the
// observer through its two views IDataAccessor and IDownloadStatus.
//
// Built by the transfer on its own stack for one IObserver::OnDataChunk call and destroyed right
// after it returns; `data` points into libcurl's receive buffer and is not owned.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "hftp/IDataAccessor.h"
#include "hftp/IDownloadStatus.h"

namespace hftp {

class DataChunk final : public IDataAccessor, public IDownloadStatus {
 public:
  DataChunk(const char* data, std::uint32_t size, std::int32_t status, std::int64_t totalSize,
            std::optional<std::string> headerLine, std::optional<std::int32_t> resultCode)
      : data_(data),
        size_(size),
        status_(status),
        totalSize_(totalSize),
        headerLine_(std::move(headerLine)),
        resultCode_(resultCode) {}

  std::uint32_t GetSize() const override { return size_; }
  const char* GetData() const override { return data_; }
  std::int64_t GetTotalSize() const override { return totalSize_; }

  int GetStatus() const override { return status_; }
  const std::optional<std::string>& GetHeaderLine() const override { return headerLine_; }
  const std::optional<std::int32_t>& GetResultCode() const override { return resultCode_; }

 private:
  const char* data_;
  std::uint32_t size_;
  std::int32_t status_;
  std::int64_t totalSize_;
  std::optional<std::string> headerLine_;
  std::optional<std::int32_t> resultCode_;
};

}  // namespace hftp
