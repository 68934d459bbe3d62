// quorvel-window-probe.exe: reports the program's windows as Windows sees them, for the
// window check under wine. One line per top-level window captioned "Quorvel":
// "<visible|hidden|minimised> <buttons> <text of the first button> <x> <y>", with the
// centre of that button in screen coordinates.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void report(HWND window) {
  int buttons = 0;
  HWND button = nullptr;
  for (HWND child = ::FindWindowExA(window, nullptr, "Button", nullptr); child != nullptr;
       child = ::FindWindowExA(window, child, "Button", nullptr)) {
    if (button == nullptr) button = child;
    ++buttons;
  }
  char text[64] = "-";
  RECT place{};
  if (button != nullptr) {
    ::GetWindowTextA(button, text, sizeof text);
    ::GetWindowRect(button, &place);
  }
  const char* state = !::IsWindowVisible(window) ? "hidden"
                      : ::IsIconic(window)       ? "minimised"
                                                 : "visible";
  std::printf("%s %d %s %ld %ld\n", state, buttons, text, (place.left + place.right) / 2,
              (place.top + place.bottom) / 2);
}

BOOL CALLBACK visit(HWND window, LPARAM) {
  char caption[64] = {};
  ::GetWindowTextA(window, caption, sizeof caption);
  if (std::strcmp(caption, "Quorvel") == 0) report(window);
  return TRUE;
}

}  // namespace

int main() {
  ::EnumWindows(visit, 0);
  return 0;
}
