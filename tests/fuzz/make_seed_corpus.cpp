// Writes a fuzz target's seed corpus into a directory: the archives of the
// archive tests' kinds, or the headers, bodies, signatures and manifests a
// server sends. make_seed_corpus zip|byteranges|content-range|minisign|manifest|chunk-index DIR
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include "files/chunk_index.h"
#include "minisign_signer.h"
#include "zip_builder.h"

namespace {

using Save = std::function<void(const std::string& name, const std::string& bytes)>;

void Archives(const Save& save) {
  using testzip::Entry;
  Entry stored("stored.txt", "stored bytes");
  stored.method = 0;
  Entry directory("dir/", "");
  directory.externalAttributes = 0x10;
  Entry unixFile("bin/run.sh", "#!/bin/sh\necho hi\n");
  unixFile.versionMadeBy = testzip::kMadeOnUnix;
  unixFile.externalAttributes = testzip::UnixAttributes(0100755);
  Entry timed("timed.txt", "t");
  timed.localExtra =
      testzip::ExtraBlock(0x7875, std::string(20, 'x')) + testzip::UtBlock(7, {1, 2, 3});
  Entry encrypted("secret.txt", "secret secret secret");
  encrypted.encrypted = true;
  Entry chinese("\xE6\xB8\xB8\xE6\x88\x8F/\xE6\x95\xB0\xE6\x8D\xAE.bin", "data");
  chinese.flags = testzip::kLanguageEncodingFlag;

  save("plain.zip", testzip::Build({{"a.txt", "hello hello hello"}, stored, directory}));
  save("unix.zip", testzip::Build({unixFile, {"../up.txt", "x"}, {"C:\\abs\\x", "y"}}));
  save("times.zip", testzip::Build({timed}));
  save("encrypted.zip", testzip::Build({encrypted}));
  save("streamed.zip", testzip::BuildStreamed({{"s.txt", "streamed data streamed"}, encrypted}));
  save("chinese.zip", testzip::Build({chinese}));
  save("empty.zip", testzip::Build({{"empty", ""}}));
}

// A piece size byte, the Content-Type line, then the body.
void ByteRanges(const Save& save) {
  const std::string type = "multipart/byteranges; boundary=THIS\n";
  save("two-parts", "\x07" + type +
                        "\r\n--THIS\r\nContent-Type: application/zip\r\n"
                        "Content-Range: bytes 2-5/20\r\n\r\nabcd\r\n--THIS\r\n"
                        "content-range: bytes 10-11/20\r\n\r\n--\r\n--THIS--\r\n");
  save("quoted",
       "\x01multipart/byteranges; boundary=\"a b\"; x=y\n--a b\r\n"
       "Content-Range: bytes 0-0/1\r\n\r\nz\r\n--a b--");
  save("unknown-size",
       "\x03" + type + "--THIS\r\nContent-Range: bytes 0-1/*\r\n\r\nab\r\n--THIS--");
}

void ContentRanges(const Save& save) {
  save("plain", "bytes 2-5/20");
  save("unknown", "bytes 0-9/*");
  save("largest", "bytes 18446744073709551613-18446744073709551614/18446744073709551615");
  save("reversed", "bytes 5-2/20");
  save("count", "1234567890123456789");
}

// The public key line, then the signature file of "manifest".
void Signatures(const Save& save) {
  std::optional<MinisignKeyPair> pair = GenerateMinisignKeyPair();
  if (!pair) return;
  std::string key = FormatMinisignPublicKey(pair->publicKey) + "\n";
  for (auto algorithm : {MinisignAlgorithm::Prehashed, MinisignAlgorithm::Legacy}) {
    std::optional<MinisignSignature> signature =
        SignMinisign(pair->secretKey, "manifest", algorithm, "signature from micro-pkg secret key",
                     "timestamp:1700000000\tfile:pkg.json\thashed");
    if (!signature) return;
    std::string text = FormatMinisignSignature(*signature);
    std::string name = algorithm == MinisignAlgorithm::Legacy ? "legacy" : "prehashed";
    save(name, key + text);
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    save(name + "-crlf", key + crlf);
  }
}

void Manifests(const Save& save) {
  save("plain", R"({"client_url":"http://127.0.0.1/GameClient.zip","exe_path":"bin\\game.exe"})");
  save("pinned",
       "\xEF\xBB\xBF"
       R"({"Client_Url":"http://127.0.0.1/c.zip","exe_path":"\u6e38.exe",
"package_size":200586,"package_sha256":"9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08",
"package_crc32":305419896,"files":[{"name":"bin/game.exe","size":5,"sha256":"ab"},
{"name":"data/\u6570.bin","size":0,"sha256":"cd"}]} trailing)");
  save("nested", R"({"x":[[[{"y":[1e308,-0.5,true,null,"\ud83d\ude00"]}]]],"files":[{"name":1}]})");
}

void ChunkIndexes(const Save& save) {
  IndexedChunk chunk{70000, 30000, {}};
  chunk.sha256.fill(0xab);
  IndexedChunk last{5, 7, {}};
  ChunkIndex index;
  index.entries.push_back({"data/\xE6\x95\xB0.pak", 1234, 140005, {chunk, chunk, last}});
  index.entries.push_back({"b.pak", 90, 5, {last}});
  save("two-entries", WriteChunkIndex(index));
  save("empty", WriteChunkIndex({}));
}

}  // namespace

int main(int argc, char** argv) {
  const std::map<std::string, std::function<void(const Save&)>> kinds = {
      {"zip", Archives},        {"byteranges", ByteRanges}, {"content-range", ContentRanges},
      {"minisign", Signatures}, {"manifest", Manifests},    {"chunk-index", ChunkIndexes},
  };
  auto kind = argc == 3 ? kinds.find(argv[1]) : kinds.end();
  if (kind == kinds.end()) {
    std::cerr << "usage: make_seed_corpus "
                 "zip|byteranges|content-range|minisign|manifest|chunk-index DIR\n";
    return 2;
  }
  const std::string dir = argv[2];
  kind->second([&dir](const std::string& name, const std::string& bytes) {
    std::ofstream(dir + "/" + name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
  return 0;
}
