#pragma once
// Message maps for WindowImpl and DialogImpl classes, in the style of WTL:
//
//   class Skin : public ui::WindowImpl {
//     MSK_BEGIN_MSG_MAP(Skin)
//       MSK_MESSAGE_HANDLER(WM_PAINT, OnPaint)
//       MSK_COMMAND_HANDLER(1002, BN_CLICKED, OnTryAgain)
//     MSK_END_MSG_MAP()
//     LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
//     LRESULT OnTryAgain(WORD notifyCode, WORD id, HWND control, bool& handled);
//   };
//
// A handler starts with `handled` true; setting it to false passes the message on to the next
// entry and finally to the window's own processing (its previous procedure, or the default dialog
// processing). The first entry that keeps `handled` true answers the message.
//
// Thread-safety: a map runs on the thread of the window whose message it handles.

#include <windows.h>

namespace ui::detail {
constexpr WORD LowWord(WPARAM value) noexcept {
  return static_cast<WORD>(value & 0xFFFFu);
}
constexpr WORD HighWord(WPARAM value) noexcept {
  return static_cast<WORD>((value >> 16) & 0xFFFFu);
}
}  // namespace ui::detail

#define MSK_BEGIN_MSG_MAP(ThisClass)                                                 \
 public:                                                                             \
  bool ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, \
                            LRESULT& result) override {                              \
    static_assert(sizeof(ThisClass) > 0, "message map of an incomplete class");      \
    (void)window;                                                                    \
    (void)message;                                                                   \
    (void)wParam;                                                                    \
    (void)lParam;                                                                    \
    (void)result;                                                                    \
    bool handled = true;

#define MSK_MESSAGE_HANDLER(msg, handler)               \
  if (message == (msg)) {                               \
    handled = true;                                     \
    result = handler(message, wParam, lParam, handled); \
    if (handled) return true;                           \
  }

#define MSK_COMMAND_HANDLER(id, code, handler)                                      \
  if (message == WM_COMMAND && ::ui::detail::LowWord(wParam) == (id) &&             \
      ::ui::detail::HighWord(wParam) == (code)) {                                   \
    handled = true;                                                                 \
    result = handler(::ui::detail::HighWord(wParam), ::ui::detail::LowWord(wParam), \
                     reinterpret_cast<HWND>(lParam), handled);                      \
    if (handled) return true;                                                       \
  }

#define MSK_END_MSG_MAP() \
  (void)handled;          \
  return false;           \
  }
