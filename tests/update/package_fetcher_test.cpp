// The fetcher asks for many ranges of one version in few requests, and puts
// every byte at its offset.
#include "update/package_fetcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_transport.h"
#include "platform/archive_files.h"

namespace {

const std::wstring kPackageUrl = L"http://updates.test/GameClient.zip";

TEST(PackageFetcher, FortySpansComeInTwoRequestsEachByteAtItsOffset) {
  std::string file(100000, '\0');
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7 + i / 256);
  FakeTransport transport;
  transport.Serve(kPackageUrl, {true, file, 200, {}, "\"v1\""});
  std::unique_ptr<platform::ArchiveFiles> files = platform::MakeSystemArchiveFiles();
  DownloadRules rules = PackageDownloadRules();
  PackageFetcher fetcher(transport, *files, rules, kPackageUrl, nullptr);

  std::string got(file.size(), '-');
  auto keep = [&got](std::uint64_t offset, const char* data, std::size_t size) {
    got.replace(static_cast<std::size_t>(offset), size, data, size);
    return true;
  };
  ASSERT_TRUE(fetcher.FetchTail(10, keep).Ok());
  EXPECT_EQ(fetcher.FileSize(), file.size());
  std::vector<ByteSpan> spans;
  for (std::uint64_t i = 0; i < 40; ++i) spans.push_back({i * 2000, i * 2000 + 99});
  ASSERT_TRUE(fetcher.FetchSpans(spans, keep).Ok());

  EXPECT_EQ(transport.Requests().size(), 3u);
  EXPECT_EQ(fetcher.Requests(), 3);
  EXPECT_EQ(fetcher.BytesFetched(), 10u + 40u * 100u);
  for (const ByteSpan& span : spans) {
    EXPECT_EQ(got.substr(span.first, 100), file.substr(span.first, 100)) << span.first;
  }
  EXPECT_EQ(got.substr(file.size() - 10), file.substr(file.size() - 10));
}

}  // namespace
