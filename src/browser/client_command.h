// The game client's command: its executable, the number 0 and the login
// tail, as "\"%s\" %d \"%s\"".
#pragma once

#include <optional>
#include <string>

#include "platform/process_launcher.h"

// 2048 characters with the terminator.
inline constexpr std::size_t kMaxCommandLineChars = 2047;

// `argument` in quotation marks, escaped so that CommandLineToArgvW (and the
// C runtime) reads back exactly `argument`: backslashes before a quotation
// mark or before the closing quotation mark are doubled, and the quotation
// mark itself gets a backslash.
std::wstring QuoteCommandLineArgument(const std::wstring& argument);

// Empty when the command cannot be formed: an executable path holding a
// quotation mark (the program name is read without escapes), or a command
// line longer than the launcher's command-line buffer holds.
std::optional<platform::ProcessCommand> FormGameClientCommand(const std::wstring& executable,
                                                              const std::wstring& loginTail);
