#include <openssl/evp.h>

#include "platform/sha256.h"
#include "platform/unique_resource.h"

namespace platform {
namespace {

struct DigestContextTraits {
  using Handle = EVP_MD_CTX*;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle context) { return context != nullptr; }
  static bool Close(Handle context) {
    EVP_MD_CTX_free(context);
    return true;
  }
};

class OpensslSha256 final : public Sha256 {
 public:
  explicit OpensslSha256(UniqueResource<DigestContextTraits> context)
      : context_(std::move(context)) {}

  bool Update(const void* data, std::size_t size) override {
    ok_ = ok_ && EVP_DigestUpdate(context_.Get(), data, size) == 1;
    return ok_;
  }

  std::optional<Sha256Digest> Finish() override {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (!ok_ || EVP_DigestFinal_ex(context_.Get(), digest.data(), &length) != 1 ||
        length != digest.size()) {
      return std::nullopt;
    }
    return digest;
  }

 private:
  UniqueResource<DigestContextTraits> context_;
  bool ok_ = true;
};

}  // namespace

std::unique_ptr<Sha256> MakeSha256() {
  UniqueResource<DigestContextTraits> context(EVP_MD_CTX_new());
  if (!context.Valid() || EVP_DigestInit_ex(context.Get(), EVP_sha256(), nullptr) != 1) {
    return nullptr;
  }
  return std::make_unique<OpensslSha256>(std::move(context));
}

}  // namespace platform
