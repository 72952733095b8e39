// File attributes and permissions of an entry, from the system that made it.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/archive_files.h"

// Attribute bits (read-only, hidden, system, directory, archive) from the
// central directory's "version made by" and external attributes.
std::uint32_t EntryAttributes(std::uint16_t versionMadeBy, std::uint32_t externalAttributes);

// A directory entry: by its attributes, or by a name that ends in a
// separator, which is all many zip writers mark one with. `storedName` is the
// decoded name before it is cleaned.
bool IsDirectoryEntry(std::uint16_t versionMadeBy, std::uint32_t externalAttributes,
                      std::wstring_view storedName);

// How to create the entry's file: its attributes, and Unix permissions that
// keep the execute bits of an entry made on a Unix host and drop the write
// bits of a read-only one.
platform::OutputFileMode EntryFileMode(std::uint16_t versionMadeBy,
                                       std::uint32_t externalAttributes);
