#pragma once
// Sole ownership of one platform resource (a handle, an allocation the platform handed out), freed
// by the function that matches how it was obtained. Each kind of resource gets its own type from a
// small traits class:
//
//   struct KernelHandleTraits {
//     using Value = HANDLE;
//     static constexpr Value Empty() noexcept { return nullptr; }
//     static bool IsEmpty(Value value) noexcept { return value == nullptr; }
//     static void Close(Value value) noexcept { ::CloseHandle(value); }
//   };
//   using KernelHandle = Tools::UniqueHandle<KernelHandleTraits>;
//
//   KernelHandle token;
//   if (::OpenProcessToken(process, TOKEN_QUERY, token.Put())) Use(token.Get());
//
// Close is called once for every non-empty value the holder gave up: on Reset, on move-assignment
// and on destruction. IsEmpty may accept more than one value (a kernel handle is empty both as 0
// and as INVALID_HANDLE_VALUE); none of them is ever closed.
//
// Thread-safety: like a std::unique_ptr; one holder must not be used by two threads at once.

#include <utility>

namespace Tools {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  ~UniqueHandle() { CloseIfOwned(value_); }

  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Value Get() const noexcept { return value_; }
  bool IsValid() const noexcept { return !Traits::IsEmpty(value_); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Takes `value` and closes the previous one, unless it is the same value: re-seating a holder
  // with what it already owns must not close it under the new owner.
  void Reset(Value value = Traits::Empty()) noexcept {
    if (value == value_) return;
    const Value previous = std::exchange(value_, value);
    CloseIfOwned(previous);
  }

  // Gives up ownership without closing; the caller frees the value.
  Value Release() noexcept { return std::exchange(value_, Traits::Empty()); }

  // For platform functions that return the resource through an out pointer: closes what is held
  // and hands out the address of the now empty slot.
  Value* Put() noexcept {
    Reset();
    return &value_;
  }

 private:
  static void CloseIfOwned(Value value) noexcept {
    if (!Traits::IsEmpty(value)) Traits::Close(value);
  }

  Value value_ = Traits::Empty();
};

}  // namespace Tools
