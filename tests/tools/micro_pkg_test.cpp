// Runs the built micro-pkg beside this test program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

#include "files/chunk_index.h"
#include "files/minisign_signature.h"
#include "files/sha256_digest.h"
#include "platform/environment.h"
#include "platform/text_codec.h"
#include "temp_dir.h"
#include "zip_builder.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <zlib.h>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string output;
};

std::wstring Quoted(const std::wstring& text) {
  return L"\"" + text + L"\"";
}

RunResult RunTool(const std::wstring& arguments) {
  std::wstring self = platform::MakeSystemEnvironment()->ExecutablePath();
  std::wstring tool = fs::path(self).parent_path().wstring();
#ifdef _WIN32
  tool += L"\\micro-pkg.exe";
  // cmd.exe drops the outermost quotes of the whole line.
  std::wstring line = L"\"" + Quoted(tool) + L" " + arguments + L"\"";
  FILE* pipe = _wpopen(line.c_str(), L"rb");
#else
  tool += L"/micro-pkg";
  std::string line = platform::EncodeUtf8(Quoted(tool) + L" " + arguments) + " 2>/dev/null";
  FILE* pipe = popen(line.c_str(), "r");
#endif
  RunResult result;
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    // Windows consoles end lines with CR LF.
    for (std::size_t i = 0; i < n; ++i) {
      if (buffer[i] != '\r') result.output.push_back(buffer[i]);
    }
  }
#ifdef _WIN32
  result.status = _pclose(pipe);
#else
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return result;
}

testzip::Entry StoredAt(std::string name, std::string data, std::int32_t unixTime) {
  testzip::Entry entry(std::move(name), std::move(data));
  entry.method = 0;
  entry.localExtra = testzip::UtBlock(1, {unixTime});
  return entry;
}

TEST(MicroPkg, ListPrintsOneLinePerEntry) {
  TempDir dir;
  testzip::Entry directory = StoredAt("bin/", "", 0);
  directory.externalAttributes = 0x10;
  testzip::Entry chinese = StoredAt("\xE6\xB8\xB8\xE6\x88\x8F.txt", "game", 1600000000);
  chinese.externalAttributes = 0x21;
  dir.Write(L"p.zip",
            testzip::Build({directory, StoredAt("../bin/a.txt", "hello", 1600000000), chinese}));
  RunResult run = RunTool(L"list " + Quoted(dir.WideFile(L"p.zip")));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "0 0x10 0 0 1970-01-01T00:00:00Z bin/\n"
            "1 0x00 5 5 2020-09-13T12:26:40Z bin/a.txt\n"
            "2 0x21 4 4 2020-09-13T12:26:40Z \xE6\xB8\xB8\xE6\x88\x8F.txt\n");
}

TEST(MicroPkg, ListShowsSizesPast4GiB) {
  TempDir dir;
  testzip::Entry big = StoredAt("big.bin", "x", 1600000000);
  big.zip64Sizes = {{5ull << 30, 9ull << 29}};
  dir.Write(L"p.zip", testzip::BuildStreamed({big}));
  RunResult run = RunTool(L"list " + Quoted(dir.WideFile(L"p.zip")));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "0 0x00 4831838208 5368709120 2020-09-13T12:26:40Z big.bin\n");
}

TEST(MicroPkg, ListFailsOnWhatIsNoArchive) {
  TempDir dir;
  dir.Write(L"p.zip", "<html>error</html>");
  RunResult run = RunTool(L"list " + Quoted(dir.WideFile(L"p.zip")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "");
}

TEST(MicroPkg, ExtractUnpacksAndReportsEveryEntry) {
  TempDir dir;
  dir.Write(L"p.zip", testzip::Build({{"bin/client.exe", "MZ"},
                                      {"data/\xE5\x9C\xB0\xE5\x9B\xBE.dat", "map"}}));
  RunResult run =
      RunTool(L"extract " + Quoted(dir.WideFile(L"p.zip")) + L" " + Quoted(dir.WideFile(L"out")));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "ArchiveOk bin/client.exe\nArchiveOk data/\xE5\x9C\xB0\xE5\x9B\xBE.dat\n");
  EXPECT_EQ(dir.Read(L"out/bin/client.exe"), "MZ");
  EXPECT_EQ(dir.Read(L"out/data/\u5730\u56FE.dat"), "map");
}

TEST(MicroPkg, ExtractFailsWhenAnEntryFails) {
  TempDir dir;
  std::string archive = testzip::Build({{"a.txt", "a"}, {"b.txt", "b"}});
  testzip::Put32(archive, testzip::FindSignature(archive, testzip::kLocalHeader, 1), 0);
  dir.Write(L"p.zip", archive);
  RunResult run =
      RunTool(L"extract " + Quoted(dir.WideFile(L"p.zip")) + L" " + Quoted(dir.WideFile(L"out")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "ArchiveOk a.txt\nArchiveHeaderError \n");
}

TEST(MicroPkg, BuildPacksTheClientAndPointsTheManifestAtItsExecutable) {
  TempDir dir;
  fs::create_directories(dir.Path() / "client" / "bin");
  dir.Write(L"client/bin/game", "game");
  dir.Write(L"client/readme.txt", "read me");
  std::wstring build = L"build " + Quoted(dir.WideFile(L"client")) +
                       L" --client-url http://127.0.0.1:8/GameClient.zip --out " +
                       Quoted(dir.WideFile(L"site"));
  RunResult run = RunTool(build + L" --exe bin/game");
  ASSERT_EQ(run.status, 0);
  std::string manifest = dir.Read(L"site/pkg.json");
  EXPECT_NE(manifest.find("\"exe_path\":\t\"GameClient/bin/game\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"client_url\":\t\"http://127.0.0.1:8/GameClient.zip\""),
            std::string::npos);
  RunResult list = RunTool(L"list " + Quoted(dir.WideFile(L"site/GameClient.zip")));
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.output.find(" bin/game\n"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find(" readme.txt\n"), std::string::npos) << list.output;

  // A changed client gives a changed manifest, so launchers install it.
  dir.Write(L"client/readme.txt", "read me again");
  ASSERT_EQ(RunTool(build + L" --exe bin/game").status, 0);
  EXPECT_NE(dir.Read(L"site/pkg.json"), manifest);

  for (const wchar_t* exe : {L"bin/missing", L"bin", L"../client/bin/game"}) {
    EXPECT_EQ(RunTool(build + L" --exe " + exe).status, 1) << platform::EncodeUtf8(exe);
  }
}

TEST(MicroPkg, BuildPinsThePackageBySizeAndSha256) {
  TempDir dir;
  fs::create_directories(dir.Path() / "client");
  dir.Write(L"client/game", "game");
  ASSERT_EQ(RunTool(L"build " + Quoted(dir.WideFile(L"client")) +
                    L" --client-url http://127.0.0.1:8/GameClient.zip --exe game --out " +
                    Quoted(dir.WideFile(L"site")))
                .status,
            0);
  RunResult hash = RunTool(L"hash " + Quoted(dir.WideFile(L"site/GameClient.zip")));
  ASSERT_EQ(hash.status, 0);
  std::size_t space = hash.output.find(' ');
  ASSERT_NE(space, std::string::npos) << hash.output;
  std::string size = hash.output.substr(0, space);
  std::string sha256 = hash.output.substr(space + 1, 64);
  EXPECT_EQ(size, std::to_string(fs::file_size(dir.Path() / "site" / "GameClient.zip")));
  std::string manifest = dir.Read(L"site/pkg.json");
  EXPECT_NE(manifest.find("\"package_size\":\t" + size + ","), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"package_sha256\":\t\"" + sha256 + "\""), std::string::npos)
      << manifest;
  // Each file with its size and SHA-256, for updates that fetch single entries.
  EXPECT_NE(
      manifest.find(
          "\"files\":\t[{\n\t\t\t\"name\":\t\"game\",\n\t\t\t\"size\":\t4,\n\t\t\t"
          "\"sha256\":\t\"6ca5cab77e702c787b4c14b3d3bf26bad43da606be6eed04ab0b9720120ae081\""),
      std::string::npos)
      << manifest;
  dir.Write(L"empty", "");
  EXPECT_EQ(RunTool(L"hash " + Quoted(dir.WideFile(L"empty"))).output,
            "0 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n");
}

TEST(MicroPkg, AFileListThatWouldPassTheManifestLimitIsLeftOut) {
  TempDir dir;
  fs::create_directories(dir.Path() / "client");
  dir.Write(L"client/game", "game");
  // Some 14,000 entries of 320 bytes in the list: past 4 MiB.
  std::string longName(200, 'n');
  for (int file = 0; file < 14000; ++file) {
    std::ofstream(dir.Path() / "client" / (longName + std::to_string(file)));
  }
  RunResult built = RunTool(L"build " + Quoted(dir.WideFile(L"client")) +
                            L" --client-url http://127.0.0.1:8/GameClient.zip --exe game --out " +
                            Quoted(dir.WideFile(L"site")));
  ASSERT_EQ(built.status, 0);
  std::string manifest = dir.Read(L"site/pkg.json");
  EXPECT_LT(manifest.size(), 4u * 1024 * 1024);
  EXPECT_EQ(manifest.find("\"files\""), std::string::npos);
  EXPECT_NE(manifest.find("\"package_sha256\""), std::string::npos);
}

// Words from a small vocabulary: deflates about as game data does.
std::string CompressibleBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> words(3000);
  for (std::string& word : words) {
    for (std::size_t i = 3 + random() % 7; i > 0; --i)
      word += static_cast<char>('a' + random() % 26);
  }
  std::string bytes;
  while (bytes.size() < size) bytes += words[random() % words.size()] + ' ';
  bytes.resize(size);
  return bytes;
}

std::string Hex(const std::array<unsigned char, 32>& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : digest) hex += std::string{kHex[byte >> 4], kHex[byte & 0xf]};
  return hex;
}

// What a fresh raw inflate makes of `compressed`, given the 32 KiB that come
// before it in the file as its dictionary.
std::string InflateAlone(std::string_view compressed, std::string_view before, std::size_t most) {
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return {};
  before = before.substr(before.size() - std::min<std::size_t>(before.size(), 32768));
  if (!before.empty()) {
    inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(before.data()),
                         static_cast<uInt>(before.size()));
  }
  std::string out(most + 1, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int result = inflate(&stream, Z_SYNC_FLUSH);
  bool whole = (result == Z_OK || result == Z_STREAM_END) && stream.avail_in == 0;
  out.resize(whole ? out.size() - stream.avail_out : 0);
  inflateEnd(&stream);
  return out;
}

class ChunkedBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "client" / "data");
    large = CompressibleBytes(3 << 20, 7);
    dir.Write(L"client/data/world.pak", large);
    dir.Write(L"client/game", "game");
  }

  RunResult Build(const std::wstring& out, const std::wstring& options = L"") {
    return RunTool(
        L"build " + Quoted(dir.WideFile(L"client")) +
        L" --client-url http://127.0.0.1:8/GameClient.zip --exe game --version 1 --out " +
        Quoted(dir.WideFile(out)) + options);
  }

  TempDir dir;
  std::string large;
};

// Each chunk of a large file is its own piece of the deflate stream: the
// index says where, and its bytes inflate alone, after the file's bytes
// before them, to the chunk it names.
TEST_F(ChunkedBuild, LargeFilesAreIndexedInChunksThatInflateAlone) {
  ASSERT_EQ(Build(L"site").status, 0);
  std::string package = dir.Read(L"site/GameClient.zip");
  std::string indexBytes = dir.Read(L"site/GameClient.zip.chunks");
  std::optional<ChunkIndex> index = ParseChunkIndex(indexBytes);
  ASSERT_TRUE(index);
  ASSERT_EQ(index->entries.size(), 1u);
  const IndexedEntry& entry = index->entries[0];
  EXPECT_EQ(entry.name, "data/world.pak");
  EXPECT_EQ(entry.uncompressedSize, large.size());
  EXPECT_GT(entry.chunks.size(), 10u);
  std::string joined;
  std::uint64_t at = entry.dataOffset;
  for (const IndexedChunk& chunk : entry.chunks) {
    ASSERT_LE(at + chunk.compressedLength, package.size());
    std::string bytes = InflateAlone(std::string_view(package).substr(at, chunk.compressedLength),
                                     joined, chunk.length);
    Sha256Hasher hasher;
    hasher.Update(bytes.data(), bytes.size());
    EXPECT_EQ(hasher.FinishHex(), Hex(chunk.sha256)) << joined.size();
    joined += bytes;
    at += chunk.compressedLength;
  }
  EXPECT_EQ(joined, large);
  EXPECT_LE(indexBytes.size() * 200, package.size());

  std::string manifest = dir.Read(L"site/pkg.json");
  RunResult hash = RunTool(L"hash " + Quoted(dir.WideFile(L"site/GameClient.zip.chunks")));
  std::string size = hash.output.substr(0, hash.output.find(' '));
  EXPECT_NE(manifest.find("\"chunks_size\":\t" + size + ","), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"chunks_sha256\":\t\"" + hash.output.substr(size.size() + 1, 64)),
            std::string::npos)
      << manifest;

  // The same tree builds the same package and index.
  ASSERT_EQ(Build(L"again").status, 0);
  EXPECT_EQ(dir.Read(L"again/GameClient.zip"), package);
  EXPECT_EQ(dir.Read(L"again/GameClient.zip.chunks"), indexBytes);
}

TEST_F(ChunkedBuild, NoChunksOrAHigherThresholdWritesNoIndex) {
  ASSERT_EQ(Build(L"site").status, 0);
  ASSERT_TRUE(fs::exists(dir.Path() / "site" / "GameClient.zip.chunks"));
  for (const wchar_t* options : {L" --no-chunks", L" --chunk-min 4194304"}) {
    ASSERT_EQ(Build(L"site", options).status, 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "site" / "GameClient.zip.chunks"));
    EXPECT_EQ(dir.Read(L"site/pkg.json").find("chunks_"), std::string::npos);
  }
  for (const wchar_t* bad : {L" --chunk-min 0", L" --chunk-min x", L" --no-chunks --chunk-min 9"}) {
    EXPECT_EQ(Build(L"site", bad).status, 2) << platform::EncodeUtf8(bad);
  }
}

// The launcher cuts an installed file where the builder cut it: the chunks
// it finds are the index's, or an update would reuse none of them.
TEST_F(ChunkedBuild, InstalledFilesAreCutWhereTheBuilderCut) {
  ASSERT_EQ(Build(L"site").status, 0);
  std::optional<ChunkIndex> index = ParseChunkIndex(dir.Read(L"site/GameClient.zip.chunks"));
  ASSERT_TRUE(index);
  std::set<std::string> distinct;
  for (const IndexedChunk& chunk : index->entries.at(0).chunks) distinct.insert(Hex(chunk.sha256));
  RunResult cut = RunTool(L"chunks " + Quoted(dir.WideFile(L"client/data/world.pak")));
  ASSERT_EQ(cut.status, 0);
  EXPECT_EQ(cut.output.rfind(std::to_string(large.size()) + " bytes, " +
                                 std::to_string(distinct.size()) + " distinct chunks",
                             0),
            0u)
      << cut.output;
  EXPECT_EQ(RunTool(L"chunks").status, 2);
}

#ifndef _WIN32
// Chunked or not, the package is an ordinary zip to other tools.
TEST_F(ChunkedBuild, OtherToolsExtractTheChunkedPackage) {
  ASSERT_EQ(Build(L"site").status, 0);
  ASSERT_TRUE(fs::exists(dir.Path() / "site" / "GameClient.zip.chunks"));
  std::string d = "'" + dir.Path().string() + "'";
  std::string package = d + "/site/GameClient.zip ";
  const std::pair<const char*, std::string> tools[] = {
      {"unzip",
       "unzip -tq " + package + ">/dev/null && unzip -q " + package + "-d " + d + "/unzip"},
      {"bsdtar", "mkdir " + d + "/bsdtar && bsdtar -xf " + package + "-C " + d + "/bsdtar"},
      {"python3",
       "python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' " +
           package + d + "/python3"},
      {"7zz", "7zz t -bso0 " + package + "&& 7zz x -bso0 " + package + "-o" + d + "/7zz"},
  };
  std::string missing;
  for (const auto& [tool, command] : tools) {
    if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0) {
      missing += std::string(" ") + tool;
      continue;
    }
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(dir.Read(platform::DecodeUtf8(tool) + L"/data/world.pak"), large) << tool;
  }
  if (!missing.empty()) GTEST_SKIP() << "not installed:" << missing;
}
#endif

TEST(MicroPkg, KeygenSignAndVerify) {
  TempDir dir;
  std::wstring publicKey = Quoted(dir.WideFile(L"release.pub"));
  std::wstring secretKey = Quoted(dir.WideFile(L"release.key"));
  RunResult keygen = RunTool(L"keygen " + publicKey + L" " + secretKey);
  ASSERT_EQ(keygen.status, 0);
  std::string keyLine = dir.Read(L"release.pub").substr(dir.Read(L"release.pub").find('\n') + 1);
  keyLine.pop_back();
  EXPECT_NE(keygen.output.find("\"update_key\": \"" + keyLine + "\""), std::string::npos)
      << keygen.output;
  // A key is never overwritten.
  EXPECT_EQ(RunTool(L"keygen " + publicKey + L" " + Quoted(dir.WideFile(L"other.key"))).status, 1);

  dir.Write(L"pkg.json", "{\"client_url\":\"u\"}\n");
  std::wstring manifest = Quoted(dir.WideFile(L"pkg.json"));
  for (const wchar_t* algorithm : {L"", L" --legacy"}) {
    ASSERT_EQ(RunTool(L"sign " + secretKey + L" " + manifest + algorithm).status, 0);
    RunResult verified = RunTool(L"verify " + publicKey + L" " + manifest);
    EXPECT_EQ(verified.status, 0);
    EXPECT_NE(verified.output.find("trusted comment: timestamp:"), std::string::npos);
    EXPECT_EQ(RunTool(L"verify " + platform::DecodeUtf8(keyLine) + L" " + manifest).status, 0);
  }
  ASSERT_EQ(
      RunTool(L"sign " + secretKey + L" " + manifest + L" --trusted-comment release-7").status, 0);
  EXPECT_NE(dir.Read(L"pkg.json.minisig").find("\ntrusted comment: release-7\n"),
            std::string::npos);
  dir.Write(L"pkg.json", "{\"client_url\":\"evil\"}\n");
  EXPECT_EQ(RunTool(L"verify " + publicKey + L" " + manifest).status, 1);
}

// A release names its version, expiry and next keys, and the signature's
// trusted comment shows the version and expiry to whoever verifies it.
TEST(MicroPkg, BuildVersionsTheManifestAndSignShowsIt) {
  TempDir dir;
  fs::create_directories(dir.Path() / "client");
  dir.Write(L"client/game", "game");
  std::wstring publicKey = Quoted(dir.WideFile(L"release.pub"));
  std::wstring nextKey = Quoted(dir.WideFile(L"next.pub"));
  ASSERT_EQ(RunTool(L"keygen " + publicKey + L" " + Quoted(dir.WideFile(L"release.key"))).status,
            0);
  ASSERT_EQ(RunTool(L"keygen " + nextKey + L" " + Quoted(dir.WideFile(L"next.key"))).status, 0);
  std::string nextLine = dir.Read(L"next.pub").substr(dir.Read(L"next.pub").find('\n') + 1, 56);
  std::wstring build = L"build " + Quoted(dir.WideFile(L"client")) +
                       L" --client-url http://127.0.0.1:8/GameClient.zip --exe game --out " +
                       Quoted(dir.WideFile(L"site"));
  auto before = std::to_string(std::time(nullptr));
  ASSERT_EQ(RunTool(build).status, 0);
  std::string manifest = dir.Read(L"site/pkg.json");
  std::size_t at = manifest.find("\"version\":\t");
  ASSERT_NE(at, std::string::npos) << manifest;
  EXPECT_GE(manifest.substr(at + 11, before.size()), before);

  ASSERT_EQ(RunTool(build + L" --version 41 --expires-in 30 --update-key " + nextKey).status, 0);
  manifest = dir.Read(L"site/pkg.json");
  EXPECT_NE(manifest.find("\"version\":\t41,"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"expires\":\t\"20"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"update_keys\":\t[\"" + nextLine + "\"]"), std::string::npos);
  for (const wchar_t* bad : {L" --version 0", L" --version x", L" --version 9007199254740993",
                             L" --expires-in 0", L" --update-key RWQnot-a-key"}) {
    EXPECT_EQ(RunTool(build + bad).status, 2) << platform::EncodeUtf8(bad);
  }
  std::wstring signedManifest = Quoted(dir.WideFile(L"site/pkg.json"));
  ASSERT_EQ(RunTool(L"sign " + Quoted(dir.WideFile(L"release.key")) + L" " + signedManifest).status,
            0);
  RunResult verified = RunTool(L"verify " + publicKey + L" " + signedManifest);
  EXPECT_NE(verified.output.find("\tversion:41\texpires:20"), std::string::npos) << verified.output;
#ifndef _WIN32
  if (std::system("minisign -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "no minisign";
  std::string command = "minisign -V -p '" + (dir.Path() / "release.pub").string() + "' -m '" +
                        (dir.Path() / "site" / "pkg.json").string() + "' > '" +
                        (dir.Path() / "shown").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(dir.Read(L"shown").find("\tversion:41\texpires:20"), std::string::npos)
      << dir.Read(L"shown");
#endif
}

#ifndef _WIN32
// cmd.exe takes no command line this long.
TEST(MicroPkg, ATrustedCommentTheLauncherWouldNotReadIsNotSigned) {
  TempDir dir;
  std::wstring secretKey = Quoted(dir.WideFile(L"release.key"));
  ASSERT_EQ(RunTool(L"keygen " + Quoted(dir.WideFile(L"release.pub")) + L" " + secretKey).status,
            0);
  dir.Write(L"pkg.json", "{}");
  std::wstring sign = L"sign " + secretKey + L" " + Quoted(dir.WideFile(L"pkg.json"));
  EXPECT_EQ(RunTool(sign + L" --trusted-comment " + std::wstring(20000, L'c')).status, 1);
  EXPECT_FALSE(fs::exists(dir.Path() / "pkg.json.minisig"));
  ASSERT_EQ(RunTool(sign + L" --trusted-comment " + std::wstring(16000, L'c')).status, 0);
  EXPECT_LE(fs::file_size(dir.Path() / "pkg.json.minisig"), kMaxMinisignSignatureBytes);
}

// Debian's minisign and micro-pkg each verify what the other signed, with
// keys made by either.
TEST(MicroPkg, SignaturesInteroperateWithMinisign) {
  if (std::system("minisign -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "no minisign";
  TempDir dir;
  std::string d = "'" + dir.Path().string() + "'";
  dir.Write(L"pkg.json", "{\"client_url\":\"u\"}\n");
  ASSERT_EQ(RunTool(L"keygen " + Quoted(dir.WideFile(L"ours.pub")) + L" " +
                    Quoted(dir.WideFile(L"ours.key")))
                .status,
            0);
  ASSERT_EQ(
      std::system(
          ("minisign -G -W -p " + d + "/theirs.pub -s " + d + "/theirs.key >/dev/null").c_str()),
      0);
  for (const char* key : {"ours", "theirs"}) {
    std::wstring wideKey = platform::DecodeUtf8(key);
    // micro-pkg signs, minisign verifies, in both algorithms.
    for (const wchar_t* algorithm : {L"", L" --legacy"}) {
      ASSERT_EQ(RunTool(L"sign " + Quoted(dir.WideFile(wideKey + L".key")) + L" " +
                        Quoted(dir.WideFile(L"pkg.json")) + algorithm)
                    .status,
                0);
      std::string verify = "minisign -V -q -p " + d + "/" + key + ".pub -m " + d + "/pkg.json";
      EXPECT_EQ(std::system(verify.c_str()), 0) << key;
    }
    // minisign signs, micro-pkg verifies, in both algorithms.
    for (const char* legacy : {"", " -l"}) {
      std::string sign = std::string("minisign -S") + legacy + " -s " + d + "/" + key + ".key -m " +
                         d + "/pkg.json >/dev/null";
      ASSERT_EQ(std::system(sign.c_str()), 0) << sign;
      EXPECT_EQ(RunTool(L"verify " + Quoted(dir.WideFile(wideKey + L".pub")) + L" " +
                        Quoted(dir.WideFile(L"pkg.json")))
                    .status,
                0)
          << key << legacy;
    }
  }
}
#endif

TEST(MicroPkg, WrongUsageExitsWithTwo) {
  EXPECT_EQ(RunTool(L"").status, 2);
  EXPECT_EQ(RunTool(L"list").status, 2);
  EXPECT_EQ(RunTool(L"unknown x").status, 2);
}

}  // namespace
