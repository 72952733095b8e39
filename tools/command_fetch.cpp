// micro-pkg fetch URL FILE [--sha256 HEX] [--limit KIB_PER_SECOND]: downloads
// exactly as the launcher fetches its package (the same download step and
// rules, resuming a "FILE.part" left by an interrupted fetch, the same
// progress callback), printing the progress and, at the end, how many
// repaints the notifications asked for. With --sha256 the file is checked as the launcher checks a
// package its manifest pins; with --limit under the cap a player's
// "download_limit" sets.
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "command.h"
#include "command_arguments.h"
#include "files/launcher_config.h"
#include "platform/archive_files.h"
#include "platform/text_codec.h"
#include "platform/trace.h"
#include "update/bind_callback.h"
#include "update/download_step.h"
#include "update/package_check.h"

namespace {

// Stands in for the panel: each repaint request prints the percent.
class ConsoleProgressView final : public PanelView {
 public:
  explicit ConsoleProgressView(const PanelState& state) : state_(state) {}
  void SetStatusText(const std::wstring&) override {}
  void ShowProgressStrip(bool) override {}
  void Invalidate() override {
    ++repaints;
    std::fprintf(stderr, "\r%3d%%", state_.m_nProgress.load());
  }
  long repaints = 0;

 private:
  const PanelState& state_;
};

// Counts the downloader's notifications on their way to the callback.
class CountingProgress final : public DownloadProgress {
 public:
  explicit CountingProgress(DownloadProgress& inner) : inner_(inner) {}
  void OnBytes(std::uint64_t received, std::uint64_t total) override {
    ++notifications;
    inner_.OnBytes(received, total);
  }
  long notifications = 0;

 private:
  DownloadProgress& inner_;
};

}  // namespace

CommandResult RunFetch(const std::vector<std::wstring>& arguments) {
  std::optional<ParsedArguments> parsed = ParseArguments(arguments, {L"--sha256", L"--limit"});
  if (!parsed || parsed->positional.size() != 2) return CommandResult::BadArguments;
  const std::wstring& url = parsed->positional[0];
  const std::wstring& file = parsed->positional[1];
  auto sha256 = parsed->options.find(L"--sha256");
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  std::unique_ptr<platform::Trace> trace = platform::MakeStdoutTrace();
  UpdateContext panel;
  panel.state = std::make_shared<PanelState>();
  panel.archiveFiles = files.get();
  panel.trace = trace.get();
  auto view = std::make_shared<ConsoleProgressView>(*panel.state);
  panel.view = view;
  CBindCallback callback(panel);
  CountingProgress counting(callback);
  std::uint64_t limit = 0;
  if (parsed->options.count(L"--limit") != 0) {
    std::optional<std::uint64_t> given =
        CountArgument(parsed->options[L"--limit"], kMostDownloadLimit);
    if (!given || *given < kLeastDownloadLimit) return CommandResult::BadArguments;
    limit = *given;
  }
  DownloadRules rules = CappedRules(PackageDownloadRules(), limit);
  rules.sha256 = sha256 != parsed->options.end();
  DownloadResult result =
      DownloadFile(*platform::MakeSystemTransport(), *platform::MakeSystemArchiveFiles(), url, file,
                   &counting, rules);
  std::fprintf(stderr,
               "\n%s: %" PRIu64 " bytes (%" PRIu64
               " resumed), %ld progress notifications, %ld repaint requests\n%s\n",
               result.Ok() ? "fetched" : "failed", result.resumedFrom + result.received,
               result.resumedFrom, counting.notifications, view->repaints,
               platform::EncodeUtf8(DescribeDownload(result)).c_str());
  if (!result.Ok()) return CommandResult::Failed;
  if (!rules.sha256) return CommandResult::Ok;
  PackageManifest pinned;
  std::string expected = platform::EncodeUtf8(sha256->second);
  pinned.packageSha256 = expected.c_str();
  if (!PackageMatchesManifest(panel, file, pinned, result.sha256)) {
    std::fprintf(stderr, "\nmicro-pkg: the file is not the one the SHA-256 names\n");
    return CommandResult::Failed;
  }
  return CommandResult::Ok;
}
