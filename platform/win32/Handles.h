#pragma once
// Ownership of Win32 handles and COM references: one small template for "a
// value and how to give it back" and a traits type per kind. The platform
// layer's kinds give their values back through its call table (TWin32Api),
// so their traits carry the table; a handle of such a kind must be made with
// its traits ({&api}) before it is given a value. The kinds at the end
// (kernel objects, GDI objects, windows) serve the dialog's view and the test
// tools, which call the system directly.
#include <utility>

#include "Win32Api.h"

// Owns one value of `Traits::TValue` and hands it to the traits' Close when
// it goes, unless it is `Traits::Invalid()`. Traits provide:
//   using TValue = ...;  static TValue Invalid();  void Close(TValue) (may be static)
// and may hold what Close needs (the call table); a handle keeps its traits.
template <typename Traits> class TUniqueHandle {
public:
  using TValue = typename Traits::TValue;

  TUniqueHandle() = default;
  // Takes ownership of `value` (which may be invalid), to be given back
  // through `traits`.
  explicit TUniqueHandle(TValue value, Traits traits = {}) : Value(value), Closer(traits) {}
  ~TUniqueHandle() { Reset(); }

  TUniqueHandle(TUniqueHandle &&other) noexcept : Value(other.Release()), Closer(other.Closer) {}
  TUniqueHandle &operator=(TUniqueHandle &&other) noexcept {
    if (this != &other) {
      Reset();
      Closer = other.Closer;
      Value = other.Release();
    }
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
    if (old != Traits::Invalid()) Closer.Close(old);
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
  [[no_unique_address]] Traits Closer{};
};

// An enumeration of FindFirstUrlCacheEntryA, closed by FindCloseUrlCache.
struct TUrlCacheFindTraits {
  using TValue = HANDLE;
  const TWin32Api *Api = nullptr;
  static TValue Invalid() { return nullptr; }
  void Close(TValue handle) const { Api->FindCloseUrlCache(handle); }
};
using TUrlCacheFind = TUniqueHandle<TUrlCacheFindTraits>;

// A file opened by CreateFileA, closed by CloseHandle.
struct TFileTraits {
  using TValue = HANDLE;
  const TWin32Api *Api = nullptr;
  static TValue Invalid() { return INVALID_HANDLE_VALUE; }
  void Close(TValue handle) const { Api->CloseHandle(handle); }
};
using TFileHandle = TUniqueHandle<TFileTraits>;

// COM on the calling thread: the value is the table whose CoInitialize
// succeeded (S_OK or S_FALSE, both of which want a CoUninitialize), or null
// when it refused and nothing is to be undone.
struct TComApartmentTraits {
  using TValue = const TWin32Api *;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue api) { api->CoUninitialize(); }
};
using TComApartment = TUniqueHandle<TComApartmentTraits>;

// A COM interface reference, given back by Release.
template <typename Interface> struct TComTraits {
  using TValue = Interface *;
  const TWin32Api *Api = nullptr;
  static TValue Invalid() { return nullptr; }
  void Close(TValue reference) const { Api->Release(reference); }
};
template <typename Interface> using TComRef = TUniqueHandle<TComTraits<Interface>>;

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
