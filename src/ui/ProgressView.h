#pragma once
// Where a download shows how far it has come: the progress dialog, or a recorder in tests.
//
//   class Bar : public ui::ProgressView {
//     void ShowPercent(int percent) noexcept override { ... }
//   };
//
// Thread-safety: ShowPercent is called on the engine's transfer thread, never on the thread that
// owns the display; implementations hand the value over themselves (the dialog posts a message).

namespace ui {

class ProgressView {
 public:
  virtual ~ProgressView() = default;

  // `percent` is between 0 and 100; it is called only when the value changes.
  virtual void ShowPercent(int percent) noexcept = 0;
};

}  // namespace ui
