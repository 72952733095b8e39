#include "files/json_document.h"

JsonDocument JsonDocument::Parse(const std::string& text) {
  JsonDocument document;
  // The length counts the terminating zero, so the parser stops where a
  // zero-terminated reading would.
  document.root_.Reset(cJSON_ParseWithLengthOpts(text.c_str(), text.size() + 1, nullptr, 0));
  return document;
}

const char* JsonDocument::GetString(const char* key) const {
  if (!IsObject()) return nullptr;
  const cJSON* item = cJSON_GetObjectItem(root_.Get(), key);
  return cJSON_IsString(item) ? item->valuestring : nullptr;
}

std::optional<double> JsonDocument::GetNumber(const char* key) const {
  if (!IsObject()) return std::nullopt;
  const cJSON* item = cJSON_GetObjectItem(root_.Get(), key);
  if (!cJSON_IsNumber(item)) return std::nullopt;
  return item->valuedouble;
}

const cJSON* JsonDocument::Get(const char* key) const {
  return IsObject() ? cJSON_GetObjectItem(root_.Get(), key) : nullptr;
}

bool JsonDocument::Has(const char* key) const {
  return IsObject() && cJSON_GetObjectItem(root_.Get(), key) != nullptr;
}
