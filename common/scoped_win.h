// Small owners for Win32 handles and GDI objects, and restorers that undo a temporary change at the end of a
// block. Copying is disabled; each owner releases exactly what it was given.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <utility>

namespace trr {

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T value) : value_(value) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  T get() const { return value_; }
  explicit operator bool() const { return Traits::IsValid(value_); }
  T release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(T value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
using ScopedHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
// A search from FindFirstFile.
using ScopedFind = UniqueHandle<HANDLE, FindHandleTraits>;

struct InternetHandleTraits {
  static HINTERNET Invalid() { return nullptr; }
  static bool IsValid(HINTERNET h) { return h != nullptr; }
  static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using ScopedInternetHandle = UniqueHandle<HINTERNET, InternetHandleTraits>;

template <typename T>
struct GdiObjectTraits {
  static T Invalid() { return nullptr; }
  static bool IsValid(T h) { return h != nullptr; }
  static void Close(T h) { ::DeleteObject(h); }
};
using ScopedBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using ScopedBrush = UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using ScopedPen = UniqueHandle<HPEN, GdiObjectTraits<HPEN>>;
using ScopedFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;
using ScopedRegion = UniqueHandle<HRGN, GdiObjectTraits<HRGN>>;

struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static bool IsValid(HDC h) { return h != nullptr; }
  static void Close(HDC h) { ::DeleteDC(h); }
};
// A device context from CreateCompatibleDC or CreateDCA.
using ScopedMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static bool IsValid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
using ScopedIcon = UniqueHandle<HICON, IconTraits>;

struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};
// A module from LoadLibrary or LoadLibraryEx.
using ScopedModule = UniqueHandle<HMODULE, ModuleTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~ScopedWindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC for the life of the block and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace trr
