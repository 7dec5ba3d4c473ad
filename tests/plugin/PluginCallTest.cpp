// The NSIS side of a plug-in command: arguments off the stack in the script's order, results
// onto it never longer than the installer's string size.
#include "plugin/PluginCall.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// An NSIS stack as the installer keeps it: entries of `stringSize` characters, top first.
class FakeStack {
 public:
  explicit FakeStack(int stringSize) : stringSize_(stringSize) {}
  ~FakeStack() {
    while (top_ != nullptr) Drop();
  }
  FakeStack(const FakeStack&) = delete;
  FakeStack& operator=(const FakeStack&) = delete;

  void Push(const std::wstring& text) {
    auto* entry = static_cast<stack_t*>(
        ::GlobalAlloc(GPTR, sizeof(stack_t) + static_cast<std::size_t>(stringSize_) * 2));
    ::lstrcpynW(entry->text, text.c_str(), stringSize_);
    entry->next = top_;
    top_ = entry;
  }
  // The texts from the top down, emptying the stack.
  std::vector<std::wstring> Drain() {
    std::vector<std::wstring> texts;
    while (top_ != nullptr) {
      texts.emplace_back(top_->text);
      Drop();
    }
    return texts;
  }
  stack_t** Top() { return &top_; }
  int StringSize() const { return stringSize_; }

 private:
  void Drop() {
    stack_t* const next = top_->next;
    ::GlobalFree(top_);
    top_ = next;
  }

  int stringSize_;
  stack_t* top_ = nullptr;
};

TEST(PluginCall, PopsTheArgumentsInTheScriptsOrder) {
  FakeStack stack(1024);
  for (const wchar_t* argument : {L"path", L"url", L"/RETRY=3"}) stack.Push(argument);
  plugin::PluginCall call(nullptr, 1024, nullptr, stack.Top(), nullptr);
  EXPECT_EQ(call.Pop(), std::optional<std::wstring>(L"/RETRY=3"));
  EXPECT_EQ(call.Pop(), std::optional<std::wstring>(L"url"));
  EXPECT_EQ(call.Pop(), std::optional<std::wstring>(L"path"));
  EXPECT_EQ(call.Pop(), std::nullopt);  // the stack is empty
}

TEST(PluginCall, PushesAtMostTheStringSize) {
  const std::wstring pair = L"\U0001F600";  // one character, two UTF-16 units
  struct Case {
    int stringSize;
    std::wstring pushed;
    std::wstring onTheStack;
  };
  const Case cases[] = {
      {1024, L"Cancelled", L"Cancelled"},
      {8, L"Cancelled", L"Cancell"},            // 7 characters and the NUL
      {8, L"Cancel!", L"Cancel!"},              // fits exactly
      {1, L"Cancelled", L""},                   // room for the NUL only
      {8, L"Cancel" + pair, L"Cancel"},         // not half a pair
      {9, L"Cancel" + pair, L"Cancel" + pair},  // the whole pair fits
      {1024, std::wstring(5000, L'x'), std::wstring(1023, L'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.stringSize) + " " + std::to_string(c.pushed.size()));
    FakeStack stack(c.stringSize);
    plugin::PluginCall call(nullptr, c.stringSize, nullptr, stack.Top(), nullptr);
    call.Push(c.pushed);
    EXPECT_EQ(stack.Drain(), std::vector<std::wstring>{c.onTheStack});
  }
}

TEST(PluginCall, TheInstallersSilentFlagCounts) {
  exec_flags_t flags{};
  extra_parameters extra{};
  extra.exec_flags = &flags;
  FakeStack stack(1024);
  for (const int silent : {0, 1, 3}) {
    flags.silent = silent;
    const plugin::PluginCall call(nullptr, 1024, nullptr, stack.Top(), &extra);
    EXPECT_EQ(call.InstallerIsSilent(), silent != 0) << silent;
  }
  const plugin::PluginCall withoutFlags(nullptr, 1024, nullptr, stack.Top(), nullptr);
  EXPECT_FALSE(withoutFlags.InstallerIsSilent());
}

}  // namespace
