#pragma once
// The bytes of one notification (see DataChunk). Valid only during IObserver::OnDataChunk:
// an observer copies what it wants to keep.

#include <cstdint>

namespace hftp {

class IDataAccessor {
 public:
  virtual ~IDataAccessor() = default;

  // Number of bytes at GetData(); 0 for pure state notifications.
  virtual std::uint32_t GetSize() const = 0;
  // The received bytes, or null when the notification carries none.
  virtual const char* GetData() const = 0;
  // Size of the whole resource as last learned from the response headers; 0 until then.
  virtual std::int64_t GetTotalSize() const = 0;
};

}  // namespace hftp
