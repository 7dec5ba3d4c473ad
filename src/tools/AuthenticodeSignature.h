#pragma once
// Who published a program: the Authenticode signature embedded in a file, checked the way Windows
// checks it before it runs a download, and the name of the signer it proves.
//
//   const Tools::SystemTools::Signature signature =
//       Tools::SystemTools::VerifyAuthenticodeSignature(L"C:\\payload.exe");
//   if (signature.verdict == Tools::SystemTools::SignatureVerdict::Verified) Use(signature.signer);
//
// In this order: the signature must be valid for the file's contents (WinVerifyTrust, generic
// verify, no user interface); then the signer's certificate must chain to a root the machine
// trusts and be good for code signing, checked once more on its own (CertGetCertificateChain with
// the code-signing usage required, CertVerifyCertificateChainPolicy with the Authenticode policy),
// because not every WinVerifyTrust (wine's) checks chain and purpose. Revocation is checked, but a
// revocation server that cannot be reached fails nothing. A time-stamped signature is judged at its
// time stamp, so it stays valid after the certificate has expired. Only the file's own signature
// counts: a file signed through a catalog of the system's is answered NotSigned. Outside Windows
// (the native builds that test the portable layers) there is no Authenticode, and every file is
// answered NotSigned.
//
// Thread-safety: any thread; nothing is shared.

#include <string>

namespace Tools::SystemTools {

enum class SignatureVerdict {
  Verified,           // valid, from a trusted code-signing certificate: `signer` names it
  NotSigned,          // no embedded signature (or the file cannot be read)
  SignatureNotValid,  // the contents changed since signing, or the signature is broken
  SignerNotTrusted,   // the certificate leads to no trusted root, or not for code signing
};

struct Signature {
  SignatureVerdict verdict = SignatureVerdict::NotSigned;
  // Verified: the subject's simple display name, as the file's "Digital Signatures" tab shows it
  // (most often its common name); otherwise empty.
  std::wstring signer;
};

Signature VerifyAuthenticodeSignature(const std::wstring& path) noexcept;

// Whether a signer's name is `name`: whole, without regard to case, and ordinal (the user's
// locale does not matter: no Turkish dotless i).
bool IsSameSignerName(const std::wstring& signer, const std::wstring& name) noexcept;

}  // namespace Tools::SystemTools
