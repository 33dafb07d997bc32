#pragma once
// Owners of GDI handles. None can be copied; the ones that are kept in members can be moved.
// Each releases its handle in the way the system asks for that kind of handle.
#include <windows.h>

#include <string>
#include <utility>

namespace platform {

// A GDI object (region, bitmap, font) deleted with its owner. An object must not be deleted
// while it is selected into a DC: declare the SelectScope after the object, so it goes first.
template <class H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // The handle leaves the owner: for one the system has taken over.
  H Release() { return std::exchange(handle_, nullptr); }
  void Reset(H handle = nullptr) {
    if (H old = std::exchange(handle_, handle)) DeleteObject(old);
  }

 private:
  H handle_ = nullptr;
};

using Region = GdiObject<HRGN>;
using BitmapHandle = GdiObject<HBITMAP>;

class Font : public GdiObject<HFONT> {
 public:
  Font() = default;
  Font(const std::string& face, int height, bool bold);
};

// An object selected into a DC for the owner's life; the previous selection comes back at
// the end.
class SelectScope {
 public:
  SelectScope() = default;
  SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectScope() { Restore(); }
  SelectScope(SelectScope&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
  SelectScope& operator=(SelectScope&& other) noexcept {
    if (this != &other) {
      Restore();
      dc_ = std::exchange(other.dc_, nullptr);
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }
  SelectScope(const SelectScope&) = delete;
  SelectScope& operator=(const SelectScope&) = delete;

  // Whether the object went in.
  bool Selected() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

 private:
  void Restore() {
    if (Selected()) SelectObject(dc_, previous_);
    dc_ = nullptr;
    previous_ = nullptr;
  }

  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// The screen's DC, for measuring.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;

  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory DC compatible with another DC (nullptr: with the screen).
class MemoryDc {
 public:
  MemoryDc() = default;
  explicit MemoryDc(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~MemoryDc() { Reset(); }
  MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
  MemoryDc& operator=(MemoryDc&& other) noexcept {
    if (this != &other) {
      Reset();
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void Reset() {
    if (HDC old = std::exchange(dc_, nullptr)) DeleteDC(old);
  }

  HDC dc_ = nullptr;
};

// One WM_PAINT: EndPaint comes whatever happens while painting, so the update region is
// validated even when a control throws.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC Dc() const { return dc_; }
  const RECT& Rect() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

class Icon {
 public:
  Icon() = default;
  explicit Icon(HICON icon) : icon_(icon) {}
  ~Icon() { Reset(); }
  Icon(Icon&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
  Icon& operator=(Icon&& other) noexcept {
    if (this != &other) {
      Reset();
      icon_ = std::exchange(other.icon_, nullptr);
    }
    return *this;
  }
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;

  HICON Get() const { return icon_; }

 private:
  void Reset() {
    if (HICON old = std::exchange(icon_, nullptr)) DestroyIcon(old);
  }

  HICON icon_ = nullptr;
};

// The off-screen surface of a window's paints: kept between paints, made anew when the
// client area changes size.
class BackBuffer {
 public:
  // The DC to paint a client area of that size into, compatible with target; nullptr when
  // no surface can be made (then the caller paints straight to target).
  HDC Prepare(HDC target, int width, int height);
  // Copies a rectangle of the surface to the same place of target.
  void Present(HDC target, const RECT& rect) const;

 private:
  // In this order, so the selection is undone before the bitmap and the DC go.
  BitmapHandle bitmap_;
  MemoryDc dc_;
  SelectScope selection_;
  SIZE size_ = {};
};

}  // namespace platform
