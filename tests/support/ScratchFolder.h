#pragma once
// A fresh, empty folder under the temporary folder for one test, removed with everything in it
// when the object goes.
//
//   msk::test::ScratchFolder folder;
//   const std::wstring target = folder.Path(L"payload.bin");
//   ... EXPECT_EQ(msk::test::FileBytes(target).size(), 1000u);
//
// Not thread-safe; one per test.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace msk::test {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& Root() const noexcept { return root_; }
  // Root() + "\" + name.
  std::wstring Path(const std::wstring& name) const;
  // The names in the folder (not "." or ".."), sorted.
  std::vector<std::wstring> Entries() const;

 private:
  std::wstring root_;
};

// The whole content of a file; nothing when it cannot be opened.
std::optional<std::vector<unsigned char>> FileBytes(const std::wstring& path);
// The size of the file at `path` without opening it; nothing when there is no file.
std::optional<std::uint64_t> FileSize(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace msk::test
