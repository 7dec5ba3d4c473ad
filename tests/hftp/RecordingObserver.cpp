#include "RecordingObserver.h"

#include <gtest/gtest.h>

namespace hftp::test {

bool RecordingObserver::OnDataChunk(const IDataAccessor& data, const IDownloadStatus& status) {
  Notification n{status.GetStatus(),  data.GetData() == nullptr, {},
                 data.GetTotalSize(), status.GetHeaderLine(),    status.GetResultCode()};
  if (data.GetData() != nullptr) n.bytes.assign(data.GetData(), data.GetSize());
  notifications_.push_back(std::move(n));
  if (status.GetStatus() != StatusData) return true;
  ++dataChunks_;
  return !(refuseChunk && *refuseChunk == dataChunks_);
}

std::string RecordingObserver::Body() const {
  std::string body;
  for (const Notification& n : notifications_) {
    if (n.status == StatusData) body += n.bytes;
  }
  return body;
}

std::vector<Notification> RecordingObserver::Finals() const {
  std::vector<Notification> finals;
  for (const Notification& n : notifications_) {
    if (n.status != StatusData) finals.push_back(n);
  }
  return finals;
}

const Notification* RecordingObserver::Final() const {
  if (notifications_.empty() || Finals().size() != 1 ||
      notifications_.back().status == StatusData) {
    ADD_FAILURE() << "expected exactly one final notification, last; got " << Finals().size()
                  << " among " << notifications_.size();
    return nullptr;
  }
  return &notifications_.back();
}

int RecordingObserver::FinalStatus() const {
  const Notification* final = Final();
  return final ? final->status : -1;
}

}  // namespace hftp::test
