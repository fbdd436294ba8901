// What the replacement pass's tests share: a window that answers as told and keeps the log, a
// run that returns the error it ended with, and the names in a test folder.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/ReplaceEngine.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "common/TempDir.h"

struct FakeWindow : ReplaceWindow {
    FakeWindow(std::wstring find, std::wstring replacement, bool backup = false,
               bool caseSensitive = false, bool wholeWords = false)
        : find(std::move(find)),
          replacement(std::move(replacement)),
          caseSensitive(caseSensitive),
          wholeWords(wholeWords),
          backup(backup) {}

    std::wstring find, replacement;
    bool caseSensitive, wholeWords, backup;
    bool answerYes = false;
    std::vector<std::wstring> questions;  // caption, a bar, then the text
    std::vector<std::wstring> log;

    std::wstring TextToFind() const override { return find; }
    std::wstring ReplacementText() const override { return replacement; }
    bool CaseSensitive() const override { return caseSensitive; }
    bool WholeWordsOnly() const override { return wholeWords; }
    bool MakeBackup() const override { return backup; }
    bool AskYesNo(const std::wstring& caption, const std::wstring& text) override {
        questions.push_back(caption + L"|" + text);
        return answerYes;
    }
    void AddLogLine(const std::wstring& line) override { log.push_back(line); }
};

// Runs the pass and returns the error it raised, or an empty text.
inline std::wstring RunPass(FakeWindow& window, const TFileList& files,
                            FileOperations* operations = nullptr) {
    try {
        if (operations != nullptr)
            FindReplaceText(window, files, *operations);
        else
            FindReplaceText(window, files);
    } catch (const base::Error& error) {
        return error.Message();
    }
    return {};
}

inline std::set<std::wstring> NamesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().wstring());
    return names;
}

inline base::FileHandle Hold(const std::wstring& path, DWORD access, DWORD share) {
    return base::FileHandle(
        CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

inline std::wstring Message(const wchar_t* what, const std::wstring& path, DWORD code) {
    return what + (L" \"" + path + L"\". ") + base::SystemErrorMessage(code);
}
