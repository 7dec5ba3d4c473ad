// libcurl's write and header handlers of a Service.
#include <cstdint>

#include "hftp/detail/EasyOptions.h"
#include "hftp/detail/HeaderParsing.h"
#include "hftp/detail/Service.h"
#include "hftp/detail/TlsOptions.h"

namespace hftp::detail {

// No exception may unwind through libcurl; one that gets here (out of memory) ends the transfer.
size_t Service::WriteCallback(char* data, size_t size, size_t count, void* service) {
  try {
    return static_cast<Service*>(service)->OnBody(data, size * count);
  } catch (...) {
    return 0;
  }
}

size_t Service::HeaderCallback(char* data, size_t size, size_t count, void* service) {
  try {
    return static_cast<Service*>(service)->OnHeaderLine(data, size * count);
  } catch (...) {
    return 0;
  }
}

int Service::PrereqCallback(void* service, char*, char*, int, int) {
  auto* const self = static_cast<Service*>(service);
  // A certificate known to be revoked ends the transfer before its request goes out.
  if (!self->CheckRevocation()) return CURL_PREREQFUNC_ABORT;
  self->AnnounceConnection();
  return CURL_PREREQFUNC_OK;
}

void Service::AnnounceConnection() noexcept {
  MSK_CHECK_THREAD(hostThread_);
  if (stopped_ || !observer_) return;
  try {
    observer_->OnConnected();
  } catch (...) {
  }
}

// Any return value other than `received` makes libcurl end the transfer with
// CURLE_WRITE_ERROR; `cut_` remembers why, for OnComplete.
size_t Service::OnBody(const char* data, size_t received) {
  MSK_CHECK_THREAD(hostThread_);
  if (stopped_ || bodyWithheld_ || !observer_) {
    // Accepted and dropped.
    if (bodyWithheld_ && !stopped_ && received > 0) bodyDropped_ = true;
    return received;
  }
  ApplyReceiveSpeedLimit();

  const ByteRange::Slice slice = range_.Take(received, partial_, totalSize_);
  if (slice.last) cut_ = range_.Undeliverable() ? Cut::RangeUndeliverable : Cut::AtRangeEnd;
  if (slice.count == 0) return slice.last ? 0 : received;
  // libcurl hands the body over in blocks of at most CURL_MAX_WRITE_SIZE (16 KiB), never more
  // than its receive buffer holds, so a block always fits the chunk's 32-bit size.
  const auto size = static_cast<std::uint32_t>(slice.count);
  if (!range_.HeadersOnly()) AnnounceResponse();
  if (!range_.HeadersOnly() && !Notify(StatusData, data + slice.offset, size, std::nullopt)) {
    cut_ = Cut::ByObserver;
    return 0;
  }
  return slice.last ? slice.count : received;
}

void Service::ApplyReceiveSpeedLimit() {
  std::uint32_t limit = IObserver::kUnlimited;
  try {
    limit = observer_->GetReceiveSpeedLimit();
  } catch (...) {
  }
  // Widened without sign extension: the default 0xFFFFFFFF stays a large positive limit.
  SetOffsetOption(handle_.Get(), CURLOPT_MAX_RECV_SPEED_LARGE, static_cast<curl_off_t>(limit));
}

size_t Service::OnHeaderLine(const char* data, size_t received) {
  MSK_CHECK_THREAD(hostThread_);
  size_t result = received;
  headerLine_.emplace(data, received);
  if (stopped_) return result;
  const std::string& line = *headerLine_;

  // Sizes and a withheld body count only for the response whose headers say so: a redirect's
  // Content-Length or "Connection: CLOSE" says nothing about the resource behind it.
  if (StartsResponse(line)) {
    totalSize_ = 0;
    partial_ = false;
    bodyWithheld_ = false;
    responseCode_ = StatusCodeOf(line);
    rangeFirst_.reset();
    validator_.reset();
    // A proxy's 407 is libcurl's to answer with a sign-on, on this connection or a new one; it
    // ends the transfer itself when it cannot (CURLOPT_FAILONERROR).
    proxyChallenge_ = responseCode_ == 407 && UsesProxy();
    // A plain http transfer gets the trusted roots only when it is redirected (TlsOptions.h).
    if (!rootsGiven_ && responseCode_ >= 300 && responseCode_ < 400) {
      rootsGiven_ = true;
      PrepareRedirect(handle_.Get());
    }
  }
  // A strong entity tag is the better validator: a date may not change within its second.
  if (std::optional<Validator> validator = ValidatorOf(line)) {
    if (!validator_ || validator_->kind != Validator::Kind::StrongETag) {
      validator_ = std::move(validator);
    }
  }
  // The rest of a withheld response's header is not examined; the next response's status line
  // (after a redirect) is.
  if (bodyWithheld_) return result;
  if (const std::optional<std::int64_t> first = ContentRangeFirstOf(line)) rangeFirst_ = first;
  // Only a status line carries a status code: another header may quote one ("X-Upstream:
  // HTTP/1.1 503 ...") in a response that succeeded.
  const int code = StartsResponse(line) ? StatusCodeOf(line) : 0;
  // A proxy's 407 is answered by libcurl on the next request: its "Connection: close" withholds
  // nothing of ours.
  if (HasConnectionClose(line) && !proxyChallenge_) {
    bodyWithheld_ = true;
    return result;
  }
  if (code == 206) {
    if (!range_.HeadersOnly()) partial_ = true;
  } else if (code >= 400 && !proxyChallenge_) {
    result = 0;
    stopped_ = true;
    cut_ = Cut::ByFinalHeader;
    if (observer_) {
      TransferFacts facts;
      facts.responseCode = code;
      facts.endedOnErrorStatus = true;
      ReportEnd(facts);
      Notify(code == 404 ? StatusNotFound : StatusError, nullptr, 0, std::nullopt);
    }
  }

  if (partial_) {
    const std::optional<std::int64_t> total = ContentRangeTotalOf(line);
    if (!total) return result;
    totalSize_ = *total;
    // A resumed download asks for its range outside range_, which stays "everything".
    if (resumeFrom_ == 0) range_.OnTotalSize(totalSize_);
  } else {
    const std::optional<std::int64_t> length = ContentLengthOf(line);
    if (!length) return result;
    totalSize_ = *length;
  }

  // result is already 0 when this very line was a final error status: one final notification.
  if (totalSize_ >= 0 && range_.HeadersOnly() && result != 0) {
    result = 0;
    stopped_ = true;
    cut_ = Cut::ByFinalHeader;
    if (observer_) {
      TransferFacts facts;
      facts.responseCode = responseCode_;
      facts.headersOnly = true;
      ReportEnd(facts);
      Notify(StatusSizeKnown, nullptr, 0, std::nullopt);
    }
  }
  return result;
}

}  // namespace hftp::detail
