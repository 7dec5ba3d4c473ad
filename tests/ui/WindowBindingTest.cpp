// Subclassing through ui::WindowImpl and the ownership of ui::SelfDeletingWindow, on real windows.
#include "support/TestWindows.h"
#include "ui/ForTesting.h"
#include "ui/SelfDeletingWindow.h"
#include "ui/WindowImpl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using msk::test::CurrentProcedure;
using msk::test::kProbeAnswer;
using msk::test::kProbeMessage;
using msk::test::TopWindow;

constexpr UINT kOwnMessage = WM_APP + 2;     // answered by the test objects' maps
constexpr UINT kActionMessage = WM_APP + 3;  // makes a test object run its action
constexpr UINT kThrowMessage = WM_APP + 4;   // makes a test object's handler throw
constexpr LRESULT kOwnAnswer = 42;

// What a test object saw and did; owned by the test so it outlives self-deleting objects.
struct Trace {
  std::vector<UINT> seen;
  int finalMessages = 0;
  int destroyed = 0;
  int destroyedSeenInAction = -1;
};

// The map shared by both test objects: records every message, answers kOwnMessage, throws on
// kThrowMessage and runs `action` on kActionMessage.
bool TestMap(Trace& trace, UINT message, LRESULT& result, const std::function<void()>& action) {
  trace.seen.push_back(message);
  if (message == kOwnMessage) {
    result = kOwnAnswer;
    return true;
  }
  if (message == kThrowMessage) throw std::runtime_error("handler failed");
  if (message == kActionMessage && action) {
    action();  // may end the object; the trace lives on
    trace.destroyedSeenInAction = trace.destroyed;
    return true;
  }
  return false;
}

class PlainRecorder final : public ui::WindowImpl {
 public:
  explicit PlainRecorder(Trace& trace) : trace_(trace) {}
  ~PlainRecorder() override { ++trace_.destroyed; }

  bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    return TestMap(trace_, message, result, {});
  }

 private:
  void OnFinalMessage(HWND) noexcept override { ++trace_.finalMessages; }

  Trace& trace_;
};

class OwnedRecorder final : public ui::SelfDeletingWindow {
 public:
  explicit OwnedRecorder(Trace& trace) : trace_(trace) {}
  ~OwnedRecorder() override { ++trace_.destroyed; }

  // Run while kActionMessage is being handled.
  std::function<void()> action;

  bool ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    const std::function<void()> run = action;  // a copy: the object may end while it runs
    return TestMap(trace_, message, result, run);
  }

 private:
  Trace& trace_;
};

// A subclass installed by somebody else, after ours.
WNDPROC foreignPrevious = nullptr;
constexpr UINT kForeignMessage = WM_APP + 5;
LRESULT CALLBACK ForeignProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kForeignMessage) return 99;
  return ::CallWindowProcW(foreignPrevious, window, message, wParam, lParam);
}
void SubclassForeign(HWND window) {
  foreignPrevious = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProcedure)));
}

TEST(WindowBinding, MapAnswersFirstTheRestReachesThePreviousProcedureAndDetachRestoresIt) {
  TopWindow window(200, 100);
  Trace trace;
  PlainRecorder object(trace);
  ASSERT_TRUE(object.Attach(window.Handle()));
  EXPECT_EQ(object.Window(), window.Handle());
  EXPECT_NE(CurrentProcedure(window.Handle()), &TopWindow::ClassProcedure);

  window.ClearLog();
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), kOwnAnswer);
  EXPECT_FALSE(window.Received(kOwnMessage)) << "a handled message must not fall through";
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
  EXPECT_TRUE(window.Received(kProbeMessage));
  EXPECT_EQ(trace.seen, (std::vector<UINT>{kOwnMessage, kProbeMessage}));

  EXPECT_TRUE(object.Detach());
  EXPECT_EQ(CurrentProcedure(window.Handle()), &TopWindow::ClassProcedure);
  EXPECT_FALSE(object.IsAttached());
  trace.seen.clear();
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), 0);
  EXPECT_TRUE(trace.seen.empty());
  EXPECT_EQ(trace.finalMessages, 0) << "detaching is not the window's end";

  // Detached objects may be attached again.
  EXPECT_TRUE(object.Attach(window.Handle()));
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), kOwnAnswer);
}

TEST(WindowBinding, AttachRefusesNoWindowAndASecondWindow) {
  TopWindow first(100, 100);
  TopWindow second(100, 100);
  Trace trace;
  PlainRecorder object(trace);
  EXPECT_FALSE(object.Attach(nullptr));
  ASSERT_TRUE(object.Attach(first.Handle()));
  EXPECT_FALSE(object.Attach(second.Handle()));
  EXPECT_EQ(CurrentProcedure(second.Handle()), &TopWindow::ClassProcedure);
  EXPECT_FALSE(object.Detach() && object.Detach()) << "a second Detach has nothing to undo";
}

TEST(WindowBinding, AHandlerThatThrowsLeavesTheMessageToTheWindow) {
  TopWindow window(100, 100);
  Trace trace;
  PlainRecorder object(trace);
  ASSERT_TRUE(object.Attach(window.Handle()));
  window.ClearLog();
  EXPECT_EQ(::SendMessageW(window.Handle(), kThrowMessage, 0, 0), 0);
  EXPECT_TRUE(window.Received(kThrowMessage));
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), kOwnAnswer) << "still attached";
}

TEST(WindowBinding, ASubclassInstalledAfterOursIsLeftInPlaceAndKeepsWorking) {
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  TopWindow window(100, 100);
  Trace trace;
  {
    PlainRecorder object(trace);
    ASSERT_TRUE(object.Attach(window.Handle()));
    SubclassForeign(window.Handle());
    EXPECT_FALSE(object.Detach()) << "our procedure is no longer the window's";
    EXPECT_EQ(CurrentProcedure(window.Handle()), &ForeignProcedure);
  }  // the object goes; the foreign procedure still calls ours
  EXPECT_EQ(::SendMessageW(window.Handle(), kForeignMessage, 0, 0), 99);
  window.ClearLog();
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
  EXPECT_TRUE(window.Received(kProbeMessage)) << "passed straight on to the original procedure";
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), 0) << "no map any more";
  EXPECT_EQ(trace.seen.size(), 0u);
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore + 1)
      << "the forwarder lives with the window";

  window.Destroy();
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore) << "and ends with it";
}

TEST(WindowBinding, TwoObjectsOnOneWindowChainAndTheInnerOneMayLeaveFirst) {
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  TopWindow window(100, 100);
  Trace innerTrace;
  Trace outerTrace;
  auto inner = std::make_unique<PlainRecorder>(innerTrace);
  PlainRecorder outer(outerTrace);
  ASSERT_TRUE(inner->Attach(window.Handle()));
  ASSERT_TRUE(outer.Attach(window.Handle()));

  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
  EXPECT_EQ(outerTrace.seen, std::vector<UINT>{kProbeMessage});
  EXPECT_EQ(innerTrace.seen, std::vector<UINT>{kProbeMessage}) << "outer falls through to inner";

  EXPECT_FALSE(inner->Detach());
  inner.reset();
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), kOwnAnswer);
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
  EXPECT_TRUE(outer.Detach()) << "outer is on top and can hand back what it found";
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);

  window.Destroy();
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore);
}

// No table of procedures limits the bindings: a thousand objects on one window (a script that
// re-skins its window on every page visit stacks them) all take part, and leave nothing behind.
TEST(WindowBinding, AThousandObjectsOnOneWindowAllSeeItsMessagesAndLeaveNothingBehind) {
  constexpr std::size_t kObjects = 1000;
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  TopWindow window(100, 100);
  Trace trace;
  std::vector<std::unique_ptr<PlainRecorder>> objects;
  for (std::size_t i = 0; i < kObjects; ++i) {
    objects.push_back(std::make_unique<PlainRecorder>(trace));
    ASSERT_TRUE(objects.back()->Attach(window.Handle())) << "object " << i;
  }
  trace.seen.clear();
  window.ClearLog();
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
  EXPECT_EQ(std::count(trace.seen.begin(), trace.seen.end(), kProbeMessage),
            static_cast<std::ptrdiff_t>(kObjects))
      << "each object passes the message on to the one attached before it";
  EXPECT_TRUE(window.Received(kProbeMessage));
  EXPECT_EQ(::SendMessageW(window.Handle(), kOwnMessage, 0, 0), kOwnAnswer);

  // Leaving from the top down, each leaves the window as it found it.
  while (!objects.empty()) {
    EXPECT_TRUE(objects.back()->Detach());
    objects.pop_back();
  }
  EXPECT_EQ(CurrentProcedure(window.Handle()), &TopWindow::ClassProcedure);
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore);
}

TEST(WindowBinding, AMemberObjectIsDetachedByItsWindowsEndAndMayBeDestroyedLater) {
  TopWindow window(100, 100);
  Trace trace;
  PlainRecorder object(trace);
  ASSERT_TRUE(object.Attach(window.Handle()));
  window.Destroy();
  EXPECT_FALSE(object.IsAttached());
  EXPECT_EQ(object.Window(), nullptr);
  EXPECT_EQ(trace.finalMessages, 1);
  ASSERT_FALSE(trace.seen.empty());
  EXPECT_EQ(trace.seen.back(), static_cast<UINT>(WM_NCDESTROY));
  EXPECT_TRUE(window.Received(WM_NCDESTROY)) << "the previous procedure gets it too";
  EXPECT_EQ(trace.destroyed, 0);
}

TEST(SelfDeletingWindow, EndsAfterWmNcDestroyAndHearsNothingAfterIt) {
  TopWindow window(100, 100);
  Trace trace;
  OwnedRecorder* object = ui::SelfDeletingWindow::AttachToWindow(
      std::make_unique<OwnedRecorder>(trace), window.Handle());
  ASSERT_NE(object, nullptr);
  ui::WindowOwnedRef<OwnedRecorder> ref(object);
  EXPECT_EQ(ref.get(), object);

  window.Destroy();
  EXPECT_EQ(trace.destroyed, 1);
  EXPECT_EQ(ref.get(), nullptr);
  ASSERT_FALSE(trace.seen.empty());
  EXPECT_EQ(trace.seen.back(), static_cast<UINT>(WM_NCDESTROY)) << "nothing after the last message";
}

TEST(SelfDeletingWindow, DestroyedInsideOneOfItsHandlersItEndsOnlyWhenTheHandlerHasReturned) {
  const std::size_t recordsBefore = ui::detail::LiveBindingRecordsForTesting();
  TopWindow window(100, 100);
  Trace trace;
  auto owned = std::make_unique<OwnedRecorder>(trace);
  const HWND handle = window.Handle();
  owned->action = [handle] { ::DestroyWindow(handle); };
  ASSERT_NE(ui::SelfDeletingWindow::AttachToWindow(std::move(owned), window.Handle()), nullptr);

  ::SendMessageW(window.Handle(), kActionMessage, 0, 0);
  EXPECT_EQ(trace.destroyedSeenInAction, 0) << "deleted under its own running handler";
  EXPECT_EQ(trace.destroyed, 1);
  EXPECT_FALSE(::IsWindow(window.Handle()));
  EXPECT_EQ(ui::detail::LiveBindingRecordsForTesting(), recordsBefore);
}

TEST(SelfDeletingWindow, DisposeWhileHandlingAMessageWaitsForItToReturn) {
  TopWindow window(100, 100);
  Trace trace;
  auto owned = std::make_unique<OwnedRecorder>(trace);
  OwnedRecorder* const object = owned.get();
  owned->action = [object] { object->Dispose(); };
  ASSERT_EQ(ui::SelfDeletingWindow::AttachToWindow(std::move(owned), window.Handle()), object);

  ::SendMessageW(window.Handle(), kActionMessage, 0, 0);
  EXPECT_EQ(trace.destroyedSeenInAction, 0);
  EXPECT_EQ(trace.destroyed, 1);
  EXPECT_EQ(CurrentProcedure(window.Handle()), &TopWindow::ClassProcedure);
  EXPECT_EQ(::SendMessageW(window.Handle(), kProbeMessage, 0, 0), kProbeAnswer);
}

TEST(SelfDeletingWindow, DisposeOutsideMessagesEndsAtOnceAndHandsTheWindowBack) {
  TopWindow window(100, 100);
  Trace trace;
  OwnedRecorder* object = ui::SelfDeletingWindow::AttachToWindow(
      std::make_unique<OwnedRecorder>(trace), window.Handle());
  ASSERT_NE(object, nullptr);
  object->Dispose();
  EXPECT_EQ(trace.destroyed, 1);
  EXPECT_EQ(CurrentProcedure(window.Handle()), &TopWindow::ClassProcedure);
}

TEST(SelfDeletingWindow, AFailedAttachDestroysTheObjectAtOnce) {
  Trace trace;
  EXPECT_EQ(ui::SelfDeletingWindow::AttachToWindow(std::make_unique<OwnedRecorder>(trace), nullptr),
            nullptr);
  EXPECT_EQ(trace.destroyed, 1);
}

}  // namespace
