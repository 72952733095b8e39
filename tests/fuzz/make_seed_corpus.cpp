// Writes the archives of the archive tests' kinds into a directory, as the
// fuzz target's seed corpus: make_seed_corpus DIR
#include <fstream>
#include <iostream>
#include <string>

#include "zip_builder.h"

namespace {

void Save(const std::string& directory, const std::string& name, const std::string& bytes) {
  std::ofstream(directory + "/" + name, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_seed_corpus DIR\n";
    return 2;
  }
  const std::string dir = argv[1];
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

  Save(dir, "plain.zip", testzip::Build({{"a.txt", "hello hello hello"}, stored, directory}));
  Save(dir, "unix.zip", testzip::Build({unixFile, {"../up.txt", "x"}, {"C:\\abs\\x", "y"}}));
  Save(dir, "times.zip", testzip::Build({timed}));
  Save(dir, "encrypted.zip", testzip::Build({encrypted}));
  Save(dir, "streamed.zip",
       testzip::BuildStreamed({{"s.txt", "streamed data streamed"}, encrypted}));
  Save(dir, "chinese.zip", testzip::Build({chinese}));
  Save(dir, "empty.zip", testzip::Build({{"empty", ""}}));
  return 0;
}
