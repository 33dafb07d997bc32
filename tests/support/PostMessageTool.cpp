// vtxpost NAME TITLE WPARAM: posts the registered message NAME with WPARAM and lParam 0 to the
// top-level window titled TITLE, as a member of the family would. Exit code 0 when the window
// was found, 1 when not, 2 on bad arguments. Used by scripts that drive the programs.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  UINT message = RegisterWindowMessageA(argv[1]);
  HWND window = FindWindowA(nullptr, argv[2]);
  if (window == nullptr) return 1;
  PostMessageA(window, message, std::strtoul(argv[3], nullptr, 0), 0);
  return 0;
}
