#include "tools/plughost/status_line.h"

#include <algorithm>

#include "editor/wide_text.h"

namespace {

constexpr int kMargin = 4;        // around the text, in pixels
constexpr int kLeastLines = 2;    // the line's height at least
constexpr int kStatusLineId = 1;  // the control's identifier in its parent
// As the static control draws SS_LEFT | SS_EDITCONTROL text.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;

HFONT StatusFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

}  // namespace

bool StatusLine::Create(HWND parent) {
  control_ =
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_EDITCONTROL | SS_NOPREFIX, 0, 0, 0,
                      0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusLineId)),
                      GetModuleHandleW(nullptr), nullptr);
  if (!control_) return false;
  SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(StatusFont()), FALSE);
  return true;
}

void StatusLine::Place(int top, int width) {
  if (!control_) return;
  width_ = width;
  const int height = WantedHeight();
  SetWindowPos(control_, nullptr, kMargin, top + kMargin, std::max(width - 2 * kMargin, 1),
               std::max(height - 2 * kMargin, 1), SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void StatusLine::Show(const std::string& text) {
  text_ = panel_text::Wide(text);
  if (control_) SetWindowTextW(control_, text_.c_str());
}

std::string StatusLine::Text() const { return panel_text::Utf8(text_); }

int StatusLine::WantedHeight() {
  wanted_ = std::max(wanted_, TextHeight(std::max(width_ - 2 * kMargin, 1)) + 2 * kMargin);
  return wanted_;
}

int StatusLine::TextHeight(int width) const {
  if (!control_) return 0;
  HDC dc = GetDC(control_);
  if (!dc) return 0;
  const HGDIOBJ previous = SelectObject(dc, StatusFont());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT box{0, 0, width, 0};
  if (!text_.empty())
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box, kTextFormat | DT_CALCRECT);
  SelectObject(dc, previous);
  ReleaseDC(control_, dc);
  return std::max<int>(box.bottom, kLeastLines * metrics.tmHeight);
}
