// The program's dialog window: dialog 102 of the program's resources, with its one Cancel
// button and icon 128, run by a modal loop of its own (not DialogBox, whose first show
// at an empty queue would undo a minimise asked for at start-up). Message boxes are real
// message boxes.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/dialog_window.h"
#include "platform/modal_loop.h"

namespace quorvel::platform {

namespace {

constexpr int kDialogTemplate = 102;
constexpr int kIcon = 128;
constexpr UINT kQueueNotification = 0x4149;

}  // namespace

struct ModalLoop::State {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> notification_pending{false};
  std::atomic<bool> cancel_requested{false};
  bool ended = false;
  int result = 0;
  bool hide = false;
  bool minimise = false;
  bool notifying = false;
  bool missed = false;
  HICON icon = nullptr;
  const std::function<void()>* on_start = nullptr;
  const std::function<void()>* on_notification = nullptr;

  void cancel() {
    ended = true;
    result = kCancel;
  }
};

namespace {

void paint_minimised(HWND dialog, HICON icon) {
  PAINTSTRUCT paint;
  HDC context = ::BeginPaint(dialog, &paint);
  RECT client;
  ::GetClientRect(dialog, &client);
  const int width = ::GetSystemMetrics(SM_CXICON);
  const int height = ::GetSystemMetrics(SM_CYICON);
  const int x = (client.right - client.left - width + 1) / 2;
  const int y = (client.bottom - client.top - height + 1) / 2;
  ::DrawIcon(context, x, y, icon);
  ::EndPaint(dialog, &paint);
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<ModalLoop::State*>(::GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    state = reinterpret_cast<ModalLoop::State*>(lparam);
    ::SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
    state->window.store(dialog);
    state->icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIcon));
    ::SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state->icon));
    ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state->icon));
    if (*state->on_start) (*state->on_start)();
    if (state->cancel_requested.load()) state->cancel();
    return TRUE;
  }
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_WINDOWPOSCHANGING:
      // A hidden dialog is never shown, not even for a moment.
      if (state->hide) reinterpret_cast<WINDOWPOS*>(lparam)->flags &= ~SWP_SHOWWINDOW;
      return FALSE;
    case kQueueNotification:
      state->notification_pending.store(false);
      // A message box shown while the bot handles the queue runs a message loop of its
      // own: the queue is handled again after, never inside itself.
      if (state->notifying) {
        state->missed = true;
        return TRUE;
      }
      state->notifying = true;
      do {
        state->missed = false;
        if (*state->on_notification) (*state->on_notification)();
      } while (state->missed && !state->ended);
      state->notifying = false;
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) != IDCANCEL) return FALSE;
      // Cancel and the close command: nothing more is sent; the program ends.
      state->cancel();
      return TRUE;
    case WM_PAINT:
      if (!::IsIconic(dialog) || state->icon == nullptr) return FALSE;
      paint_minimised(dialog, state->icon);
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(state->icon);
    default:
      return FALSE;
  }
}

}  // namespace

void ShowMessageBox(const std::string& text) {
  // Also on standard error, for whoever started the program from a console or script.
  std::fprintf(stderr, "Quorvel: %s\n", text.c_str());
  std::fflush(stderr);
  ::MessageBoxA(nullptr, text.c_str(), "Quorvel", MB_OK | MB_TASKMODAL);
}

ModalLoop::ModalLoop() : state_(std::make_unique<State>()) {}

ModalLoop::~ModalLoop() = default;

void ModalLoop::post_notification() {
  if (state_->notification_pending.exchange(true)) return;
  if (HWND dialog = state_->window.load()) ::PostMessageA(dialog, kQueueNotification, 0, 0);
}

void ModalLoop::request_cancel() {
  state_->cancel_requested.store(true);
  if (HWND dialog = state_->window.load()) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

void ModalLoop::end(int result) {
  state_->ended = true;
  state_->result = result;
}

void ModalLoop::hide() {
  state_->hide = true;
}

void ModalLoop::minimise() {
  state_->minimise = true;
}

int ModalLoop::run(const std::function<void()>& on_start,
                   const std::function<void()>& on_notification) {
  State& state = *state_;
  state.on_start = &on_start;
  state.on_notification = &on_notification;
  HWND dialog = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDialogTemplate),
                                     nullptr, dialog_procedure, reinterpret_cast<LPARAM>(&state));
  if (dialog == nullptr) {
    std::fprintf(stderr, "Quorvel: the dialog window cannot be shown (error %lu)\n",
                 ::GetLastError());
    return kCancel;
  }
  if (state.minimise && !state.hide) ::ShowWindow(dialog, SW_MINIMIZE);
  MSG message;
  while (!state.ended && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (::IsDialogMessageA(dialog, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  state.window.store(nullptr);
  ::DestroyWindow(dialog);
  return state.result;
}

}  // namespace quorvel::platform
