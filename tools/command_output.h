// Printing for the commands: wide text goes out as UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <string_view>

#include "files/zip_reader.h"

void PrintLine(std::string_view narrowPrefix, std::wstring_view wideText);

// "ArchiveOk", "ArchiveFileError", ...; the number in hex for an unknown code.
const char* ArchiveResultName(ArchiveResult result);
