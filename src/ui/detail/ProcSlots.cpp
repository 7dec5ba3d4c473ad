#include "ui/detail/ProcSlots.h"

#include "ui/detail/Binding.h"

#include <array>
#include <atomic>
#include <utility>

namespace ui::detail {
namespace {

std::array<std::atomic<Binding*>, kProcSlotCount> slotOwners{};

LRESULT RouteThroughSlot(std::size_t index, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) noexcept {
  Binding* const binding = slotOwners[index].load(std::memory_order_acquire);
  // A free slot's procedure is never installed in a window; answer like a plain window if it is.
  if (binding == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return binding->Route(window, message, wParam, lParam);
}

template <std::size_t Index>
LRESULT CALLBACK SlotProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  return RouteThroughSlot(Index, window, message, wParam, lParam);
}

template <std::size_t... Index>
constexpr std::array<WNDPROC, sizeof...(Index)> MakeProcedures(std::index_sequence<Index...>) {
  return {&SlotProcedure<Index>...};
}

constexpr std::array<WNDPROC, kProcSlotCount> kProcedures =
    MakeProcedures(std::make_index_sequence<kProcSlotCount>{});

}  // namespace

ProcSlot ClaimProcSlot(Binding& binding) noexcept {
  for (std::size_t index = 0; index < kProcSlotCount; ++index) {
    Binding* expected = nullptr;
    if (slotOwners[index].compare_exchange_strong(expected, &binding, std::memory_order_acq_rel)) {
      return ProcSlot{index, kProcedures[index]};
    }
  }
  return ProcSlot{};
}

void FreeProcSlot(const ProcSlot& slot) noexcept {
  if (slot.IsValid()) slotOwners[slot.index].store(nullptr, std::memory_order_release);
}

std::size_t ProcSlotsInUse() noexcept {
  std::size_t used = 0;
  for (const auto& owner : slotOwners) {
    if (owner.load(std::memory_order_relaxed) != nullptr) ++used;
  }
  return used;
}

}  // namespace ui::detail
