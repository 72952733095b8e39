// Whole update runs behind the user's proxy, the one the page follows: the
// manifest and the package come through a loopback forward proxy that the
// system's proxy setting names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "forward_proxy.h"
#include "http_test_server.h"
#include "package_builder.h"
#include "system_proxy_setting.h"
#include "update_harness.h"

namespace {

using std::chrono::milliseconds;

class ProxyUpdateTest : public ::testing::Test {
 protected:
  ProxyUpdateTest() {
    std::vector<ArchiveItem> items(1);
    items[0].name = "game.exe";
    items[0].bytes = "game v1";
    EXPECT_TRUE(WriteZipArchive(scratch.Path() / "built.zip", items));
    server.Serve("/GameClient.zip", scratch.Read(L"built.zip"));
    server.Serve("/pkg.json", ManifestText(server.Address("/GameClient.zip"), "game.exe", {}));
  }

  void ExpectInstalledThroughTheProxy() {
    UpdateHarness harness(platform::MakeSystemTransport({milliseconds(2000), milliseconds(2000)}),
                          server.Address("/pkg.json"));
    harness.Start();
    EXPECT_EQ(harness.Wait(), UpdateOutcome::Installed);
    EXPECT_EQ(harness.ReadClientFile(L"game.exe"), "game v1");
    // A busy machine may see the package asked for again: through the proxy too.
    auto forwarded = proxy.Forwarded();
    ASSERT_GE(forwarded.size(), 2u);
    EXPECT_THAT(forwarded[0], testing::StartsWith(server.Address("/pkg.json?")));
    for (std::size_t i = 1; i < forwarded.size(); ++i) {
      EXPECT_THAT(forwarded[i], testing::StartsWith(server.Address("/GameClient.zip")));
    }
    EXPECT_EQ(static_cast<std::size_t>(server.Hits("/pkg.json") + server.Hits("/GameClient.zip")),
              forwarded.size())
        << testing::PrintToString(forwarded);
  }

  HttpTestServer server;
  ForwardProxy proxy;
  TempDir scratch;
};

TEST_F(ProxyUpdateTest, TheCheckAndTheDownloadGoThroughTheUsersProxy) {
  auto setting = SystemProxySetting::Fixed(proxy.HostPort());
  ExpectInstalledThroughTheProxy();
}

#ifdef _WIN32
TEST_F(ProxyUpdateTest, TheCheckAndTheDownloadGoThroughTheProxyOfTheUsersScript) {
  server.Serve("/proxy.pac", "function FindProxyForURL(url, host) { return \"PROXY " +
                                 proxy.HostPort() + "\"; }");
  auto setting = SystemProxySetting::Script(server.Address("/proxy.pac"));
  ExpectInstalledThroughTheProxy();
}
#endif

}  // namespace
