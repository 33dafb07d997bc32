// The skin region build: the monitor's CreateSkinRegion, which reads the frame's pixels
// straight from the bitmap's memory, against the same function reading every pixel with one
// GetPixel call on the bitmap's drawing surface. Both must give the same region.
//   vtxbenchskin ROUNDS
//       "skin ROUND BULK_US PER_PIXEL_US" per round (average of one call), then
//       "same EQUAL PIXELS_BULK PIXELS_PER_PIXEL"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "guard/Unit2.h"
#include "platform/Bitmap.h"
#include "platform/Gdi.h"

namespace {

const int kCallsPerRound = 20;

// The monitor's own region builder with its pixels read one GetPixel call each.
platform::Region PerPixelSkinRegion(const platform::Bitmap& bitmap) {
  return CreateSkinRegion(bitmap, &platform::Bitmap::Pixel);
}

platform::Region BulkSkinRegion(const platform::Bitmap& bitmap) { return CreateSkinRegion(bitmap); }

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
  for (int i = 0; i < kCallsPerRound; ++i) build(bitmap);
  return (Now() - start) / kCallsPerRound;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  try {
    platform::Bitmap skin = platform::Bitmap::FromResource(GetModuleHandleA(nullptr), "SKIN");
    std::printf("bitmap %d %d\n", skin.Width(), skin.Height());
    for (int round = 0; round < rounds; ++round) {
      const double bulk = MicrosecondsPerCall(BulkSkinRegion, skin);
      const double perPixel = MicrosecondsPerCall(PerPixelSkinRegion, skin);
      std::printf("skin %d %.2f %.2f\n", round, bulk, perPixel);
      std::fflush(stdout);
    }
    platform::Region bulk = BulkSkinRegion(skin);
    platform::Region perPixel = PerPixelSkinRegion(skin);
    std::printf("same %d %lld %lld\n", EqualRgn(bulk.Get(), perPixel.Get()) ? 1 : 0,
                PixelCount(bulk.Get()), PixelCount(perPixel.Get()));
  } catch (const std::exception& error) {
    std::printf("error %s\n", error.what());
    return 1;
  }
  return 0;
}
