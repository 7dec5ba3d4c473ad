// Outside Windows there is no Authenticode to check: nothing is proven, so every file is answered
// NotSigned. Names compare as on Windows, whole and ordinally without regard to case.
#include "tools/AuthenticodeSignature.h"

#include <cwctype>

namespace Tools::SystemTools {

Signature VerifyAuthenticodeSignature(const std::wstring& /*path*/) noexcept {
  return Signature();
}

bool IsSameSignerName(const std::wstring& signer, const std::wstring& name) noexcept {
  if (signer.size() != name.size()) return false;
  for (std::wstring::size_type i = 0; i < signer.size(); ++i) {
    if (std::towupper(static_cast<std::wint_t>(signer[i])) !=
        std::towupper(static_cast<std::wint_t>(name[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace Tools::SystemTools
