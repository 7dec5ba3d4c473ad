#pragma once
// The file a download writes, and the few facts about files that a download job needs: one sink
// for the bytes, whatever runs the download.
//
//   std::unique_ptr<download::TargetFile> file = download::TargetFile::Open(path, 0);
//   if (!file || !file->Write(block, size)) ...          // cannot write
//   download::DeleteFileAt(path);                        // a failed download leaves nothing
//
// Opening from the start creates the file, or empties one that is there; opening at `keep` keeps
// the file's first `keep` bytes and continues after them. The file is not shared for writing
// while it is open.
//
// Thread-safety: a TargetFile is used by one thread at a time; the free functions from any.

#include <cstdint>
#include <memory>
#include <string>

namespace download {

class TargetFile {
 public:
  // Null when the file cannot be opened (or, with `keep`, does not exist or is shorter).
  static std::unique_ptr<TargetFile> Open(const std::wstring& path, std::uint64_t keep) noexcept;

  virtual ~TargetFile() = default;
  // Writes all `size` bytes at the end of what was written; false when not all could be.
  virtual bool Write(const void* data, std::uint32_t size) noexcept = 0;
};

// The size of the file at `path`; 0 when there is none.
std::uint64_t FileSizeAt(const std::wstring& path) noexcept;

// Removes the file at `path`, if there is one.
void DeleteFileAt(const std::wstring& path) noexcept;

}  // namespace download
