// The two browser-plug-in caches in the user's profile that the clear-cache
// command empties.
#pragma once

namespace platform {
class FolderCleaner;
}

// Empties both folders (each is kept); true when both deletions succeeded.
// Both are tried even when the first fails; without a home, neither is.
bool ClearPluginCaches(const platform::FolderCleaner& folders);
