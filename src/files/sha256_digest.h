// SHA-256 of a whole file, as the manifest's "package_sha256" names it.
#pragma once

#include <optional>
#include <string>

#include "platform/archive_files.h"

// Lower-case hex of the SHA-256 of every byte of the stream; none when a read
// fails before the end or libsodium cannot be initialised.
std::optional<std::string> Sha256Hex(platform::ArchiveStream& stream);

// True when `hex` is 64 hex digits, in either case.
bool IsSha256Hex(const std::string& hex);
