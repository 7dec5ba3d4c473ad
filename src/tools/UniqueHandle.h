#pragma once
// Sole ownership of one platform resource (a handle, an allocation a library handed out), given
// back by the function that matches how it was obtained: the one owner type of every handle kind
// in the library, in the manner of wil's unique_any. A kind is a traits class that names the
// handle type, its close function and the value or values that mean "no handle":
//
//   using UniqueCurlEasy = Tools::UniqueHandle<Tools::HandleTraits<CURL*, &curl_easy_cleanup>>;
//   using UniqueKernelHandle =  // empty as 0 and as INVALID_HANDLE_VALUE (-1)
//       Tools::UniqueHandle<Tools::HandleTraits<HANDLE, &::CloseHandle, 0, -1>>;
//
//   UniqueKernelHandle token;
//   if (::OpenProcessToken(process, TOKEN_QUERY, token.Put())) Use(token.Get());
//   UniqueCurlEasy easy(curl_easy_init());
//   if (!easy) return;
//
// Close is called once for every valid value the owner gives up: on Reset, on move-assignment and
// on destruction; never for an invalid one, whichever of the kind's invalid values it is. On
// Windows closing keeps the caller's GetLastError, so an owner may go out of scope or be reset
// between a failing call and the look at its error.
//
// A traits class may also count its owners' live handles for the tests, by declaring
// `static void CountForTesting(std::ptrdiff_t change) noexcept`: it is told +1 when an owner takes
// a valid handle and -1 when one closes or releases it (moves count nothing). Such a kind has no
// Put, which would let a handle in uncounted.
//
// Thread-safety: like a std::unique_ptr; one owner must not be used by two threads at once.

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace Tools {

// The traits of the common kind: `Handle` is given back with `CloseFunction(handle)`, and the
// integers `FirstInvalid, MoreInvalid...` converted to `Handle` are its invalid values (the first
// one is what an empty owner holds). A close function that takes more than the handle is wrapped
// in a function of one argument first.
template <typename Handle, auto CloseFunction, std::intptr_t FirstInvalid = 0,
          std::intptr_t... MoreInvalid>
struct HandleTraits {
  using Value = Handle;

  static Value Invalid() noexcept { return FromInteger(FirstInvalid); }
  static bool IsInvalid(Value value) noexcept {
    return value == FromInteger(FirstInvalid) || ((value == FromInteger(MoreInvalid)) || ...);
  }
  static void Close(Value value) noexcept { CloseFunction(value); }

 private:
  static Value FromInteger(std::intptr_t integer) noexcept {
    if constexpr (std::is_pointer_v<Value>) {
      return reinterpret_cast<Value>(integer);
    } else {
      return static_cast<Value>(integer);
    }
  }
};

namespace detail {

template <typename Traits, typename = void>
inline constexpr bool kCountsForTesting = false;
template <typename Traits>
inline constexpr bool
    kCountsForTesting<Traits, std::void_t<decltype(Traits::CountForTesting(std::ptrdiff_t{1}))>> =
        true;

}  // namespace detail

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Value value) noexcept : value_(value) { Count(value_, +1); }
  ~UniqueHandle() { CloseIfValid(value_); }

  UniqueHandle(UniqueHandle&& other) noexcept
      : value_(std::exchange(other.value_, Traits::Invalid())) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Replace(std::exchange(other.value_, Traits::Invalid()));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Value Get() const noexcept { return value_; }
  bool IsValid() const noexcept { return !Traits::IsInvalid(value_); }
  explicit operator bool() const noexcept { return IsValid(); }

  // Takes `value` and closes the previous one, unless it is the same value: re-seating an owner
  // with what it already owns must not close it under the new owner.
  void Reset(Value value = Traits::Invalid()) noexcept {
    if (value == value_) return;
    Count(value, +1);
    Replace(value);
  }

  // Gives up ownership without closing; the caller closes the value.
  [[nodiscard]] Value Release() noexcept {
    Count(value_, -1);
    return std::exchange(value_, Traits::Invalid());
  }

  // For platform functions that return the resource through an out pointer: closes what is held
  // and hands out the address of the now empty slot.
  Value* Put() noexcept {
    static_assert(!detail::kCountsForTesting<Traits>, "a counted handle cannot come in uncounted");
    Reset();
    return &value_;
  }

 private:
  static void Count(Value value, std::ptrdiff_t change) noexcept {
    if constexpr (detail::kCountsForTesting<Traits>) {
      if (!Traits::IsInvalid(value)) Traits::CountForTesting(change);
    }
  }

  static void CloseIfValid(Value value) noexcept {
    if (Traits::IsInvalid(value)) return;
#ifdef _WIN32
    const DWORD lastError = ::GetLastError();
    Traits::Close(value);
    ::SetLastError(lastError);
#else
    Traits::Close(value);
#endif
    Count(value, -1);
  }

  // Takes `value`, already counted, and closes the previous one.
  void Replace(Value value) noexcept {
    CloseIfValid(std::exchange(value_, value));
  }

  Value value_ = Traits::Invalid();
};

}  // namespace Tools
