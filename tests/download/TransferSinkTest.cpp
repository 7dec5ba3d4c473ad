// The download's sink fed with notifications built by hand: what it writes, when it refuses, what
// it deletes, what it shows, and how it tells the waiting job.
#include "download/ProgressText.h"
#include "download/TransferSink.h"
#include "hftp/DataChunk.h"
#include "hftp/Status.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using download::DownloadPercent;
using download::DownloadResult;
using msk::test::FileBytes;
using msk::test::FileExists;
using msk::test::ScratchFolder;
using std::chrono::milliseconds;
using Kind = hftp::TransferResult::Kind;

constexpr std::uint64_t kGiB = 1ull << 30;

class RecordingView final : public download::ProgressView {
 public:
  void ShowPercent(int percent) noexcept override { shown.push_back(percent); }
  std::vector<int> shown;
};

// A sink as the job makes it, with the wakeup it notifies.
struct Sink {
  explicit Sink(const std::wstring& path, download::ProgressView* view = nullptr,
                download::TargetOptions target = {})
      : wakeup(std::make_shared<download::Wakeup>()), sink(path, view, wakeup, target) {}
  std::shared_ptr<download::Wakeup> wakeup;
  download::TransferSink sink;
};

void WriteText(const std::wstring& path, const std::string& text) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

hftp::TransferResult Ended(Kind kind, int httpStatus = 0, std::string message = {}) {
  hftp::TransferResult result;
  result.kind = kind;
  result.httpStatus = httpStatus;
  result.message = std::move(message);
  return result;
}

bool Deliver(download::TransferSink& observer, const std::string& bytes, std::int64_t total) {
  const hftp::DataChunk chunk(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                              hftp::StatusData, total, std::nullopt, std::nullopt);
  return observer.OnDataChunk(chunk, chunk);
}

bool End(download::TransferSink& observer, int status, std::int64_t total = 0) {
  const hftp::DataChunk chunk(nullptr, 0, status, total, std::nullopt, 0);
  return observer.OnDataChunk(chunk, chunk);
}

std::string Text(const std::optional<std::vector<unsigned char>>& bytes) {
  return bytes ? std::string(bytes->begin(), bytes->end()) : std::string("<no file>");
}

milliseconds TimeToWaitForEnd(Sink& sink, milliseconds timeout) {
  const auto start = std::chrono::steady_clock::now();
  sink.wakeup->WaitFor(timeout, [&] { return sink.sink.Ended(); });
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

TEST(TransferSink, WritesTheBlocksInOrderAndShowsEachPercentOnce) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"payload.bin");
  RecordingView view;
  Sink observerSink(path, &view);
  download::TransferSink& observer = observerSink.sink;

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

TEST(TransferSink, ShowsNothingWhileTheTotalIsUnknown) {
  ScratchFolder folder;
  RecordingView view;
  Sink observerSink(folder.Path(L"payload.bin"), &view);
  download::TransferSink& observer = observerSink.sink;
  for (int block = 0; block < 10; ++block) ASSERT_TRUE(Deliver(observer, "0123456789", 0));
  EXPECT_TRUE(End(observer, hftp::StatusCompleted));
  EXPECT_TRUE(view.shown.empty());
  EXPECT_EQ(FileBytes(folder.Path(L"payload.bin"))->size(), 100u);
}

TEST(TransferSink, AnEmptyResourceStillLeavesAnEmptyFile) {
  for (const int status : {hftp::StatusCompleted, hftp::StatusSizeKnown}) {
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"empty.bin");
    {
      // Overwritten, like any download target.
      WriteText(path, "old");
    }
    Sink observerSink(path, nullptr);
    download::TransferSink& observer = observerSink.sink;
    End(observer, status);
    EXPECT_TRUE(observer.Completed()) << status;
    EXPECT_EQ(Text(FileBytes(path)), "") << status;
  }
}

TEST(TransferSink, ACompletionShortOfTheAnnouncedSizeIsAFailure) {
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
    Sink observerSink(path, nullptr);
    download::TransferSink& observer = observerSink.sink;
    if (*c.body != '\0') {
      ASSERT_TRUE(Deliver(observer, c.body, c.total));
    }
    End(observer, c.status, c.total);
    EXPECT_EQ(observer.Completed(), c.completed);
    EXPECT_EQ(observer.Failed(), !c.completed);
    EXPECT_EQ(Text(FileBytes(path)), c.completed ? c.body : "<no file>");
  }
}

TEST(TransferSink, FinalErrorsDeleteTheFileUnknownCodesKeepIt) {
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
    Sink observerSink(path, nullptr);
    download::TransferSink& observer = observerSink.sink;
    ASSERT_TRUE(Deliver(observer, "partial", 100));
    EXPECT_FALSE(End(observer, c.status)) << c.status;
    EXPECT_TRUE(observer.Failed()) << c.status;
    EXPECT_FALSE(observer.Completed()) << c.status;
    // Closed either way: a kept file can be read and deleted by anyone.
    EXPECT_EQ(Text(FileBytes(path)), c.deleted ? "<no file>" : "partial") << c.status;
    EXPECT_EQ(std::filesystem::remove(std::filesystem::path(path)), !c.deleted) << c.status;
  }
}

TEST(TransferSink, AnErrorBeforeAnyByteDeletesWhatWasAtThePath) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"earlier.bin");
  WriteText(path, "");
  Sink observerSink(path, nullptr);
  download::TransferSink& observer = observerSink.sink;
  End(observer, hftp::StatusNotFound);
  EXPECT_FALSE(FileExists(path));
}

TEST(TransferSink, RefusesWhenTheTargetCannotBeCreatedAndSaysSoAtOnce) {
  ScratchFolder folder;
  ASSERT_TRUE(std::filesystem::create_directory(std::filesystem::path(folder.Path(L"a-folder"))));
  for (const std::wstring name : {L"missing/payload.bin", L"a-folder"}) {
    const std::wstring path = folder.Path(name);
    Sink observerSink(path, nullptr);
    download::TransferSink& observer = observerSink.sink;
    EXPECT_FALSE(Deliver(observer, "data", 4));
    EXPECT_TRUE(observer.Failed());
    EXPECT_LT(TimeToWaitForEnd(observerSink, std::chrono::seconds(10)), milliseconds(1000));
    // Nothing more is taken, and nothing was created or removed.
    EXPECT_FALSE(Deliver(observer, "more", 4));
    EXPECT_FALSE(observer.Completed());
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::wstring>{L"a-folder"});
}

TEST(TransferSink, AFailedWriteRefusesTheBlockAndEndsTheDownload) {
#ifdef _WIN32
  // A pipe whose reader has gone makes every write fail, as a full disk would.
  const std::wstring target = L"\\\\.\\pipe\\msk-sink-" + std::to_wstring(::GetCurrentProcessId());
  const HANDLE reader = ::CreateNamedPipeW(target.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                           1 << 16, 1 << 16, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
#else
  // A file-size limit of five bytes makes the write past them fail, as a full disk would.
  ScratchFolder folder;
  const std::wstring target = folder.Path(L"payload.bin");
  const struct FileSizeLimit {
    FileSizeLimit() {
      ::getrlimit(RLIMIT_FSIZE, &saved);
      rlimit tight = saved;
      tight.rlim_cur = 5;
      ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
      ::setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved); }
    rlimit saved{};
  } limit;
#endif
  RecordingView view;
  Sink observerSink(target, &view);
  download::TransferSink& observer = observerSink.sink;
  ASSERT_TRUE(Deliver(observer, "first", 100));
#ifdef _WIN32
  ::CloseHandle(reader);
#endif
  EXPECT_FALSE(Deliver(observer, "second", 100));
  EXPECT_TRUE(observer.Failed());
  EXPECT_EQ(observer.Outcome().result, DownloadResult::CannotWrite);
  EXPECT_LT(TimeToWaitForEnd(observerSink, std::chrono::seconds(10)), milliseconds(1000));
  // The block that was not written is not counted, and a late success changes nothing.
  EXPECT_EQ(view.shown, std::vector<int>{5});
  End(observer, hftp::StatusCompleted);
  EXPECT_FALSE(observer.Completed());
}

TEST(TransferSink, CountsBytesPastFourGibibytes) {
  // The null device takes any amount, so 4.5 GiB pass through without touching a disk.
  RecordingView view;
#ifdef _WIN32
  Sink observerSink(L"NUL", &view);
#else
  Sink observerSink(L"/dev/null", &view);
#endif
  download::TransferSink& observer = observerSink.sink;
  const std::string block(64 << 20, '\x5A');
  const auto total = static_cast<std::int64_t>(9 * kGiB);
  for (int i = 0; i < 72; ++i) ASSERT_TRUE(Deliver(observer, block, total)) << "block " << i;
  ASSERT_FALSE(view.shown.empty());
  EXPECT_EQ(view.shown.back(), 50);
  for (std::size_t i = 1; i < view.shown.size(); ++i) EXPECT_LT(view.shown[i - 1], view.shown[i]);
}

TEST(TransferSink, AResumedDownloadAppendsOnlyWhereTheServerHonoursTheRange) {
  struct Case {
    const char* what;
    hftp::ResponseInfo response;
    std::int64_t total;  // as the response announced it
    bool completes;
    const char* file;  // after "world" arrived
    std::vector<int> shown;
  };
  const Case cases[] = {
      {"206 from byte 6", {206, 6, ""}, 11, true, "hello world", {100}},
      {"200: the whole resource", {200, std::nullopt, ""}, 11, true, "world", {45}},
      // Neither the rest of the file nor a whole one: refused, the file left for a start-over.
      {"206 from elsewhere", {206, 0, ""}, 11, false, "hello X", {}},
      {"206 of a resource that changed", {206, 6, ""}, 12, false, "hello X", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"payload.bin");
    // What an earlier attempt left, with a stray byte after what it counted.
    WriteText(path, "hello X");
    RecordingView view;
    Sink observerSink(path, &view, download::TargetOptions{6, true, 11});
    download::TransferSink& observer = observerSink.sink;
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
      EXPECT_TRUE(observer.RangeUnusable());
    }
  }
}

TEST(TransferSink, KeepsAPartialFileWhenAskedAndTellsHowTheTransferEnded) {
  ScratchFolder folder;
  const std::wstring path = folder.Path(L"payload.bin");
  Sink observerSink(path, nullptr, download::TargetOptions{0, true});
  download::TransferSink& observer = observerSink.sink;
  ASSERT_TRUE(Deliver(observer, "partial", 100));
  observer.OnTransferEnd(
      Ended(Kind::ConnectionLost, 200, "transfer closed with 93 bytes remaining to read"));
  End(observer, hftp::StatusTransferError, 100);
  End(observer, hftp::StatusAborted);  // a second final notification changes nothing
  ASSERT_TRUE(observer.Failed());
  EXPECT_EQ(Text(FileBytes(path)), "partial");
  EXPECT_EQ(observer.Outcome().result, DownloadResult::ConnectionLost);
  EXPECT_EQ(observer.Outcome().detail, "transfer closed with 93 bytes remaining to read");
}

TEST(TransferSink, ACompletionThatIsNoSuccessLeavesNoFile) {
  struct Case {
    const char* what;
    hftp::TransferResult result;
    DownloadResult outcome;
  };
  const Case cases[] = {
      {"204", Ended(Kind::HttpStatus, 204), DownloadResult::HttpError},
      {"a redirect without a Location", Ended(Kind::HttpStatus, 302), DownloadResult::HttpError},
      {"a withheld body", Ended(Kind::ConnectionLost, 200, "the server withheld the body"),
       DownloadResult::ConnectionLost},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    const std::wstring path = folder.Path(L"payload.bin");
    WriteText(path, "old");
    Sink observerSink(path);
    download::TransferSink& observer = observerSink.sink;
    observer.OnTransferEnd(c.result);
    End(observer, hftp::StatusCompleted);
    EXPECT_TRUE(observer.Failed());
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(observer.Outcome().result, c.outcome);
    EXPECT_EQ(observer.Outcome().httpStatus,
              c.result.kind == Kind::HttpStatus ? c.result.httpStatus : 0);
  }
}

TEST(TransferSink, WaitEndsWithTheOutcomeOrTheTimeout) {
  ScratchFolder folder;
  Sink observerSink(folder.Path(L"payload.bin"), nullptr);
  download::TransferSink& observer = observerSink.sink;
  EXPECT_GE(TimeToWaitForEnd(observerSink, milliseconds(200)), milliseconds(150));

  milliseconds waited{};
  std::thread waiter([&] { waited = TimeToWaitForEnd(observerSink, std::chrono::seconds(10)); });
  std::this_thread::sleep_for(milliseconds(100));
  End(observer, hftp::StatusCompleted);
  waiter.join();
  EXPECT_LT(waited, milliseconds(2000));
  EXPECT_LT(TimeToWaitForEnd(observerSink, std::chrono::seconds(10)), milliseconds(100));
}

}  // namespace
