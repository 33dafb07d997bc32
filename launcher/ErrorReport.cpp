#include "launcher/ErrorReport.h"

#include <windows.h>

#include <cxxabi.h>

#include <cstdlib>
#include <string>
#include <typeinfo>

#include "platform/FileSystem.h"

namespace {

std::string ModuleName() {
  const std::string path = platform::ModuleFileName();
  return path.substr(path.find_last_of('\\') + 1);
}

// The class name as declared, without its namespace.
std::string ClassName(const std::exception& error) {
  const char* raw = typeid(error).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(raw, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : raw;
  std::free(demangled);
  const size_t scope = name.rfind("::");
  return scope == std::string::npos ? name : name.substr(scope + 2);
}

void Show(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

void ShowUncaughtError(const std::exception& error) {
  Show("Exception " + ClassName(error) + " in module " + ModuleName() + ".\n" + error.what());
}

void ShowUncaughtError() { Show("Unknown exception in module " + ModuleName() + "."); }
