#include "st_progress_bar.h"

#include <algorithm>
#include <array>

#include "progress_skin.h"
#include "wide_text.h"

namespace velunor {
namespace {

// The skin as a bottom-up 24-bit picture: rows padded to four bytes, blue first.
struct SkinBits {
  static constexpr int kStride = (design::kSkinWidth * 3 + 3) / 4 * 4;
  BITMAPINFO Info{};
  std::array<BYTE, kStride * design::kSkinHeight> Bytes{};

  SkinBits() {
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = design::kSkinWidth;
    Info.bmiHeader.biHeight = design::kSkinHeight;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 24;
    Info.bmiHeader.biCompression = BI_RGB;
    for (int y = 0; y < design::kSkinHeight; ++y) {
      for (int x = 0; x < design::kSkinWidth; ++x) {
        const design::Rgb colour = design::SkinColour(x);
        BYTE* pixel = &Bytes[y * kStride + x * 3];
        pixel[0] = colour.Blue;
        pixel[1] = colour.Green;
        pixel[2] = colour.Red;
      }
    }
  }
};

const SkinBits& Skin() {
  static const SkinBits skin;
  return skin;
}

void Paint(HWND bar, HDC target) {
  RECT whole;
  ::GetClientRect(bar, &whole);
  const int width = whole.right, height = whole.bottom;
  // Drawn off screen first, so that a bar redrawn at every percent does not flicker.
  HDC dc = ::CreateCompatibleDC(target);
  HBITMAP picture = ::CreateCompatibleBitmap(target, width, height);
  HGDIOBJ previous = ::SelectObject(dc, picture);

  ::FillRect(dc, &whole, ::GetSysColorBrush(COLOR_BTNFACE));
  RECT edge = whole;
  ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  RECT inside = whole;
  ::InflateRect(&inside, -design::kSkinBorder, -design::kSkinBorder);
  const int value = ProgressBarValue(bar);
  const int insideWidth = inside.right - inside.left;
  if (value > 0 && insideWidth > 0 && inside.bottom > inside.top) {
    const int filled = design::FilledColumns(insideWidth, value);
    const int source = design::kSkinWidth * filled / insideWidth;
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchDIBits(dc, inside.left, inside.top, filled, inside.bottom - inside.top, 0, 0, source,
                    design::kSkinHeight, Skin().Bytes.data(), &Skin().Info, DIB_RGB_COLORS,
                    SRCCOPY);
  }

  const auto font = reinterpret_cast<HFONT>(::SendMessageW(bar, WM_GETFONT, 0, 0));
  HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
  std::wstring text = Utf16(design::PercentText(value));
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (previousFont) ::SelectObject(dc, previousFont);

  ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  ::SelectObject(dc, previous);
  ::DeleteObject(picture);
  ::DeleteDC(dc);
}

// The window's extra bytes: the position, then the font.
constexpr int kValueSlot = 0;
constexpr int kFontSlot = sizeof(LONG_PTR);

LRESULT CALLBACK ProgressBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(bar, &paint);
      Paint(bar, dc);
      ::EndPaint(bar, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(bar, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // all painted in WM_PAINT
    case WM_SETFONT:
      ::SetWindowLongPtrW(bar, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) ::InvalidateRect(bar, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return ::GetWindowLongPtrW(bar, kFontSlot);
    default:
      return ::DefWindowProcW(bar, message, wParam, lParam);
  }
}

}  // namespace

void RegisterProgressBarClass(HINSTANCE instance) {
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = ProgressBarProc;
  type.cbWndExtra = 2 * sizeof(LONG_PTR);
  type.hInstance = instance;
  type.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  type.lpszClassName = kProgressBarClass;
  ::RegisterClassExW(&type);  // a second registration fails harmlessly
}

void SetProgressBarValue(HWND bar, int percent) {
  const int value = std::clamp(percent, 0, design::kProgressMax);
  if (value == ProgressBarValue(bar)) return;
  ::SetWindowLongPtrW(bar, kValueSlot, value);
  ::InvalidateRect(bar, nullptr, FALSE);
}

int ProgressBarValue(HWND bar) {
  return static_cast<int>(::GetWindowLongPtrW(bar, kValueSlot));
}

}  // namespace velunor
