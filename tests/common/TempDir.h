// Test helpers: a fresh temporary folder per test, and a recorder for message boxes.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <windows.h>

#include "ui/Dialogs.h"

namespace testing_support {

// A new empty folder under the system's temporary folder, removed with everything in it (read-only
// files included) when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's full path, without a trailing separator.
    const std::wstring& Path() const noexcept { return path_; }
    // The full path of a name relative to the folder.
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    // Writes bytes to a file (relative path), creating its folders; returns its full path.
    std::wstring Write(const std::wstring& relative, const std::string& bytes) const;
    // Creates a folder (relative path) with its parents; returns its full path.
    std::wstring MakeDir(const std::wstring& relative) const;

  private:
    std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
void RemoveTree(const std::wstring& path);

// Symbolic links made on the Unix side of Wine (where the platform shows them as the files and
// folders they lead to, and follows them), removed before the folders they live in, whose removal
// would otherwise follow them.
class UnixLinks {
  public:
    UnixLinks() = default;
    ~UnixLinks();
    UnixLinks(const UnixLinks&) = delete;
    UnixLinks& operator=(const UnixLinks&) = delete;

    // Makes path a link to target (relative to the link's folder, or absolute in Unix terms);
    // false where there is no Unix side.
    bool Make(const std::wstring& path, const std::wstring& target);

  private:
    std::vector<std::wstring> links_;
};

// Records every message box the program shows while it lives and answers each with the next
// scripted answer (IDOK when none is left).
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void Answer(int button) { answers_.push_back(button); }
    const std::vector<ui::MessageBoxRequest>& Boxes() const noexcept { return boxes_; }
    void Clear() { boxes_.clear(); }

  private:
    ui::MessageBoxHandler previous_;
    std::vector<ui::MessageBoxRequest> boxes_;
    std::deque<int> answers_;
};

}  // namespace testing_support
