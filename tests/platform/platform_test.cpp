#include <gtest/gtest.h>

#include <cerrno>

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using platform::PathKind;
using platform::ReadStatus;

TEST(FileSystem, PathKinds) {
  TempDir dir;
  dir.Write(L"f", "x");
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"f")), PathKind::File);
  EXPECT_EQ(platform::GetPathKind(dir.Wide()), PathKind::Directory);
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"nothing")), PathKind::None);
}

TEST(FileSystem, MakeDirectory) {
  TempDir dir;
  std::wstring sub = dir.WideFile(L"sub\u00E9\u4E2D");
  EXPECT_TRUE(platform::MakeDirectory(sub));
  EXPECT_EQ(platform::GetPathKind(sub), PathKind::Directory);
  EXPECT_TRUE(platform::MakeDirectory(sub));
  dir.Write(L"file", "x");
  EXPECT_FALSE(platform::MakeDirectory(dir.WideFile(L"file")));
  EXPECT_FALSE(platform::MakeDirectory(dir.WideFile(L"missing") + platform::kPathSeparator + L"x"));
}

TEST(FileSystem, ReadWholeFile) {
  TempDir dir;
  std::string bytes(3000000, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
  dir.Write(L"big\u4E2D", bytes);
  std::string read = "stale";
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"big\u4E2D"), bytes.size(), read),
            ReadStatus::Ok);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"big\u4E2D"), bytes.size() - 1, read),
            ReadStatus::TooLarge);
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"none"), 10, read), ReadStatus::Missing);
  EXPECT_EQ(
      platform::ReadWholeFile(dir.WideFile(L"no") + platform::kPathSeparator + L"x", 10, read),
      ReadStatus::Missing);
  EXPECT_EQ(platform::ReadWholeFile(dir.Wide(), 10, read), ReadStatus::Unreadable);
  dir.Write(L"empty", "");
  read = "stale";
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"empty"), 0, read), ReadStatus::Ok);
  EXPECT_EQ(read, "");
}

#ifdef _WIN32
TEST(FileSystem, ReadIsExclusive) {
  TempDir dir;
  dir.Write(L"held", "abc");
  HANDLE other = ::CreateFileW(dir.WideFile(L"held").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  std::string read;
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"held"), 10, read), ReadStatus::Unreadable);
  ::CloseHandle(other);
  EXPECT_EQ(platform::ReadWholeFile(dir.WideFile(L"held"), 10, read), ReadStatus::Ok);
  EXPECT_EQ(read, "abc");
}
#endif

TEST(FileSystem, ReplaceFileContents) {
  TempDir dir;
  std::wstring path = dir.WideFile(L"cfg\u00E9.json");
  EXPECT_TRUE(platform::ReplaceFileContents(path, "first"));
  EXPECT_EQ(dir.Read(L"cfg\u00E9.json"), "first");
  EXPECT_TRUE(platform::ReplaceFileContents(path, std::string("a\0b", 3)));
  EXPECT_EQ(dir.Read(L"cfg\u00E9.json"), std::string("a\0b", 3));
  EXPECT_EQ(platform::GetPathKind(path + L".tmp"), PathKind::None);
  EXPECT_FALSE(
      platform::ReplaceFileContents(dir.WideFile(L"no") + platform::kPathSeparator + L"x", "y"));
  // Written but not renamed over a directory: nothing is left beside it.
  std::wstring folder = dir.WideFile(L"folder");
  ASSERT_TRUE(platform::MakeDirectory(folder));
  EXPECT_FALSE(platform::ReplaceFileContents(folder, "z"));
  EXPECT_EQ(platform::GetPathKind(folder + L".tmp"), PathKind::None);
}

#ifndef _WIN32
// A full disk is named in the write that hit it, and again when the file is
// closed.
TEST(FileSystem, AFullDiskIsTheWritesCause) {
  platform::OpenedFile full = platform::OpenAppendingFile(L"/dev/full", true);
  ASSERT_TRUE(full.file) << platform::DescribeSystemError(full.error);
  platform::SystemResult written = full.file->Write("x", 1);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.Error().code, ENOSPC);
  EXPECT_EQ(full.file->Close().Error().code, ENOSPC);
}
#endif

TEST(FileSystem, RemoveFile) {
  TempDir dir;
  dir.Write(L"gone", "x");
  EXPECT_TRUE(platform::RemoveFile(dir.WideFile(L"gone")));
  EXPECT_EQ(platform::GetPathKind(dir.WideFile(L"gone")), PathKind::None);
  EXPECT_FALSE(platform::RemoveFile(dir.WideFile(L"gone")));
}

TEST(Environment, ExecutablePathIsThisProgram) {
  auto env = platform::MakeSystemEnvironment();
  std::wstring path = env->ExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(platform::GetPathKind(path), PathKind::File);
  EXPECT_NE(path.find(L"qelt_platform_tests"), std::wstring::npos);
  // Without a display there is no answer; with one, a positive DPI.
  std::optional<int> dpi = env->LogicalDpiX();
  EXPECT_TRUE(!dpi || *dpi > 0);
}

#ifdef _WIN32
TEST(AnsiCodec, WindowsCodePage1252) {
  ASSERT_EQ(::GetACP(), 1252u);
  EXPECT_EQ(platform::EncodeAnsi(L"a\u00E9\u20AC"), "a\xE9\x80");
  EXPECT_EQ(platform::EncodeAnsi(L"\u0100\u4E2D"), "??");
  EXPECT_EQ(platform::DecodeAnsi("a\xE9\x80"), L"a\u00E9\u20AC");
  EXPECT_EQ(platform::EncodeAnsi(L""), "");
  EXPECT_EQ(platform::DecodeAnsi(""), L"");
}
#endif

}  // namespace
