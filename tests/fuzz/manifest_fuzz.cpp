// libFuzzer target: a manifest as a server sends it. Every string it yields
// must be readable to its end, and the listed files must come from "files".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/package_manifest.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::size_t Touch(const char* text) {
  return text == nullptr ? 0 : std::strlen(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PackageManifest manifest =
      ParsePackageManifest(std::string(reinterpret_cast<const char*>(data), size));
  Touch(manifest.clientUrl);
  Touch(manifest.exePath);
  Touch(manifest.packageSha256);
  if (manifest.IsUsable() && !manifest.document.IsObject()) Fail("usable without an object");
  if (manifest.files) {
    const cJSON* list = manifest.document.Get("files");
    if (!cJSON_IsArray(list) ||
        static_cast<std::size_t>(cJSON_GetArraySize(list)) != manifest.files->size()) {
      Fail("files that \"files\" does not list");
    }
  }
  return 0;
}
