#pragma once
// Real windows for the user-interface tests.
//
//   msk::test::TopWindow window(640, 480);              // visible, client area 640 x 480
//   HWND bar = window.AddChild(PROGRESS_CLASSW, L"", 0, {25, 170, 270, 26}, 1004);
//   window.Log();                                       // messages its own procedure received
//
// TopWindow's class procedure records every message, answers kProbeMessage with kProbeAnswer, and
// answers WM_CTLCOLORBTN / WM_CTLCOLORSTATIC with kClassBrush, so a test sees what reaches the
// window's own procedure. Destroying the object destroys the window (if it still exists).
//
// Not thread-safe: one thread per window.

#include <windows.h>

#include <vector>

namespace msk::test {

inline constexpr UINT kProbeMessage = WM_APP + 1;
inline constexpr LRESULT kProbeAnswer = 7;

// The brush the class procedure answers colour messages with.
HBRUSH ClassBrush() noexcept;
// Registers the common controls once per process.
void InitCommonControlsOnce();
// Dispatches everything waiting in this thread's queue.
void PumpMessages();

class TopWindow {
 public:
  TopWindow(int clientWidth, int clientHeight, DWORD extraStyle = 0);
  ~TopWindow();
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;

  HWND Handle() const noexcept { return window_; }
  HWND AddChild(const wchar_t* className, const wchar_t* text, DWORD style, RECT placement, int id,
                HWND parent = nullptr);
  // Destroys the window now; the destructor then has nothing left to do.
  void Destroy();

  const std::vector<UINT>& Log() const noexcept { return log_; }
  bool Received(UINT message) const;
  void ClearLog() { log_.clear(); }

  static LRESULT CALLBACK ClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND window_ = nullptr;
  std::vector<UINT> log_;
};

// The procedure `window` calls now.
WNDPROC CurrentProcedure(HWND window) noexcept;

}  // namespace msk::test
