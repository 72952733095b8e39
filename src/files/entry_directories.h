// Making the directories an extracted entry needs, and the path rules that
// place a target name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/archive_files.h"

// A name that is not placed below a base: it begins with a separator or its
// second character is ':'.
bool IsAbsoluteTargetName(std::wstring_view name);

// Every separator turned into the platform's own.
std::wstring ToPlatformSeparators(std::wstring_view path);

// Creates `base` (one level) when nothing exists there, then each directory of
// `path` below it, parents first; `path` is taken as it is when there is no
// base. Failures are not reported: a missing directory shows when the file in
// it cannot be created.
void CreateEntryDirectories(const platform::ArchiveFiles& files,
                            const std::optional<std::wstring>& base, std::wstring_view path);
