#pragma once

// The vendor's notification service: one name for the connection, the URL and "Host".
inline constexpr char NotificationHost[] = "notify.vantorix.com";
inline constexpr char NoticePathAndQuery[] =
    "/rpc/sendqlnuninstall?partner=KQTW_MRLN_EN_RW_VANTORIX&build=3.2";
// The whole reply must arrive within this time of the request being written: the uninstall
// waits for the notice, and a service that is up answers in well under a second.
inline constexpr unsigned long NoticeReplyTimeoutMs = 10000;

// Windows' own account of whether the machine is online.
bool IsOnline();

// One GET to the notification service when online; every failure ends here.
void SendUninstallNotice();
