#pragma once
// A fixed table of distinct window procedures. Every live Binding occupies one slot, so each bound
// window gets a procedure address of its own: that is what lets a binding tell, when it is asked to
// detach, whether its procedure is still the one the window calls. The slot's procedure looks its
// binding up and routes the message to it; no executable memory is involved, so the same code is
// right on 32 and 64 bits.
//
// Thread-safety: claiming and freeing are lock-free and may happen on any thread; a slot's binding
// is published before its procedure is handed out.

#include <windows.h>

#include <cstddef>

namespace ui::detail {

class Binding;

inline constexpr std::size_t kProcSlotCount = 128;

struct ProcSlot {
  std::size_t index = kProcSlotCount;  // kProcSlotCount: no slot
  WNDPROC procedure = nullptr;

  bool IsValid() const noexcept { return procedure != nullptr; }
};

// Claims a free slot for `binding`; an invalid slot when all are taken.
ProcSlot ClaimProcSlot(Binding& binding) noexcept;
// Gives the slot back. No window may call its procedure any more.
void FreeProcSlot(const ProcSlot& slot) noexcept;
// Slots taken right now.
std::size_t ProcSlotsInUse() noexcept;

}  // namespace ui::detail
