// The range update's outcome is a value the caller can act on, and its
// reason in the trace keeps the system's cause.
#include <gtest/gtest.h>

#include "fakes/fake_launch_services.h"
#include "fakes/fake_transport.h"
#include "platform/archive_files.h"
#include "platform/file_system.h"
#include "temp_dir.h"
#include "update/delta_update.h"

namespace {

const std::wstring kPackageUrl = L"http://updates.test/GameClient.zip";

TEST(DeltaOutcome, SaysWhyTheRangeUpdateWasNotUsed) {
  TempDir dir;
  FakeTransport transport;
  FakeTrace trace;
  DownloadRules rules = PackageDownloadRules();
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  PackageManifest manifest;
  PackageFetcher fetcher(transport, *files, rules, kPackageUrl, nullptr);
  ClientApplier applier(*files, trace, dir.WideFile(L"GameClient"), dir.WideFile(L"pkg.json"));
  DeltaUpdate update{fetcher,  *files, trace,  applier, dir.WideFile(L"GameClient.zip.delta"),
                     manifest, {},     nullptr};
  EXPECT_EQ(InstallChangedEntries(update).outcome, DeltaOutcome::NoInstall);
  EXPECT_EQ(trace.Text(), L"");

  ASSERT_TRUE(platform::MakeDirectory(dir.WideFile(L"GameClient")));
  transport.Serve(kPackageUrl, {true, "the whole package", 200, {}});
  DeltaResult refused = InstallChangedEntries(update);
  EXPECT_EQ(refused.outcome, DeltaOutcome::FetchFailed);
  EXPECT_EQ(refused.reason, L"range refused (200)");

  transport.Serve(kPackageUrl, {false, {}, 0, {7, L"Failed to connect"}});
  DeltaResult broken = InstallChangedEntries(update);
  EXPECT_EQ(broken.outcome, DeltaOutcome::FetchFailed);
  EXPECT_EQ(broken.reason, L"transfer failed; error 7: Failed to connect");
  EXPECT_NE(trace.Text().find(L"\ndelta update not used: " + broken.reason), std::wstring::npos)
      << trace.Text();
}

}  // namespace
