#include "files/key_list.h"

namespace {

std::optional<MinisignPublicKey> ParseKeyItem(const cJSON* item) {
  if (!cJSON_IsString(item)) return std::nullopt;
  return ParseMinisignPublicKey(item->valuestring);
}

}  // namespace

std::optional<std::vector<MinisignPublicKey>> ParseKeyList(const cJSON* item) {
  if (cJSON_IsString(item)) {
    std::optional<MinisignPublicKey> key = ParseKeyItem(item);
    if (!key) return std::nullopt;
    return std::vector<MinisignPublicKey>{*key};
  }
  if (!cJSON_IsArray(item)) return std::nullopt;
  std::vector<MinisignPublicKey> keys;
  const cJSON* element = nullptr;
  cJSON_ArrayForEach(element, item) {
    std::optional<MinisignPublicKey> key = ParseKeyItem(element);
    if (!key) return std::nullopt;
    keys.push_back(*key);
  }
  if (keys.empty()) return std::nullopt;
  return keys;
}
