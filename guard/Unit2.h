#pragma once
// The status popup and the region builder that gives it the outline of its skin.
#include <windows.h>

#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/Gdi.h"

class TForm2 : public platform::Form {
 public:
  TForm2();

  platform::Image* WndImage;
  platform::Image* TopButton;
  platform::Label* ActionLabel1;
  platform::Label* ActionLabel2;
  platform::Label* Label1a;
  platform::Label* Label1b;
  platform::Label* Label1c1;
  platform::Label* Label1c2;
  platform::Label* Label1c3;
  platform::Label* Label1c4;
  platform::Label* Label2a;
  platform::Label* Label2b;
  platform::Label* Label2c;
  platform::Label* Label2d1;
  platform::Label* Label2d2;
  platform::Label* Label2d3;
  platform::Label* Label2e1;
  platform::Label* Label2e2;
  platform::Label* Label2e3;
  platform::Label* Label3a;
  platform::Label* Label3b;
  platform::Label* Label3c;

  void CreateForm(platform::Object& sender);
  void ShowForm(platform::Object& sender);
  void WMNCHitTest(platform::Form::HitTest& message);
  void Label1bClick(platform::Object& sender);
  void Label2bClick(platform::Object& sender);
  void Label3bClick(platform::Object& sender);
  void TopButtonClick(platform::Object& sender);
};

extern TForm2* Form2;

// The bitmap's rectangle less the pixels of its 3-pixel frame that have the colour of pixel
// (0, 0). Pixels are read with read: straight from the bitmap's memory unless told otherwise.
platform::Region CreateSkinRegion(const platform::Bitmap& bitmap,
                                  platform::PixelReader read = &platform::Bitmap::PixelFast);
// The bitmap's whole rectangle less the key-coloured pixels inside one strip (right and
// bottom exclusive).
platform::Region ScanStripRegion(const platform::Bitmap& bitmap, int left, int top, int right,
                                 int bottom,
                                 platform::PixelReader read = &platform::Bitmap::PixelFast);
