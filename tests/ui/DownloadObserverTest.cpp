// The download observer fed with notifications built by hand: what it writes, when it refuses,
// what it deletes, what it shows, and how it tells the waiting thread.
#include "hftp/DataChunk.h"
#include "hftp/Status.h"
#include "support/ScratchFolder.h"
#include "ui/DownloadObserver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using msk::test::FileBytes;
using msk::test::FileExists;
using msk::test::ScratchFolder;
using std::chrono::milliseconds;
using ui::DownloadObserver;
using ui::DownloadPercent;

constexpr std::uint64_t kGiB = 1ull << 30;

class RecordingView final : public ui::ProgressView {
 public:
  void ShowPercent(int percent) noexcept override { shown.push_back(percent); }
  std::vector<int> shown;
};

bool Deliver(DownloadObserver& observer, const std::string& bytes, std::int64_t total) {
  const hftp::DataChunk chunk(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                              hftp::StatusData, total, std::nullopt, std::nullopt);
  return observer.OnDataChunk(chunk, chunk);
}

bool End(DownloadObserver& observer, int status, std::int64_t total = 0) {
  const hftp::DataChunk chunk(nullptr, 0, status, total, std::nullopt, 0);
  return observer.OnDataChunk(chunk, chunk);
}

std::string Text(const std::optional<std::vector<unsigned char>>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<no file>");
}

milliseconds TimeToWaitForEnd(const DownloadObserver& observer, milliseconds timeout) {
  const auto start = std::chrono::steady_clock::now();
  observer.WaitForEnd(timeout);
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
}

TEST(DownloadPercent, IsZeroWithoutTotalAndNeverLeavesZeroToHundred) {
  EXPECT_EQ(DownloadPercent(0, 0), 0);
  EXPECT_EQ(DownloadPercent(500, 0), 0);
  EXPECT_EQ(DownloadPercent(500, -1), 0);
  EXPECT_EQ(DownloadPercent(0, 1000), 0);
  EXPECT_EQ(DownloadPercent(999, 1000), 99);
  EXPECT_EQ(DownloadPercent(1000, 1000), 100);
  // More than announced (a wrong length header) still shows a full bar, not 150 %.
  EXPECT_EQ(DownloadPercent(1500, 1000), 100);
}

TEST(DownloadPercent, CountsPastFourGibibytes) {
  // Only the low 32 bits of this total are 2000: a 32-bit total would show 50 % here.
  EXPECT_EQ(DownloadPercent(1000, static_cast<std::int64_t>(4 * kGiB + 2000)), 0);
  // A 32-bit counter would have wrapped to 0.5 GiB, 5 %.
  EXPECT_EQ(DownloadPercent(4 * kGiB + kGiB / 2, static_cast<std::int64_t>(9 * kGiB)), 50);
  EXPECT_EQ(DownloadPercent(9 * kGiB - 1, static_cast<std::int64_t>(9 * kGiB)), 99);
  // Where received x 100 no longer fits 64 bits.
  EXPECT_EQ(DownloadPercent(1ull << 62, INT64_MAX), 50);
  EXPECT_EQ(DownloadPercent(static_cast<std::uint64_t>(INT64_MAX) - 1, INT64_MAX), 99);
}

TEST(DownloadObserver, WritesTheBlocksInOrderAndShowsEachPercentOnce) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"payload.bin");
  RecordingView view;
  DownloadObserver observer(path, &view);

  std::string expected;
  for (int block = 0; block < 250; ++block) {
    const std::string bytes(4, static_cast<char>('a' + block % 26));
    expected += bytes;
    ASSERT_TRUE(Deliver(observer, bytes, 1000)) << "block " << block;
  }
  EXPECT_FALSE(observer.Completed());
  EXPECT_TRUE(End(observer, hftp::StatusCompleted));
  EXPECT_TRUE(observer.Completed());
  EXPECT_FALSE(observer.Failed());
  EXPECT_EQ(Text(FileBytes(path)), expected);

  // 250 blocks, but the bar only needs to hear about 1, 2, ... 100.
  std::vector<int> everyStep(100);
  std::iota(everyStep.begin(), everyStep.end(), 1);
  EXPECT_EQ(view.shown, everyStep);
}

TEST(DownloadObserver, ShowsNothingWhileTheTotalIsUnknown) {
  ScratchFolder folder;
  RecordingView view;
  DownloadObserver observer(folder.Path(L"payload.bin"), &view);
  for (int block = 0; block < 10; ++block) ASSERT_TRUE(Deliver(observer, "0123456789", 0));
  EXPECT_TRUE(End(observer, hftp::StatusCompleted));
  EXPECT_TRUE(view.shown.empty());
  EXPECT_EQ(FileBytes(folder.Path(L"payload.bin"))->size(), 100u);
}

TEST(DownloadObserver, AnEmptyResourceStillLeavesAnEmptyFile) {
  for (const int status : {hftp::StatusCompleted, hftp::StatusSizeKnown}) {
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"empty.bin");
    {
      // Overwritten, like any download target.
      const HANDLE old = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD written = 0;
      ::WriteFile(old, "old", 3, &written, nullptr);
      ::CloseHandle(old);
    }
    DownloadObserver observer(path, nullptr);
    End(observer, status);
    EXPECT_TRUE(observer.Completed()) << status;
    EXPECT_EQ(Text(FileBytes(path)), "") << status;
  }
}

TEST(DownloadObserver, ACompletionShortOfTheAnnouncedSizeIsAFailure) {
  struct Case {
    const char* body;
    int status;
    std::int64_t total;  // as the final notification carries it
    bool completed;
  };
  const Case cases[] = {
      {"", hftp::StatusCompleted, 5000, false},  // the body was withheld
      {"1234", hftp::StatusCompleted, 5000, false},
      {"1234", hftp::StatusCompleted, 4, true},
      {"", hftp::StatusCompleted, 0, true},  // "Content-Length: 0", or no length at all
      {"123456", hftp::StatusCompleted, 4, true},
      {"", hftp::StatusSizeKnown, 5000, true},  // headers only: no body was due
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.body) + " of " + std::to_string(c.total));
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"payload.bin");
    DownloadObserver observer(path, nullptr);
    if (*c.body != '\0') {
      ASSERT_TRUE(Deliver(observer, c.body, c.total));
    }
    End(observer, c.status, c.total);
    EXPECT_EQ(observer.Completed(), c.completed);
    EXPECT_EQ(observer.Failed(), !c.completed);
    EXPECT_EQ(Text(FileBytes(path)), c.completed ? c.body : "<no file>");
  }
}

TEST(DownloadObserver, FinalErrorsDeleteTheFileUnknownCodesKeepIt) {
  struct Case {
    int status;
    bool deleted;
  };
  for (const Case c : {Case{hftp::StatusAborted, true}, Case{hftp::StatusConnectionError, true},
                       Case{hftp::StatusProxyError, true}, Case{hftp::StatusAccessDenied, true},
                       Case{hftp::StatusAddressError, true}, Case{hftp::StatusTransferError, true},
                       Case{hftp::StatusError, true}, Case{hftp::StatusNotFound, true},
                       Case{hftp::StatusRefused, false}, Case{-1, false}, Case{12, false}}) {
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"partial.bin");
    DownloadObserver observer(path, nullptr);
    ASSERT_TRUE(Deliver(observer, "partial", 100));
    EXPECT_FALSE(End(observer, c.status)) << c.status;
    EXPECT_TRUE(observer.Failed()) << c.status;
    EXPECT_FALSE(observer.Completed()) << c.status;
    // Closed either way: a kept file can be read and deleted by anyone.
    EXPECT_EQ(Text(FileBytes(path)), c.deleted ? "<no file>" : "partial") << c.status;
    EXPECT_EQ(::DeleteFileW(path.c_str()) != FALSE, !c.deleted) << c.status;
  }
}

TEST(DownloadObserver, AnErrorBeforeAnyByteDeletesWhatWasAtThePath) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"earlier.bin");
  ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  DownloadObserver observer(path, nullptr);
  End(observer, hftp::StatusNotFound);
  EXPECT_FALSE(FileExists(path));
}

TEST(DownloadObserver, RefusesWhenTheTargetCannotBeCreatedAndSaysSoAtOnce) {
  ScratchFolder folder;
  ASSERT_TRUE(::CreateDirectoryW(folder.Path(L"a-folder").c_str(), nullptr));
  for (const std::wstring name : {L"missing\\payload.bin", L"a-folder"}) {
    const std::wstring path = folder.Path(name);
    DownloadObserver observer(path, nullptr);
    EXPECT_FALSE(Deliver(observer, "data", 4));
    EXPECT_TRUE(observer.Failed());
    EXPECT_LT(TimeToWaitForEnd(observer, std::chrono::seconds(10)), milliseconds(1000));
    // Nothing more is taken, and nothing was created or removed.
    EXPECT_FALSE(Deliver(observer, "more", 4));
    EXPECT_FALSE(observer.Completed());
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"a-folder"});
}

TEST(DownloadObserver, AFailedWriteRefusesTheBlockAndEndsTheDownload) {
  // A pipe whose reader has gone makes every write fail, as a full disk would.
  const std::wstring pipeName =
      L"\\\\.\\pipe\\msk-observer-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE reader = ::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                           1 << 16, 1 << 16, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  RecordingView view;
  DownloadObserver observer(pipeName, &view);
  ASSERT_TRUE(Deliver(observer, "first", 100));
  ::CloseHandle(reader);
  EXPECT_FALSE(Deliver(observer, "second", 100));
  EXPECT_TRUE(observer.Failed());
  EXPECT_LT(TimeToWaitForEnd(observer, std::chrono::seconds(10)), milliseconds(1000));
  // The block that was not written is not counted, and a late success changes nothing.
  EXPECT_EQ(view.shown, std::vector<int>{5});
  End(observer, hftp::StatusCompleted);
  EXPECT_FALSE(observer.Completed());
}

TEST(DownloadObserver, CountsBytesPastFourGibibytes) {
  // The null device takes any amount, so 4.5 GiB pass through without touching a disk.
  RecordingView view;
  DownloadObserver observer(L"NUL", &view);
  const std::string block(64 << 20, '\x5A');
  const auto total = static_cast<std::int64_t>(9 * kGiB);
  for (int i = 0; i < 72; ++i) ASSERT_TRUE(Deliver(observer, block, total)) << "block " << i;
  ASSERT_FALSE(view.shown.empty());
  EXPECT_EQ(view.shown.back(), 50);
  for (std::size_t i = 1; i < view.shown.size(); ++i) EXPECT_LT(view.shown[i - 1], view.shown[i]);
}

TEST(DownloadObserver, AResumedDownloadAppendsOnlyWhereTheServerHonoursTheRange) {
  struct Case {
    const char* what;
    hftp::ResponseInfo response;
    std::int64_t total;  // as the response announced it
    bool completes;
    const char* file;  // after "world" arrived
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"206 from byte 6", {206, 6}, 11, true, "hello world", {100}},
      {"200: the whole resource", {200, std::nullopt}, 11, true, "world", {45}},
      // Neither the rest of the file nor a whole one: refused, the file left for a start-over.
      {"206 from elsewhere", {206, 0}, 11, false, "hello X", {}},
      {"206 of a resource that changed", {206, 6}, 12, false, "hello X", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"payload.bin");
    // What an earlier attempt left, with a stray byte after what it counted.
    ASSERT_TRUE(Deliver(*std::make_unique<DownloadObserver>(path, nullptr), "hello X", 0));
    RecordingView view;
    DownloadObserver observer(path, &view, ui::TargetOptions{6, true, 11});
    observer.OnResponse(c.response);
    EXPECT_EQ(Deliver(observer, "world", c.total), c.completes);
    End(observer, hftp::StatusCompleted);  // a refused transfer stays refused
    EXPECT_EQ(observer.Completed(), c.completes);
    EXPECT_EQ(Text(FileBytes(path)), c.file);
    EXPECT_EQ(view.shown, c.shown);
    EXPECT_EQ(observer.Touched(), c.completes);
    if (c.completes) {
      EXPECT_EQ(observer.ResourceSize(), c.total);
    } else {
      EXPECT_TRUE(observer.Facts().rangeUnusable);
    }
  }
}

TEST(DownloadObserver, KeepsAPartialFileWhenAskedAndGathersWhyTheTransferFailed) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"payload.bin");
  DownloadObserver observer(path, nullptr, ui::TargetOptions{0, true});
  ASSERT_TRUE(Deliver(observer, "partial", 100));
  hftp::TransferError error;
  error.resultCode = 18;
  error.message = "transfer closed with 93 bytes remaining to read";
  error.connected = true;
  observer.OnTransferError(error);
  const hftp::DataChunk failure(nullptr, 0, hftp::StatusTransferError, 100, std::string("\r\n"),
                                18);
  observer.OnDataChunk(failure, failure);
  End(observer, hftp::StatusAborted);  // a second final notification changes nothing
  ASSERT_TRUE(observer.Failed());
  EXPECT_EQ(Text(FileBytes(path)), "partial");
  const ui::TransferFacts& facts = observer.Facts();
  EXPECT_EQ(facts.status, hftp::StatusTransferError);
  EXPECT_EQ(facts.resultCode, 18);
  ASSERT_TRUE(facts.error.has_value());
  EXPECT_EQ(facts.error->message, error.message);

  // A response that ended the transfer comes as its status line.
  DownloadObserver missing(folder.Path(L"missing.bin"), nullptr);
  const hftp::DataChunk notFound(nullptr, 0, hftp::StatusNotFound, 0,
                                 std::string("HTTP/1.1 404 Not Found\r\n"), std::nullopt);
  missing.OnDataChunk(notFound, notFound);
  EXPECT_EQ(missing.Facts().httpStatus, 404);
  EXPECT_FALSE(missing.Touched());
}

TEST(DownloadObserver, WaitEndsWithTheOutcomeOrTheTimeout) {
  ScratchFolder folder;
  DownloadObserver observer(folder.Path(L"payload.bin"), nullptr);
  EXPECT_GE(TimeToWaitForEnd(observer, milliseconds(200)), milliseconds(150));

  milliseconds waited{};
  std::thread waiter([&] { waited = TimeToWaitForEnd(observer, std::chrono::seconds(10)); });
  ::Sleep(100);
  End(observer, hftp::StatusCompleted);
  waiter.join();
  EXPECT_LT(waited, milliseconds(2000));
  EXPECT_LT(TimeToWaitForEnd(observer, std::chrono::seconds(10)), milliseconds(100));
}

}  // namespace
