// Creates every missing directory of a path.
#pragma once

#include <string>

// Each prefix that ends with a separator ('\\' or '/') is made a directory
// when nothing exists there; a last component without a trailing separator is
// not. Returns 0, or -1 when a directory could not be created (later prefixes
// are then not tried). Any length is accepted.
int CreateDirectoryPath(const std::wstring& path);

// The same for a path in the ANSI code page.
int CreateDirectoryPath(const char* ansiPath);
