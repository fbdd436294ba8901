#include "shell/OleRuntime.h"

#include <windows.h>
#include <ole2.h>

#include "shell/Pidl.h"
#include "shell/ShellDataBlocks.h"
#include "base/Error.h"

OleRuntime::OleRuntime() {
    // Both return S_FALSE when the thread was already initialised; that still needs its
    // matching uninitialise.
    base::ThrowIfFailed(CoInitialize(nullptr));
    const HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        CoUninitialize();
        base::ThrowIfFailed(hr);
    }
    ShellMalloc();
    RegisterShellClipboardFormats();
}

OleRuntime::~OleRuntime() {
    OleUninitialize();
    CoUninitialize();
}
