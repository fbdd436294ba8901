// Our temporary files: new content written beside a file before it takes the file's place, and
// the previous content of a file rewritten in place, kept beside it until the new content is
// complete. Their names say what they are, so that one left by a killed run is never taken for
// a user's file: "~lumora-new-1a2b3c4d.tmp" and "~lumora-old-1a2b3c4d-<file's name>.tmp".
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "app/FileOperations.h"
#include "app/TextReplacer.h"
#include "base/Handle.h"

// Whether a file name (without its folder) is one of our temporary files'.
bool IsTempFileName(std::wstring_view name);

class TempFile : public ByteSink {
  public:
    enum class Kind { NewContent, OldContent };

    // Creates an empty temporary file beside target (the file whose content it holds), with the
    // given attributes and, when given, security. Failures raise 'Cannot create file "<path>".
    // ...', path naming the file as the user named it; so do failures to write.
    TempFile(FileOperations& files, Kind kind, const std::wstring& target, const std::wstring& path,
             DWORD attributes, SECURITY_ATTRIBUTES* security = nullptr);
    // Removes the file unless it has taken the target's place or is to be kept.
    ~TempFile() override;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    HANDLE Handle() const noexcept { return file_.Get(); }
    void Write(std::string_view bytes) override;

    // Takes the target's place in one step, replacing it; false, with the reason in
    // GetLastError, when it cannot.
    bool TakeTargetsPlace();
    // Leaves the file where it is, closed.
    void Keep() noexcept;

  private:
    FileOperations& files_;
    std::wstring target_;
    std::wstring userPath_;
    std::wstring path_;
    base::FileHandle file_;
    bool gone_ = false;  // placed or kept
};
