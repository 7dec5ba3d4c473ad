#include "download/ArrivedFileCheck.h"

#include "tools/AuthenticodeSignature.h"
#include "tools/FileDigest.h"
#include "tools/StringTools.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace download {
namespace {

using Tools::SystemTools::SignatureVerdict;

bool SameHex(const std::string& a, const std::string& b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

DownloadOutcome CheckSigner(const std::wstring& path, const std::vector<std::wstring>& expected) {
  const Tools::SystemTools::Signature signature =
      Tools::SystemTools::VerifyAuthenticodeSignature(path);
  switch (signature.verdict) {
    case SignatureVerdict::Verified:
      break;
    case SignatureVerdict::NotSigned:
      return DownloadOutcome::Of(DownloadResult::NotSigned);
    case SignatureVerdict::SignatureNotValid:
      return DownloadOutcome::Of(DownloadResult::SignatureNotValid);
    case SignatureVerdict::SignerNotTrusted:
      return DownloadOutcome::Of(DownloadResult::SignerNotTrusted);
  }
  const bool expectedName =
      std::any_of(expected.begin(), expected.end(), [&](const std::wstring& name) {
        return Tools::SystemTools::IsSameSignerName(signature.signer, name);
      });
  if (expectedName) return DownloadOutcome::Of(DownloadResult::Completed);
  DownloadOutcome outcome = DownloadOutcome::Of(DownloadResult::WrongSigner);
  Tools::StringTools::ConvertToUtf8(signature.signer, outcome.detail);
  return outcome;
}

}  // namespace

DownloadOutcome CheckArrivedFile(const std::wstring& path, const ArrivalChecks& checks) {
  if (!checks.sha256.empty()) {
    const std::optional<std::string> digest = Tools::SystemTools::Sha256OfFile(path);
    if (!digest || !SameHex(*digest, checks.sha256)) {
      return DownloadOutcome::Of(DownloadResult::ChecksumMismatch);
    }
  }
  if (!checks.signers.empty()) return CheckSigner(path, checks.signers);
  return DownloadOutcome::Of(DownloadResult::Completed);
}

}  // namespace download
