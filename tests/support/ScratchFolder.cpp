#include "support/ScratchFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace msk::test {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  static std::atomic<unsigned> made{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int tries = 0; tries < 100; ++tries) {
    const fs::path candidate =
        fs::temp_directory_path() /
        ("msk-test-" + std::to_string(stamp) + "-" + std::to_string(made.fetch_add(1)));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      root_ = candidate.wstring();
      return;
    }
  }
  throw std::runtime_error("no scratch folder could be made");
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(fs::path(root_), ignored);
}

std::wstring ScratchFolder::Path(const std::wstring& name) const {
  return (fs::path(root_) / fs::path(name)).wstring();
}

std::vector<std::wstring> ScratchFolder::Entries() const {
  std::vector<std::wstring> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(root_))) {
    names.push_back(entry.path().filename().wstring());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::vector<unsigned char>> FileBytes(const std::wstring& path) {
  std::ifstream file(fs::path(path), std::ios::binary);
  if (!file) return std::nullopt;
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(file),
                                    std::istreambuf_iterator<char>());
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(fs::path(path), error);
  if (error) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

bool FileExists(const std::wstring& path) {
  std::error_code error;
  return fs::is_regular_file(fs::path(path), error);
}

}  // namespace msk::test
