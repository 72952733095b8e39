// Whether a downloaded manifest may be installed: with the operator's keys,
// it must be signed by a trusted key, pin the package and pass the rules of
// micro/trust.json; without keys every manifest may, as before keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/package_manifest.h"
#include "files/trust_record.h"
#include "update/update_context.h"

struct ManifestVerdict {
  // The status line's text when the manifest is refused; null when trusted.
  const wchar_t* refusal = nullptr;
  // What micro/trust.json must say before any package byte is fetched;
  // none when it stays as it is.
  std::optional<TrustRecord> record;
};

// `bytes` is the manifest as downloaded. Every refusal is traced.
ManifestVerdict JudgeDownloadedManifest(const UpdateContext& context,
                                        const std::wstring& manifestUrl,
                                        const std::wstring& signaturePath,
                                        const std::wstring& trustPath, std::string_view bytes,
                                        const PackageManifest& manifest);
