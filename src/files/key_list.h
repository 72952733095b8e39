// A set of operators' keys as the configuration's "update_key" and a signed
// manifest's "update_keys" name it: one minisign public-key line, or an
// array of them.
#pragma once

#include <cjson/cJSON.h>

#include <optional>
#include <vector>

#include "files/minisign_key.h"

// None unless `item` is a key line or a non-empty array of key lines: a
// single bad key must not quietly shrink the set the operator meant.
std::optional<std::vector<MinisignPublicKey>> ParseKeyList(const cJSON* item);
