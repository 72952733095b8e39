// Entry names as stored in an archive, made safe to use below a directory.
#pragma once

#include <string>
#include <string_view>

// The stored bytes up to any zero byte, decoded as UTF-8 whatever the entry's
// language-encoding flag says; invalid bytes become U+FFFD.
std::wstring DecodeEntryName(std::string_view bytes);

// Drops drive prefixes, leading separators and every ".." step, so the name is
// relative and never climbs above the directory it is placed in. Everything
// up to a ".." step is dropped, not resolved: a/b/../c.txt becomes c.txt.
std::wstring CleanEntryName(std::wstring name);

// True when a relative name's ".." steps would climb above its base.
bool ClimbsAboveBase(std::wstring_view relativeName);
