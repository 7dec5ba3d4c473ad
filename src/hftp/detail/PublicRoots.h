#pragma once
// The public root certificates built into the Windows library: those of Debian's ca-certificates
// package (Mozilla's roots trusted for TLS servers) on the build machine, as DER certificates laid
// end to end. cmake/msk_embed_public_roots.py generates the definition at build time, so a new
// package brings new roots with the next build.
//
//   for (std::string_view der : hftp::detail::SplitDerCertificates(hftp::detail::PublicRootsDer()))
//
// Constant data: thread-safe.

#include <string_view>

namespace hftp::detail {

std::string_view PublicRootsDer() noexcept;

}  // namespace hftp::detail
