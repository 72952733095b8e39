// A parsed JSON text that owns its tree; string values found in it stay valid
// as long as the document lives.
#pragma once

#include <cjson/cJSON.h>

#include <optional>
#include <string>

#include "platform/unique_resource.h"

class JsonDocument {
 public:
  // Parses the zero-terminated text as cJSON_Parse would: a leading UTF-8
  // byte-order mark is skipped and anything after the root value is ignored.
  static JsonDocument Parse(const std::string& text);

  bool IsValue() const { return root_.Valid(); }
  bool IsObject() const { return cJSON_IsObject(root_.Get()) != 0; }

  // The first member whose key matches ignoring ASCII letter case; null when
  // there is none, when it is not a string, or when the root is no object.
  const char* GetString(const char* key) const;
  // The same lookup for a number member.
  std::optional<double> GetNumber(const char* key) const;
  // The member of that key, of any type; null when there is none.
  const cJSON* Get(const char* key) const;
  // Whether the root is an object with a member of that key, of any type.
  bool Has(const char* key) const;

 private:
  platform::UniqueAny<cJSON*, cJSON_Delete> root_;
};
