#pragma once
// Ownership of Win32 handles and COM references: one small template for "a
// value and how to give it back", a typedef per kind, and a scope guard.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wininet.h>

#include <unknwn.h>

#include <utility>

// Owns one value of `Traits::TValue` and hands it to `Traits::Close` when it
// goes, unless it is `Traits::Invalid()`. Traits provide:
//   using TValue = ...;  static TValue Invalid();  static void Close(TValue);
template <typename Traits> class TUniqueHandle {
public:
  using TValue = typename Traits::TValue;

  TUniqueHandle() = default;
  // Takes ownership of `value` (which may be invalid).
  explicit TUniqueHandle(TValue value) : Value(value) {}
  ~TUniqueHandle() { Reset(); }

  TUniqueHandle(TUniqueHandle &&other) noexcept : Value(other.Release()) {}
  TUniqueHandle &operator=(TUniqueHandle &&other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle &) = delete;
  TUniqueHandle &operator=(const TUniqueHandle &) = delete;

  // The owned value, still owned.
  TValue Get() const { return Value; }
  bool Valid() const { return Value != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }

  // Closes what is owned and owns `value` instead.
  void Reset(TValue value = Traits::Invalid()) {
    TValue old = std::exchange(Value, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // Gives up ownership and returns the value.
  TValue Release() { return std::exchange(Value, Traits::Invalid()); }

  // The address of the owned value, for calls that return through an out
  // argument; closes what was owned first.
  TValue *Put() {
    Reset();
    return &Value;
  }

private:
  TValue Value = Traits::Invalid();
};

// An enumeration of FindFirstUrlCacheEntryA, closed by FindCloseUrlCache.
struct TUrlCacheFindTraits {
  using TValue = HANDLE;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue handle) { FindCloseUrlCache(handle); }
};
using TUrlCacheFindHandle = TUniqueHandle<TUrlCacheFindTraits>;

// A kernel object handle (file, process, pipe), closed by CloseHandle.
struct TKernelHandleTraits {
  using TValue = HANDLE;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue handle) { CloseHandle(handle); }
};
using TKernelHandle = TUniqueHandle<TKernelHandleTraits>;

// A GDI object (font, brush, bitmap), deleted by DeleteObject.
struct TGdiObjectTraits {
  using TValue = HGDIOBJ;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue object) { DeleteObject(object); }
};
using TGdiObject = TUniqueHandle<TGdiObjectTraits>;

// A window, destroyed by DestroyWindow.
struct TWindowTraits {
  using TValue = HWND;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue window) { DestroyWindow(window); }
};
using TWindowHandle = TUniqueHandle<TWindowTraits>;

// A COM interface reference, given back by Release.
template <typename Interface> struct TComTraits {
  using TValue = Interface *;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue reference) { reference->Release(); }
};
template <typename Interface> using TComRef = TUniqueHandle<TComTraits<Interface>>;
