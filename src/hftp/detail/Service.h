#pragma once
// One HTTP transfer on one libcurl easy handle, reported to an IObserver.
//
//   auto observer = std::make_shared<MyObserver>();
//   hftp::detail::Service service(url, observer, hftp::ProxyInfo(), "", "", /*stallTimeout=*/30,
//                                 /*headers=*/{}, /*cookie=*/"");
//   service.Run();  // blocks; the observer gets StatusData chunks, then one final status
//
// Construction configures the handle at once. Then either Run() performs the transfer, or a pool
// adds GetHandle() to its multi handle and calls OnComplete() with the transfer's result. The
// service makes exactly one attempt; to fetch the rest of a resource, create a new one with the
// range constructor. Destroying a service whose transfer did not finish tells the observer
// StatusAborted.
//
// Threading: single-threaded by design. A service is constructed, run, completed and destroyed on
// the one thread that hosts it (its own worker or the shared pool thread), and libcurl calls its
// handlers on that thread, so it takes no locks (checked: tools/ThreadChecker.h). Only the
// observer may be shared with others.

#include <curl/curl.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hftp/IObserver.h"
#include "hftp/IService.h"
#include "hftp/ProxyInfo.h"
#include "hftp/RevocationCheck.h"
#include "hftp/Status.h"
#include "hftp/detail/ByteRange.h"
#include "hftp/detail/CurlHandles.h"
#include "hftp/detail/HeaderParsing.h"
#include "hftp/detail/ResultClassification.h"
#include "hftp/detail/TransferRequest.h"
#include "tools/ThreadChecker.h"

namespace hftp::detail {

class Service final : public IService {
 public:
  // libcurl's receive buffer (CURLOPT_BUFFERSIZE): how much one read from the socket may take.
  // libcurl reads at most about a hundred buffers per curl_multi_perform, so 4 KiB capped a pooled
  // transfer near 40 MB/s. Natively 64 KiB would do once the pool ticks on socket activity, but
  // under wine a read from a socket costs far more than natively, so fewer, larger reads are what
  // counts: 256 KiB gave 210-440 MB/s, 512 KiB 180-500, 1 MiB 310-560 (loopback, a busy machine),
  // and only 1 MiB kept HTTPDownload at twice URLDownloadToFileW. Fifty pooled transfers then hold
  // 50 MiB of buffers, within the 64 MiB they may take. Observers still get the body in blocks of
  // at most CURL_MAX_WRITE_SIZE (16 KiB).
  static constexpr long kReceiveBufferBytes = 1024 * 1024;

  // GET with extra request header lines ("Name: value"), sent in order.
  Service(std::string url, std::shared_ptr<IObserver> observer, const ProxyInfo& proxy,
          std::string user, std::string password, std::int32_t stallTimeout,
          const std::vector<std::string>& headers, std::string cookie);
  // GET of the bytes from..to (-1: that end open); from + to == 0 asks for the headers only and
  // reports the size with StatusSizeKnown.
  Service(std::string url, std::int64_t from, std::int64_t to, std::shared_ptr<IObserver> observer,
          const ProxyInfo& proxy, std::string user, std::string password, std::int32_t stallTimeout,
          std::string cookie);
  // POST of `body` when it is non-empty, else GET.
  Service(std::string url, const std::string& body, std::shared_ptr<IObserver> observer,
          const ProxyInfo& proxy, std::string user, std::string password, std::int32_t stallTimeout,
          std::string cookie);
  Service(std::string url, const std::vector<unsigned char>& body,
          std::shared_ptr<IObserver> observer, const ProxyInfo& proxy, std::string user,
          std::string password, std::int32_t stallTimeout, std::string cookie);
  // The request as the factory makes it (ToTransferRequest): every creator ends here.
  Service(TransferRequest request, std::shared_ptr<IObserver> observer);

  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;
  ~Service() override;

  // Performs the whole transfer on the calling thread, then OnComplete with its result.
  void Run();
  // The easy handle (CURL*), for a pool to drive; null when libcurl could not provide one.
  void* GetHandle() const noexcept;
  // Final handling with the transfer's result code; once per transfer.
  void OnComplete(CURLcode result);

 private:
  // Why the service itself ended the transfer (libcurl then reports CURLE_WRITE_ERROR).
  enum class Cut { None, ByObserver, ByFinalHeader, AtRangeEnd, RangeUndeliverable };

  void Configure();
  void ConfigureRange();

  static size_t WriteCallback(char* data, size_t size, size_t count, void* service);
  static size_t HeaderCallback(char* data, size_t size, size_t count, void* service);
  // libcurl's call once the connection stands (new or reused), right before a request is sent:
  // the revocation check, then OnConnected.
  static int PrereqCallback(void* service, char*, char*, int, int);
  static int ProgressCallback(void* service, curl_off_t, curl_off_t received, curl_off_t,
                              curl_off_t);
  // A connection (new or reused) is ready and the request is about to be sent: its server's
  // certificate is checked for revocation (ServiceRevocation.cpp); false ends the transfer.
  bool CheckRevocation() noexcept;
  // The stall limit once the body has begun; false when it ran out.
  bool BodyStillArriving(curl_off_t received);
  size_t OnBody(const char* data, size_t received);
  size_t OnHeaderLine(const char* data, size_t received);
  void ApplyReceiveSpeedLimit();

  // OnConnected: the connection for the next request stands.
  void AnnounceConnection() noexcept;
  // OnResponse, once: before the first body byte, or at completion when none came.
  void AnnounceResponse() noexcept;
  // What the transfer ended with, for the one classification (ResultClassification.h).
  TransferFacts FactsAtEnd(CURLcode result) const;
  // OnTransferEnd with the classified facts; once per service.
  void ReportEnd(const TransferFacts& facts) noexcept;

  // Tells the observer; false when it refused (or failed).
  // A proxy stands between the transfer and the server (not "no proxy", not the environment's).
  bool UsesProxy() const noexcept { return !proxy_.host.empty() && !proxy_.address.empty(); }
  bool Notify(Status status, const char* data, std::uint32_t size,
              std::optional<std::int32_t> resultCode) noexcept;
  void NotifyAbortedAtDestruction() noexcept;

  // Declared before `handle_` so the handle is cleaned up first.
  UniqueCurlSlist headerList_;
  std::vector<unsigned char> body_;  // libcurl reads the post fields from here, not from a copy
  std::array<char, CURL_ERROR_SIZE> errorText_;  // libcurl writes into it (CURLOPT_ERRORBUFFER)

  UniqueCurlEasy handle_;
  std::shared_ptr<IObserver> observer_;
  ProxyInfo proxy_;
  std::string url_;
  std::string userPassword_;
  std::string user_;
  std::string password_;
  ByteRange range_;
  bool stopped_ = false;
  // The current response said "Connection: CLOSE": its body is read and dropped.
  bool bodyWithheld_ = false;
  bool partial_ = false;
  bool aborted_ = false;
  bool completed_ = false;
  bool proxyChallenge_ = false;  // the response being received is a proxy's 407
  bool rootsGiven_ = false;      // libcurl has the trusted roots (TlsOptions.h)
  Cut cut_ = Cut::None;
  std::int32_t stallTimeout_;
  // The stall watch: libcurl's own low-speed check averages over its last few seconds, so a body
  // that stops after a burst would run on for those seconds past the limit.
  curl_off_t lastReceived_ = 0;
  std::chrono::steady_clock::time_point lastArrival_{};
  bool stalled_ = false;
  long connectTimeout_;          // seconds; 0: libcurl's own limit
  long totalTimeout_;            // seconds; 0: none
  std::string userAgent_;        // empty: no User-Agent
  std::int64_t resumeFrom_ = 0;  // > 0: "Range: bytes=N-" outside the ByteRange
  // What OnResponse tells: the status code and Content-Range start of the latest response.
  int responseCode_ = 0;
  std::optional<std::int64_t> rangeFirst_;
  std::optional<Validator> validator_;
  bool responseAnnounced_ = false;
  bool endReported_ = false;
  // Body bytes of a response that said "Connection: CLOSE" arrived and were dropped: the transfer
  // delivered nothing of what it received, which is no success.
  bool bodyDropped_ = false;
  std::int64_t totalSize_ = 0;
  std::string cookie_;
  std::optional<std::string> headerLine_;
  // The revocation checks of the servers that answered, each once (hftp::ResponseInfo).
  std::vector<std::shared_ptr<const RevocationCheck>> revocation_;
  bool certificateRevoked_ = false;  // a server's certificate is known to be revoked
  MSK_THREAD_CHECKER(hostThread_);
};

}  // namespace hftp::detail
