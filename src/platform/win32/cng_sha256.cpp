#include <windows.h>

#include <bcrypt.h>

#include "platform/sha256.h"
#include "platform/unique_resource.h"

namespace platform {
namespace {

struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle hash) { return hash != nullptr; }
  static bool Close(Handle hash) { return BCRYPT_SUCCESS(BCryptDestroyHash(hash)); }
};

struct ProviderTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle provider) { return provider != nullptr; }
  static bool Close(Handle provider) {
    return BCRYPT_SUCCESS(BCryptCloseAlgorithmProvider(provider, 0));
  }
};

class CngSha256 final : public Sha256 {
 public:
  CngSha256(UniqueResource<ProviderTraits> provider, UniqueResource<HashTraits> hash)
      : provider_(std::move(provider)), hash_(std::move(hash)) {}

  // CNG takes at most 4 GiB a call.
  bool Update(const void* data, std::size_t size) override {
    auto bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    while (ok_ && size > 0) {
      ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
      ok_ = BCRYPT_SUCCESS(BCryptHashData(hash_.Get(), bytes, piece, 0));
      bytes += piece;
      size -= piece;
    }
    return ok_;
  }

  std::optional<Sha256Digest> Finish() override {
    Sha256Digest digest{};
    if (!ok_ || !BCRYPT_SUCCESS(BCryptFinishHash(hash_.Get(), digest.data(),
                                                 static_cast<ULONG>(digest.size()), 0))) {
      return std::nullopt;
    }
    return digest;
  }

 private:
  UniqueResource<ProviderTraits> provider_;
  UniqueResource<HashTraits> hash_;
  bool ok_ = true;
};

}  // namespace

std::unique_ptr<Sha256> MakeSha256() {
  UniqueResource<ProviderTraits> provider;
  if (!BCRYPT_SUCCESS(
          BCryptOpenAlgorithmProvider(provider.Put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return nullptr;
  }
  // With no object buffer CNG allocates the hash object itself (Windows 7 on).
  UniqueResource<HashTraits> hash;
  if (!BCRYPT_SUCCESS(BCryptCreateHash(provider.Get(), hash.Put(), nullptr, 0, nullptr, 0, 0))) {
    return nullptr;
  }
  return std::make_unique<CngSha256>(std::move(provider), std::move(hash));
}

}  // namespace platform
