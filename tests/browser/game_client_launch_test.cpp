// Starts a real stand-in client through LaunchGameClient and reads back the
// arguments it received.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "browser/explorer_page.h"
#include "browser/navigation_handlers.h"
#include "core/panel_state.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_launch_services.h"
#include "files/path_join.h"
#include "platform/environment.h"
#include "platform/process_launcher.h"
#include "platform/text_codec.h"
#include "temp_dir.h"

namespace {

#ifdef _WIN32
const char kClientName[] = "qelt_echo_client.exe";
std::filesystem::path ToPath(const std::wstring& path) {
  return path;
}
#else
const char kClientName[] = "qelt_echo_client";
std::filesystem::path ToPath(const std::wstring& path) {
  return platform::EncodeUtf8(path);
}
#endif

std::filesystem::path EchoClient() {
  std::wstring self = platform::MakeSystemEnvironment()->ExecutablePath();
  return ToPath(DirectoryOf(self)) / kClientName;
}

// The arguments the client wrote, or nothing when it did not run in time.
std::optional<std::vector<std::string>> ReceivedArguments(const std::filesystem::path& file) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(file)) {
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1) {
    arguments.push_back(bytes.substr(start, end - start));
  }
  return arguments;
}

class RealLaunch : public ::testing::TestWithParam<std::wstring> {};

TEST_P(RealLaunch, ClientReceivesTheTailExactly) {
  const std::wstring& tail = GetParam();
  TempDir root;
  FakeEnvironment environment(root.Wide() + L"launcher.exe");
  PanelState state(environment);
  std::filesystem::path clientDirectory = ToPath(state.m_strMicroDir) / "GameClient";
  std::filesystem::create_directories(clientDirectory);
  std::filesystem::copy_file(EchoClient(), clientDirectory / kClientName);
  std::string exePath = std::string("GameClient\\") + kClientName;
  state.m_exePath = exePath.c_str();
  state.m_loginUrl = "/login.do?";

  CExplorer_page explorer;
  FakeNavigationView view;
  std::unique_ptr<platform::ProcessLauncher> launcher = platform::MakeSystemProcessLauncher();
  FakeShell shell;
  FakeTrace trace;
  platform::Services services{&environment, nullptr, launcher.get(), &shell, &trace};
  NavigationHandlers handlers(state, explorer, view, services);

  handlers.LaunchGameClient(L"http://s/login.do?" + tail);
  EXPECT_EQ(view.statusText, L"");
  EXPECT_EQ(view.panelEnds, 1);

  auto arguments = ReceivedArguments(clientDirectory / "args.bin");
  ASSERT_TRUE(arguments) << "the client did not run";
  EXPECT_EQ(*arguments, (std::vector<std::string>{"0", platform::EncodeUtf8(tail)}));
}

INSTANTIATE_TEST_SUITE_P(Tails, RealLaunch,
                         ::testing::Values(L"sid=1&token=abc", L"", L"with spaces  and more",
                                           L"quote\" \"-injected\" \"x",
                                           L"back\\slash\\\\ and trailing\\", L"before\\\"quote",
                                           L"100% %s %d %n %%PATH%%", L"\u767B\u5F55 \u00E9\u00DF",
                                           L"$(touch pwned) `x` ; | & > <"));

TEST(RealLaunchFailure, MissingExecutableKeepsTheLauncherOpen) {
  TempDir root;
  FakeEnvironment environment(root.Wide() + L"launcher.exe");
  PanelState state(environment);
  state.m_exePath = "GameClient\\absent.exe";
  state.m_loginUrl = "/login.do?";
  CExplorer_page explorer;
  FakeNavigationView view;
  std::unique_ptr<platform::ProcessLauncher> launcher = platform::MakeSystemProcessLauncher();
  FakeShell shell;
  FakeTrace trace;
  platform::Services services{&environment, nullptr, launcher.get(), &shell, &trace};
  NavigationHandlers handlers(state, explorer, view, services);

  handlers.LaunchGameClient(L"http://s/login.do?sid=1");
  EXPECT_EQ(view.panelEnds, 0);
  EXPECT_EQ(view.closeRequests, 0);
  EXPECT_EQ(view.statusText, L"游戏客户端启动失败，请重试");
}

}  // namespace
