#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace platform {

// A bitmap with a drawing surface of its own: a top-down 32-bit DIB section selected into a
// memory DC for its whole life, so it can be painted and its pixels read at any time.
class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(int width, int height, COLORREF fill = RGB(0, 0, 0));
  ~Bitmap();
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // A BITMAP resource of the module; throws when it is missing.
  static Bitmap FromResource(HINSTANCE module, const std::string& name);

  bool Empty() const { return bits_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  HDC Canvas() const { return dc_; }

  // One pixel through the drawing surface, as the system reports it.
  COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
  void SetPixel(int x, int y, COLORREF color);
  // The same colours read straight from memory, for scans over many pixels.
  COLORREF PixelFast(int x, int y) const;

 private:
  void Release();

  int width_ = 0;
  int height_ = 0;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* bits_ = nullptr;  // 0x00RRGGBB, rows top-down
};

}  // namespace platform
