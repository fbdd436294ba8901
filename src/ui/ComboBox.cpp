#include "ui/ComboBox.h"

#include <commctrl.h>

#include "base/Error.h"
#include "base/Strings.h"

namespace ui {

ComboBox::ComboBox(Window& parent, Style style, int x, int y, int width, int height)
    : editable_(style == Style::DropDown) {
    CreateParams params;
    params.className = WC_COMBOBOXW;
    params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL |
                   (editable_ ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
}

int ComboBox::Count() const { return int(Send(CB_GETCOUNT)); }

std::wstring ComboBox::Item(int index) const {
    const LRESULT length = Send(CB_GETLBTEXTLEN, WPARAM(index));
    if (length == CB_ERR) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    Send(CB_GETLBTEXT, WPARAM(index), LPARAM(text.data()));
    text.resize(size_t(length));
    return text;
}

std::vector<std::wstring> ComboBox::Items() const {
    std::vector<std::wstring> items;
    const int count = Count();
    for (int i = 0; i < count; ++i) items.push_back(Item(i));
    return items;
}

void ComboBox::AddItem(const std::wstring& text) {
    const LRESULT result = Send(CB_ADDSTRING, 0, LPARAM(text.c_str()));
    if (result == CB_ERR || result == CB_ERRSPACE)
        throw base::Error(L"Cannot add an item to the list");
}

void ComboBox::SetItems(const std::vector<std::wstring>& items) {
    const std::wstring text = Text();
    Clear();
    for (const std::wstring& item : items) AddItem(item);
    if (editable_) SetText(text);
}

void ComboBox::Clear() { Send(CB_RESETCONTENT); }

int ComboBox::IndexOfIgnoringCase(const std::wstring& text) const {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        // Ordinal: linguistic rules would take "Strasse" for "Straße".
        if (base::SameTextIgnoringCase(Item(i), text)) return i;
    }
    return -1;
}

int ComboBox::ItemIndex() const {
    const LRESULT index = Send(CB_GETCURSEL);
    return index == CB_ERR ? -1 : int(index);
}

void ComboBox::SetItemIndex(int index) {
    settingText_ = true;
    Send(CB_SETCURSEL, WPARAM(index));
    settingText_ = false;
}

void ComboBox::SetText(const std::wstring& text) {
    settingText_ = true;
    try {
        Window::SetText(text);
    } catch (...) {
        settingText_ = false;
        throw;
    }
    settingText_ = false;
}

bool ComboBox::HandleCommand(UINT notifyCode) {
    if (settingText_) return false;
    if (notifyCode == CBN_EDITCHANGE) {
        if (OnChange) OnChange(*this);
        return true;
    }
    if (notifyCode == CBN_SELCHANGE) {
        // The edit part still shows the previous text at this point: show the pick first.
        const int index = ItemIndex();
        if (editable_ && index >= 0) SetText(Item(index));
        if (OnChange) OnChange(*this);
        return true;
    }
    return false;
}

}  // namespace ui
