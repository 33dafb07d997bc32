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
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr) throw std::runtime_error("CreateDIBSection failed");
  bits_ = static_cast<std::uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  previous_ = SelectObject(dc_, bitmap_);
  const std::uint32_t value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  for (int i = 0; i < width * height; ++i) bits_[i] = value;
}

Bitmap::~Bitmap() { Release(); }

Bitmap::Bitmap(Bitmap&& other) noexcept { *this = std::move(other); }

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    Release();
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(dc_, other.dc_);
    std::swap(bitmap_, other.bitmap_);
    std::swap(previous_, other.previous_);
    std::swap(bits_, other.bits_);
  }
  return *this;
}

void Bitmap::Release() {
  if (dc_ != nullptr) {
    SelectObject(dc_, previous_);  // the bitmap must not be selected when it is deleted
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

Bitmap Bitmap::FromResource(HINSTANCE module, const std::string& name) {
  HBITMAP loaded = static_cast<HBITMAP>(
      LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (loaded == nullptr) throw std::runtime_error("bitmap resource " + name + " not found");
  BITMAP info = {};
  GetObjectA(loaded, sizeof info, &info);
  Bitmap result(info.bmWidth, info.bmHeight);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, loaded);
  BitBlt(result.dc_, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
  DeleteObject(loaded);
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
