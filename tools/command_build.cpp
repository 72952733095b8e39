// micro-pkg build DIR --client-url URL --exe PATH --out OUTDIR [--version N]
// [--expires-in DAYS] [--update-key KEY]... [--mirror URL]... [--chunk-min BYTES | --no-chunks]:
// packs a client directory into OUTDIR/GameClient.zip, with the chunk index
// of its large files beside it, and writes the manifest OUTDIR/pkg.json that
// points the launcher at it. PATH is the executable inside DIR.
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <limits>
#include <optional>
#include <system_error>

#include "command.h"
#include "command_arguments.h"
#include "files/utc_time.h"
#include "package_builder.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "update/download_step.h"

namespace {

// Versions are JSON numbers, exact up to 2^53; expiry is counted in whole
// days, up to a century.
constexpr std::uint64_t kMostVersion = 9007199254740992ULL;
constexpr std::uint64_t kMostExpiryDays = 36500;
// Smaller files gain little from chunks and cost index lines.
constexpr std::uint64_t kDefaultChunkMin = 1 << 20;

// The version defaults to the build time, so later builds are higher.
std::optional<ManifestExtras> ReadGuards(ParsedArguments& parsed, std::time_t now) {
  ManifestExtras guards;
  guards.version = static_cast<std::uint64_t>(now);
  if (parsed.options.count(L"--version") != 0) {
    guards.version = CountArgument(parsed.options[L"--version"], kMostVersion);
    if (!guards.version) return std::nullopt;
  }
  if (parsed.options.count(L"--expires-in") != 0) {
    std::optional<std::uint64_t> days =
        CountArgument(parsed.options[L"--expires-in"], kMostExpiryDays);
    if (!days) return std::nullopt;
    guards.expires = FormatUtcTime(now + static_cast<std::int64_t>(*days) * 86400);
  }
  for (const std::wstring& argument : parsed.repeated[L"--update-key"]) {
    std::optional<MinisignPublicKey> key = PublicKeyArgument(argument);
    if (!key) {
      std::fprintf(stderr, "micro-pkg: %s is not a minisign public key\n",
                   platform::EncodeUtf8(argument).c_str());
      return std::nullopt;
    }
    guards.updateKeys.push_back(FormatMinisignPublicKey(*key));
  }
  return guards;
}

// Writes the index beside the package, or removes one an earlier build left
// there, and names it in `package`.
bool PublishChunkIndex(const ChunkIndex& index, const std::wstring& path,
                       PackageIdentity& package) {
  if (index.entries.empty()) {
    std::error_code error;
    std::filesystem::remove(ToPath(path), error);
    return !error;
  }
  if (!platform::ReplaceFileContents(path, WriteChunkIndex(index))) return false;
  std::optional<PackageIdentity> written = IdentifyPackage(ToPath(path));
  if (!written) return false;
  package.chunksSize = written->size;
  package.chunksSha256 = written->sha256;
  return true;
}

}  // namespace

CommandResult RunBuild(const std::vector<std::wstring>& arguments) {
  std::vector<std::wstring> rest = arguments;
  bool noChunks = TakeFlag(rest, L"--no-chunks");
  auto parsed =
      ParseArguments(rest, {L"--client-url", L"--exe", L"--out", L"--version", L"--expires-in",
                            L"--update-key", L"--mirror", L"--chunk-min"});
  if (!parsed || parsed->positional.size() != 1 || parsed->options.count(L"--client-url") == 0 ||
      parsed->options.count(L"--exe") == 0 || parsed->options.count(L"--out") == 0 ||
      (noChunks && parsed->options.count(L"--chunk-min") != 0))
    return CommandResult::BadArguments;
  std::optional<ManifestExtras> guards = ReadGuards(*parsed, std::time(nullptr));
  if (!guards) return CommandResult::BadArguments;
  std::optional<std::uint64_t> chunkMin;
  if (!noChunks) chunkMin = kDefaultChunkMin;
  if (parsed->options.count(L"--chunk-min") != 0) {
    chunkMin =
        CountArgument(parsed->options[L"--chunk-min"], std::numeric_limits<std::uint64_t>::max());
    if (!chunkMin) return CommandResult::BadArguments;
  }
  for (const std::wstring& mirror : parsed->repeated[L"--mirror"]) {
    guards->mirrors.push_back(platform::EncodeAnsi(mirror));
  }
  std::filesystem::path client = ToPath(parsed->positional[0]);
  std::filesystem::path out = ToPath(parsed->options[L"--out"]);
  const std::wstring& exe = parsed->options[L"--exe"];

  std::filesystem::path exeInClient = ToPath(exe).lexically_normal();
  std::error_code error;
  bool inside = exeInClient.is_relative() && !exeInClient.has_root_name() && !exeInClient.empty() &&
                *exeInClient.begin() != "..";
  if (!inside || !std::filesystem::is_regular_file(client / exeInClient, error)) {
    std::fprintf(stderr, "micro-pkg: %s is not a file in the client directory\n",
                 platform::EncodeUtf8(exe).c_str());
    return CommandResult::Failed;
  }
  auto items = CollectDirectory(client);
  if (!items) {
    std::fprintf(stderr, "micro-pkg: cannot read the client directory\n");
    return CommandResult::Failed;
  }
  std::filesystem::create_directories(out, error);
  std::optional<ChunkIndex> index =
      WriteChunkedZipArchive(out / "GameClient.zip", *items, chunkMin);
  if (!index) {
    std::fprintf(stderr, "micro-pkg: cannot write %s\n", (out / "GameClient.zip").string().c_str());
    return CommandResult::Failed;
  }
  std::optional<PackageIdentity> package = IdentifyPackage(out / "GameClient.zip");
  std::optional<std::vector<PackageFile>> files = DigestFiles(*items);
  if (package && files) package->files = std::move(*files);
  if (!package || !files) {
    std::fprintf(stderr, "micro-pkg: cannot read %s back\n",
                 (out / "GameClient.zip").string().c_str());
    return CommandResult::Failed;
  }
  std::wstring indexPath =
      parsed->options[L"--out"] + platform::kPathSeparator + L"GameClient.zip.chunks";
  if (!PublishChunkIndex(*index, indexPath, *package)) {
    std::fprintf(stderr, "micro-pkg: cannot write %s\n", platform::EncodeUtf8(indexPath).c_str());
    return CommandResult::Failed;
  }
  std::string exePath = ManifestExePath(exeInClient);
  std::string clientUrl = platform::EncodeAnsi(parsed->options[L"--client-url"]);
  std::string exeInManifest = platform::EncodeAnsi(platform::DecodeUtf8(exePath));
  std::string manifest = ManifestText(clientUrl, exeInManifest, *package, *guards);
  // The launcher reads no manifest past 4 MiB; a client of very many files
  // goes without the list, and its signed range updates download it whole.
  if (manifest.size() > ManifestDownloadRules().mostBytes) {
    std::fprintf(stderr, "micro-pkg: %zu files would make the manifest pass 4 MiB; not listed\n",
                 package->files.size());
    package->files.clear();
    manifest = ManifestText(clientUrl, exeInManifest, *package, *guards);
  }
  std::wstring manifestPath = parsed->options[L"--out"] + platform::kPathSeparator + L"pkg.json";
  if (!platform::ReplaceFileContents(manifestPath, manifest)) {
    std::fprintf(stderr, "micro-pkg: cannot write the manifest\n");
    return CommandResult::Failed;
  }
  std::printf("%zu entries packed into %s\n", items->size(),
              (out / "GameClient.zip").string().c_str());
  if (!index->entries.empty()) {
    std::printf("%zu entries in chunks, indexed in %s\n", index->entries.size(),
                platform::EncodeUtf8(indexPath).c_str());
  }
  return CommandResult::Ok;
}
