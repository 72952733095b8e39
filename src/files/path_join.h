// Joining paths the way the launcher does everywhere: one separator between
// the parts, either separator accepted in the appended part.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// `directory` followed by `more`, with exactly one platform separator between
// them and every separator in `more` turned into the platform's. Empty when the
// result would exceed the platform's path limit.
std::optional<std::wstring> JoinPath(std::wstring_view directory, std::wstring_view more);

// Everything before the last separator of `path` (empty when there is none).
std::wstring DirectoryOf(std::wstring_view path);

// True when `path`, its "." and ".." steps resolved, names something below
// `directory` (resolved alike). Letter case counts where the platform's file
// names are case-sensitive.
bool LiesBelow(std::wstring_view path, std::wstring_view directory);
