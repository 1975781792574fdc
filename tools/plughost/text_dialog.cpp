#include "tools/plughost/text_dialog.h"

#include <cstdint>
#include <vector>

#include "editor/wide_text.h"

namespace {

constexpr WORD kEditId = 100;
constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;

// A DLGTEMPLATE and its items, laid out as the dialog manager reads them:
// words, UTF-16 strings, each item aligned to four bytes.
class TemplateBuilder {
 public:
  void Align() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  void Word(WORD w) {
    bytes_.push_back(static_cast<uint8_t>(w));
    bytes_.push_back(static_cast<uint8_t>(w >> 8));
  }
  void Dword(DWORD d) {
    Word(static_cast<WORD>(d));
    Word(static_cast<WORD>(d >> 16));
  }
  void Text(const std::string& text) {
    for (wchar_t c : panel_text::Wide(text)) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD windowClass,
            const std::string& text) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (short v : {x, y, cx, cy}) Word(static_cast<WORD>(v));
    Word(id);
    Word(0xFFFF);  // a predefined class, by atom
    Word(windowClass);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

 private:
  std::vector<uint8_t> bytes_;
};

struct DialogState {
  std::string* text;
  size_t maxLength;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      HWND edit = GetDlgItem(dialog, kEditId);
      SendMessageW(edit, EM_LIMITTEXT, state->maxLength, 0);
      SetWindowTextW(edit, panel_text::Wide(*state->text).c_str());
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // focus set here
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        std::vector<wchar_t> buffer(state->maxLength + 1, L'\0');
        GetDlgItemTextW(dialog, kEditId, buffer.data(), static_cast<int>(buffer.size()));
        *state->text = panel_text::Utf8(buffer.data());
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool AskForText(HWND owner, const std::string& title, const std::string& caption, std::string& text,
                size_t maxLength) {
  TemplateBuilder t;
  t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Word(4);                                 // items
  for (WORD v : {0, 0, 200, 62}) t.Word(v);  // x, y, width, height in dialog units
  t.Word(0);                                 // no menu
  t.Word(0);                                 // standard dialog class
  t.Text(title);
  t.Word(8);
  t.Text("MS Shell Dlg");
  t.Item(SS_LEFT, 7, 7, 186, 10, 0xFFFF, kStaticClass, caption);
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 186, 13, kEditId, kEditClass, "");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 41, 50, 14, IDOK, kButtonClass, "OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 41, 50, 14, IDCANCEL, kButtonClass, "Cancel");
  DialogState state{&text, maxLength};
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Data(), owner, DialogProc,
                                 reinterpret_cast<LPARAM>(&state)) == IDOK;
}
