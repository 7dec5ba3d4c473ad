#pragma once
// Keeps a row of controls (the connection-error dialog's buttons) inside its dialog after the
// dialog was given a size in pixels that its template, laid out in dialog units, knows nothing of:
// with a font larger than the template's, the template's controls may lie partly or wholly beyond
// the new client area, where nobody can click them.
//
//   RECT layout{};
//   ::GetClientRect(dialog, &layout);                        // the template's client area
//   ::MoveWindow(dialog, 0, 0, 555, 403, FALSE);
//   ui::KeepRowInside(dialog, {kTryAgainButton, kCancelButton}, layout);
//
// A row that sticks out moves as one block, so order and spacing stay, until its right (or bottom)
// edge keeps the margin it had in the template's layout; a row that fits is left where it is.
//
// Thread-safety: the dialog's thread.

#include <windows.h>

#include <initializer_list>

namespace ui {

// Moves the controls `controlIds` of `dialog` back inside its client area as described above;
// `layoutClient` is the client rectangle the controls were laid out in.
void KeepRowInside(HWND dialog, std::initializer_list<int> controlIds,
                   const RECT& layoutClient) noexcept;

}  // namespace ui
