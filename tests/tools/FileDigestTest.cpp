// SHA-256 of files through Windows' bcrypt, against published test vectors.
#include "tools/FileDigest.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

namespace {

using Tools::SystemTools::Sha256OfFile;

// A file in the temporary folder holding `content`, deleted with the object.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& content) {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, folder);
    ::GetTempFileNameW(folder, L"msk", 0, name);
    path_ = name;
    const HANDLE file = ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(written, content.size());
  }
  ~TemporaryFile() { ::DeleteFileW(path_.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

TEST(FileDigest, Sha256OfAFileIsItsLowerCaseHexDigest) {
  struct Case {
    const char* what;
    std::string content;
    const char* digest;
  };
  const Case cases[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // Four read blocks: the digest runs over all of them.
      {"a million a", std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TemporaryFile file(c.content);
    EXPECT_EQ(Sha256OfFile(file.Path()), std::optional<std::string>(c.digest));
  }
}

TEST(FileDigest, NothingForWhatCannotBeRead) {
  wchar_t folder[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, folder);
  EXPECT_EQ(Sha256OfFile(std::wstring(folder) + L"msk-no-such-file.bin"), std::nullopt);
  EXPECT_EQ(Sha256OfFile(folder), std::nullopt);  // a folder
  EXPECT_EQ(Sha256OfFile(L""), std::nullopt);
}

}  // namespace
