#include "tools/AuthenticodeSignature.h"

#include "tools/CertificateHandles.h"
#include "tools/UniqueHandle.h"
#include "tools/WindowsHandles.h"

#include <windows.h>
// After windows.h, which defines their types.
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace Tools::SystemTools {
namespace {

// Ends what a verification with WTD_STATEACTION_VERIFY kept for the caller. Closing looks at the
// state alone; the file named here is never opened.
void CloseTrustState(HANDLE state) noexcept {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = L"";
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  data.hWVTStateData = state;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
}
using UniqueTrustState = UniqueHandle<HandleTraits<HANDLE, &CloseTrustState>>;

Signature Refused(SignatureVerdict verdict) {
  Signature signature;
  signature.verdict = verdict;
  return signature;
}

// What a failed WinVerifyTrust says about the file. It reports a broken signature before its
// signer, so a changed file whose signer is not trusted either is SignatureNotValid.
SignatureVerdict VerdictOfFailure(LONG result) noexcept {
  switch (static_cast<HRESULT>(result)) {
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
      return SignatureVerdict::NotSigned;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case CERT_E_CRITICAL:
    case CERT_E_REVOKED:
    case TRUST_E_EXPLICIT_DISTRUST:
    case TRUST_E_BASIC_CONSTRAINTS:
    case TRUST_E_CERT_SIGNATURE:
    case TRUST_E_SUBJECT_NOT_TRUSTED:
    case CRYPT_E_SECURITY_SETTINGS:
      return SignatureVerdict::SignerNotTrusted;
    default:
      return SignatureVerdict::SignatureNotValid;
  }
}

// The certificate's chain at `time` (null: now), built with code signing required of every
// certificate in it and the certificates the signature carries as candidates.
bool ChainsToTrustedRootForCodeSigning(PCCERT_CONTEXT certificate, FILETIME* time) noexcept {
  char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
  LPSTR usages[] = {codeSigning};
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof(para);
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  UniqueCertChain chain;
  if (!::CertGetCertificateChain(nullptr, certificate, time, certificate->hCertStore, &para,
                                 CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT, nullptr,
                                 chain.Put())) {
    return false;
  }
  // A revocation server that cannot be reached (or a certificate that names none) fails nothing;
  // a certificate found revoked does.
  constexpr DWORD kRevocationUnknown =
      CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
  if ((chain.Get()->TrustStatus.dwErrorStatus & ~kRevocationUnknown) != CERT_TRUST_NO_ERROR) {
    return false;
  }
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof(policy);
  policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof(status);
  if (!::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain.Get(), &policy,
                                          &status)) {
    return false;
  }
  return status.dwError == 0 || static_cast<HRESULT>(status.dwError) == CERT_E_REVOCATION_FAILURE;
}

std::wstring SimpleDisplayName(PCCERT_CONTEXT certificate) {
  const DWORD size =
      ::CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (size <= 1) return {};
  std::wstring name(size, L'\0');
  ::CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), size);
  name.resize(size - 1);  // the terminating null
  return name;
}

bool CanRead(const std::wstring& path) noexcept {
  const UniqueKernelHandle file(::CreateFileW(
      path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

Signature Verify(const std::wstring& path) {
  if (!CanRead(path)) return Refused(SignatureVerdict::NotSigned);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  // The state stays for the look at the signer below.
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  const UniqueTrustState state(data.hWVTStateData);
  // A revocation server that cannot be reached: the chain check below decides.
  if (result != ERROR_SUCCESS && static_cast<HRESULT>(result) != CERT_E_REVOCATION_FAILURE) {
    return Refused(VerdictOfFailure(result));
  }
  CRYPT_PROVIDER_DATA* const provider = ::WTHelperProvDataFromStateData(state.Get());
  CRYPT_PROVIDER_SGNR* const signer =
      provider != nullptr ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* const leaf =
      signer != nullptr ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  if (leaf == nullptr || leaf->pCert == nullptr) return Refused(SignatureVerdict::SignerNotTrusted);
  // The time the signature is judged at: its time stamp's when it has one, else now.
  FILETIME verifiedAt = signer->sftVerifyAsOf;
  const bool hasTime = verifiedAt.dwLowDateTime != 0 || verifiedAt.dwHighDateTime != 0;
  if (!ChainsToTrustedRootForCodeSigning(leaf->pCert, hasTime ? &verifiedAt : nullptr)) {
    return Refused(SignatureVerdict::SignerNotTrusted);
  }
  Signature signature;
  signature.verdict = SignatureVerdict::Verified;
  signature.signer = SimpleDisplayName(leaf->pCert);
  return signature;
}

}  // namespace

Signature VerifyAuthenticodeSignature(const std::wstring& path) noexcept {
  try {
    return Verify(path);
  } catch (...) {
    return Refused(SignatureVerdict::NotSigned);  // out of memory: nothing was proven
  }
}

}  // namespace Tools::SystemTools

namespace Tools::SystemTools {

bool IsSameSignerName(const std::wstring& signer, const std::wstring& name) noexcept {
  return ::CompareStringOrdinal(signer.c_str(), static_cast<int>(signer.size()), name.c_str(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace Tools::SystemTools
