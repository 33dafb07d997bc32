// The baseline of the windowless programs: a GUI-subsystem program that does nothing, built
// with the same toolchain, flags and static runtime.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
