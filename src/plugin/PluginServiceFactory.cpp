#include "plugin/PluginServiceFactory.h"

hftp::ProxyInfo ServiceFactory::GetDefaultProxyInfo() const {
  return hftp::ProxyInfo();
}

std::shared_ptr<ServiceFactory> CreateServiceFactory() {
  return std::make_shared<ServiceFactory>();
}
