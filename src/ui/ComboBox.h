// A combo box: editable (a text with a drop-down list) or a drop-down list only.
#pragma once

#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

class ComboBox : public Window {
  public:
    enum class Style { DropDown, DropDownList };
    ComboBox(Window& parent, Style style, int x, int y, int width, int height = 200);

    std::vector<std::wstring> Items() const;
    int Count() const;
    std::wstring Item(int index) const;
    void AddItem(const std::wstring& text);
    void SetItems(const std::vector<std::wstring>& items);
    void Clear();
    // The index of the item equal to text ignoring letter case (ordinal, as names compare), or -1.
    int IndexOfIgnoringCase(const std::wstring& text) const;

    // The selected item's index, or -1.
    int ItemIndex() const;
    // Selects an item (or none with -1); the text becomes that item's. Raises no event.
    void SetItemIndex(int index);
    // Setting the text from code raises no event.
    void SetText(const std::wstring& text) override;

    // The user changed the text: an edit, or a pick from the list (the text already reads the
    // picked item when the event runs).
    NotifyEvent OnChange;

  protected:
    bool HandleCommand(UINT notifyCode) override;

  private:
    bool editable_;
    bool settingText_ = false;
};

}  // namespace ui
