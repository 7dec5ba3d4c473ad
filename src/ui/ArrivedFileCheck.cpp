#include "ui/ArrivedFileCheck.h"

#include "tools/AuthenticodeSignature.h"
#include "tools/FileDigest.h"
#include "tools/StringTools.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>

namespace ui {
namespace {

using Tools::SystemTools::SignatureVerdict;

DownloadOutcome Ended(DownloadResult result) {
  DownloadOutcome outcome;
  outcome.result = result;
  return outcome;
}

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
      return Ended(DownloadResult::NotSigned);
    case SignatureVerdict::SignatureNotValid:
      return Ended(DownloadResult::SignatureNotValid);
    case SignatureVerdict::SignerNotTrusted:
      return Ended(DownloadResult::SignerNotTrusted);
  }
  if (IsExpectedSigner(signature.signer, expected)) return Ended(DownloadResult::Completed);
  DownloadOutcome outcome = Ended(DownloadResult::WrongSigner);
  Tools::StringTools::ConvertToUtf8(signature.signer, outcome.detail);
  return outcome;
}

}  // namespace

bool IsExpectedSigner(const std::wstring& signer,
                      const std::vector<std::wstring>& expected) noexcept {
  // Ordinal, so that the answer does not depend on the user's locale (a Turkish dotless i).
  return std::any_of(expected.begin(), expected.end(), [&](const std::wstring& name) {
    return ::CompareStringOrdinal(signer.c_str(), static_cast<int>(signer.size()), name.c_str(),
                                  static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
  });
}

DownloadOutcome CheckArrivedFile(const std::wstring& path, const ArrivalChecks& checks) {
  if (!checks.sha256.empty()) {
    const std::optional<std::string> digest = Tools::SystemTools::Sha256OfFile(path);
    if (!digest || !SameHex(*digest, checks.sha256)) {
      return Ended(DownloadResult::ChecksumMismatch);
    }
  }
  if (!checks.signers.empty()) return CheckSigner(path, checks.signers);
  return Ended(DownloadResult::Completed);
}

}  // namespace ui
