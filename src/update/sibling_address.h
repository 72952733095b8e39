// Files served beside another under its name and a suffix, found from its
// address: the manifest's signature, the package's chunk index.
#pragma once

#include <string>
#include <string_view>

// `suffix` added to the path of `url`, before any query or fragment:
// "http://h/GameClient.zip?skq=1" with ".chunks" is
// "http://h/GameClient.zip.chunks?skq=1".
std::wstring SiblingAddress(const std::wstring& url, std::wstring_view suffix);
