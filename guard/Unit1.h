#pragma once
// The tray host: the hidden main form with the tray icon, its menu, the start-up timer and the
// filter for the close message.
#include <windows.h>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/PopupMenu.h"
#include "platform/Timer.h"
#include "platform/TrayIcon.h"

class TForm1 : public platform::Form {
 public:
  TForm1();

  platform::TrayIcon* TrayIcon;
  platform::PopupMenu* PopupMenu1;
  platform::MenuItem* MenuItem1;
  platform::MenuItem* MenuItem2;
  platform::MenuItem* MenuItem3;
  platform::Timer* Timer1;
  platform::ApplicationEvents* ApplicationEvents1;

  void CreateForm(platform::Object& sender);
  void EventsMessage(MSG& message, bool& handled);
  void Timer1Event(platform::Object& sender);
  void MenuItem1Click(platform::Object& sender);
  void MenuItem2Click(platform::Object& sender);
  void MenuItem3Click(platform::Object& sender);
};

extern TForm1* Form1;
// The registered message "VtxGuard": with wParam 1028 it ends the program.
extern UINT GuardMsgId;
