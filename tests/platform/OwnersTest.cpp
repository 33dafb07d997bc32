// Each owner of a handle: the handle is released once, by the last owner, and the process's
// object counts come back to where they were.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <utility>

#include "GuiCounts.h"
#include "platform/Bitmap.h"
#include "platform/Gdi.h"
#include "platform/Window.h"

namespace {

DWORD Gdi() { return GuiCounts().gdi; }

bool LiveGdi(HGDIOBJ handle) { return GetObjectType(handle) != 0; }
bool LiveIcon(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return false;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return true;
}
bool LiveWindow(HWND window) { return IsWindow(window) != FALSE; }

// Made, moved by construction, moved by assignment onto an owner that holds a handle of its
// own (which goes then), destroyed: the handle lives exactly as long as its last owner.
template <class Owner, class Make, class Live>
void ExpectOwned(Make make, Live live) {
  auto handle = decltype(make().Get())();
  {
    Owner first = make();
    handle = first.Get();
    ASSERT_TRUE(handle != nullptr);
    ASSERT_TRUE(live(handle));
    Owner second(std::move(first));
    EXPECT_TRUE(first.Get() == nullptr);
    EXPECT_TRUE(second.Get() == handle);
    Owner third = make();
    const auto replaced = third.Get();
    ASSERT_TRUE(live(replaced));
    third = std::move(second);
    EXPECT_FALSE(live(replaced));
    EXPECT_TRUE(third.Get() == handle);
    EXPECT_TRUE(live(handle));
  }
  EXPECT_FALSE(live(handle));
}

// The control for the counts the other tests compare: a handle nobody releases shows.
TEST(Owners, GdiCountSeesAnObjectThatIsNotDeleted) {
  { platform::Region warm(CreateRectRgn(0, 0, 1, 1)); }
  const DWORD before = Gdi();
  HRGN leaked = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(Gdi(), before + 1);
  DeleteObject(leaked);
  EXPECT_EQ(Gdi(), before);
}

TEST(Owners, EachReleasesItsHandleOnceWhenTheLastOwnerGoes) {
  {
    SCOPED_TRACE("region");
    ExpectOwned<platform::Region>([] { return platform::Region(CreateRectRgn(0, 0, 4, 4)); },
                                  LiveGdi);
  }
  {
    SCOPED_TRACE("bitmap handle");
    ExpectOwned<platform::BitmapHandle>(
        [] { return platform::BitmapHandle(CreateBitmap(4, 4, 1, 32, nullptr)); }, LiveGdi);
  }
  {
    SCOPED_TRACE("font");
    ExpectOwned<platform::Font>([] { return platform::Font("Arial", -12, true); }, LiveGdi);
  }
  {
    SCOPED_TRACE("memory DC");
    ExpectOwned<platform::MemoryDc>([] { return platform::MemoryDc(nullptr); }, LiveGdi);
  }
  {
    SCOPED_TRACE("icon");
    ExpectOwned<platform::Icon>(
        [] {
          return platform::Icon(static_cast<HICON>(
              LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0)));
        },
        LiveIcon);
  }
  {
    SCOPED_TRACE("window");
    ExpectOwned<platform::Window>(
        [] {
          return platform::Window(CreateWindowExA(0, "STATIC", "owned", WS_POPUP, 0, 0, 10, 10,
                                                  nullptr, nullptr, nullptr, nullptr));
        },
        LiveWindow);
  }
}

TEST(Owners, ReleasedHandleIsNoLongerTheOwnersToDelete) {
  HRGN handle = nullptr;
  {
    platform::Region region(CreateRectRgn(0, 0, 2, 2));
    handle = region.Release();
  }
  EXPECT_EQ(GetObjectType(handle), static_cast<DWORD>(OBJ_REGION));
  DeleteObject(handle);
}

// The window's procedure no longer reaches the object when the window is destroyed.
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static LONG_PTR* seenAtDestroy = nullptr;
  if (message == WM_NCCREATE)
    seenAtDestroy = static_cast<LONG_PTR*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
  if (message == WM_DESTROY && seenAtDestroy != nullptr)
    *seenAtDestroy = GetWindowLongPtrA(window, GWLP_USERDATA);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Owners, WindowClearsItsUserDataBeforeItIsDestroyed) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TOwnersRecording";
  RegisterClassA(&wc);
  LONG_PTR seen = -1;
  {
    platform::Window window(CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10,
                                            nullptr, nullptr, wc.hInstance, &seen));
    ASSERT_TRUE(window);
    SetWindowLongPtrA(window.Get(), GWLP_USERDATA, 0x1234);
  }
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(FindWindowA(wc.lpszClassName, nullptr), nullptr);
}

TEST(Owners, SelectScopeRestoresThePreviousObjectOnce) {
  platform::MemoryDc dc(nullptr);
  const HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_FONT);
  platform::Font a("Arial", -12, false);
  platform::Font b("Arial", -20, true);
  {
    platform::SelectScope first(dc.Get(), a.Get());
    EXPECT_TRUE(first.Selected());
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), a.Get());
    platform::SelectScope moved(std::move(first));
    {
      platform::SelectScope inner(dc.Get(), b.Get());
      EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), b.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), a.Get());
  }
  EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_FONT), original);
}

TEST(Owners, ScreenDcIsReleased) {
  { platform::ScreenDc first; }  // the system keeps a released screen DC for the next one
  const DWORD before = Gdi();
  for (int i = 0; i < 50; ++i) {
    platform::ScreenDc screen;
    ASSERT_NE(screen.Get(), nullptr);
  }
  EXPECT_EQ(Gdi(), before);
}

TEST(Owners, PaintScopeValidatesTheWindowEvenWhenPaintingThrows) {
  platform::Window window(CreateWindowExA(0, "STATIC", "paint", WS_POPUP | WS_VISIBLE, 0, 0, 40,
                                          40, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  InvalidateRect(window.Get(), nullptr, FALSE);
  ASSERT_TRUE(GetUpdateRect(window.Get(), nullptr, FALSE));
  try {
    platform::PaintScope paint(window.Get());
    EXPECT_NE(paint.Dc(), nullptr);
    throw std::runtime_error("a control failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(GetUpdateRect(window.Get(), nullptr, FALSE));
}

TEST(Owners, BitmapMovesItsSurfaceAndReleasesItOnce) {
  { platform::Bitmap warm(1, 1); }  // what the system makes on first use
  const DWORD before = Gdi();
  {
    platform::Bitmap first(8, 6, RGB(1, 2, 3));
    const DWORD one = Gdi() - before;  // the DIB section and its DC
    EXPECT_EQ(one, 2u);
    platform::Bitmap moved(std::move(first));
    EXPECT_TRUE(first.Empty());
    EXPECT_EQ(moved.Pixel(7, 5), RGB(1, 2, 3));
    platform::Bitmap other(4, 4, RGB(9, 9, 9));
    EXPECT_EQ(Gdi() - before, 2 * one);
    other = std::move(moved);
    EXPECT_EQ(Gdi() - before, one);
    EXPECT_EQ(other.Width(), 8);
    EXPECT_EQ(other.Pixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(other.PixelFast(0, 0), RGB(1, 2, 3));
  }
  EXPECT_EQ(Gdi(), before);
}

TEST(Owners, BackBufferIsKeptPerSizeAndFailsQuietly) {
  platform::ScreenDc screen;
  const DWORD before = Gdi();
  {
    platform::BackBuffer buffer;
    HDC dc = buffer.Prepare(screen.Get(), 100, 50);
    ASSERT_NE(dc, nullptr);
    const DWORD one = Gdi() - before;
    EXPECT_EQ(one, 2u);  // the DC and its bitmap
    EXPECT_EQ(buffer.Prepare(screen.Get(), 100, 50), dc);
    ASSERT_NE(buffer.Prepare(screen.Get(), 120, 60), nullptr);
    EXPECT_EQ(Gdi() - before, one);
    // No surface: the caller paints straight to the window, and nothing is held.
    EXPECT_EQ(buffer.Prepare(screen.Get(), 0, 60), nullptr);
    EXPECT_EQ(Gdi(), before);
    EXPECT_EQ(buffer.Prepare(screen.Get(), 1 << 20, 1 << 20), nullptr);
    EXPECT_EQ(Gdi(), before);
    EXPECT_NE(buffer.Prepare(screen.Get(), 10, 10), nullptr);
  }
  EXPECT_EQ(Gdi(), before);
}

}  // namespace
