// The replacement pass of a run: every file of the set read, its matches replaced, the file
// rewritten (optionally keeping the previous content under a ".bak" name) and the outcome logged.
#pragma once

#include <string>

#include "app/FileList.h"
#include "app/FileOperations.h"
#include "app/ReplaceWindow.h"

// The question asked before rewriting many files without keeping their previous content.
extern const wchar_t kLargeSetWarningCaption[];
extern const wchar_t kLargeSetWarningText[];

// Processes fileList in order and logs one line per file and a summary. A file that cannot be
// read or written ends the pass: the summary is still logged, then the error is raised. At every
// moment each file holds its old content or its new one (see FileRewrite). A pass the window
// stops between two files logs after how many files it stopped, then the summary.
void FindReplaceText(ReplaceWindow& window, const TFileList& fileList);
// The same, making every file-system call through files.
void FindReplaceText(ReplaceWindow& window, const TFileList& fileList, FileOperations& files);

// The path with the extension of its last component replaced by ".bak", or ".bak" appended.
std::wstring BackupFileName(const std::wstring& path);
// The last component of a path.
std::wstring FileNameOf(const std::wstring& path);
