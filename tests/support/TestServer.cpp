#include "TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace msk::test {
namespace {

// server.info holds "key=value" lines written by msk_test_server.py once it listens.
std::map<std::string, std::string> ReadServerInfo() {
  std::map<std::string, std::string> info;
  const char* file = std::getenv("MSK_TEST_SERVER_FILE");
  if (file == nullptr) {
    ADD_FAILURE() << "MSK_TEST_SERVER_FILE is not set: register the test with HTTP_SERVER";
    return info;
  }
  std::ifstream in(file);
  if (!in) {
    ADD_FAILURE() << "cannot read " << file << ": is the test server fixture running?";
    return info;
  }
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto eq = line.find('=');
    if (eq != std::string::npos) info[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return info;
}

const std::map<std::string, std::string>& ServerInfo() {
  static const std::map<std::string, std::string> info = ReadServerInfo();
  return info;
}

std::string Lookup(const char* key) {
  const auto& info = ServerInfo();
  const auto it = info.find(key);
  if (it == info.end()) {
    ADD_FAILURE() << "server.info has no " << key;
    return {};
  }
  return it->second;
}

}  // namespace

std::string TestServer::HostAndPort() {
  return Lookup("address");
}

std::string TestServer::BaseUrl() {
  const std::string address = HostAndPort();
  return address.empty() ? std::string() : "http://" + address;
}

std::string TestServer::Url(const std::string& pathAndQuery) {
  return BaseUrl() + pathAndQuery;
}

unsigned short TestServer::ClosedPort() {
  return static_cast<unsigned short>(std::stoi(Lookup("closed_port")));
}

std::string TestServer::HttpsUrl(const std::string& certificate, const std::string& pathAndQuery) {
  const std::string port = Lookup(("https_" + certificate).c_str());
  return port.empty() ? std::string() : "https://localhost:" + port + pathAndQuery;
}

bool TestServer::ServesHttps(const std::string& certificate) {
  // Asked before a test that may skip: a server without it is no failure.
  return ServerInfo().count("https_" + certificate) != 0;
}

std::string TestServer::ProxyAddress(const std::string& name) {
  const std::string port = Lookup(name.c_str());
  return port.empty() ? std::string() : "127.0.0.1:" + port;
}

std::string TestServer::TestCaFile() {
  const std::string path = Lookup("test_ca");
#ifdef _WIN32
  // The server writes its own (Linux) path; wine shows that file system as drive Z:.
  if (!path.empty()) return "Z:" + path;
#endif
  return path;
}

}  // namespace msk::test
