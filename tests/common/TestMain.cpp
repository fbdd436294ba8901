// The main of every test executable: the platform set up as the program sets it up.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gmock/gmock.h>

namespace {

// A crash ends the program at once with the exception's code as its exit code: no error box and
// no debugger, either of which would wait for a user that a test run does not have. The last
// "[ RUN      ]" line (GoogleTest flushes it) names the test that crashed.
LONG WINAPI EndOnUnhandledException(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    char text[96];
    const int length =
        wsprintfA(text, "\nunhandled exception 0x%08lX at %p: ending the test program\n",
                  record.ExceptionCode, record.ExceptionAddress);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, DWORD(length), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnUnhandledException);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
