// The status text skin: long paths arrive shortened, short texts unchanged, and the parent
// repaints under the text.
#include "support/TestWindows.h"
#include "ui/NSISStatic.h"

#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring LongPath(std::size_t directories) {
  std::wstring path = L"C:\\Program Files\\Velmar";
  for (std::size_t i = 0; i < directories; ++i) path += L"\\component" + std::to_wstring(i);
  return path + L"\\payload.dat";
}

class NSISStaticTest : public ::testing::Test {
 protected:
  void SetUp() override {
    status_ = window_.AddChild(L"STATIC", L"", SS_LEFT, RECT{10, 10, 560, 20}, 1006);
    ASSERT_TRUE(skin_.Attach(status_));
  }

  msk::test::TopWindow window_{600, 100};
  HWND status_ = nullptr;
  ui::NSISStatic skin_;
};

TEST_F(NSISStaticTest, ALongPathIsShortenedWithAnEllipsisAndKeepsItsFileName) {
  const std::wstring path = LongPath(8);  // well over 450 pixels in any font
  EXPECT_TRUE(::SetWindowTextW(status_, path.c_str())) << "success is reported as success";
  const std::wstring shown = TextOf(status_);
  EXPECT_LT(shown.size(), path.size());
  EXPECT_NE(shown.find(L"..."), std::wstring::npos)
      << "shown: " << std::string(shown.begin(), shown.end());
  EXPECT_EQ(shown.substr(shown.size() - 12), L"\\payload.dat");
}

TEST_F(NSISStaticTest, AShortTextIsPassedOnUnchanged) {
  EXPECT_TRUE(::SetWindowTextW(status_, L"Extract: readme.txt"));
  EXPECT_EQ(TextOf(status_), L"Extract: readme.txt");
  EXPECT_TRUE(::SetWindowTextW(status_, L""));
  EXPECT_EQ(TextOf(status_), L"");
}

TEST_F(NSISStaticTest, TextsOfAndBeyondTheFixedPathLengthNeverOverrunAndStillShowCompacted) {
  for (const std::size_t directories : {20u, 60u, 90u}) {  // about 290, 860 and 1,280 characters
    const std::wstring path = LongPath(directories);
    SCOPED_TRACE(path.size());
    ASSERT_GE(path.size(), 260u);
    EXPECT_TRUE(::SetWindowTextW(status_, path.c_str()));
    const std::wstring shown = TextOf(status_);
    EXPECT_LT(shown.size(), path.size());
    EXPECT_NE(shown.find(L"..."), std::wstring::npos);
  }
  // A thousand characters without any path structure.
  const std::wstring plain(1000, L'x');
  EXPECT_TRUE(::SetWindowTextW(status_, plain.c_str()));
  const std::wstring shown = TextOf(status_);
  EXPECT_LE(shown.size(), plain.size());
  EXPECT_TRUE(shown == plain || shown.find(L"...") != std::wstring::npos);
  EXPECT_TRUE(::SendMessageW(status_, WM_SETTEXT, 0, 0)) << "a null text goes on as it is";
  EXPECT_EQ(TextOf(status_), L"");
}

// With its last backslash among the first characters, a text has no folder to shorten: it becomes
// "..." and the file name, longer than the text itself. A guard zone after the buffer the skin
// sizes for a text shows that PathCompactPathW stays inside it.
TEST_F(NSISStaticTest, ShortPrefixPathsAroundTheFixedPathLengthStayInsideTheCompactionBuffer) {
  constexpr wchar_t kGuard = 0xFDFD;
  constexpr std::size_t kGuardLength = 64;
  const HDC dc = ::GetDC(status_);
  ASSERT_NE(dc, nullptr);
  for (const std::wstring folder : {L"a", L"ab", L"C:"}) {
    for (std::size_t length = 255; length <= 265; ++length) {
      const std::wstring text = folder + L"\\" + std::wstring(length - folder.size() - 1, L'n');
      SCOPED_TRACE(std::to_string(text.size()) + " characters after " +
                   std::string(folder.begin(), folder.end()));
      const std::size_t capacity = ui::CompactionBufferLength(text.size());
      std::vector<wchar_t> buffer(capacity + kGuardLength, kGuard);
      std::copy(text.begin(), text.end(), buffer.begin());
      buffer[text.size()] = L'\0';
      ::PathCompactPathW(dc, buffer.data(), ui::kStatusTextWidth);
      EXPECT_LT(std::wcslen(buffer.data()), capacity);
      EXPECT_EQ(
          std::count(buffer.begin() + static_cast<std::ptrdiff_t>(capacity), buffer.end(), kGuard),
          static_cast<std::ptrdiff_t>(kGuardLength))
          << "written past the buffer";
    }
  }
  ::ReleaseDC(status_, dc);
}

TEST_F(NSISStaticTest, TheParentRepaintsTheBackgroundUnderTheTextAtOnce) {
  window_.ClearLog();
  ::SetWindowTextW(status_, L"Extract: readme.txt");
  EXPECT_TRUE(window_.Received(WM_ERASEBKGND));
  EXPECT_TRUE(window_.Received(WM_PAINT)) << "UpdateWindow paints the parent before returning";
}

}  // namespace
