#include "guard/Unit1.h"

#include <functional>

#include "common/AppDir.h"
#include "common/Language.h"
#include "common/Siblings.h"
#include "common/Texts.h"
#include "guard/Unit0.h"
#include "guard/Unit2.h"

TForm1* Form1 = nullptr;
UINT GuardMsgId = 0;

TForm1::TForm1()
    : Form("TFORM1"),
      TrayIcon(Find<platform::TrayIcon>("TrayIcon")),
      PopupMenu1(Find<platform::PopupMenu>("PopupMenu1")),
      MenuItem1(Find<platform::MenuItem>("MenuItem1")),
      MenuItem2(Find<platform::MenuItem>("MenuItem2")),
      MenuItem3(Find<platform::MenuItem>("MenuItem3")),
      Timer1(Find<platform::Timer>("Timer1")),
      ApplicationEvents1(Find<platform::ApplicationEvents>("ApplicationEvents1")) {
  using namespace std::placeholders;
  OnCreate = std::bind(&TForm1::CreateForm, this, _1);
  TrayIcon->OnDblClick = std::bind(&TForm1::MenuItem1Click, this, _1);
  MenuItem1->OnClick = std::bind(&TForm1::MenuItem1Click, this, _1);
  MenuItem2->OnClick = std::bind(&TForm1::MenuItem2Click, this, _1);
  MenuItem3->OnClick = std::bind(&TForm1::MenuItem3Click, this, _1);
  Timer1->OnTimer = std::bind(&TForm1::Timer1Event, this, _1);
  ApplicationEvents1->OnMessage = std::bind(&TForm1::EventsMessage, this, _1, _2);
}

void TForm1::CreateForm(platform::Object&) {
  GuardMsgId = RegisterWindowMessageA(GuardRow.messageName);
  AppDir = ModuleAppDir();
  LangFileName = LanguageFileName(RegReadInteger(HKEY_CURRENT_USER, SettingsKey, "Language"));
  LangIni = std::make_unique<platform::IniFile>(AppDir + "\\" + LangFileName);
  MenuItem1->SetCaption(LookupText(*LangIni, TextId::Show));
  MenuItem2->SetCaption(LookupText(*LangIni, TextId::Launch));
  MenuItem3->SetCaption(LookupText(*LangIni, TextId::Exit));
  platform::App().SetShowMainForm(false);
  Timer1->SetEnabled(true);
}

void TForm1::EventsMessage(MSG& message, bool&) {
  // Whatever window it was posted to; the message goes on to it all the same.
  if (message.message == GuardMsgId && message.wParam == GuardRow.closeCode) Close();
}

void TForm1::Timer1Event(platform::Object&) {
  Form2->Show();
  Timer1->SetEnabled(false);
}

void TForm1::MenuItem1Click(platform::Object&) {
  if (!Form2->Visible()) Form2->Show();
}

void TForm1::MenuItem2Click(platform::Object&) { StartMember(AppDir, MainAppRow, ""); }

void TForm1::MenuItem3Click(platform::Object&) { Close(); }
