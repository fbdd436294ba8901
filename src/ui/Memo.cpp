#include "ui/Memo.h"

namespace ui {

Memo::Memo(Window& parent, int x, int y, int width, int height, bool readOnly) {
    CreateParams params;
    params.className = L"EDIT";
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                   ES_NOHIDESEL | (readOnly ? ES_READONLY : 0);
    params.exStyle = WS_EX_CLIENTEDGE;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    // A log can grow well past the default limit of a multi-line edit.
    Send(EM_SETLIMITTEXT, 0);
}

void Memo::AddLine(const std::wstring& line) {
    const std::wstring text = line + L"\r\n";
    const LRESULT end = Send(WM_GETTEXTLENGTH);
    Send(EM_SETSEL, WPARAM(end), LPARAM(end));
    Send(EM_REPLACESEL, FALSE, LPARAM(text.c_str()));
    Send(EM_SCROLLCARET);
}

std::vector<std::wstring> Memo::Lines() const {
    const std::wstring text = Text();
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void Memo::Clear() { SetText(L""); }

}  // namespace ui
