// quorvel-window-probe.exe: the program's windows as Windows sees them, for the window
// check under wine. Without arguments, one line per top-level window captioned "Quorvel":
// "<visible|hidden|minimised> <buttons> <text of the first button> <x> <y>", with the
// centre of that button in screen coordinates. With "close STATE", sends the close
// command (WM_CLOSE, as the window's close box does) to each such window in that state.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char* close_state = nullptr;

const char* state_of(HWND window) {
  if (!::IsWindowVisible(window)) return "hidden";
  return ::IsIconic(window) ? "minimised" : "visible";
}

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
  if (std::strcmp(caption, "Quorvel") != 0) return TRUE;
  if (close_state == nullptr) {
    report(window);
  } else if (std::strcmp(state_of(window), close_state) == 0) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "close") == 0) close_state = argv[2];
  ::EnumWindows(visit, 0);
  return 0;
}
