// New content for a file, written beside it first, so that the previous content stays on disk
// until the new content is complete.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "app/TextReplacer.h"
#include "ui/Handle.h"

class TempFile : public ByteSink {
  public:
    // Creates an empty temporary file in the folder of target, with the given attributes and,
    // when given, creation time. Failures raise 'Cannot create file "<target>". ...', as do
    // failures to write.
    TempFile(std::wstring target, DWORD attributes, const FILETIME* created = nullptr);
    // Removes the temporary file unless it has taken the target's place.
    ~TempFile() override;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    void Write(std::string_view bytes) override;

    // Puts the content in the target's place in one step.
    void ReplaceTarget();
    // Moves the target to backup, replacing any file there, and puts the content in the
    // target's place. False, with nothing changed, when the target cannot be moved. When the
    // content cannot be moved in, the previous content stays under the backup name and the
    // error is raised.
    bool ReplaceTargetKeeping(const std::wstring& backup);

  private:
    void Close();

    std::wstring target_;
    std::wstring path_;
    ui::FileHandle file_;
    bool placed_ = false;
};
