#include "platform/Bitmap.h"

#include <stdexcept>
#include <utility>

namespace platform {

Bitmap::Bitmap(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) throw std::runtime_error("CreateDIBSection failed");
  dc_ = MemoryDc(nullptr);
  selection_ = SelectScope(dc_.Get(), bitmap_.Get());
  if (!selection_.Selected()) throw std::runtime_error("cannot select a bitmap");
  bits_ = static_cast<std::uint32_t*>(bits);
  const std::uint32_t value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  for (int i = 0; i < width * height; ++i) bits_[i] = value;
}

Bitmap::Bitmap(Bitmap&& other) noexcept { Swap(other); }

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  // The picture held so far goes with taken, its members in their own order.
  Bitmap taken(std::move(other));
  Swap(taken);
  return *this;
}

void Bitmap::Swap(Bitmap& other) noexcept {
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(bitmap_, other.bitmap_);
  std::swap(dc_, other.dc_);
  std::swap(selection_, other.selection_);
  std::swap(bits_, other.bits_);
}

Bitmap Bitmap::FromResource(HINSTANCE module, const std::string& name) {
  BitmapHandle loaded(static_cast<HBITMAP>(
      LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) throw std::runtime_error("bitmap resource " + name + " not found");
  BITMAP info = {};
  GetObjectA(loaded.Get(), sizeof info, &info);
  Bitmap result(info.bmWidth, info.bmHeight);
  {
    MemoryDc source(nullptr);
    SelectScope selection(source.Get(), loaded.Get());
    BitBlt(result.Canvas(), 0, 0, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  return result;
}

void Bitmap::SetPixel(int x, int y, COLORREF color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  bits_[y * width_ + x] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

COLORREF Bitmap::PixelFast(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint32_t v = bits_[y * width_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

}  // namespace platform
