// micro-pkg sign SECRET_KEY_FILE FILE [--trusted-comment TEXT] [--legacy]:
// writes FILE.minisig as minisign -S does. A password-protected key (made
// by minisign without -W) asks for its password on standard input. A
// manifest's version and expiry end the trusted comment.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <optional>

#include "command.h"
#include "command_arguments.h"
#include "files/file_text.h"
#include "files/package_manifest.h"
#include "minisign_signer.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"

namespace {

// Signed files (manifests) are small; this also bounds what is read.
constexpr std::size_t kMaxSignedBytes = 64 * 1024 * 1024;

std::optional<std::string> ReadBytes(const std::wstring& path, std::size_t limit) {
  std::string bytes;
  if (platform::ReadWholeFile(path, limit, bytes) != platform::ReadStatus::Ok) {
    std::fprintf(stderr, "micro-pkg: cannot read %s\n", platform::EncodeUtf8(path).c_str());
    return std::nullopt;
  }
  return bytes;
}

std::string FileName(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"/\\");
  return platform::EncodeUtf8(slash == std::wstring::npos ? path : path.substr(slash + 1));
}

std::optional<MinisignSecretKey> LoadSecretKey(const std::string& text) {
  std::optional<std::string> password;
  if (SecretKeyIsEncrypted(text)) {
    std::fprintf(stderr, "Password: ");
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    password = line;
  }
  SecretKeyReading reading = ReadSecretKeyFile(text, password);
  if (reading.status == SecretKeyStatus::Ok) return reading.key;
  std::fprintf(stderr, "micro-pkg: %s\n",
               reading.status == SecretKeyStatus::WrongPassword
                   ? "wrong password for the secret key"
                   : "not a minisign secret key");
  return std::nullopt;
}

// A manifest's version and expiry, as "\tversion:N\texpires:T", so that
// minisign -V shows what a signature vouches for; empty for other files.
std::string GuardsComment(const std::string& message) {
  PackageManifest manifest = ParsePackageManifest(message);
  std::string comment;
  if (manifest.version) comment += "\tversion:" + std::to_string(*manifest.version);
  if (const char* expires = manifest.document.GetString("expires")) {
    comment += std::string("\texpires:") + expires;
  }
  return comment;
}

}  // namespace

CommandResult RunSign(const std::vector<std::wstring>& arguments) {
  bool legacy = false;
  std::vector<std::wstring> rest;
  for (const std::wstring& argument : arguments) {
    if (argument == L"--legacy") {
      legacy = true;
    } else {
      rest.push_back(argument);
    }
  }
  auto parsed = ParseArguments(rest, {L"--trusted-comment"});
  if (!parsed || parsed->positional.size() != 2) return CommandResult::BadArguments;
  const std::wstring& file = parsed->positional[1];
  std::optional<std::string> secretText = ReadBytes(parsed->positional[0], kMaxTextFileBytes);
  std::optional<std::string> message = ReadBytes(file, kMaxSignedBytes);
  if (!secretText || !message) return CommandResult::Failed;
  std::optional<MinisignSecretKey> key = LoadSecretKey(*secretText);
  if (!key) return CommandResult::Failed;

  MinisignAlgorithm algorithm = legacy ? MinisignAlgorithm::Legacy : MinisignAlgorithm::Prehashed;
  // minisign's own default trusted comment.
  std::string trusted = "timestamp:" + std::to_string(std::time(nullptr)) +
                        "\tfile:" + FileName(file) + (legacy ? "" : "\thashed");
  if (parsed->options.count(L"--trusted-comment") != 0) {
    trusted = platform::EncodeUtf8(parsed->options[L"--trusted-comment"]);
  }
  trusted += GuardsComment(*message);
  std::optional<MinisignSignature> signature =
      SignMinisign(*key, *message, algorithm, "signature from micro-pkg secret key", trusted);
  if (!signature) {
    std::fprintf(stderr, "micro-pkg: cannot sign (a comment with a line break?)\n");
    return CommandResult::Failed;
  }
  std::string signatureText = FormatMinisignSignature(*signature);
  if (signatureText.size() > kMaxMinisignSignatureBytes) {
    std::fprintf(stderr,
                 "micro-pkg: the trusted comment is too long: the launcher reads signature files "
                 "of at most %zu bytes, this one would be %zu (at most %zu comment bytes fit)\n",
                 kMaxMinisignSignatureBytes, signatureText.size(),
                 kMaxMinisignSignatureBytes - (signatureText.size() - trusted.size()));
    return CommandResult::Failed;
  }
  std::wstring signaturePath = file + L".minisig";
  if (!platform::ReplaceFileContents(signaturePath, signatureText)) {
    std::fprintf(stderr, "micro-pkg: cannot write %s\n",
                 platform::EncodeUtf8(signaturePath).c_str());
    return CommandResult::Failed;
  }
  std::printf("signed %s into %s\n", platform::EncodeUtf8(file).c_str(),
              platform::EncodeUtf8(signaturePath).c_str());
  return CommandResult::Ok;
}
