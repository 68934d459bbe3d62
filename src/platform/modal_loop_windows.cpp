// The program's dialog window: a modal dialog from the program's resources, with its one
// Cancel button and its icon. Message boxes are real message boxes.
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
// Hiding or minimising waits until the dialog manager has shown the window once.
constexpr UINT kApplyShowState = WM_APP + 1;

}  // namespace

struct ModalLoop::State {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> notification_pending{false};
  std::atomic<bool> cancel_requested{false};
  bool ended = false;
  int result = 0;
  bool hide = false;
  bool minimise = false;
  HICON icon = nullptr;
  const std::function<void()>* on_start = nullptr;
  const std::function<void()>* on_notification = nullptr;

  // After a callback: the dialog ends when the loop was ended meanwhile.
  void end_if_asked(HWND dialog) const {
    if (ended) ::EndDialog(dialog, result);
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
    if (state->cancel_requested.load()) {
      state->ended = true;
      state->result = kCancel;
    }
    state->end_if_asked(dialog);
    if (!state->ended) ::PostMessageA(dialog, kApplyShowState, 0, 0);
    return TRUE;
  }
  if (state == nullptr) return FALSE;
  switch (message) {
    case kApplyShowState:
      if (state->hide) {
        ::ShowWindow(dialog, SW_HIDE);
      } else if (state->minimise) {
        ::ShowWindow(dialog, SW_MINIMIZE);
      }
      return TRUE;
    case kQueueNotification:
      state->notification_pending.store(false);
      if (*state->on_notification) (*state->on_notification)();
      state->end_if_asked(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) != IDCANCEL) return FALSE;
      // Cancel and the close command: nothing more is sent; the program ends.
      state->ended = true;
      state->result = kCancel;
      ::EndDialog(dialog, kCancel);
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
  const INT_PTR shown =
      ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDialogTemplate), nullptr,
                        dialog_procedure, reinterpret_cast<LPARAM>(&state));
  state.window.store(nullptr);
  if (shown == -1) {
    std::fprintf(stderr, "Quorvel: the dialog window cannot be shown (error %lu)\n",
                 ::GetLastError());
    return kCancel;
  }
  return state.result;
}

}  // namespace quorvel::platform
