// The base of the components that run a window of theirs modally: the window's size and state
// kept from one run to the next, the guard against a run inside a run, and the event fired once
// the window is prepared.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include <windows.h>

namespace ui {
class Form;
class Window;
}  // namespace ui

namespace shellctl {

// The state a dialog window opens in; stored as one byte.
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };

class TPTDialog {
  public:
    // owner: the window the dialog's window stays above and disables while it runs; none means
    // the application's main window.
    explicit TPTDialog(ui::Window* owner = nullptr) noexcept : owner_(owner) {}
    virtual ~TPTDialog() = default;
    TPTDialog(const TPTDialog&) = delete;
    TPTDialog& operator=(const TPTDialog&) = delete;

    // Runs the dialog modally; true when the user confirmed it. A run started while one runs
    // raises "<class name> already executing".
    bool Execute();
    bool Executing() const noexcept { return executing_; }

    // The outer size of the window, used when greater than 0; after a run, the size it had in
    // its normal (restored) state.
    int FormWidth() const noexcept { return formWidth_; }
    void SetFormWidth(int width) noexcept { formWidth_ = width; }
    int FormHeight() const noexcept { return formHeight_; }
    void SetFormHeight(int height) noexcept { formHeight_ = height; }
    TWindowState FormWindowState() const noexcept { return formWindowState_; }
    void SetFormWindowState(TWindowState state) noexcept { formWindowState_ = state; }

    // Fired after the window has been prepared and before it is shown.
    std::function<void(TPTDialog& Sender)> OnInitialized;

    // The stored form of the three form values: width and height (4 bytes each), then the state
    // (1 byte), little-endian.
    static constexpr std::size_t kFormDataSize = 9;

  protected:
    // The name errors are reported under.
    virtual std::wstring ClassName() const { return L"TPTDialog"; }
    // One run, with the executing flag set.
    virtual bool DoExecute() = 0;
    virtual void DoInitialized();

    // The owner of the dialog's window: the one given, else the main window (if any).
    ui::Window* OwnerWindow() const noexcept;
    // Sizes a prepared window as remembered and centres it on the screen.
    void ApplyFormSize(ui::Form& form) const;
    // The state to open in: a minimised dialog could not be used, so it opens normal.
    TWindowState OpeningState() const noexcept;
    // Remembers the size of the window's normal rectangle and its state.
    void ReadFormPlacement(const ui::Form& form);

    // Appends the stored form to stream.
    void WriteFormData(std::vector<std::uint8_t>& stream) const;
    // Reads a stored form from the start of block; false, changing nothing, when the block is
    // short or holds a state that does not exist.
    bool ReadFormData(std::span<const std::uint8_t> block);

  private:
    ui::Window* owner_;
    int formWidth_ = -1;
    int formHeight_ = -1;
    TWindowState formWindowState_ = wsNormal;
    bool executing_ = false;
};

}  // namespace shellctl
