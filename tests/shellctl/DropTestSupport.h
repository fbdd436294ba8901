// Helpers of the drag-and-drop tests of the shell controls: a stand-in for the shell's drop target
// of an item that notes every call and passes it on to the real one, the data of real files, and
// a look at whether a window takes drops.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <oleidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "shell/ComObject.h"

namespace testing_support {

// Notes each call as "enter|over|drop keys offered" or "leave", with its point (screen
// coordinates), and passes it on to the shell's real target when there is one (answering none
// where there is not).
class RecordingDropTarget final : public ComObject<IDropTarget> {
  public:
    RecordingDropTarget(Microsoft::WRL::ComPtr<IDropTarget> real, std::vector<std::string>& calls,
                        std::vector<POINTL>& points, IDataObject*& dropped);

    STDMETHODIMP DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    STDMETHODIMP DragLeave() override;
    STDMETHODIMP Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override;

  private:
    ~RecordingDropTarget() override = default;
    template <class Call>
    HRESULT Note(const char* what, DWORD keys, const POINTL* point, DWORD* effect, Call call);

    Microsoft::WRL::ComPtr<IDropTarget> real_;
    std::vector<std::string>& calls_;
    std::vector<POINTL>& points_;
    IDataObject*& dropped_;
};

// What reached the shell's targets during a test.
struct ShellTargetLog {
    std::vector<std::string> calls;
    std::vector<POINTL> points;
    std::vector<std::wstring> asked;  // the paths whose target was asked for
    IDataObject* dropped = nullptr;   // the data of the last Drop (not held)

    // Wraps the shell's target of the item at path.
    Microsoft::WRL::ComPtr<IDropTarget> Wrap(const std::wstring& path,
                                             Microsoft::WRL::ComPtr<IDropTarget> real);
    void Clear() { *this = ShellTargetLog(); }
};

// A list's data object of real items of a folder, by their names.
Microsoft::WRL::ComPtr<IDataObject> FileData(const std::wstring& folder,
                                             const std::vector<std::wstring>& names);
// The data of the computer (a virtual item of the desktop that cannot be copied or moved).
Microsoft::WRL::ComPtr<IDataObject> ComputerData();
// The file names of the data's file drop list.
std::vector<std::wstring> DroppedFiles(IDataObject* data);

// Whether the platform holds a drop target for the window.
bool TakesDrops(HWND window);

}  // namespace testing_support
