#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Gdi.h"

namespace platform {

// A bitmap with a drawing surface of its own: a top-down 32-bit DIB section selected into a
// memory DC for its whole life, so it can be painted and its pixels read at any time.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, COLORREF fill = RGB(0, 0, 0));
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // A BITMAP resource of the module; throws when it is missing.
  static Bitmap FromResource(HINSTANCE module, const std::string& name);

  bool Empty() const { return bits_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HDC Canvas() const { return dc_.Get(); }

  // One pixel through the drawing surface, as the system reports it (GetPixel).
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
  void SetPixel(int x, int y, COLORREF color);
  // The same colours read straight from memory, for scans over many pixels.
  COLORREF PixelFast(int x, int y) const;

 private:
  void Swap(Bitmap& other) noexcept;

  int width_ = 0;
  int height_ = 0;
  // In this order, so the selection is undone before the bitmap and the DC go.
  BitmapHandle bitmap_;
  MemoryDc dc_;
  SelectScope selection_;
  std::uint32_t* bits_ = nullptr;  // 0x00RRGGBB, rows top-down
};

// How a scan reads one pixel of a bitmap: &Bitmap::PixelFast or &Bitmap::Pixel.
using PixelReader = COLORREF (Bitmap::*)(int x, int y) const;

}  // namespace platform
