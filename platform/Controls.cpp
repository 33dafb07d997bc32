#include "platform/Controls.h"

#include <algorithm>
#include <utility>

#include "platform/Form.h"
#include "platform/Layout.h"

namespace platform {

Component::Component(Form& owner, const LayoutItem& item) : owner_(owner), name_(item.name) {}

Control::Control(Form& owner, const LayoutItem& item)
    : Component(owner, item),
      visible_(item.Flag("visible", true)),
      handCursor_(item.Text("cursor", "default") == "hand"),
      showHint_(item.Flag("showhint", false)),
      hint_(item.Text("hint")) {
  std::vector<int> b = item.Has("bounds") ? item.Numbers("bounds") : std::vector<int>{0, 0, 0, 0};
  if (b.size() != 4) throw std::runtime_error("bounds of " + item.name + " need four numbers");
  bounds_ = {b[0], b[1], b[0] + b[2], b[1] + b[3]};
}

void Control::SetBounds(int left, int top, int width, int height) {
  RECT next = {left, top, left + width, top + height};
  if (EqualRect(&next, &bounds_)) return;
  Invalidate();
  bounds_ = next;
  Invalidate();
  Owner().ControlChanged(*this);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Invalidate();
}

void Control::SetHint(const std::string& hint) {
  const bool renamed = hint != hint_;
  hint_ = hint;
  Owner().ControlChanged(*this);
  if (renamed) Owner().ControlNameChanged(*this);
}

void Control::Click() {
  if (OnClick) OnClick(*this);
}

void Control::Invalidate() { Owner().InvalidateRect(bounds_); }

Label::Label(Form& owner, const LayoutItem& item)
    : Control(owner, item),
      caption_(item.Text("caption")),
      font_(item.Has("font") ? &owner.SharedFont(item.Text("font"), item.Integer("height", -11),
                                                 item.Flag("bold", false))
                             : &owner.DefaultFont()),
      color_(item.Color("color", RGB(0, 0, 0))),
      autoSize_(item.Flag("autosize", true)),
      rightAligned_(item.Text("align", "left") == "right"),
      wordWrap_(item.Flag("wordwrap", false)),
      centerVertically_(item.Text("layout", "top") == "center") {
  AdjustBounds();
}

void Label::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
  AdjustBounds();
  Owner().ControlNameChanged(*this);
}

UINT Label::TextFlags() const {
  return DT_EXPANDTABS | DT_NOPREFIX | (rightAligned_ ? DT_RIGHT : DT_LEFT) |
         (wordWrap_ ? DT_WORDBREAK : 0);
}

void Label::AdjustBounds() {
  if (!autoSize_) return;
  RECT r = {0, 0, Width(), 0};
  {
    ScreenDc screen;
    SelectScope font(screen.Get(), FontHandle());
    // An empty caption still has the height of a line.
    const std::string text = caption_.empty() ? " " : caption_;
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
              TextFlags() | DT_CALCRECT);
  }
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int left = rightAligned_ ? Left() + Width() - width : Left();
  SetBounds(left, Top(), width, height);
}

void Label::Paint(HDC dc) {
  SelectScope font(dc, FontHandle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color_);
  RECT r = BoundsRect();
  if (centerVertically_) {
    RECT calc = r;
    DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &calc,
              TextFlags() | DT_CALCRECT);
    r.top += (Height() - (calc.bottom - calc.top)) / 2;
  }
  // A label sized to its text needs no clipping; an anti-aliased glyph may reach a pixel
  // past the measured width.
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r,
            TextFlags() | (autoSize_ ? DT_NOCLIP : 0));
}

Image::Image(Form& owner, const LayoutItem& item)
    : Control(owner, item), autoSize_(item.Flag("autosize", false)) {
  if (item.Has("picture"))
    SetPicture(Bitmap::FromResource(GetModuleHandleA(nullptr), item.Text("picture")));
}

void Image::SetPicture(Bitmap picture) {
  picture_ = std::move(picture);
  if (autoSize_) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  Invalidate();
}

void Image::Paint(HDC dc) {
  if (picture_.Empty()) return;
  BitBlt(dc, Left(), Top(), std::min(Width(), picture_.Width()),
         std::min(Height(), picture_.Height()), picture_.Canvas(), 0, 0, SRCCOPY);
}

}  // namespace platform
