#pragma once
// How the Windows library builds its trusted roots (TrustedRoots.h) from certificate stores, open
// to tests that hand it stores of their own.
//
//   const std::string pem = hftp::detail::GatherRootsPem({disallowed}, {root}, PublicRootsDer());
//
// A root store's certificate vouches for TLS servers unless the properties its store keeps beside
// it say otherwise: an enhanced key usage property without server authentication (an
// administrator's "Enable only for the following purposes", or "Disable all purposes": an empty
// list), or a disallowed usage property that names it. Such a root is left out, and so is any
// other copy of it (another store's, the built-in one): the administrator's restriction wins, as
// a Disallowed store's listing does.
//
// Thread rules: none of its own; the stores must not change while it reads them.

#include <windows.h>
// After windows.h, which defines its types.
#include <wincrypt.h>

#include <string>
#include <string_view>
#include <vector>

namespace hftp::detail {

// PEM text of the trusted roots: the certificates of `roots`, then those of `builtInDer`
// (concatenated DER) that crypt32 reads, each once; none listed in `distrusted` and none that a
// root store restricts.
std::string GatherRootsPem(const std::vector<HCERTSTORE>& distrusted,
                           const std::vector<HCERTSTORE>& roots, std::string_view builtInDer);

}  // namespace hftp::detail
