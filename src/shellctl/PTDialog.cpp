#include "shellctl/PTDialog.h"

#include "base/Error.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace shellctl {

bool TPTDialog::Execute() {
    if (executing_) throw base::Error(ClassName() + L" already executing");
    executing_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{executing_};
    return DoExecute();
}

void TPTDialog::DoInitialized() {
    if (OnInitialized) OnInitialized(*this);
}

ui::Window* TPTDialog::OwnerWindow() const noexcept {
    return owner_ != nullptr ? owner_ : ui::App().MainWindow();
}

void TPTDialog::ApplyFormSize(ui::Form& form) const {
    form.SetSize(formWidth_ > 0 ? formWidth_ : form.Width(),
                 formHeight_ > 0 ? formHeight_ : form.Height());
    form.CentreOnScreen();
}

TWindowState TPTDialog::OpeningState() const noexcept {
    return formWindowState_ == wsMaximized ? wsMaximized : wsNormal;
}

void TPTDialog::ReadFormPlacement(const ui::Form& form) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(form.Handle(), &placement)) return;
    formWidth_ = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
    formHeight_ = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
    formWindowState_ = IsZoomed(form.Handle()) ? wsMaximized : wsNormal;
}

void TPTDialog::WriteFormData(std::vector<std::uint8_t>& stream) const {
    for (const int value : {formWidth_, formHeight_}) {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) stream.push_back(std::uint8_t(bits >> shift));
    }
    stream.push_back(formWindowState_);
}

bool TPTDialog::ReadFormData(std::span<const std::uint8_t> block) {
    if (block.size() < kFormDataSize || block[8] > wsMaximized) return false;
    const auto read = [&](std::size_t at) {
        std::uint32_t bits = 0;
        for (int i = 3; i >= 0; --i) bits = bits << 8 | block[at + i];
        return static_cast<int>(bits);
    };
    formWidth_ = read(0);
    formHeight_ = read(4);
    formWindowState_ = TWindowState(block[8]);
    return true;
}

}  // namespace shellctl
