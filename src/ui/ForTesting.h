#pragma once
// The user interface's hooks for tests, all in one place: counts of what is alive right now, so
// that a test can prove that a workload gave back everything it made.
//
//   const std::ptrdiff_t before = ui::gdi::LiveObjectCountForTesting();
//   ...                                  // skin a window, paint it, release it
//   EXPECT_EQ(ui::gdi::LiveObjectCountForTesting(), before);
//
// Only test programs call these: no shipping code may refer to one, which
// tests/plugin/check_test_hooks.py checks in the libraries the DLL is linked from. Each is defined
// beside what it counts.
//
// Thread-safety: any thread; the counts are atomics.

#include <cstddef>

namespace ui::gdi {

// Owned GDI objects (ui/Gdi.h) that exist right now, over the whole module.
std::ptrdiff_t LiveObjectCountForTesting() noexcept;

}  // namespace ui::gdi

namespace ui::detail {

// Bindings and window records (ui/detail/Binding.h, WindowHook.h) alive right now in this module.
std::size_t LiveBindingRecordsForTesting() noexcept;

}  // namespace ui::detail
