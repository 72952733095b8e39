// The manifest's signature: served beside it as "<manifest path>.minisig",
// downloaded into the client root and checked with the operator's key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/minisign_key.h"
#include "files/minisign_signature.h"
#include "files/package_manifest.h"
#include "update/update_context.h"

// The signature's address: ".minisig" added to the path of `manifestUrl`,
// before any query or fragment.
std::wstring SignatureAddress(const std::wstring& manifestUrl);

// Downloads the signature of `manifestUrl` (with a cache-buster) to
// `signaturePath` and verifies `manifestBytes`, the manifest as downloaded:
// Valid when one of `keys` made it. A signature that cannot be downloaded or
// read is Malformed. Every failure is traced.
SignatureCheck CheckManifestSignature(const UpdateContext& context,
                                      const std::vector<MinisignPublicKey>& keys,
                                      const std::wstring& manifestUrl,
                                      const std::wstring& signaturePath,
                                      std::string_view manifestBytes);

// "\n更新信息校验失败：<reason>" in the trace.
void TraceManifestRefusal(const UpdateContext& context, std::string_view reason);

// A signed manifest must also pin the package's bytes, or the package could
// still be swapped on the way.
bool PinsPackage(const PackageManifest& manifest);
