#pragma once
// Owners of crypt32's certificate objects (see UniqueHandle.h for what every owner does): stores,
// certificates, chains and chain engines.
//
//   Tools::UniqueCertStore store(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
//   Tools::UniqueCertificate certificate(CertDuplicateCertificateContext(context));
//
// Thread-safety: one owner must not be used by two threads at once.

#include "tools/UniqueHandle.h"

#include <windows.h>
// windows.h first: wincrypt.h relies on its types.
#include <wincrypt.h>

namespace Tools {
namespace detail {

inline void CloseCertStore(HCERTSTORE store) noexcept {
  ::CertCloseStore(store, 0);
}

}  // namespace detail

using UniqueCertStore = UniqueHandle<HandleTraits<HCERTSTORE, &detail::CloseCertStore>>;
using UniqueCertificate = UniqueHandle<HandleTraits<PCCERT_CONTEXT, &::CertFreeCertificateContext>>;
using UniqueCertChain =
    UniqueHandle<HandleTraits<PCCERT_CHAIN_CONTEXT, &::CertFreeCertificateChain>>;
using UniqueCertChainEngine =
    UniqueHandle<HandleTraits<HCERTCHAINENGINE, &::CertFreeCertificateChainEngine>>;

}  // namespace Tools
