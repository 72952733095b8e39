// Login navigations: addresses that contain the configured login address.
#pragma once

#include <optional>
#include <string>

// The address as the browser's handlers see it: through the ANSI code page
// and back, so characters the code page cannot hold arrive as its default
// character.
std::wstring WorkingCopy(const std::wstring& address);

// The part of `address` after the first occurrence of `loginAddress`
// (case-sensitive); empty when the login address is not in it. An empty
// login address is found at the start of every address.
std::optional<std::wstring> LoginTail(const std::wstring& address,
                                      const std::wstring& loginAddress);
