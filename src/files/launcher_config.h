// The launcher configuration file: where the manifest lives, the start page,
// and the address fragment that starts the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/json_document.h"
#include "files/minisign_key.h"

enum class ConfigProblem {
  None,
  Missing,
  Unreadable,
  NotAnObject,
  MissingVerUrl,
  MissingNestedPage,
  MissingLoginUrl,
  // "update_key" is there but is no minisign public key, nor an array of
  // them.
  MalformedUpdateKey,
  // "download_limit" is there but is no whole number of KiB per second from
  // kLeastDownloadLimit to kMostDownloadLimit.
  MalformedDownloadLimit,
  // Found after reading, by the check of the login address against the
  // start page.
  EmptyLoginUrl,
  LoginUrlInNestedPage,
};

// The cap's range in KiB/s. A read of the transport's 256 KiB then waits at
// most 4 s: far slower, servers would drop the connection they cannot send on.
inline constexpr std::uint64_t kLeastDownloadLimit = 64;
inline constexpr std::uint64_t kMostDownloadLimit = 1ULL << 30;

struct LauncherConfig {
  ConfigProblem problem = ConfigProblem::Missing;
  JsonDocument document;
  // Point into `document`; null when the member is absent or not a string.
  const char* verUrl = nullptr;
  const char* nestedPage = nullptr;
  const char* loginUrl = nullptr;
  // The operator's keys from the optional "update_key" (one key or an array);
  // with any, only manifests signed by one of them are installed.
  std::vector<MinisignPublicKey> updateKeys;
  // The player's cap on the package download from the optional
  // "download_limit", in KiB per second; 0 for none.
  std::uint64_t downloadLimit = 0;
};

// Reads and parses the file and looks up "ver_url", "nested_page",
// "login_url", "update_key" and "download_limit" in that order. The values are taken whatever
// `problem` says; `problem` names the first thing that makes the file unusable.
LauncherConfig ReadLauncherConfig(const std::wstring& path);

// What to tell the user about the problem; empty for ConfigProblem::None.
std::wstring ConfigProblemMessage(ConfigProblem problem);
