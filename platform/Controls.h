#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/Bitmap.h"
#include "platform/Component.h"
#include "platform/Gdi.h"

namespace platform {

// A windowless control: painted and hit-tested by its form, so mouse input over it reaches
// the form's own WM_NCHITTEST first.
class Control : public Component {
 public:
  Control(Form& owner, const LayoutItem& item);

  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  const RECT& BoundsRect() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool HandCursor() const { return handCursor_; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }

  std::function<void(Object& sender)> OnClick;
  void Click();

  virtual void Paint(HDC dc) = 0;
  void Invalidate();

 private:
  RECT bounds_ = {};
  bool visible_ = true;
  bool handCursor_ = false;
  bool showHint_ = false;
  std::string hint_;
};

// A transparent text label. Its font is the form's font of that face, height and weight,
// shared with every label that asks for the same. A label that sizes itself keeps its left
// edge when its text changes, or its right edge when it is right-aligned.
class Label : public Control {
 public:
  Label(Form& owner, const LayoutItem& item);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  HFONT FontHandle() const { return font_->Get(); }

  void Paint(HDC dc) override;

 private:
  UINT TextFlags() const;
  void AdjustBounds();

  std::string caption_;
  const Font* font_;  // owned by the form
  COLORREF color_;
  bool autoSize_;
  bool rightAligned_;
  bool wordWrap_;
  bool centerVertically_;
};

// A picture from the module's bitmap resources; it may size itself to the picture.
class Image : public Control {
 public:
  Image(Form& owner, const LayoutItem& item);

  const Bitmap& Picture() const { return picture_; }
  void SetPicture(Bitmap picture);

  void Paint(HDC dc) override;

 private:
  Bitmap picture_;
  bool autoSize_;
};

}  // namespace platform
