// The one home of the Windows program's handle owners: each small, move-only
// owner releases what it holds when it goes away, so no path can leak a
// kernel handle, a registry key, a COM interface, a device context, a GDI
// object, a menu or an icon. (The memory device context of a Surface is
// canvas/image/surface_win.h.)
#pragma once
#include <windows.h>

#include <utility>

namespace sylvane::win {

// A handle released by Release(handle) when it goes; Empty is its null value.
template <class Handle, auto Release, Handle Empty = nullptr>
class Owner {
 public:
  Owner() = default;
  explicit Owner(Handle h) : h_(h) {}
  ~Owner() { reset(); }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& o) noexcept : h_(std::exchange(o.h_, Empty)) {}
  Owner& operator=(Owner&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Empty);
    }
    return *this;
  }
  void reset(Handle h = Empty) {
    if (h_ != Empty) Release(h_);
    h_ = h;
  }
  Handle get() const { return h_; }
  // For functions that return a handle through a pointer (RegOpenKeyExA...).
  Handle* out() {
    reset();
    return &h_;
  }
  explicit operator bool() const { return h_ != Empty; }

 private:
  Handle h_ = Empty;
};

inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
inline void DeleteDeviceContext(HDC dc) { DeleteDC(dc); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }

using UniqueHandle = Owner<HANDLE, CloseKernelHandle>;   // events, threads, files (not INVALID_HANDLE_VALUE ones)
using RegKey = Owner<HKEY, CloseRegistryKey>;            // an open registry key
using DeviceContext = Owner<HDC, DeleteDeviceContext>;   // a DC of CreateDC/CreateCompatibleDC/PrintDlg
using Icon = Owner<HICON, DestroyIconHandle>;            // an icon of LoadImage/CreateIcon

// A COM interface pointer, released when it goes.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  // For CoCreateInstance and QueryInterface.
  void** out() {
    reset();
    return reinterpret_cast<void**>(&p_);
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// The named mutex that keeps the program to one instance: owned (and
// released, then closed) when it goes.
class InstanceMutex {
 public:
  // Creates and owns the mutex; already_running() tells when another
  // process had it first (then nothing is owned).
  explicit InstanceMutex(const char* name) {
    HANDLE h = CreateMutexA(nullptr, TRUE, name);
    already_running_ = !h || GetLastError() == ERROR_ALREADY_EXISTS;
    if (h && !already_running_) handle_.reset(h);
    else if (h) CloseHandle(h);
  }
  ~InstanceMutex() {
    if (handle_) ReleaseMutex(handle_.get());
  }
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;
  bool already_running() const { return already_running_; }

 private:
  UniqueHandle handle_;
  bool already_running_ = false;
};

}  // namespace sylvane::win

namespace sylvane::gdi {

// A GDI object (bitmap, font, brush, pen, region) deleted with DeleteObject.
template <class Handle>
class Object {
 public:
  Object() = default;
  explicit Object(Handle h) : h_(h) {}
  ~Object() { reset(); }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  Object(Object&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Object& operator=(Object&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  void reset(Handle h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }
  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  Handle h_ = nullptr;
};
using Bitmap = Object<HBITMAP>;
using Font = Object<HFONT>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;

// The device context of a window's client area, GetDC / ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint of a WM_PAINT message.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  ~PaintDc() { EndPaint(window_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A menu loaded from the resources, destroyed with DestroyMenu.
class Menu {
 public:
  explicit Menu(HMENU menu) : menu_(menu) {}
  ~Menu() {
    if (menu_) DestroyMenu(menu_);
  }
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;
  HMENU get() const { return menu_; }

 private:
  HMENU menu_;
};

// The font of the skin's panels: cell height in pixels (a positive height asks
// for the cell, not the character), normal weight, Shift-JIS, proof quality,
// fixed pitch, modern family, face "MS UI Gothic".
inline HFONT CreatePanelFont(int cell_height) {
  return CreateFontA(cell_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, "MS UI Gothic");
}

}  // namespace sylvane::gdi
