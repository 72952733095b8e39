#include "files/launcher_config.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <future>

#include "minisign_signer.h"
#include "temp_dir.h"

namespace {

LauncherConfig ReadText(std::string_view text) {
  TempDir dir;
  dir.Write(L"launcher.json", text);
  return ReadLauncherConfig(dir.WideFile(L"launcher.json"));
}

TEST(LauncherConfig, ReadsTheThreeValues) {
  LauncherConfig config = ReadText(
      R"({"ver_url": "http://h/pkg.json", "nested_page": "http://h/", "login_url": "/login?"})");
  EXPECT_EQ(config.problem, ConfigProblem::None);
  EXPECT_STREQ(config.verUrl, "http://h/pkg.json");
  EXPECT_STREQ(config.nestedPage, "http://h/");
  EXPECT_STREQ(config.loginUrl, "/login?");
}

TEST(LauncherConfig, KeysMatchInAnyLetterCaseAndFirstDuplicateWins) {
  LauncherConfig config = ReadText(
      R"({"VER_URL": "first", "ver_url": "second", "Nested_Page": "p", "LOGIN_url": "l"})");
  EXPECT_EQ(config.problem, ConfigProblem::None);
  EXPECT_STREQ(config.verUrl, "first");
  EXPECT_STREQ(config.nestedPage, "p");
  EXPECT_STREQ(config.loginUrl, "l");
}

TEST(LauncherConfig, SkipsByteOrderMarkAndIgnoresTextAfterTheObject) {
  LauncherConfig config = ReadText(
      "\xEF\xBB\xBF{\"ver_url\":\"v\",\"nested_page\":\"n\",\"login_url\":\"l\"} trailing {junk");
  EXPECT_EQ(config.problem, ConfigProblem::None);
  EXPECT_STREQ(config.loginUrl, "l");
}

TEST(LauncherConfig, ZeroByteEndsTheText) {
  using namespace std::string_literals;
  LauncherConfig config =
      ReadText("{\"ver_url\":\"v\",\"nested_page\":\"n\",\"login_url\":\"l\"}\0garbage"s);
  EXPECT_EQ(config.problem, ConfigProblem::None);
  config = ReadText("{\"ver_url\":\"v\",\0\"nested_page\":\"n\"}"s);
  EXPECT_EQ(config.problem, ConfigProblem::NotAnObject);
}

TEST(LauncherConfig, ControlZEndsTheText) {
  LauncherConfig config = ReadText("{\"ver_url\":\"v\",\x1A\"nested_page\":\"n\"}");
  EXPECT_EQ(config.problem, ConfigProblem::NotAnObject);
}

TEST(LauncherConfig, NumberWhereStringBelongsCountsAsMissing) {
  LauncherConfig config = ReadText(R"({"ver_url":"v","nested_page":5,"login_url":"l"})");
  EXPECT_EQ(config.nestedPage, nullptr);
  EXPECT_STREQ(config.verUrl, "v");
  EXPECT_STREQ(config.loginUrl, "l");
  EXPECT_EQ(config.problem, ConfigProblem::MissingNestedPage);
}

TEST(LauncherConfig, NamesTheFirstMissingKey) {
  EXPECT_EQ(ReadText(R"({"nested_page":"n","login_url":"l"})").problem,
            ConfigProblem::MissingVerUrl);
  EXPECT_EQ(ReadText(R"({"ver_url":"v","nested_page":"n","login_url":null})").problem,
            ConfigProblem::MissingLoginUrl);
}

TEST(LauncherConfig, RejectsTextThatIsNoObject) {
  EXPECT_EQ(ReadText("").problem, ConfigProblem::NotAnObject);
  EXPECT_EQ(ReadText("[\"ver_url\"]").problem, ConfigProblem::NotAnObject);
  EXPECT_EQ(ReadText("\"ver_url\"").problem, ConfigProblem::NotAnObject);
  EXPECT_EQ(ReadText("{\"ver_url\":").problem, ConfigProblem::NotAnObject);
}

TEST(LauncherConfig, TellsMissingFromUnreadable) {
  TempDir dir;
  EXPECT_EQ(ReadLauncherConfig(dir.WideFile(L"none.json")).problem, ConfigProblem::Missing);
  std::filesystem::create_directory(dir.Path() / "dir.json");
  EXPECT_EQ(ReadLauncherConfig(dir.WideFile(L"dir.json")).problem, ConfigProblem::Unreadable);
}

#ifndef _WIN32
// Opening a FIFO for reading waits for a writer: start-up would hang with no
// window at all.
TEST(LauncherConfig, AFifoInPlaceOfTheFileIsUnreadableAtOnce) {
  TempDir dir;
  std::string fifo = (dir.Path() / "launcher.json").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto problem = std::async(std::launch::async, [&dir] {
    return ReadLauncherConfig(dir.WideFile(L"launcher.json")).problem;
  });
  if (problem.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Release the blocked open, so the test ends and fails.
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    ADD_FAILURE() << "reading the configuration waited for a writer";
  }
  EXPECT_EQ(problem.get(), ConfigProblem::Unreadable);
}
#endif

TEST(LauncherConfig, EveryProblemHasItsOwnMessage) {
  const ConfigProblem problems[] = {ConfigProblem::Missing,
                                    ConfigProblem::Unreadable,
                                    ConfigProblem::NotAnObject,
                                    ConfigProblem::MissingVerUrl,
                                    ConfigProblem::MissingNestedPage,
                                    ConfigProblem::MissingLoginUrl,
                                    ConfigProblem::MalformedUpdateKey,
                                    ConfigProblem::MalformedDownloadLimit};
  EXPECT_EQ(ConfigProblemMessage(ConfigProblem::None), L"");
  EXPECT_EQ(ConfigProblemMessage(ConfigProblem::Missing), L"找不到配置文件，请重新安装");
  for (ConfigProblem a : problems) {
    EXPECT_FALSE(ConfigProblemMessage(a).empty());
    for (ConfigProblem b : problems) {
      if (a != b) {
        EXPECT_NE(ConfigProblemMessage(a), ConfigProblemMessage(b));
      }
    }
  }
  EXPECT_NE(ConfigProblemMessage(ConfigProblem::MissingLoginUrl).find(L"login_url"),
            std::wstring::npos);
  EXPECT_NE(ConfigProblemMessage(ConfigProblem::MalformedUpdateKey).find(L"update_key"),
            std::wstring::npos);
}

// The key of a pair made by minisign -G.
constexpr const char* kUpdateKey = "RWRt77wlWlaCtxVH/wKy4KQbgHrdDC5YXA03U0tRe0ec4KHmbgwb3DTL";

std::string ConfigWithKey(const std::string& keyJson) {
  return R"({"ver_url":"v","nested_page":"n","login_url":"l","update_key":)" + keyJson + "}";
}

TEST(LauncherConfig, WithoutAnUpdateKeyNothingIsVerified) {
  LauncherConfig config = ReadText(R"({"ver_url":"v","nested_page":"n","login_url":"l"})");
  EXPECT_EQ(config.problem, ConfigProblem::None);
  EXPECT_TRUE(config.updateKeys.empty());
}

// One key, or several while an operator moves from one to the next.
TEST(LauncherConfig, ReadsOneUpdateKeyOrAnArray) {
  LauncherConfig config = ReadText(ConfigWithKey("\"" + std::string(kUpdateKey) + "\""));
  EXPECT_EQ(config.problem, ConfigProblem::None);
  ASSERT_EQ(config.updateKeys.size(), 1u);
  EXPECT_EQ(FormatMinisignPublicKey(config.updateKeys[0]), kUpdateKey);
  std::string other = FormatMinisignPublicKey(GenerateMinisignKeyPair()->publicKey);
  config = ReadText(ConfigWithKey("[\"" + std::string(kUpdateKey) + "\", \"" + other + "\"]"));
  EXPECT_EQ(config.problem, ConfigProblem::None);
  ASSERT_EQ(config.updateKeys.size(), 2u);
  EXPECT_EQ(FormatMinisignPublicKey(config.updateKeys[1]), other);
}

// A key that is there but unusable must not quietly turn verification off.
TEST(LauncherConfig, AMalformedUpdateKeyIsAProblem) {
  std::string key = kUpdateKey;
  const std::string malformed[] = {"\"" + key.substr(0, 52) + "\"",
                                   "\"" + key + "AAAA\"",
                                   "\"\"",
                                   "\"not base64 at all\"",
                                   "42",
                                   "null",
                                   "[]",
                                   "[\"" + key + "\", 42]",
                                   "[\"" + key + "\", \"" + key.substr(0, 52) + "\"]"};
  for (const std::string& json : malformed) {
    LauncherConfig config = ReadText(ConfigWithKey(json));
    EXPECT_EQ(config.problem, ConfigProblem::MalformedUpdateKey) << json;
    EXPECT_TRUE(config.updateKeys.empty()) << json;
  }
}

// The player's cap in KiB/s; anything but a whole number in range is said,
// not ignored.
TEST(LauncherConfig, ReadsTheDownloadLimitAndRefusesAMalformedOne) {
  const std::string head = R"({"ver_url":"v","nested_page":"n","login_url":"l","download_limit":)";
  LauncherConfig config = ReadText(head + "512}");
  EXPECT_EQ(config.problem, ConfigProblem::None);
  EXPECT_EQ(config.downloadLimit, 512u);
  for (const char* json : {"0", "63", "1.5", "\"512\"", "null", "1e10"}) {
    config = ReadText(head + json + "}");
    EXPECT_EQ(config.problem, ConfigProblem::MalformedDownloadLimit) << json;
  }
}

}  // namespace
