// The main of every test executable: the platform set up as the program sets it up.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
