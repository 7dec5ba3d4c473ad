#pragma once
// The engine's factory without the machine's proxy: a test against the loopback server goes
// direct, whatever the machine (or wine's prefix) is set to.
//
//   msk::test::NoProxyFactory factory;
//   download::RunJob(request, factory, nullptr, cancel);
//
// Thread-safety: as hftp::ServiceFactory's.

#include "hftp/ServiceFactory.h"

namespace msk::test {

class NoProxyFactory : public hftp::ServiceFactory {
 public:
  hftp::ProxyInfo GetDefaultProxyInfo() const override { return hftp::ProxyInfo(); }
};

}  // namespace msk::test
