#include "platform/Gdi.h"

namespace platform {

Font::Font(const std::string& face, int height, bool bold)
    : GdiObject(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str())) {}

HDC BackBuffer::Prepare(HDC target, int width, int height) {
  if (dc_ && size_.cx == width && size_.cy == height) return dc_.Get();
  // The old surface goes first: two at once would be needed for no reason.
  selection_ = SelectScope();
  dc_ = MemoryDc();
  bitmap_.Reset();
  size_ = {};
  if (width <= 0 || height <= 0) return nullptr;
  MemoryDc dc(target);
  BitmapHandle bitmap(CreateCompatibleBitmap(target, width, height));
  if (!dc || !bitmap) return nullptr;
  SelectScope selection(dc.Get(), bitmap.Get());
  if (!selection.Selected()) return nullptr;
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  selection_ = std::move(selection);
  size_ = {width, height};
  return dc_.Get();
}

void BackBuffer::Present(HDC target, const RECT& r) const {
  BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, dc_.Get(), r.left, r.top,
         SRCCOPY);
}

}  // namespace platform
