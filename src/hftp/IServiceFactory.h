#pragma once
// Creates download services and server connections.
//
// Loner services run their transfer on a thread of their own (IService::Wait blocks until it has
// finished); pooled services share one thread that drives all pooled transfers. Every creator
// takes the observer (may be empty: the transfer runs and its data is discarded), the proxy
// settings (null: the factory's defaults), HTTP credentials, a stall timeout in seconds (0 or
// less: none) and one cookie line for libcurl's cookie store (empty: none). URLs, user names and
// passwords are UTF-16 and converted to UTF-8 by the factory; bodies and the cookie pass as they
// are. `from` and `to` are byte positions, -1 leaving that end open; a range whose ends sum to 0
// (0 to 0) asks for the headers only and reports the size with StatusSizeKnown.
//
// The creators that take a body make a POST when it is non-empty and a GET otherwise.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hftp/IObserver.h"
#include "hftp/IServerConnection.h"
#include "hftp/IService.h"
#include "hftp/ProxyInfo.h"

namespace hftp {

class IServiceFactory {
 public:
  virtual ~IServiceFactory() = default;

  virtual std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, const std::vector<unsigned char>& body,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) = 0;
  virtual std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
      const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
      std::int32_t stallTimeout, const std::string& cookie) = 0;
  virtual std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, std::int64_t from, std::int64_t to,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) = 0;
  // `headers`: complete request header lines ("Name: value"), sent in order.
  virtual std::shared_ptr<IService> CreateLonerService(
      const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
      const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
      const std::vector<std::wstring>& headers, const std::string& cookie) = 0;

  virtual std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, const std::vector<unsigned char>& body,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) = 0;
  virtual std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, const std::string& body, std::shared_ptr<IObserver> observer,
      const ProxyInfo* proxy, const std::wstring& user, const std::wstring& password,
      std::int32_t stallTimeout, const std::string& cookie) = 0;
  virtual std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, std::int64_t from, std::int64_t to,
      std::shared_ptr<IObserver> observer, const ProxyInfo* proxy, const std::wstring& user,
      const std::wstring& password, std::int32_t stallTimeout, const std::string& cookie) = 0;
  virtual std::shared_ptr<IService> CreatePooledService(
      const std::wstring& url, std::shared_ptr<IObserver> observer, const ProxyInfo* proxy,
      const std::wstring& user, const std::wstring& password, std::int32_t stallTimeout,
      const std::string& cookie) = 0;

  virtual std::shared_ptr<IServerConnection> CreateServerConnection() = 0;
};

}  // namespace hftp
