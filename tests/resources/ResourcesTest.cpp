// The shared resources, read back from this program's own image (it carries common.rc),
// and the two bitmaps the monitor loads, read from the files the build embeds.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

using Pixel = std::pair<int, int>;

std::string OwnPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string PicturePath(const std::string& name) {
  return testsupport::BinDir() + "\\resources_tests_pictures\\" + name;
}

// The bytes of one resource of this program, empty when it is missing.
std::string ResourceBytes(LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return std::string(static_cast<const char*>(data), SizeofResource(nullptr, found));
}

class VersionInfo {
 public:
  explicit VersionInfo(const std::string& file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    if (size == 0) return;
    block_.resize(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block_.data())) block_.clear();
  }
  bool Loaded() const { return !block_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
      return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }
  std::string Text(const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    std::string path = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(block_.data(), path.c_str(), &value, &length)) return "<missing>";
    const char* text = static_cast<const char*>(value);
    return std::string(text, strnlen(text, length));
  }
  std::vector<DWORD> Translations() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &value, &length)) return {};
    const DWORD* words = static_cast<const DWORD*>(value);
    return std::vector<DWORD>(words, words + length / sizeof(DWORD));
  }

 private:
  std::vector<char> block_;
};

std::string Dotted(DWORD ms, DWORD ls) {
  return std::to_string(HIWORD(ms)) + "." + std::to_string(LOWORD(ms)) + "." +
         std::to_string(HIWORD(ls)) + "." + std::to_string(LOWORD(ls));
}

TEST(Resources, VersionIs3200) {
  VersionInfo info(OwnPath());
  ASSERT_TRUE(info.Loaded());
  const VS_FIXEDFILEINFO* fixed = info.Fixed();
  ASSERT_NE(nullptr, fixed);
  EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
  EXPECT_EQ("3.2.0.0", Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
  EXPECT_EQ("3.2.0.0", Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

  struct { const char* name; const char* text; } strings[] = {
      {"CompanyName", "Vantorix"},
      {"FileDescription", "Resource check"},
      {"FileVersion", "3.2.0.0"},
      {"InternalName", "resources_tests.exe"},
      {"OriginalFilename", "resources_tests.exe"},
      {"ProductName", "Vantorix"},
      {"ProductVersion", "3.2.0.0"},
  };
  for (const auto& s : strings) EXPECT_EQ(s.text, info.Text(s.name)) << s.name;
  EXPECT_EQ(std::vector<DWORD>{MAKELONG(0x409, 1200)}, info.Translations());
}

#pragma pack(push, 2)
struct GroupIconDir {
  WORD reserved, type, count;
};
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

struct IconSize {
  int width = 0, height = 0, bits = 0;
};

IconSize SizeOf(HICON icon) {
  IconSize size;
  ICONINFO info = {};
  if (!icon || !GetIconInfo(icon, &info)) return size;
  BITMAP colour = {};
  if (info.hbmColor && GetObjectA(info.hbmColor, sizeof colour, &colour)) {
    size = {colour.bmWidth, colour.bmHeight, colour.bmBitsPixel};
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return size;
}

TEST(Resources, IconGroupOneHasFourSizesAt32Bits) {
  std::string group = ResourceBytes(MAKEINTRESOURCEA(1), RT_GROUP_ICON);
  ASSERT_GE(group.size(), sizeof(GroupIconDir));
  GroupIconDir dir;
  std::memcpy(&dir, group.data(), sizeof dir);
  EXPECT_EQ(1, dir.type);
  ASSERT_EQ(4, dir.count);
  ASSERT_EQ(sizeof(GroupIconDir) + dir.count * sizeof(GroupIconEntry), group.size());

  std::vector<int> sizes;
  for (int i = 0; i < dir.count; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data() + sizeof dir + i * sizeof entry, sizeof entry);
    const int side = entry.width ? entry.width : 256;
    sizes.push_back(side);
    SCOPED_TRACE("icon of " + std::to_string(side));
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(32, entry.bitCount);
    EXPECT_EQ(1, entry.planes);

    // Each image: a plain 32-bpp DIB with a real alpha channel.
    std::string image = ResourceBytes(MAKEINTRESOURCEA(entry.id), RT_ICON);
    ASSERT_EQ(entry.bytes, image.size());
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(sizeof(BITMAPINFOHEADER), header.biSize);
    EXPECT_EQ(side, header.biWidth);
    EXPECT_EQ(2 * side, header.biHeight);
    EXPECT_EQ(32, header.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
    const size_t pixels = static_cast<size_t>(side) * side;
    ASSERT_GE(image.size(), sizeof header + pixels * 4);
    int clear = 0, partial = 0, opaque = 0;
    for (size_t p = 0; p < pixels; ++p) {
      const BYTE alpha = static_cast<BYTE>(image[sizeof header + p * 4 + 3]);
      (alpha == 0 ? clear : alpha == 255 ? opaque : partial)++;
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(partial, 0);  // smooth edges
    EXPECT_GT(opaque, 0);

    HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()),
                                          static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                          side, side, LR_DEFAULTCOLOR);
    IconSize made = SizeOf(icon);
    EXPECT_EQ(side, made.width);
    EXPECT_EQ(side, made.height);
    if (icon) DestroyIcon(icon);
  }
  EXPECT_EQ((std::vector<int>{128, 48, 32, 16}), sizes);

  // The system picks each size from the group by itself.
  for (int side : {128, 48, 32, 16}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, side, side, 0));
    IconSize loaded = SizeOf(icon);
    EXPECT_EQ(side, loaded.width) << side;
    EXPECT_EQ(32, loaded.bits) << side;
    if (icon) DestroyIcon(icon);
  }
}

TEST(Resources, ManifestAsInvokerWithCommonControls6) {
  std::string manifest = ResourceBytes(MAKEINTRESOURCEA(1), RT_MANIFEST);
  ASSERT_FALSE(manifest.empty());
  for (const char* part : {"level=\"asInvoker\"", "uiAccess=\"false\"",
                           "name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                           "processorArchitecture=\"*\"", "publicKeyToken=\"6595b64144ccf1df\""})
    EXPECT_NE(std::string::npos, manifest.find(part)) << part;
  for (unsigned char c : manifest) EXPECT_LT(c, 0x80) << "ASCII only";

  // The loader took it: this process is given version 6 of the common controls, the side-by-side
  // copy (whose DllGetVersion under Wine still answers 5, so the copy's folder tells).
  HMODULE controls = LoadLibraryA("comctl32.dll");
  ASSERT_NE(nullptr, controls);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(controls, path, MAX_PATH);
  std::string folder = path;
  for (char& c : folder) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  EXPECT_NE(std::string::npos, folder.find("microsoft.windows.common-controls_")) << path;
  EXPECT_NE(std::string::npos, folder.find("_6.0.")) << path;
  FreeLibrary(controls);
}

// A bitmap file loaded as the monitor loads it, with its pixels.
class LoadedBitmap {
 public:
  explicit LoadedBitmap(const std::string& path) {
    bitmap_ = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                              LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (bitmap_ && GetObjectA(bitmap_, sizeof dib_, &dib_) != sizeof dib_) dib_ = {};
  }
  ~LoadedBitmap() {
    if (bitmap_) DeleteObject(bitmap_);
  }
  LoadedBitmap(const LoadedBitmap&) = delete;
  LoadedBitmap& operator=(const LoadedBitmap&) = delete;

  bool Loaded() const { return bitmap_ && dib_.dsBm.bmBits; }
  int Width() const { return dib_.dsBm.bmWidth; }
  int Height() const { return dib_.dsBm.bmHeight; }
  int Bits() const { return dib_.dsBm.bmBitsPixel; }
  COLORREF At(int x, int y) const {
    const int row = dib_.dsBmih.biHeight > 0 ? Height() - 1 - y : y;
    const BYTE* p = static_cast<const BYTE*>(dib_.dsBm.bmBits) + row * dib_.dsBm.bmWidthBytes + x * 3;
    return RGB(p[2], p[1], p[0]);
  }

 private:
  HBITMAP bitmap_ = nullptr;
  DIBSECTION dib_ = {};
};

// The file's own header: 24-bit, uncompressed, rows bottom-up.
void ExpectPlainBottomUp24(const std::string& path, int width, int height) {
  std::ifstream file(path, std::ios::binary);
  char bytes[14 + sizeof(BITMAPINFOHEADER)] = {};
  ASSERT_TRUE(file.read(bytes, sizeof bytes)) << path;
  EXPECT_EQ('B', bytes[0]);
  EXPECT_EQ('M', bytes[1]);
  BITMAPINFOHEADER header;
  std::memcpy(&header, bytes + 14, sizeof header);
  EXPECT_EQ(width, header.biWidth);
  EXPECT_EQ(height, header.biHeight);  // positive: bottom-up
  EXPECT_EQ(24, header.biBitCount);
  EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
}

const COLORREF kKey = RGB(0x99, 0x99, 0x99);
const COLORREF kTeal = RGB(0x1C, 0x68, 0x8D);

TEST(Resources, SkinKeyPixelsAreTheCornersAndTwoInside) {
  ExpectPlainBottomUp24(PicturePath("skin.bmp"), 360, 270);
  LoadedBitmap skin(PicturePath("skin.bmp"));
  ASSERT_TRUE(skin.Loaded());
  ASSERT_EQ(360, skin.Width());
  ASSERT_EQ(270, skin.Height());
  EXPECT_EQ(24, skin.Bits());
  EXPECT_EQ(kKey, skin.At(0, 0));

  const int w = skin.Width(), h = skin.Height();
  std::set<Pixel> frame, inside;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (skin.At(x, y) != kKey) continue;
      const bool inFrame = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
      (inFrame ? frame : inside).insert({x, y});
    }

  // A staircase of 3, 2 and 1 pixels at each corner.
  std::set<Pixel> corners;
  const int steps[3][2] = {{0, 3}, {1, 2}, {2, 1}};
  for (const auto& step : steps)
    for (int x = 0; x < step[1]; ++x) {
      const int y = step[0];
      corners.insert({x, y});
      corners.insert({w - 1 - x, y});
      corners.insert({x, h - 1 - y});
      corners.insert({w - 1 - x, h - 1 - y});
    }
  ASSERT_EQ(24u, corners.size());
  EXPECT_EQ(corners, frame);
  EXPECT_EQ((std::set<Pixel>{{22, 230}, {24, 231}}), inside);

  // The header is the product teal where the title lines and the close button go.
  for (Pixel p : {Pixel{64, 8}, Pixel{223, 46}, Pixel{150, 30}, Pixel{332, 12}, Pixel{351, 31}})
    EXPECT_EQ(kTeal, skin.At(p.first, p.second)) << p.first << "," << p.second;
  // The panel is white under the labels.
  for (Pixel p : {Pixel{72, 68}, Pixel{338, 64}, Pixel{72, 256}, Pixel{345, 240}, Pixel{200, 150}})
    EXPECT_EQ(RGB(255, 255, 255), skin.At(p.first, p.second)) << p.first << "," << p.second;
}

TEST(Resources, CloseButtonSitsOnTheHeaderTeal) {
  ExpectPlainBottomUp24(PicturePath("close.bmp"), 20, 20);
  LoadedBitmap close(PicturePath("close.bmp"));
  ASSERT_TRUE(close.Loaded());
  EXPECT_EQ(20, close.Width());
  EXPECT_EQ(20, close.Height());
  EXPECT_EQ(24, close.Bits());
  for (Pixel p : {Pixel{0, 0}, Pixel{19, 0}, Pixel{0, 19}, Pixel{19, 19}})
    EXPECT_EQ(kTeal, close.At(p.first, p.second)) << p.first << "," << p.second;
  // A light square with a dark cross in its middle.
  EXPECT_GT(GetRValue(close.At(4, 10)), 200);
  EXPECT_EQ(kTeal, close.At(10, 10));
}

}  // namespace
