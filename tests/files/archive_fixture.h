// An archive written into a scratch directory, opened with the system's files.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "files/zip_reader.h"
#include "temp_dir.h"
#include "zip_builder.h"

class ArchiveTest : public ::testing::Test {
 protected:
  ZipReaderHandle OpenBytes(const std::string& bytes) {
    dir_.Write(L"package.zip", bytes);
    return ZipReader::Open(*files_, dir_.WideFile(L"package.zip"));
  }

  ZipReaderHandle OpenEntries(const std::vector<testzip::Entry>& entries) {
    return OpenBytes(testzip::Build(entries));
  }

  // A reader whose target is the directory "out" in the scratch directory.
  ZipReaderHandle OpenInto(const std::string& bytes) {
    ZipReaderHandle reader = OpenBytes(bytes);
    if (reader) ZipReader::SetTargetDirectory(reader.get(), Target());
    return reader;
  }

  std::wstring Target() const { return dir_.WideFile(L"out"); }
  std::filesystem::path TargetPath() const { return dir_.Path() / "out"; }
  std::string ReadOut(std::wstring_view name) const {
    return dir_.Read(L"out/" + std::wstring(name));
  }

  // Looks the entry up and extracts it under its cleaned name.
  ArchiveResult Extract(ZipReader* reader, int index) {
    ArchiveEntry entry;
    ZipReader::GetEntry(reader, index, &entry);
    return ZipReader::ExtractEntry(reader, index, entry.name);
  }

  TempDir dir_;
  std::unique_ptr<platform::ArchiveFiles> files_ = platform::MakeSystemArchiveFiles();
};
