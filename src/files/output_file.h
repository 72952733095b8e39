// The one rule for putting an extracted file where an earlier install may
// have left one.
#pragma once

#include <memory>
#include <string>

#include "platform/archive_files.h"

// A new file at `path`. A file already there is made writable, removed and
// created anew rather than overwritten: a game client still running from it
// keeps its copy, Windows refuses to open a hidden or read-only file for
// replacing, and a read-only file of our own earlier install must not block
// every later update. Null when a directory is in the way or the old file
// cannot be removed (in use on Windows).
std::unique_ptr<platform::OutputFile> ReplaceOutputFile(const platform::ArchiveFiles& files,
                                                        const std::wstring& path,
                                                        const platform::OutputFileMode& mode);
