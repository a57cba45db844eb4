#include "form1.h"

#include <algorithm>

#include "st_progress_bar.h"
#include "wide_text.h"

namespace velunor {

namespace {

using design::Control;
using design::Kind;

constexpr const wchar_t* kFormClass = L"VelunorForm1";
constexpr UINT_PTR kTimer1 = 1;
// Control ids start above the dialog keys' own (IDOK, IDCANCEL), so that Return on an option
// button or Escape reaches no control.
constexpr int kFirstControlId = 100;

int ControlId(Control control) {
  return kFirstControlId + static_cast<int>(control);
}

// The newer DPI functions, where the system has them (Windows 10 1607 and Wine 5 on).
template <typename Function>
Function SystemFunction(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

UINT WindowDpi(HWND window) {
  static const auto getDpiForWindow = SystemFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  if (getDpiForWindow) return getDpiForWindow(window);
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

void AdjustForDpi(RECT& rect, DWORD style, DWORD extended, UINT dpi) {
  static const auto adjust =
      SystemFunction<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  if (adjust) {
    adjust(&rect, style, FALSE, extended, dpi);
  } else {
    ::AdjustWindowRectEx(&rect, style, FALSE, extended);
  }
}

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct ControlClass {
  const wchar_t* Name;
  DWORD Style;
  DWORD Extended;
};

ControlClass ClassOf(Kind kind) {
  switch (kind) {
    case Kind::PushButton:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0};
    case Kind::ProgressBar:
      return {kProgressBarClass, 0, 0};
    case Kind::Frame:
      return {L"BUTTON", BS_GROUPBOX, 0};
    case Kind::OptionButton:
      return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
    case Kind::CheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0};
    case Kind::Label:
      return {L"STATIC", SS_LEFT | WS_GROUP, 0};
    case Kind::ScrollBar:
      return {L"SCROLLBAR", SBS_HORZ | WS_TABSTOP | WS_GROUP, 0};
    case Kind::TextBox:
      return {L"EDIT", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

Form1::Form1() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterProgressBarClass(instance);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = WindowProc;
  type.hInstance = instance;
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = kFormClass;
  // The program's icon, from its resources where the build gave it one.
  type.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  type.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  ::RegisterClassExW(&type);  // a second window registers it again in vain

  enabled_.fill(true);
  // The window system places the window; its size follows once the DPI is known.
  window_ =
      ::CreateWindowExW(0, kFormClass, Utf16(design::kDesignCaption).c_str(), kFormStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
  CommonDialog1_ = CommonDialog(window_);
  CommonDialog2_ = CommonDialog(window_);
  CreateControls();
  Layout(nullptr);

  CommonDialog1_.DialogTitle = design::kOpenDialogTitle;
  CommonDialog1_.FileName = design::kOpenDialogDesignName;
  CommonDialog1_.Filter = design::kOpenDialogFilter;
  CommonDialog2_.DialogTitle = design::kSaveDialogTitle;
  CommonDialog2_.Filter = design::kSaveDialogFilter;

  EndProgram = [](int status) { ::PostQuitMessage(status); };

  // Form_Load: the caption with the program's version; every control keeps its design state.
  ::SetWindowTextW(window_, Utf16(LoadedCaption()).c_str());
  ::SetFocus(Command1);
}

Form1::~Form1() {
  if (window_) ::DestroyWindow(window_);
  if (font_) ::DeleteObject(font_);
}

HWND& Form1::Hwnd(design::Control control) {
  static HWND none = nullptr;
  switch (control) {
    case Control::Form1:
      return window_;
    case Control::Command1:
      return Command1;
    case Control::STprogressBar1:
      return STprogressBar1;
    case Control::Frame1:
      return Frame1;
    case Control::Option1_0:
      return Option1[0];
    case Control::Option1_1:
      return Option1[1];
    case Control::Option1_2:
      return Option1[2];
    case Control::Frame2:
      return Frame2;
    case Control::Check2:
      return Check2;
    case Control::Label1:
      return Label1;
    case Control::Frame3:
      return Frame3;
    case Control::HScroll1:
      return HScroll1;
    case Control::Text1:
      return Text1;
  }
  return none;
}

void Form1::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // Created in Tab order, which is the order the dialog keys walk. Every control clips its
  // siblings, and the frames lie beneath the rest, so that a frame never paints over what it
  // holds.
  for (const design::ControlDesign& design : design::kControls) {
    const ControlClass type = ClassOf(design.Kind);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | type.Style;
    // Label1 starts hidden under the visible Check2.
    if (design.Id != Control::Label1) style |= WS_VISIBLE;
    HWND control = ::CreateWindowExW(
        type.Extended, type.Name, Utf16(design.Caption).c_str(), style, 0, 0, 0, 0, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(design.Id))), instance, nullptr);
    Hwnd(design.Id) = control;
  }
  // Each new control went beneath the ones before it; the frames go beneath all.
  for (HWND frame : {Frame1, Frame2, Frame3}) {
    ::SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // The option group starts at its first button; the design selects Option1(1).
  ::SetWindowLongPtrW(Option1[0], GWL_STYLE, ::GetWindowLongPtrW(Option1[0], GWL_STYLE) | WS_GROUP);
  ::SendMessageW(Option1[design::kDefaultOption], BM_SETCHECK, BST_CHECKED, 0);
  UpdateOptionTabStop();

  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  scroll.nMin = 0;
  scroll.nMax = design::kSplitMinutesMax;
  scroll.nPage = 0;
  scroll.nPos = 0;
  ::SetScrollInfo(HScroll1, SB_CTL, &scroll, FALSE);
}

int Form1::Pixels(int twips) const {
  return ::MulDiv(twips, static_cast<int>(dpi_), 1440);
}

void Form1::Layout(const RECT* suggested) {
  dpi_ = WindowDpi(window_);
  // The designed font at this DPI. The bitmap font of the design has no sizes beyond 120 dots
  // per inch; its outline twin has the same measures and stays sharp at 150 and 200 %.
  HFONT font =
      ::CreateFontW(-::MulDiv(825, static_cast<int>(dpi_), 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                    FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_SWISS, L"Microsoft Sans Serif");
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const design::ControlDesign& design : design::kControls) {
    const design::TwipsRect place = design::PlaceInForm(design.Id);
    HWND control = Hwnd(design.Id);
    ::SetWindowPos(control, nullptr, Pixels(place.Left), Pixels(place.Top), Pixels(place.Width),
                   Pixels(place.Height), SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_) ::DeleteObject(font_);
  font_ = font;

  RECT frame{0, 0, Pixels(design::kClientWidth), Pixels(design::kClientHeight)};
  AdjustForDpi(frame, kFormStyle, 0, dpi_);
  if (suggested) {
    ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, frame.right - frame.left,
                   frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Form1::Dispatch(MSG& message) {
  // Return presses the focused push button. The dialog keys would leave it to the default button,
  // which a plain window does not have.
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && message.hwnd == Command1 &&
      ::IsWindowEnabled(Command1)) {
    ::SendMessageW(Command1, BM_CLICK, 0, 0);
    return;
  }
  if (window_ && ::IsDialogMessageW(window_, &message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

std::int64_t Form1::Milliseconds() const {
  return static_cast<std::int64_t>(::GetTickCount64());
}

void Form1::HandleWaitingEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The program's end belongs to the loop outside the run.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return ::DefWindowProcW(window, message, wParam, lParam);
  return form->Handle(message, wParam, lParam);
}

LRESULT Form1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (id == ControlId(Control::Command1) && ::IsWindowEnabled(Command1)) {
          Command1_Click();
        } else if (id == ControlId(Control::Check2) && !::IsWindowEnabled(Check2)) {
          UndoLockedClick();
        } else if (id >= ControlId(Control::Option1_0) && id <= ControlId(Control::Option1_2)) {
          UpdateOptionTabStop();
        }
      }
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) == HScroll1) OnScroll(wParam);
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(wParam);
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1) Timer1_Timer();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Label1) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(design::kNoteRed, design::kNoteGreen, design::kNoteBlue));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_ACTIVATE:
      // The keyboard comes back to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        focusBeforeDeactivation_ = ::GetFocus();
      } else if (focusBeforeDeactivation_ && ::IsWindowEnabled(focusBeforeDeactivation_) &&
                 ::IsWindowVisible(focusBeforeDeactivation_)) {
        ::SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case 0x02E0: {  // WM_DPICHANGED: moved to a monitor of another DPI, or its scale changed
      Layout(reinterpret_cast<const RECT*>(lParam));
      ::InvalidateRect(window_, nullptr, TRUE);
      return 0;
    }
    case WM_CLOSE:
      if (Running()) {
        // The run stops at its next pass over the events; the window goes at once.
        CloseDuringRun();
        ::ShowWindow(window_, SW_HIDE);
      } else {
        EndProgram(0);
      }
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

void Form1::MoveSplit(int minutes) {
  minutes = std::clamp(minutes, 0, design::kSplitMinutesMax);
  if (minutes == HScroll1Value()) return;
  ::SetScrollPos(HScroll1, SB_CTL, minutes, TRUE);
  HScroll1_Change();
}

void Form1::OnScroll(WPARAM wParam) {
  // A locked bar takes no change, whatever reaches it.
  if (!::IsWindowEnabled(HScroll1)) return;
  const int now = HScroll1Value();
  switch (LOWORD(wParam)) {
    case SB_LINELEFT:
      return MoveSplit(now - design::kSplitSmallChange);
    case SB_LINERIGHT:
      return MoveSplit(now + design::kSplitSmallChange);
    case SB_PAGELEFT:
      return MoveSplit(now - design::kSplitLargeChange);
    case SB_PAGERIGHT:
      return MoveSplit(now + design::kSplitLargeChange);
    case SB_LEFT:
      return MoveSplit(0);
    case SB_RIGHT:
      return MoveSplit(design::kSplitMinutesMax);
    case SB_THUMBPOSITION:
      // The thumb released; while it is dragged (SB_THUMBTRACK) nothing changes. The position
      // fits the message's 16 bits.
      return MoveSplit(HIWORD(wParam));
    default:
      return;
  }
}

void Form1::OnWheel(WPARAM wParam) {
  // Over the split bar, or with the keyboard on it, each notch moves it by one minute: away from
  // the user shortens the interval, towards the user lengthens it.
  POINT cursor;
  ::GetCursorPos(&cursor);
  RECT bar;
  ::GetWindowRect(HScroll1, &bar);
  if (!::IsWindowEnabled(HScroll1) || (::GetFocus() != HScroll1 && !::PtInRect(&bar, cursor))) {
    return;
  }
  wheelRest_ += GET_WHEEL_DELTA_WPARAM(wParam);
  const int notches = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= notches * WHEEL_DELTA;
  if (notches) MoveSplit(HScroll1Value() - notches * design::kSplitSmallChange);
}

void Form1::UpdateOptionTabStop() {
  for (HWND option : Option1) {
    const LONG_PTR style = ::GetWindowLongPtrW(option, GWL_STYLE);
    const bool selected = ::SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::SetWindowLongPtrW(option, GWL_STYLE, selected ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
}

// A click that reaches the locked check box (sent by another program: the user's cannot) is
// taken back, so the setting stays as the run read it.
void Form1::UndoLockedClick() {
  ::SendMessageW(Check2, BM_SETCHECK, Check2Ticked() ? BST_UNCHECKED : BST_CHECKED, 0);
}

int Form1::HScroll1Value() const {
  return ::GetScrollPos(HScroll1, SB_CTL);
}

bool Form1::Check2Ticked() const {
  return ::SendMessageW(Check2, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int Form1::SelectedOption() const {
  for (int index = 0; index < 3; ++index) {
    if (::SendMessageW(Option1[index], BM_GETCHECK, 0, 0) == BST_CHECKED) return index;
  }
  return design::kDefaultOption;
}

void Form1::SetText(design::Control control, std::string_view utf8) {
  ::SetWindowTextW(Hwnd(control), Utf16(utf8).c_str());
}

void Form1::ApplyEnabled(design::Control control) {
  const design::Control inside = design::Design(control).Inside;
  const bool usable = enabled_[static_cast<std::size_t>(control)] &&
                      (inside == Control::Form1 || enabled_[static_cast<std::size_t>(inside)]);
  ::EnableWindow(Hwnd(control), usable);
}

void Form1::SetEnabled(design::Control control, bool enabled) {
  enabled_[static_cast<std::size_t>(control)] = enabled;
  ApplyEnabled(control);
  if (design::Design(control).Kind == Kind::Frame) {
    for (const design::ControlDesign& inner : design::kControls) {
      if (inner.Inside == control) ApplyEnabled(inner.Id);
    }
  }
  // A control disabled with the keyboard on it leaves the window without one; the file button
  // takes it back when it is enabled again.
  if (control == Control::Command1 && enabled) {
    HWND focus = ::GetFocus();
    if (::GetActiveWindow() == window_ && (!focus || !::IsWindowEnabled(focus))) {
      ::SetFocus(Command1);
    }
  }
}

void Form1::SetVisible(design::Control control, bool visible) {
  ::ShowWindow(Hwnd(control), visible ? SW_SHOWNA : SW_HIDE);
}

void Form1::SetCheck2Ticked(bool ticked) {
  ::SendMessageW(Check2, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int Form1::ShownProgress() const {
  return ProgressBarValue(STprogressBar1);
}

void Form1::ShowProgress(int percent) {
  SetProgressBarValue(STprogressBar1, percent);
}

void Form1::SetTimer1Enabled(bool enabled) {
  if (enabled) {
    ::SetTimer(window_, kTimer1, Timer1Interval, nullptr);
  } else {
    ::KillTimer(window_, kTimer1);
  }
}

void Form1::ShowMessage(MessageKind kind, std::string_view title, std::string_view text) {
  const UINT icon = kind == MessageKind::Critical ? MB_ICONERROR : 0;
  // A hidden window (closed during a run) owns no message.
  HWND owner = ::IsWindowVisible(window_) ? window_ : nullptr;
  ::MessageBoxW(owner, Utf16(text).c_str(), Utf16(title).c_str(), MB_OK | icon);
}

}  // namespace velunor
