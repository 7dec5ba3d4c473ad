#include "hftp/ServiceFactory.h"

#include <chrono>
#include <utility>

#include "hftp/detail/CurlGlobal.h"
#include "hftp/detail/LonerService.h"
#include "hftp/detail/PooledService.h"
#include "hftp/detail/ServerConnection.h"
#include "hftp/detail/TlsOptions.h"
#include "hftp/detail/TransferRequest.h"

namespace hftp {
namespace {

using detail::LonerService;
using detail::PooledService;

// The request record of a positional creator.
RequestOptions Positional(const std::wstring& user, const std::wstring& password,
                          std::int32_t stallTimeout, const std::string& cookie) {
  RequestOptions options;
  options.user = user;
  options.password = password;
  options.stallTimeout = std::chrono::seconds(stallTimeout > 0 ? stallTimeout : 0);
  options.cookie = cookie;
  return options;
}

RequestOptions WithBody(RequestOptions options, std::vector<unsigned char> body) {
  options.body = std::move(body);
  return options;
}

RequestOptions WithRange(RequestOptions options, std::int64_t from, std::int64_t to) {
  options.rangeFrom = from;
  options.rangeTo = to;
  return options;
}

}  // namespace

// The first download's factory sets libcurl's global state up on the caller's thread, before any
// engine thread exists (CurlGlobal.h).
ServiceFactory::ServiceFactory() noexcept {
  detail::EnsureCurlGlobal();
}

detail::TransferRequest ServiceFactory::Request(const std::wstring& url,
                                                const RequestOptions& options,
                                                const ProxyInfo* proxy) const {
  const ProxyInfo* const chosen = proxy != nullptr ? proxy
                                  : options.proxy  ? &*options.proxy
                                                   : nullptr;
  detail::TransferRequest request =
      detail::ToTransferRequest(url, options, chosen != nullptr ? *chosen : GetDefaultProxyInfo());
  // What its TLS needs is made ready on this (the caller's) thread rather than on the worker that
  // configures the transfer.
  detail::PrepareTls(request.url);
  return request;
}

std::shared_ptr<IService> ServiceFactory::CreateLoner(const std::wstring& url,
                                                      std::shared_ptr<IObserver> observer,
                                                      const RequestOptions& options,
                                                      const ProxyInfo* proxy) {
  return std::make_shared<LonerService>(Request(url, options, proxy), std::move(observer));
}

std::shared_ptr<IService> ServiceFactory::CreatePooled(const std::wstring& url,
                                                       std::shared_ptr<IObserver> observer,
                                                       const RequestOptions& options,
                                                       const ProxyInfo* proxy) {
  return std::make_shared<PooledService>(Request(url, options, proxy), std::move(observer));
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, const std::vector<unsigned char>& body,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return CreateLoner(url, std::move(observer),
                     WithBody(Positional(user, password, stallTimeout, cookie), body), proxy);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
    const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
    std::int32_t stallTimeout, const std::string& cookie) {
  return CreateLoner(url, std::move(observer),
                     WithBody(Positional(user, password, stallTimeout, cookie),
                              std::vector<unsigned char>(body.begin(), body.end())),
                     proxy);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, std::int64_t from, std::int64_t to,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return CreateLoner(url, std::move(observer),
                     WithRange(Positional(user, password, stallTimeout, cookie), from, to), proxy);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
    const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
    const std::vector<std::wstring>& headers, const std::string& cookie) {
  RequestOptions options = Positional(user, password, stallTimeout, cookie);
  options.headers = headers;
  return CreateLoner(url, std::move(observer), options, proxy);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, const std::vector<unsigned char>& body,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return CreatePooled(url, std::move(observer),
                      WithBody(Positional(user, password, stallTimeout, cookie), body), proxy);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
    const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
    std::int32_t stallTimeout, const std::string& cookie) {
  return CreatePooled(url, std::move(observer),
                      WithBody(Positional(user, password, stallTimeout, cookie),
                               std::vector<unsigned char>(body.begin(), body.end())),
                      proxy);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, std::int64_t from, std::int64_t to,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return CreatePooled(url, std::move(observer),
                      WithRange(Positional(user, password, stallTimeout, cookie), from, to), proxy);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
    const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
    const std::string& cookie) {
  return CreatePooled(url, std::move(observer), Positional(user, password, stallTimeout, cookie),
                      proxy);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(const std::wstring& url,
                                                              std::shared_ptr<IObserver> observer,
                                                              const RequestOptions& options) {
  return CreatePooled(url, std::move(observer), options, nullptr);
}

std::shared_ptr<IServerConnection> ServiceFactory::CreateServerConnection() {
  return std::make_shared<detail::ServerConnection>();
}

}  // namespace hftp
