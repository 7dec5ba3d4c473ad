#include "download/TargetFile.h"

#include "tools/StringTools.h"
#include "tools/UniqueHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace download {
namespace {

using UniqueFd = Tools::UniqueHandle<Tools::HandleTraits<int, &::close, -1>>;

std::string NativePath(const std::wstring& path) {
  std::string converted;
  Tools::StringTools::ConvertToUtf8(path, converted);
  return converted;
}

class PosixTargetFile final : public TargetFile {
 public:
  explicit PosixTargetFile(UniqueFd file) noexcept : file_(std::move(file)) {}

  bool Write(const void* data, std::uint32_t size) noexcept override {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t written = ::write(file_.Get(), bytes, size);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      bytes += written;
      size -= static_cast<std::uint32_t>(written);
    }
    return true;
  }

 private:
  UniqueFd file_;
};

}  // namespace

std::unique_ptr<TargetFile> TargetFile::Open(const std::wstring& path,
                                             std::uint64_t keep) noexcept {
  try {
    const std::string native = NativePath(path);
    if (native.empty()) return nullptr;
    UniqueFd file(
        ::open(native.c_str(), keep == 0 ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY, 0644));
    if (!file) return nullptr;
    if (keep > 0) {
      struct stat status {};
      if (::fstat(file.Get(), &status) != 0 || static_cast<std::uint64_t>(status.st_size) < keep ||
          ::ftruncate(file.Get(), static_cast<off_t>(keep)) != 0 ||
          ::lseek(file.Get(), static_cast<off_t>(keep), SEEK_SET) < 0) {
        return nullptr;
      }
    }
    return std::make_unique<PosixTargetFile>(std::move(file));
  } catch (...) {
    return nullptr;
  }
}

std::uint64_t FileSizeAt(const std::wstring& path) noexcept {
  try {
    struct stat status {};
    if (::stat(NativePath(path).c_str(), &status) != 0) return 0;
    return static_cast<std::uint64_t>(status.st_size);
  } catch (...) {
    return 0;
  }
}

void DeleteFileAt(const std::wstring& path) noexcept {
  try {
    ::unlink(NativePath(path).c_str());
  } catch (...) {
  }
}

}  // namespace download
