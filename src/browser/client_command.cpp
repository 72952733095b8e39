#include "browser/client_command.h"

std::wstring QuoteCommandLineArgument(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

std::optional<platform::ProcessCommand> FormGameClientCommand(const std::wstring& executable,
                                                              const std::wstring& loginTail) {
  if (executable.find(L'"') != std::wstring::npos) return std::nullopt;
  platform::ProcessCommand command;
  command.executable = executable;
  command.arguments = {L"0", loginTail};
  command.commandLine = L"\"" + executable + L"\" 0 " + QuoteCommandLineArgument(loginTail);
  if (command.commandLine.size() > kMaxCommandLineChars) return std::nullopt;
  return command;
}
