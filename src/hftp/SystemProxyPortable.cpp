#include "hftp/SystemProxy.h"

namespace hftp {

// Off Windows the system's proxy is libcurl's environment variables, which apply by themselves.
std::vector<ProxyInfo> SystemProxiesFor(const std::string& /*url*/) {
  return {};
}

}  // namespace hftp
