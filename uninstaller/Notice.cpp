#include "uninstaller/Notice.h"

#include <string>

#include "platform/HttpClient.h"
#include "platform/SystemLibrary.h"

bool IsOnline() {
  // From the system folder only: the uninstaller runs from the installation folder, where a
  // planted wininet.dll must not be picked up.
  platform::SystemLibrary wininet("wininet.dll");
  using InternetGetConnectedStateFn = BOOL(WINAPI*)(LPDWORD, DWORD);
  auto internetGetConnectedState =
      wininet.Proc<InternetGetConnectedStateFn>("InternetGetConnectedState");
  if (internetGetConnectedState == nullptr) return false;
  DWORD flags = 7;
  return internetGetConnectedState(&flags, 0) != 0;
}

void SendUninstallNotice() {
  if (!IsOnline()) return;
  platform::HttpClient http;
  http.SetHost(NotificationHost);
  http.SetReplyTimeout(NoticeReplyTimeoutMs);
  try {
    http.Connect();  // blocking: only the system's own connect time-out bounds it
    // The body is dropped as it arrives, so no reply can make the uninstaller hold it.
    platform::NullStream stream;
    http.Get(std::string("http://") + NotificationHost + NoticePathAndQuery, stream);
  } catch (...) {
    // every failure of the notice ends here; the broadcast follows in any case
  }
  if (http.Connected()) http.Disconnect();
}
