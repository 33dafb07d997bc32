// The skin region builder over small synthetic bitmaps and over the real skin.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "guard/Unit2.h"
#include "platform/Bitmap.h"
#include "platform/Gdi.h"

namespace {

using Pixel = std::pair<int, int>;
using PixelSet = std::set<Pixel>;

const COLORREF kKey = RGB(0x99, 0x99, 0x99);
const COLORREF kOther = RGB(0x1C, 0x68, 0x8D);

// The pixels of the bitmap's rectangle that the region leaves out, and how many it holds.
PixelSet Missing(HRGN region, int w, int h, int* inside = nullptr) {
  PixelSet missing;
  int count = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (PtInRegion(region, x, y))
        ++count;
      else
        missing.insert({x, y});
  if (inside != nullptr) *inside = count;
  return missing;
}

// Nothing of the region may lie outside the bitmap.
void ExpectWithin(HRGN region, int w, int h) {
  RECT box;
  GetRgnBox(region, &box);
  EXPECT_GE(box.left, 0);
  EXPECT_GE(box.top, 0);
  EXPECT_LE(box.right, w);
  EXPECT_LE(box.bottom, h);
}

bool InFrame(int x, int y, int w, int h) { return x < 3 || y < 3 || x >= w - 3 || y >= h - 3; }

TEST(SkinRegion, RealSkinLeavesOutExactlyTheTwentyFourCornerPixels) {
  platform::Bitmap skin = platform::Bitmap::FromResource(GetModuleHandleA(nullptr), "SKIN");
  ASSERT_EQ(skin.Width(), 360);
  ASSERT_EQ(skin.Height(), 270);
  ASSERT_EQ(skin.Pixel(0, 0), kKey);
  platform::Region region = CreateSkinRegion(skin);
  int inside = 0;
  PixelSet missing = Missing(region.Get(), 360, 270, &inside);
  PixelSet expected;
  const int runs[3] = {3, 2, 1};  // rows 0, 1, 2 and, mirrored, 269, 268, 267
  for (int row = 0; row < 3; ++row)
    for (int i = 0; i < runs[row]; ++i)
      for (int y : {row, 269 - row}) {
        expected.insert({i, y});
        expected.insert({359 - i, y});
      }
  EXPECT_EQ(inside, 97176);
  EXPECT_EQ(missing, expected);
  // Key-coloured, but inside the frame: they stay.
  EXPECT_EQ(skin.Pixel(22, 230), kKey);
  EXPECT_EQ(skin.Pixel(24, 231), kKey);
  EXPECT_TRUE(PtInRegion(region.Get(), 22, 230));
  EXPECT_TRUE(PtInRegion(region.Get(), 24, 231));
}

TEST(SkinRegion, BulkReadMatchesTheDrawingSurface) {
  platform::Bitmap skin = platform::Bitmap::FromResource(GetModuleHandleA(nullptr), "SKIN");
  for (int y = 0; y < skin.Height(); ++y)
    for (int x = 0; x < skin.Width(); ++x)
      ASSERT_EQ(skin.PixelFast(x, y), skin.Pixel(x, y)) << x << "," << y;
}

TEST(SkinRegion, WholeFrameInKeyColourGivesTheInnerRectangle) {
  platform::Bitmap bitmap(40, 30, kKey);
  for (int y = 3; y < 27; ++y)
    for (int x = 3; x < 37; ++x) bitmap.SetPixel(x, y, (x + y) % 3 ? kOther : kKey);
  platform::Region region = CreateSkinRegion(bitmap);
  platform::Region inner(CreateRectRgn(3, 3, 37, 27));
  EXPECT_TRUE(EqualRgn(region.Get(), inner.Get()));
}

TEST(SkinRegion, RunFromTheFrameIntoTheInsideLosesOnlyItsFramePart) {
  platform::Bitmap bitmap(40, 30, kOther);
  bitmap.SetPixel(0, 0, kKey);
  for (int x = 0; x <= 20; ++x) bitmap.SetPixel(x, 10, kKey);
  // And from the inside into the right-hand frame.
  for (int x = 25; x < 40; ++x) bitmap.SetPixel(x, 12, kKey);
  platform::Region region = CreateSkinRegion(bitmap);
  EXPECT_EQ(Missing(region.Get(), 40, 30),
            (PixelSet{{0, 0}, {0, 10}, {1, 10}, {2, 10}, {37, 12}, {38, 12}, {39, 12}}));
}

TEST(SkinRegion, OnlyTheDefiningPixelInTheFrameLosesThatPixelAlone) {
  platform::Bitmap bitmap(30, 20, kOther);
  bitmap.SetPixel(0, 0, kKey);
  for (int y = 3; y < 17; ++y)
    for (int x = 3; x < 27; ++x)
      if ((x * 7 + y) % 2) bitmap.SetPixel(x, y, kKey);
  platform::Region region = CreateSkinRegion(bitmap);
  EXPECT_EQ(Missing(region.Get(), 30, 20), (PixelSet{{0, 0}}));
}

// Every key-coloured frame pixel goes, every other pixel stays, over a scatter of shapes
// and sizes (the smallest with strips that meet).
TEST(SkinRegion, ScatteredKeyPixelsAcrossSizes) {
  const SIZE sizes[] = {{6, 6}, {7, 9}, {13, 8}, {64, 48}};
  for (SIZE size : sizes) {
    const int w = size.cx, h = size.cy;
    platform::Bitmap bitmap(w, h, kOther);
    PixelSet expected;
    unsigned seed = 12345u + w * 31 + h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        seed = seed * 1103515245u + 12345u;
        const bool key = (x == 0 && y == 0) || ((seed >> 16) % 3 == 0);
        if (!key) continue;
        bitmap.SetPixel(x, y, kKey);
        if (InFrame(x, y, w, h)) expected.insert({x, y});
      }
    platform::Region region = CreateSkinRegion(bitmap);
    ExpectWithin(region.Get(), w, h);
    EXPECT_EQ(Missing(region.Get(), w, h), expected) << w << "x" << h;
    // Read through the drawing surface instead, the scan gives the same region.
    platform::Region perPixel = CreateSkinRegion(bitmap, &platform::Bitmap::Pixel);
    EXPECT_TRUE(EqualRgn(region.Get(), perPixel.Get())) << w << "x" << h;
  }
}

TEST(SkinRegion, BitmapsTooSmallForAnInsideLoseEveryKeyPixel) {
  for (int n : {1, 2, 4, 5}) {
    platform::Bitmap bitmap(n, n, kKey);
    platform::Region region = CreateSkinRegion(bitmap);
    int inside = -1;
    Missing(region.Get(), n, n, &inside);
    EXPECT_EQ(inside, 0) << n;
    ExpectWithin(region.Get(), n, n);
  }
}

TEST(ScanStripRegion, CutsOnlyWithinTheStrip) {
  platform::Bitmap bitmap(20, 12, kOther);
  bitmap.SetPixel(0, 0, kKey);
  for (int x = 0; x < 20; ++x) bitmap.SetPixel(x, 5, kKey);  // a row across the whole bitmap
  bitmap.SetPixel(12, 6, kKey);
  bitmap.SetPixel(14, 6, kKey);
  platform::Region strip = ScanStripRegion(bitmap, 10, 4, 15, 8);
  EXPECT_EQ(Missing(strip.Get(), 20, 12),
            (PixelSet{{10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}, {12, 6}, {14, 6}}));
  // The pixel that defines the key colour lies outside this strip and stays.
  EXPECT_TRUE(PtInRegion(strip.Get(), 0, 0));
}

}  // namespace
