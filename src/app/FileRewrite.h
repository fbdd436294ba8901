// Puts new content in a file's place so that at every moment the file holds its old content or
// its new one, and once it holds the new one its backup (when one is asked for) holds the old.
//
// The file itself gets the new content: a name that is a link stays a link, and the file it
// leads to is rewritten.
// - A file with one name is rewritten through a temporary file beside it, which takes the file's
//   place in one rename. It keeps the file's hidden and system attributes, creation time, access
//   control list and alternate data streams where the volume has them, and gets the archive bit.
// - A file with several names is written over in place, so that every name sees the new content.
//   Its old content waits beside it meanwhile, in its backup or in a temporary file, and is written
//   back should the writing fail.
// The backup is made first, while the file stays in place: a second name of the old file where
// the volume allows it (nothing is copied), a copy of its content otherwise.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "app/FileOperations.h"
#include "app/TempFile.h"
#include "app/TextReplacer.h"
#include "base/Handle.h"

// A file as the pass has read it, held open against writers until its new content is in place.
struct SourceFile {
    std::wstring path;  // as the user named it
    base::FileHandle handle;
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
};

// A file's access control list, copied.
struct AccessList {
    std::vector<DWORD> words;  // the list, aligned as one must be; empty for none
    bool isProtected = false;  // from what its folder passes on
    bool operator==(const AccessList&) const = default;
};

// The access control list a new file gets in each folder, learnt from the first file made there.
using NewFileAccess = std::map<std::wstring, std::optional<AccessList>>;

class FileRewrite {
  public:
    // backup: the backup's path, or empty for none. oldContent: the file's bytes as read; it must
    // outlive this object. newFileAccess is kept from file to file. Raises 'Cannot create file'
    // when no place for the content can be made.
    FileRewrite(FileOperations& files, SourceFile& source, std::wstring backup,
                std::string_view oldContent, NewFileAccess& newFileAccess);
    FileRewrite(const FileRewrite&) = delete;
    FileRewrite& operator=(const FileRewrite&) = delete;

    // Where the new content goes.
    ByteSink& Content() noexcept;
    // Makes the backup, then puts the new content in place. False, with nothing changed, when the
    // backup cannot be made; raises 'Cannot create file' when the content cannot take the file's
    // place, the file then holding its old content.
    bool Commit();

  private:
    class Bytes : public ByteSink {
      public:
        void Write(std::string_view bytes) override { text.append(bytes); }
        std::string text;
    };

    void CreateTemp(NewFileAccess& newFileAccess);
    bool CommitByRename();
    bool CommitInPlace();
    void KeepStreams();
    void CopyStream(const std::wstring& name);
    bool MakeBackup(bool mayLink);
    void DropReadOnly();
    void RestoreReadOnly() noexcept;
    bool WriteInPlace(HANDLE file, std::string_view bytes);
    [[noreturn]] void Fail(DWORD error);

    FileOperations& files_;
    SourceFile& source_;
    std::wstring backup_;
    std::string_view old_;
    std::wstring target_;  // the file itself, past any link
    bool readOnly_;
    bool inPlace_;
    bool readOnlyDropped_ = false;
    std::optional<TempFile> temp_;
    Bytes bytes_;
};
