// What the replacement pass needs of the main window, so that it runs without the window system.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ReplaceWindow {
  public:
    virtual ~ReplaceWindow() = default;

    // The texts of edtFind and edtReplace, as typed.
    virtual std::wstring TextToFind() const = 0;
    virtual std::wstring ReplacementText() const = 0;
    // The check boxes cbCase, cbWhole and cbBackup.
    virtual bool CaseSensitive() const = 0;
    virtual bool WholeWordsOnly() const = 0;
    virtual bool MakeBackup() const = 0;
    // A modal question with an exclamation icon and the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const std::wstring& caption, const std::wstring& text) = 0;
    // Adds a line at the end of memLog.
    virtual void AddLogLine(const std::wstring& line) = 0;
    // Adds lines at the end of memLog, in order.
    virtual void AddLogLines(const std::vector<std::wstring>& lines) {
        for (const std::wstring& line : lines) AddLogLine(line);
    }
    // Asked before each file with the number of files done so far (their lines are logged);
    // false stops the pass there and leaves the remaining files untouched.
    virtual bool ContinuePass(std::size_t filesDone) {
        (void)filesDone;
        return true;
    }
};
