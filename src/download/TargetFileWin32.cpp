#include "download/TargetFile.h"

#include "tools/WindowsHandles.h"

#include <windows.h>

namespace download {
namespace {

class Win32TargetFile final : public TargetFile {
 public:
  explicit Win32TargetFile(Tools::UniqueKernelHandle file) noexcept : file_(std::move(file)) {}

  bool Write(const void* data, std::uint32_t size) noexcept override {
    DWORD written = 0;
    return size == 0 ||
           (::WriteFile(file_.Get(), data, size, &written, nullptr) != FALSE && written == size);
  }

 private:
  Tools::UniqueKernelHandle file_;
};

Tools::UniqueKernelHandle OpenFromTheStart(const std::wstring& path) noexcept {
  // Created new where there is no file yet, overwritten where there is one. Not CREATE_ALWAYS
  // alone: wine truncates even a file it has just created, and ext4 answers a file truncated to
  // nothing and written again by flushing all of it when it is closed, which made closing a fresh
  // 256 MiB download take a tenth of a second.
  Tools::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
  // Reset keeps CreateFileW's error for the look below.
  if (!file && ::GetLastError() == ERROR_FILE_EXISTS) {
    file.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  return file;
}

Tools::UniqueKernelHandle OpenAfter(const std::wstring& path, std::uint64_t keep) noexcept {
  Tools::UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !::GetFileSizeEx(file.Get(), &size) ||
      static_cast<std::uint64_t>(size.QuadPart) < keep) {
    return {};
  }
  // Continues right after the kept bytes, whatever may follow them.
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(keep);
  if (!::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get())) {
    return {};
  }
  return file;
}

}  // namespace

std::unique_ptr<TargetFile> TargetFile::Open(const std::wstring& path,
                                             std::uint64_t keep) noexcept {
  Tools::UniqueKernelHandle file = keep == 0 ? OpenFromTheStart(path) : OpenAfter(path, keep);
  if (!file) return nullptr;
  try {
    return std::make_unique<Win32TargetFile>(std::move(file));
  } catch (...) {
    return nullptr;
  }
}

std::uint64_t FileSizeAt(const std::wstring& path) noexcept {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void DeleteFileAt(const std::wstring& path) noexcept {
  ::DeleteFileW(path.c_str());
}

}  // namespace download
