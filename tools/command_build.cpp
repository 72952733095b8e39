// micro-pkg build DIR --client-url URL --exe PATH --out OUTDIR: packs a client
// directory into OUTDIR/GameClient.zip and writes the manifest OUTDIR/pkg.json
// that points the launcher at it. PATH is the executable inside DIR.
#include <cstdio>
#include <optional>
#include <system_error>

#include "command.h"
#include "command_arguments.h"
#include "package_builder.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "update/download_step.h"

CommandResult RunBuild(const std::vector<std::wstring>& arguments) {
  auto parsed = ParseArguments(arguments, {L"--client-url", L"--exe", L"--out"});
  if (!parsed || parsed->positional.size() != 1 || parsed->options.size() != 3)
    return CommandResult::BadArguments;
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
  if (!WriteZipArchive(out / "GameClient.zip", *items)) {
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
  std::string exePath = ManifestExePath(exeInClient);
  std::string clientUrl = platform::EncodeAnsi(parsed->options[L"--client-url"]);
  std::string exeInManifest = platform::EncodeAnsi(platform::DecodeUtf8(exePath));
  std::string manifest = ManifestText(clientUrl, exeInManifest, *package);
  // The launcher reads no manifest past 1 MiB; a client of very many files
  // goes without the list, and its signed range updates download it whole.
  if (manifest.size() > ManifestDownloadRules().mostBytes) {
    std::fprintf(stderr, "micro-pkg: %zu files would make the manifest pass 1 MiB; not listed\n",
                 package->files.size());
    package->files.clear();
    manifest = ManifestText(clientUrl, exeInManifest, *package);
  }
  std::wstring manifestPath = parsed->options[L"--out"] + platform::kPathSeparator + L"pkg.json";
  if (!platform::ReplaceFileContents(manifestPath, manifest)) {
    std::fprintf(stderr, "micro-pkg: cannot write the manifest\n");
    return CommandResult::Failed;
  }
  std::printf("%zu entries packed into %s\n", items->size(),
              (out / "GameClient.zip").string().c_str());
  return CommandResult::Ok;
}
