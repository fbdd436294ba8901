// New content for a file, written beside it first, so that the previous content stays on disk
// until the new content is complete.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "app/TextReplacer.h"
#include "base/Handle.h"

class TempFile : public ByteSink {
  public:
    // Creates an empty temporary file in the folder of target, with the given attributes and,
    // when given, creation time. With a backup name, the target will keep its previous content
    // under that name. Failures raise 'Cannot create file "<target>". ...', as do failures to
    // write.
    TempFile(std::wstring target, std::wstring backup, DWORD attributes,
             const FILETIME* created = nullptr);
    // Removes the temporary file unless it has taken the target's place.
    ~TempFile() override;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const noexcept { return path_; }
    void Write(std::string_view bytes) override;

    // Puts the content in the target's place. Without a backup name in one step. With one, the
    // target first moves to it, replacing any file there; false, with nothing changed, when it
    // cannot. When the content then cannot move in, the previous content stays under the backup
    // name and the error is raised.
    bool TakeTargetsPlace();

  private:
    void RenameThroughHandle();

    std::wstring target_;
    std::wstring backup_;
    std::wstring path_;
    base::FileHandle file_;
    bool placed_ = false;
};
