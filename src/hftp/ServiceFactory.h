#pragma once
// The engine's implementation of IServiceFactory. A client derives from it to say which proxy its
// services use when a creator is given none:
//
//   class MyFactory : public hftp::ServiceFactory {
//     hftp::ProxyInfo GetDefaultProxyInfo() const override { return hftp::ProxyInfo(); }
//   };
//
//   MyFactory factory;
//   std::shared_ptr<hftp::IService> download =
//       factory.CreatePooledService(L"http://host/file", observer, nullptr, L"", L"", 0, "");
//
// Every creator converts the URL, user name, password (and header lines) to UTF-8, takes
// GetDefaultProxyInfo() when `proxy` is null, builds the service and returns it with its transfer
// started. A string that cannot be converted reaches the transfer empty; conversion stops at a NUL.
// The loner creators make a LonerService (a worker of its own), the pooled ones a PooledService
// (the shared pool thread); the pooled creator without a body sends no extra header lines. The
// creator that takes RequestOptions (hftp/RequestOptions.h) adds what the others cannot carry,
// such as a connect timeout, a user agent or the start of a resumed download. An exception while
// the transfer is built leaves the creator as std::exception.
//
// Making a factory sets libcurl's global state up on the caller's thread, if it is not
// (hftp/detail/CurlGlobal.h). The factory keeps no state: the services it made do not depend on it.
// Pooled services and server connections start the engine's shared threads; see
// hftp/EngineTeardown.h for ending them.
//
// Thread-safety: the creators may be called from any thread at the same time, provided that
// GetDefaultProxyInfo may.

#include "hftp/IServiceFactory.h"
#include "hftp/RequestOptions.h"

namespace hftp::detail {
struct TransferRequest;
}

namespace hftp {

class ServiceFactory : public IServiceFactory {
 public:
  // Sets libcurl's global state up, once, on this (the caller's) thread.
  ServiceFactory() noexcept;

  std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, const std::vector<unsigned char>& body,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) override;
  std::shared_ptr<IService> CreateLonerService(const std::wstring& url, const std::string& body,
                                               std::shared_ptr<IObserver> observer,
                                               const ProxyInfo* proxy, const std::wstring& user,
                                               const std::wstring& password,
                                               std::int32_t stallTimeout,
                                               const std::string& cookie) override;
  std::shared_ptr<IService> CreateLonerService(const std::wstring& url, std::int64_t from,
                                               std::int64_t to, std::shared_ptr<IObserver> observer,
                                               const ProxyInfo* proxy, const std::wstring& user,
                                               const std::wstring& password,
                                               std::int32_t stallTimeout,
                                               const std::string& cookie) override;
  std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
      const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
      const std::vector<std::wstring>& headers, const std::string& cookie) override;

  std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, const std::vector<unsigned char>& body,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) override;
  std::shared_ptr<IService> CreatePooledService(const std::wstring& url, const std::string& body,
                                                std::shared_ptr<IObserver> observer,
                                                const ProxyInfo* proxy, const std::wstring& user,
                                                const std::wstring& password,
                                                std::int32_t stallTimeout,
                                                const std::string& cookie) override;
  std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, std::int64_t from, std::int64_t to,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) override;
  std::shared_ptr<IService> CreatePooledService(const std::wstring& url,
                                                std::shared_ptr<IObserver> observer,
                                                const ProxyInfo* proxy, const std::wstring& user,
                                                const std::wstring& password,
                                                std::int32_t stallTimeout,
                                                const std::string& cookie) override;

  std::shared_ptr<IServerConnection> CreateServerConnection() override;

  // The proxy settings of a creator called with a null `proxy`.
  virtual ProxyInfo GetDefaultProxyInfo() const = 0;

  // A pooled GET of `url` as `options` ask (limits, header lines, user agent, proxy, a resumed
  // start), through GetDefaultProxyInfo() unless they name a proxy, without credentials or cookie.
  virtual std::shared_ptr<IService> CreatePooledService(const std::wstring& url,
                                                        std::shared_ptr<IObserver> observer,
                                                        const RequestOptions& options);

 private:
  // Every creator ends in one of these two, with its request as one record; `proxy` (when not
  // null) wins over options.proxy, and GetDefaultProxyInfo() applies without either.
  std::shared_ptr<IService> CreateLoner(const std::wstring& url,
                                        std::shared_ptr<IObserver> observer,
                                        const RequestOptions& options, const ProxyInfo* proxy);
  std::shared_ptr<IService> CreatePooled(const std::wstring& url,
                                         std::shared_ptr<IObserver> observer,
                                         const RequestOptions& options, const ProxyInfo* proxy);
  detail::TransferRequest Request(const std::wstring& url, const RequestOptions& options,
                                  const ProxyInfo* proxy) const;
};

}  // namespace hftp
