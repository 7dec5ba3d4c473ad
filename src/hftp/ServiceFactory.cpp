#include "hftp/ServiceFactory.h"

#include <utility>

#include "hftp/detail/CurlGlobal.h"
#include "hftp/detail/LonerService.h"
#include "hftp/detail/PooledService.h"
#include "hftp/detail/ServerConnection.h"
#include "hftp/detail/TlsOptions.h"
#include "tools/StringTools.h"

namespace hftp {
namespace {

using detail::LonerService;
using detail::PooledService;

// A string that cannot be converted goes on empty; nothing here reports it.
std::string Utf8(const std::wstring& text) {
  std::string converted;
  Tools::StringTools::ConvertToUtf8(text, converted);
  return converted;
}

// The URL as the transfer takes it, with what its TLS needs made ready on this (the caller's)
// thread rather than on the worker that configures the transfer.
std::string TransferUrl(const std::wstring& url) {
  std::string converted = Utf8(url);
  detail::PrepareTls(converted);
  return converted;
}

std::vector<std::string> Utf8Lines(const std::vector<std::wstring>& lines) {
  std::vector<std::string> converted;
  converted.reserve(lines.size());
  for (const std::wstring& line : lines) converted.push_back(Utf8(line));
  return converted;
}

}  // namespace

// The first download's factory sets libcurl's global state up on the caller's thread, before any
// engine thread exists (CurlGlobal.h).
ServiceFactory::ServiceFactory() noexcept {
  detail::EnsureCurlGlobal();
}

ProxyInfo ServiceFactory::ProxyFor(const ProxyInfo* proxy) const {
  return proxy != nullptr ? *proxy : GetDefaultProxyInfo();
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, const std::vector<unsigned char>& body,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<LonerService>(TransferUrl(url), body, std::move(observer),
                                        ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                        cookie);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
    const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
    std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<LonerService>(TransferUrl(url), body, std::move(observer),
                                        ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                        cookie);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, std::int64_t from, std::int64_t to,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<LonerService>(TransferUrl(url), from, to, std::move(observer),
                                        ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                        cookie);
}

std::shared_ptr<IService> ServiceFactory::CreateLonerService(
    const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
    const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
    const std::vector<std::wstring>& headers, const std::string& cookie) {
  return std::make_shared<LonerService>(TransferUrl(url), std::move(observer), ProxyFor(proxy),
                                        Utf8(user), Utf8(password), stallTimeout,
                                        Utf8Lines(headers), cookie);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, const std::vector<unsigned char>& body,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<PooledService>(TransferUrl(url), body, std::move(observer),
                                         ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                         cookie);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
    const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
    std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<PooledService>(TransferUrl(url), body, std::move(observer),
                                         ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                         cookie);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, std::int64_t from, std::int64_t to,
    std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
    const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) {
  return std::make_shared<PooledService>(TransferUrl(url), from, to, std::move(observer),
                                         ProxyFor(proxy), Utf8(user), Utf8(password), stallTimeout,
                                         cookie);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(
    const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
    const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
    const std::string& cookie) {
  return std::make_shared<PooledService>(TransferUrl(url), std::move(observer), ProxyFor(proxy),
                                         Utf8(user), Utf8(password), stallTimeout,
                                         std::vector<std::string>(), cookie);
}

std::shared_ptr<IService> ServiceFactory::CreatePooledService(const std::wstring& url,
                                                              std::shared_ptr<IObserver> observer,
                                                              const RequestOptions& options) {
  return std::make_shared<PooledService>(TransferUrl(url), std::move(observer),
                                         options.proxy ? *options.proxy : GetDefaultProxyInfo(),
                                         options);
}

std::shared_ptr<IServerConnection> ServiceFactory::CreateServerConnection() {
  return std::make_shared<detail::ServerConnection>();
}

}  // namespace hftp
