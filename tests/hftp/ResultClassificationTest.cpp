#include "hftp/detail/ResultClassification.h"

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <chrono>
#include <string>

namespace hftp::detail {
namespace {

TEST(ResultClassification, ListedCodes) {
  struct Group {
    Status status;
    std::vector<int> codes;
  };
  const Group groups[] = {
      {StatusCompleted, {CURLE_OK}},
      {StatusAborted, {CURLE_ABORTED_BY_CALLBACK}},
      {StatusRefused, {CURLE_WRITE_ERROR}},
      {StatusConnectionError, {7, 15, 16, 19, 22, 26, 28, 30, 45}},
      {StatusProxyError, {CURLE_COULDNT_RESOLVE_PROXY}},
      {StatusAccessDenied, {9, 10, 11, 12, 13, 46, 58, 59, 60, 67}},
      {StatusAddressError, {1, 3, 4, 6, 24, 34, 62}},
      {StatusTransferError, {18, 20, 29, 31, 32, 33, 36, 37, 47, 55, 56, 65}},
      {StatusError, {2,  8,  14, 17, 21, 25, 27, 35, 38, 39, 40, 41, 43, 44,
                     48, 49, 50, 51, 52, 53, 54, 57, 61, 63, 64, 66, 75, 76}},
  };
  for (const Group& group : groups) {
    for (const int code : group.codes) EXPECT_EQ(ClassifyResult(code), group.status) << code;
  }
  // Spot checks against libcurl's own names.
  EXPECT_EQ(ClassifyResult(CURLE_COULDNT_CONNECT), StatusConnectionError);
  EXPECT_EQ(ClassifyResult(CURLE_OPERATION_TIMEDOUT), StatusConnectionError);
  EXPECT_EQ(ClassifyResult(CURLE_HTTP_RETURNED_ERROR), StatusConnectionError);
  EXPECT_EQ(ClassifyResult(CURLE_UNSUPPORTED_PROTOCOL), StatusAddressError);
  EXPECT_EQ(ClassifyResult(CURLE_PARTIAL_FILE), StatusTransferError);
  EXPECT_EQ(ClassifyResult(CURLE_TOO_MANY_REDIRECTS), StatusTransferError);
  EXPECT_EQ(ClassifyResult(CURLE_GOT_NOTHING), StatusError);
}

TEST(ResultClassification, UnlistedCodesAreErrorsNotData) {
  for (const int code : {68, 69, 70, 71, 72, 73, 74, 78, 94, 99, 1000, -1}) {
    EXPECT_EQ(ClassifyResult(code), StatusError) << code;
  }
}

TEST(ResultClassification, CertificateProblemsBeyondTheTableAreAccessDenied) {
  for (const int code :
       {CURLE_SSL_CACERT_BADFILE, CURLE_SSL_CRL_BADFILE, CURLE_SSL_ISSUER_ERROR,
        CURLE_SSL_PINNEDPUBKEYNOTMATCH, CURLE_SSL_INVALIDCERTSTATUS, CURLE_SSL_CLIENTCERT}) {
    EXPECT_EQ(ClassifyResult(code), StatusAccessDenied) << code;
  }
}

TEST(ClassifyTransfer, NamesEachWayATransferCanEnd) {
  using Kind = TransferResult::Kind;
  const auto ended = [](int code, bool connected, std::chrono::milliseconds elapsed,
                        int response = 0) {
    TransferFacts facts;
    facts.resultCode = code;
    facts.connected = connected;
    facts.elapsed = elapsed;
    facts.responseCode = response;
    facts.totalTimeout = std::chrono::seconds(60);
    facts.stallTimeout = std::chrono::seconds(30);
    facts.message = code == CURLE_OK ? "" : "libcurl says " + std::to_string(code);
    return facts;
  };
  const std::chrono::milliseconds soon{10};
  TransferFacts errorStatus = ended(CURLE_OK, true, soon, 503);
  errorStatus.endedOnErrorStatus = true;
  TransferFacts withheld = ended(CURLE_OK, true, soon, 200);
  withheld.bodyWithheld = true;
  TransferFacts headersOnly = ended(CURLE_OK, true, soon, 200);
  headersOnly.headersOnly = true;
  const auto viaProxy = [&](int code, bool connected, int connectCode = 0, int response = 0) {
    TransferFacts facts = ended(code, connected, soon, response);
    facts.throughProxy = true;
    facts.proxyConnectCode = connectCode;
    return facts;
  };
  // A stall takes at least the stall limit's time.
  TransferFacts proxyStall = viaProxy(28, true, 200);
  proxyStall.elapsed = std::chrono::seconds(40);
  TransferFacts shortLimit = ended(28, true, std::chrono::milliseconds(990));
  shortLimit.totalTimeout = std::chrono::seconds(1);
  TransferFacts pastTheEnd = ended(CURLE_OK, true, soon, 200);
  pastTheEnd.rangeUndeliverable = true;
  TransferFacts revoked = ended(CURLE_PEER_FAILED_VERIFICATION, true, soon);
  revoked.certificateRevoked = true;
  struct Case {
    const char* what;
    TransferFacts facts;
    Kind kind;
    int httpStatus;
    std::string message;
  };
  const Case cases[] = {
      {"a 200 with its body", ended(CURLE_OK, true, soon, 200), Kind::Completed, 200, ""},
      {"a 206", ended(CURLE_OK, true, soon, 206), Kind::Completed, 206, ""},
      {"headers only", headersOnly, Kind::Completed, 200, ""},
      {"an error status the header handler ended on", errorStatus, Kind::HttpStatus, 503, ""},
      {"libcurl's fail-on-error", ended(CURLE_HTTP_RETURNED_ERROR, true, soon, 410),
       Kind::HttpStatus, 410, ""},
      {"204: no content", ended(CURLE_OK, true, soon, 204), Kind::HttpStatus, 204, ""},
      {"304: not modified", ended(CURLE_OK, true, soon, 304), Kind::HttpStatus, 304, ""},
      {"a redirect without a Location", ended(CURLE_OK, true, soon, 302), Kind::HttpStatus, 302,
       ""},
      {"a withheld body", withheld, Kind::ConnectionLost, 200, "the server withheld the body"},
      {"a range past the end", pastTheEnd, Kind::RangeUnusable, 200,
       "the range asked for lies past the resource's end"},
      {"refused", ended(7, false, soon), Kind::CannotConnect, 0, "libcurl says 7"},
      {"unknown host", ended(6, false, soon), Kind::CannotConnect, 0, "libcurl says 6"},
      {"TLS handshake", ended(35, true, soon), Kind::CannotConnect, 0, "libcurl says 35"},
      {"connect time-out", ended(28, false, std::chrono::seconds(30)), Kind::CannotConnect, 0,
       "libcurl says 28"},
      {"stall", ended(28, true, std::chrono::seconds(40)), Kind::Stalled, 0, "libcurl says 28"},
      {"whole-transfer limit", ended(28, true, std::chrono::seconds(60)), Kind::TimedOut, 0,
       "libcurl says 28"},
      {"whole-transfer limit below the stall limit, its clock read a little short", shortLimit,
       Kind::TimedOut, 0, "libcurl says 28"},
      {"certificate", ended(60, true, soon), Kind::Certificate, 0, "libcurl says 60"},
      {"newer certificate code", ended(90, true, soon), Kind::Certificate, 0, "libcurl says 90"},
      {"a certificate known to be revoked", revoked, Kind::Certificate, 0,
       "the server's certificate has been revoked"},
      {"dropped", ended(18, true, soon), Kind::ConnectionLost, 0, "libcurl says 18"},
      {"reset", ended(56, true, soon), Kind::ConnectionLost, 0, "libcurl says 56"},
      {"a refused block", ended(CURLE_WRITE_ERROR, true, soon), Kind::WriteRefused, 0,
       "libcurl says 23"},
      {"aborted", ended(CURLE_ABORTED_BY_CALLBACK, true, soon), Kind::Cancelled, 0,
       "libcurl says 42"},
      {"unsupported protocol", ended(1, false, soon), Kind::Unrecoverable, 0, "libcurl says 1"},
      {"malformed URL", ended(3, false, soon), Kind::Unrecoverable, 0, "libcurl says 3"},
      {"too many redirects", ended(47, true, soon), Kind::Unrecoverable, 0, "libcurl says 47"},
      {"undecodable encoding", ended(61, true, soon), Kind::Unrecoverable, 0, "libcurl says 61"},
      {"anything else", ended(67, true, soon), Kind::Other, 0, "libcurl says 67"},
      // A proxy of its own: what is the proxy's fault moves a route on to its next entry.
      {"proxy refused", viaProxy(7, false), Kind::ProxyUnreachable, 0, "libcurl says 7"},
      {"proxy unknown", viaProxy(5, false), Kind::ProxyUnreachable, 0, "libcurl says 5"},
      {"proxy connect time-out", viaProxy(28, false), Kind::ProxyUnreachable, 0, "libcurl says 28"},
      {"the target's TLS behind the tunnel", viaProxy(35, true, 200), Kind::CannotConnect, 0,
       "libcurl says 35"},
      {"a stall through the proxy", proxyStall, Kind::Stalled, 0, "libcurl says 28"},
      {"407 from the proxy", viaProxy(22, true, 0, 407), Kind::ProxyAuthFailed, 407,
       "libcurl says 22"},
      {"407 to the tunnel's CONNECT", viaProxy(56, true, 407), Kind::ProxyAuthFailed, 0,
       "libcurl says 56"},
      {"the environment's proxy refused", ended(7, false, soon), Kind::CannotConnect, 0,
       "libcurl says 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TransferResult result = ClassifyTransfer(c.facts);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.httpStatus, c.httpStatus);
    EXPECT_EQ(result.message, c.message);
  }
}

}  // namespace
}  // namespace hftp::detail
