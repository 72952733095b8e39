#include "platform/linux/file_registry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_dir.h"

namespace {

using platform::RegistryRoot;

class FileRegistry : public ::testing::Test {
 protected:
  std::unique_ptr<platform::Registry> Open() {
    return platform::MakeFileRegistry(directory_.WideFile(L"registry"));
  }
  TempDir directory_;
};

TEST_F(FileRegistry, MatchesKeysAndNamesIgnoringCaseAndUnescapesText) {
  directory_.Write(L"registry",
                   "[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n"
                   "\"Quoted\"=\"a \\\"b\\\" c:\\\\d \xE7\x99\xBB\"\r\n");
  EXPECT_EQ(Open()->ReadString(RegistryRoot::LocalMachine, L"SOFTWARE\\TEST", L"quoted", 64),
            L"a \"b\" c:\\d \u767B");
  EXPECT_EQ(Open()->ReadString(RegistryRoot::CurrentUser, L"SOFTWARE\\TEST", L"quoted", 64),
            std::nullopt);
}

TEST_F(FileRegistry, SkipsLinesThatDoNotParse) {
  directory_.Write(L"registry",
                   "\"orphan\"=\"before any key\"\n"
                   "[HKEY_CURRENT_USER\\K]\n"
                   "\"unterminated\"=\"text\n"
                   "\"number\"=dword:xyz\n"
                   "garbage\n"
                   "\"good\"=\"yes\"\n");
  auto registry = Open();
  EXPECT_EQ(registry->ReadString(RegistryRoot::CurrentUser, L"K", L"good", 64), L"yes");
  EXPECT_EQ(registry->ReadString(RegistryRoot::CurrentUser, L"K", L"unterminated", 64),
            std::nullopt);
  EXPECT_EQ(registry->ReadString(RegistryRoot::CurrentUser, L"K", L"orphan", 64), std::nullopt);
}

TEST_F(FileRegistry, WriteKeepsEverythingElseAndLeavesNoTemporaryFile) {
  directory_.Write(L"registry",
                   "[HKEY_LOCAL_MACHINE\\Engine]\n\"svcVersion\"=\"11.0\"\n"
                   "[HKEY_CURRENT_USER\\Feature]\n\"old.exe\"=dword:00001f40\n");
  auto registry = Open();
  EXPECT_TRUE(registry->WriteDword(RegistryRoot::CurrentUser, L"feature", L"new.exe", 11000));
  EXPECT_TRUE(registry->WriteDword(RegistryRoot::CurrentUser, L"Feature", L"OLD.exe", 9000));
  EXPECT_EQ(directory_.Read(L"registry"),
            "[HKEY_LOCAL_MACHINE\\Engine]\n\"svcVersion\"=\"11.0\"\n\n"
            "[HKEY_CURRENT_USER\\Feature]\n\"old.exe\"=dword:00002328\n"
            "\"new.exe\"=dword:00002af8\n\n");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(directory_.Path())) {
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST_F(FileRegistry, NoStoreMeansNoKeys) {
  auto registry = Open();
  EXPECT_EQ(registry->ReadString(RegistryRoot::LocalMachine, L"Engine", L"svcVersion", 64),
            std::nullopt);
  EXPECT_FALSE(registry->WriteDword(RegistryRoot::CurrentUser, L"Feature", L"a.exe", 1));
  EXPECT_FALSE(std::filesystem::exists(directory_.Path() / "registry"));
}

}  // namespace
