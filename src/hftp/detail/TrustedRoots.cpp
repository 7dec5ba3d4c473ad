#include "hftp/detail/TrustedRoots.h"

#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "hftp/ForTesting.h"
#include "hftp/detail/EasyOptions.h"

namespace hftp::detail {
namespace {

std::mutex caFileMutex;
std::shared_ptr<const std::string> caFile;  // guarded by caFileMutex; null: the platform's roots

std::shared_ptr<const std::string> CurrentCaFile() noexcept {
  const std::lock_guard<std::mutex> lock(caFileMutex);
  return caFile;
}

std::shared_ptr<const std::string> ReplaceCaFile(std::shared_ptr<const std::string> file) noexcept {
  const std::lock_guard<std::mutex> lock(caFileMutex);
  return std::exchange(caFile, std::move(file));
}

}  // namespace

void ApplyTrustedRoots(CURL* handle) noexcept {
  if (const std::shared_ptr<const std::string> file = CurrentCaFile()) {
    SetTextOption(handle, CURLOPT_CAINFO, file->c_str());
  } else if (const curl_blob* roots = PlatformTrustedRoots()) {
    SetPointerOption(handle, CURLOPT_CAINFO_BLOB, roots);
  }
}

std::string TrustedRootsPem() {
  if (const std::shared_ptr<const std::string> file = CurrentCaFile()) {
    std::ifstream in(*file, std::ios::binary);
    std::string text;
    char block[4096];
    while (in.read(block, sizeof(block)) || in.gcount() > 0) {
      text.append(block, static_cast<std::size_t>(in.gcount()));
    }
    return text;
  }
  const curl_blob* roots = PlatformTrustedRoots();
  return roots == nullptr ? std::string()
                          : std::string(static_cast<const char*>(roots->data), roots->len);
}

ScopedTrustedCaFileForTesting::ScopedTrustedCaFileForTesting(std::string path)
    : previous_(ReplaceCaFile(std::make_shared<const std::string>(std::move(path)))) {}

ScopedTrustedCaFileForTesting::~ScopedTrustedCaFileForTesting() {
  ReplaceCaFile(std::move(previous_));
}

}  // namespace hftp::detail
