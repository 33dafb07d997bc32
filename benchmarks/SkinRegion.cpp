// The skin region build: the monitor's CreateSkinRegion, which reads the frame's pixels
// straight from the bitmap's memory, against the same algorithm reading every pixel with one
// GetPixel call on the bitmap's drawing surface. Both must give the same region.
//   vtxbenchskin ROUNDS
//       "skin ROUND BULK_US PER_PIXEL_US" per round (average of one call), then
//       "same EQUAL PIXELS_BULK PIXELS_PER_PIXEL"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "guard/Unit2.h"
#include "platform/Application.h"
#include "platform/Bitmap.h"

namespace {

const int kFrame = 3;
const int kCallsPerRound = 20;

// The whole bitmap less the key-coloured runs of one strip, every pixel through GetPixel.
HRGN PerPixelStripRegion(const platform::Bitmap& bitmap, int left, int top, int right,
                         int bottom) {
  HDC dc = bitmap.Canvas();
  HRGN result = CreateRectRgn(0, 0, bitmap.Width(), bitmap.Height());
  const COLORREF key = GetPixel(dc, 0, 0);
  platform::App().ProcessMessages();
  for (int y = top; y < bottom; ++y) {
    int start = left;
    COLORREF color = GetPixel(dc, start, y);
    while (start < right) {
      int end = start + 1;
      COLORREF next = CLR_INVALID;
      while (end < right) {
        next = GetPixel(dc, end, y);
        if (next != color) break;
        ++end;
      }
      if (color == key) {
        HRGN cut = CreateRectRgn(start, y, end, y + 1);
        CombineRgn(result, result, cut, RGN_DIFF);
        DeleteObject(cut);
      }
      start = end;
      color = next;  // the pixel that ended the run starts the next one
    }
  }
  return result;
}

HRGN PerPixelSkinRegion(const platform::Bitmap& bitmap) {
  const int w = bitmap.Width();
  const int h = bitmap.Height();
  HRGN top = PerPixelStripRegion(bitmap, 0, 0, w, kFrame);
  HRGN left = PerPixelStripRegion(bitmap, 0, kFrame, kFrame, h - kFrame);
  HRGN right = PerPixelStripRegion(bitmap, w - kFrame, kFrame, w, h - kFrame);
  HRGN bottom = PerPixelStripRegion(bitmap, 0, h - kFrame, w, h);
  HRGN inner = CreateRectRgn(kFrame, kFrame, w - kFrame, h - kFrame);
  HRGN result = CreateRectRgn(0, 0, w, h);
  platform::App().ProcessMessages();
  CombineRgn(result, top, left, RGN_AND);
  DeleteObject(top);
  DeleteObject(left);
  CombineRgn(result, result, right, RGN_AND);
  DeleteObject(right);
  CombineRgn(result, result, bottom, RGN_AND);
  DeleteObject(bottom);
  CombineRgn(result, result, inner, RGN_OR);
  DeleteObject(inner);
  return result;
}

long long PixelCount(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  std::vector<char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (size == 0 || GetRegionData(region, size, data) == 0) return -1;
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  long long pixels = 0;
  for (DWORD i = 0; i < data->rdh.nCount; ++i)
    pixels += static_cast<long long>(rects[i].right - rects[i].left) *
              (rects[i].bottom - rects[i].top);
  return pixels;
}

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1e6 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <class Build>
double MicrosecondsPerCall(Build build, const platform::Bitmap& bitmap) {
  const double start = Now();
  for (int i = 0; i < kCallsPerRound; ++i) DeleteObject(build(bitmap));
  return (Now() - start) / kCallsPerRound;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  try {
    platform::Bitmap skin = platform::Bitmap::FromResource(GetModuleHandleA(nullptr), "SKIN");
    std::printf("bitmap %d %d\n", skin.Width(), skin.Height());
    for (int round = 0; round < rounds; ++round) {
      const double bulk = MicrosecondsPerCall(CreateSkinRegion, skin);
      const double perPixel = MicrosecondsPerCall(PerPixelSkinRegion, skin);
      std::printf("skin %d %.2f %.2f\n", round, bulk, perPixel);
      std::fflush(stdout);
    }
    HRGN bulk = CreateSkinRegion(skin);
    HRGN perPixel = PerPixelSkinRegion(skin);
    std::printf("same %d %lld %lld\n", EqualRgn(bulk, perPixel) ? 1 : 0, PixelCount(bulk),
                PixelCount(perPixel));
    DeleteObject(bulk);
    DeleteObject(perPixel);
  } catch (const std::exception& error) {
    std::printf("error %s\n", error.what());
    return 1;
  }
  return 0;
}
