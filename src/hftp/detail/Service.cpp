#include "hftp/detail/Service.h"

#include <chrono>
#include <utility>

#include "hftp/DataChunk.h"
#include "hftp/detail/CurlGlobal.h"
#include "hftp/detail/EasyOptions.h"
#include "hftp/detail/ResultClassification.h"
#include "hftp/detail/TlsOptions.h"

namespace hftp::detail {
namespace {

TransferRequest PositionalRequest(std::string url, const ProxyInfo& proxy, std::string user,
                                  std::string password, std::int32_t stallTimeout,
                                  std::string cookie) {
  TransferRequest request;
  request.url = std::move(url);
  request.proxy = proxy;
  request.user = std::move(user);
  request.password = std::move(password);
  request.stallTimeout = stallTimeout > 0 ? stallTimeout : 0;
  request.cookie = std::move(cookie);
  return request;
}

}  // namespace

Service::Service(std::string url, std::shared_ptr<IObserver> observer, const ProxyInfo& proxy,
                 std::string user, std::string password, std::int32_t stallTimeout,
                 const std::vector<std::string>& headers, std::string cookie)
    : Service(
          [&] {
            TransferRequest request =
                PositionalRequest(std::move(url), proxy, std::move(user), std::move(password),
                                  stallTimeout, std::move(cookie));
            request.headers = headers;
            return request;
          }(),
          std::move(observer)) {}

Service::Service(std::string url, std::int64_t from, std::int64_t to,
                 std::shared_ptr<IObserver> observer, const ProxyInfo& proxy, std::string user,
                 std::string password, std::int32_t stallTimeout, std::string cookie)
    : Service(
          [&] {
            TransferRequest request =
                PositionalRequest(std::move(url), proxy, std::move(user), std::move(password),
                                  stallTimeout, std::move(cookie));
            request.from = from;
            request.to = to;
            return request;
          }(),
          std::move(observer)) {}

Service::Service(std::string url, const std::vector<unsigned char>& body,
                 std::shared_ptr<IObserver> observer, const ProxyInfo& proxy, std::string user,
                 std::string password, std::int32_t stallTimeout, std::string cookie)
    : Service(
          [&] {
            TransferRequest request =
                PositionalRequest(std::move(url), proxy, std::move(user), std::move(password),
                                  stallTimeout, std::move(cookie));
            request.body = body;
            return request;
          }(),
          std::move(observer)) {}

Service::Service(std::string url, const std::string& body, std::shared_ptr<IObserver> observer,
                 const ProxyInfo& proxy, std::string user, std::string password,
                 std::int32_t stallTimeout, std::string cookie)
    : Service(std::move(url), std::vector<unsigned char>(body.begin(), body.end()),
              std::move(observer), proxy, std::move(user), std::move(password), stallTimeout,
              std::move(cookie)) {}

Service::Service(TransferRequest request, std::shared_ptr<IObserver> observer)
    : body_(std::move(request.body)),
      observer_(std::move(observer)),
      proxy_(std::move(request.proxy)),
      url_(std::move(request.url)),
      user_(std::move(request.user)),
      password_(std::move(request.password)),
      range_(request.from, request.to),
      stallTimeout_(request.stallTimeout),
      connectTimeout_(request.connectTimeout),
      totalTimeout_(request.totalTimeout),
      userAgent_(std::move(request.userAgent)),
      resumeFrom_(request.resumeFrom),
      cookie_(std::move(request.cookie)) {
  errorText_[0] = '\0';
  for (const std::string& line : request.headers) AppendToList(headerList_, line);
  Configure();
}

Service::~Service() {
  MSK_CHECK_THREAD(hostThread_);
  if (!stopped_) aborted_ = true;
  stopped_ = true;
  if (aborted_ && !completed_) NotifyAbortedAtDestruction();
  // The members release the handle, then the header list, then the observer.
}

// The options, their values and their order are part of the engine's behaviour; tests compare
// them through EasyOptions' recording.
void Service::Configure() {
  MSK_CHECK_THREAD(hostThread_);
  handle_ = CreateEasyHandle();
  CURL* const h = handle_.Get();
  if (h == nullptr) return;  // Run then fails with CURLE_BAD_FUNCTION_ARGUMENT

  SetPointerOption(h, CURLOPT_WRITEDATA, this);
  SetCallbackOption(h, CURLOPT_WRITEFUNCTION, &Service::WriteCallback);
  SetOffsetOption(h, CURLOPT_INFILESIZE_LARGE, -1);
  SetTextOption(h, CURLOPT_URL, url_.c_str());
  if (!proxy_.host.empty()) {
    SetTextOption(h, CURLOPT_PROXY, proxy_.address.c_str());
    SetLongOption(h, CURLOPT_PROXYTYPE, proxy_.type);
    if (proxy_.address.empty()) {
      // No proxy at all. Reset rather than "", for the reason given for CURLOPT_USERPWD below.
      SetTextOption(h, CURLOPT_PROXYUSERPWD, nullptr);
    } else if (proxy_.credentials.empty()) {
      // A proxy that asks for a sign-on (407) gets the logged-on user's own Windows credentials:
      // the empty user and password tell SSPI to use them. Basic is left out, so that nothing
      // empty is ever sent in the clear.
      SetTextOption(h, CURLOPT_PROXYUSERPWD, ":");
      SetLongOption(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_NEGOTIATE | CURLAUTH_NTLM));
    } else {
      // Given credentials answer whichever scheme the proxy offers (Basic, Digest, NTLM...).
      SetTextOption(h, CURLOPT_PROXYUSERPWD, proxy_.credentials.c_str());
      SetLongOption(h, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY));
    }
  }
  SetLongOption(h, CURLOPT_NOPROGRESS, 1);
  SetLongOption(h, CURLOPT_FAILONERROR, 1);
  SetLongOption(h, CURLOPT_UPLOAD, 0);
  SetLongOption(h, CURLOPT_NETRC, 0);
  SetLongOption(h, CURLOPT_FOLLOWLOCATION, 1);
  SetLongOption(h, CURLOPT_UNRESTRICTED_AUTH, 0);
  SetLongOption(h, CURLOPT_TRANSFERTEXT, 0);
  if (!user_.empty()) userPassword_ = password_.empty() ? user_ : user_ + ":" + password_;
  // Without a user the option is reset rather than set to "": libcurl takes "" for an empty user
  // name and sends "Authorization: Basic Og==" with every request, which servers that check
  // credentials answer with 401 (or 400) where an anonymous request would have succeeded.
  SetTextOption(h, CURLOPT_USERPWD, user_.empty() ? nullptr : userPassword_.c_str());
  SetLongOption(h, CURLOPT_TIMEOUT, totalTimeout_);
  if (stallTimeout_ > 0) {
    // libcurl's check ends a transfer that has received nothing yet; it also wakes the transfer
    // once a second, which lets the progress callback keep the limit once the body has begun.
    SetLongOption(h, CURLOPT_LOW_SPEED_TIME, stallTimeout_);
    SetLongOption(h, CURLOPT_LOW_SPEED_LIMIT, 1);
    SetLongOption(h, CURLOPT_NOPROGRESS, 0);
    SetCallbackOption(h, CURLOPT_XFERINFOFUNCTION, &Service::ProgressCallback);
    SetPointerOption(h, CURLOPT_XFERINFODATA, this);
  }
  SetTextOption(h, CURLOPT_REFERER, nullptr);
  SetLongOption(h, CURLOPT_AUTOREFERER, 0);
  SetLongOption(h, CURLOPT_SSL_VERIFYHOST, 2);
  SetLongOption(h, CURLOPT_MAXREDIRS, 50);
  SetLongOption(h, CURLOPT_CRLF, 0);
  SetListOption(h, CURLOPT_QUOTE, nullptr);
  SetListOption(h, CURLOPT_POSTQUOTE, nullptr);
  SetListOption(h, CURLOPT_PREQUOTE, nullptr);
  SetLongOption(h, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);  // TLS 1.2 at least
  // The installer runs what it downloads: the server must prove it is the one the URL names.
  SetLongOption(h, CURLOPT_SSL_VERIFYPEER, 1);
  ConfigureTls(h, url_);
  rootsGiven_ = StartsOnHttps(url_);
  // Each ready connection's server certificate is checked for revocation beside the transfer,
  // not inside its handshake (hftp/RevocationCheck.h), and the observer hears that the connection
  // stands (OnConnected), before each request goes out.
  SetCallbackOption(h, CURLOPT_PREREQFUNCTION, &Service::PrereqCallback);
  SetPointerOption(h, CURLOPT_PREREQDATA, this);
  SetLongOption(h, CURLOPT_TIMECONDITION, 0);
  SetLongOption(h, CURLOPT_TIMEVALUE, 0);
  SetTextOption(h, CURLOPT_CUSTOMREQUEST, nullptr);
  SetLongOption(h, CURLOPT_HTTPPROXYTUNNEL, 0);
  SetTextOption(h, CURLOPT_INTERFACE, nullptr);
  SetTextOption(h, CURLOPT_KRBLEVEL, nullptr);
  SetListOption(h, CURLOPT_TELNETOPTIONS, nullptr);
  // Both options do nothing in current libcurl (and warn as deprecated), but resetting them is
  // part of the sequence every transfer has always set.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  SetTextOption(h, CURLOPT_RANDOM_FILE, nullptr);
  SetTextOption(h, CURLOPT_EGDSOCKET, nullptr);
#pragma GCC diagnostic pop
  SetLongOption(h, CURLOPT_CONNECTTIMEOUT, connectTimeout_);
  SetTextOption(h, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl can decode
  SetLongOption(h, CURLOPT_IPRESOLVE, 0);
  // A transfer taken out while its name lookup still runs leaves the resolver thread to finish
  // on its own, instead of joining it on the shared worker: a lookup held for 20 s would hold
  // every pooled transfer, a cancel and the time limits with it.
  SetLongOption(h, CURLOPT_QUICK_EXIT, 1);
  SetCallbackOption(h, CURLOPT_HEADERFUNCTION, &Service::HeaderCallback);
  SetPointerOption(h, CURLOPT_HEADERDATA, this);
  SetLongOption(h, CURLOPT_MAXCONNECTS, 10);
  ConfigureRange();
  SetLongOption(h, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  if (!body_.empty()) {
    SetLongOption(h, CURLOPT_POST, 1);
    SetPointerOption(h, CURLOPT_POSTFIELDS, body_.data());
    SetLongOption(h, CURLOPT_POSTFIELDSIZE, static_cast<long>(body_.size()));
  }
  if (headerList_.Get() != nullptr) SetListOption(h, CURLOPT_HTTPHEADER, headerList_.Get());
  SetTextOption(h, CURLOPT_COOKIEFILE, "");  // cookie engine on, no file read
  if (!cookie_.empty()) SetTextOption(h, CURLOPT_COOKIELIST, cookie_.c_str());
  if (!userAgent_.empty()) SetTextOption(h, CURLOPT_USERAGENT, userAgent_.c_str());
  // libcurl's own words for a failure, for OnTransferEnd.
  SetPointerOption(h, CURLOPT_ERRORBUFFER, errorText_.data());
}

void Service::ConfigureRange() {
  if (resumeFrom_ > 0) {
    // Not a ByteRange: its accounting would turn a 200 answer into the bytes from here on, and the
    // observer decides itself what to do with a server that ignores the range.
    SetTextOption(handle_.Get(), CURLOPT_RANGE, (std::to_string(resumeFrom_) + "-").c_str());
    return;
  }
  if (range_.HeadersOnly()) {
    SetLongOption(handle_.Get(), CURLOPT_NOBODY, 1);
    return;
  }
  const std::string rangeText = range_.Text();
  if (!rangeText.empty()) SetTextOption(handle_.Get(), CURLOPT_RANGE, rangeText.c_str());
}

void Service::Run() {
  MSK_CHECK_THREAD(hostThread_);
  OnComplete(curl_easy_perform(handle_.Get()));
}

void* Service::GetHandle() const noexcept {
  MSK_CHECK_THREAD(hostThread_);
  return handle_.Get();
}

void Service::OnComplete(CURLcode result) {
  MSK_CHECK_THREAD(hostThread_);
  stopped_ = true;
  // The stall watch ended it: the same end as libcurl's own stall check.
  if (stalled_ && result == CURLE_ABORTED_BY_CALLBACK) result = CURLE_OPERATION_TIMEDOUT;
  // The connection handler refused a revoked certificate: a peer that did not verify.
  if (certificateRevoked_ && result == CURLE_ABORTED_BY_CALLBACK) {
    result = CURLE_PEER_FAILED_VERIFICATION;
  }
  Status status = ClassifyResult(result);
  bool rangeUndeliverable = false;
  // The service cut the transfer itself; what that means depends on why.
  if (status == StatusRefused) {
    if (cut_ == Cut::AtRangeEnd && range_.Complete()) {
      status = StatusCompleted;
    } else if (cut_ == Cut::RangeUndeliverable) {
      status = StatusTransferError;
      rangeUndeliverable = true;
    } else if (cut_ == Cut::None) {
      status = StatusError;  // a write error that none of ours caused
    }
  } else if (status == StatusCompleted && range_.Undeliverable()) {
    status = StatusTransferError;  // the whole resource ended before the range began
    rangeUndeliverable = true;
  }
  if (status == StatusAborted) aborted_ = true;
  if (status == StatusCompleted) completed_ = true;
  if (!observer_ || status == StatusRefused) return;  // refusals were the observer's or final
  if (status == StatusCompleted && !range_.HeadersOnly()) AnnounceResponse();
  TransferFacts facts = FactsAtEnd(status == StatusCompleted ? CURLE_OK : result);
  facts.rangeUndeliverable = rangeUndeliverable;
  ReportEnd(facts);
  Notify(status, nullptr, 0, static_cast<std::int32_t>(result));
}

int Service::ProgressCallback(void* service, curl_off_t, curl_off_t received, curl_off_t,
                              curl_off_t) {
  return static_cast<Service*>(service)->BodyStillArriving(received) ? 0 : 1;
}

bool Service::BodyStillArriving(curl_off_t received) {
  const auto now = std::chrono::steady_clock::now();
  if (received != lastReceived_) {
    lastReceived_ = received;
    lastArrival_ = now;
    return true;
  }
  // Before the first byte of a body, libcurl's own check is exact: its average is zero.
  if (received == 0 || now - lastArrival_ < std::chrono::seconds(stallTimeout_)) return true;
  stalled_ = true;
  return false;
}

void Service::AnnounceResponse() noexcept {
  if (responseAnnounced_) return;
  responseAnnounced_ = true;
  try {
    ResponseInfo response;
    response.statusCode = responseCode_;
    response.rangeFirst = rangeFirst_;
    response.validator = validator_ ? validator_->value : std::string();
    response.bodyWithheld = bodyWithheld_;
    response.revocation = revocation_;
    observer_->OnResponse(response);
  } catch (...) {
  }
}

TransferFacts Service::FactsAtEnd(CURLcode result) const {
  TransferFacts facts;
  facts.resultCode = static_cast<int>(result);
  facts.responseCode = responseCode_;
  facts.headersOnly = range_.HeadersOnly();
  facts.bodyWithheld = bodyDropped_;
  facts.certificateRevoked = certificateRevoked_;
  facts.throughProxy = UsesProxy();
  facts.totalTimeout = std::chrono::seconds(totalTimeout_);
  facts.stallTimeout = std::chrono::seconds(stallTimeout_ > 0 ? stallTimeout_ : 0);
  if (result != CURLE_OK) {
    facts.message = errorText_[0] != '\0' ? errorText_.data() : curl_easy_strerror(result);
  }
  if (CURL* const h = handle_.Get()) {
    // An address is recorded once a connection (to the server or the proxy) stands.
    const char* address = nullptr;
    facts.connected = curl_easy_getinfo(h, CURLINFO_PRIMARY_IP, &address) == CURLE_OK &&
                      address != nullptr && address[0] != '\0';
    long code = 0;
    if (facts.responseCode == 0 &&
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK) {
      facts.responseCode = static_cast<int>(code);
    }
    long connectCode = 0;
    if (curl_easy_getinfo(h, CURLINFO_HTTP_CONNECTCODE, &connectCode) == CURLE_OK) {
      facts.proxyConnectCode = static_cast<int>(connectCode);
    }
    curl_off_t microseconds = 0;
    if (curl_easy_getinfo(h, CURLINFO_TOTAL_TIME_T, &microseconds) == CURLE_OK) {
      facts.elapsed = std::chrono::milliseconds(microseconds / 1000);
    }
  }
  return facts;
}

void Service::ReportEnd(const TransferFacts& facts) noexcept {
  if (endReported_ || !observer_) return;
  endReported_ = true;
  try {
    observer_->OnTransferEnd(ClassifyTransfer(facts));
  } catch (...) {
  }
}

bool Service::Notify(Status status, const char* data, std::uint32_t size,
                     std::optional<std::int32_t> resultCode) noexcept {
  try {
    const DataChunk chunk(data, size, status, totalSize_, headerLine_, resultCode);
    return observer_->OnDataChunk(chunk, chunk);
  } catch (...) {
    return false;  // an exception must not unwind through libcurl
  }
}

void Service::NotifyAbortedAtDestruction() noexcept {
  if (!observer_) return;
  try {
    TransferFacts facts;
    facts.resultCode = CURLE_ABORTED_BY_CALLBACK;
    facts.responseCode = responseCode_;
    facts.message = "the download was stopped";
    ReportEnd(facts);
    const DataChunk chunk(nullptr, 0, StatusAborted, totalSize_, std::nullopt, std::nullopt);
    observer_->OnDataChunk(chunk, chunk);
  } catch (...) {
  }
}

}  // namespace hftp::detail
