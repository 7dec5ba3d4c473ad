#pragma once
// The installer plug-in's service factory: the engine's factory with no proxy by default.
//
//   std::shared_ptr<ServiceFactory> factory = CreateServiceFactory();
//   auto service = factory->CreatePooledService(url, observer, nullptr, L"", L"", 0, "");
//   factory.reset();  // the services it made do not depend on it
//
// Stateless and thread-safe. Plain C++ (no Windows header), so it builds and is tested everywhere.

#include <memory>

#include "hftp/ProxyInfo.h"
#include "hftp/ServiceFactory.h"

class ServiceFactory : public hftp::ServiceFactory {
 public:
  // A default ProxyInfo: no proxy.
  hftp::ProxyInfo GetDefaultProxyInfo() const override;
};

std::shared_ptr<ServiceFactory> CreateServiceFactory();
