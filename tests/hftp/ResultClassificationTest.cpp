#include "hftp/detail/ResultClassification.h"

#include <gtest/gtest.h>

#include <curl/curl.h>

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

}  // namespace
}  // namespace hftp::detail
