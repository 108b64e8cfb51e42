// Every input the TGA fuzzer starts from or once crashed on must parse (or
// be rejected) exactly as the reader promises, and reading it as a file
// must give the same image as parsing its bytes.
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tga_parse_check.h"
#include "textures/tga_reader.h"

namespace zibo {
namespace {

std::vector<std::string> FilesIn(const char* dir) {
  std::vector<std::string> files;
  if (DIR* d = opendir(dir)) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == ".." || name == "README") continue;
      files.push_back(std::string(dir) + "/" + name);
    }
    closedir(d);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> ReplayFiles() {
  std::vector<std::string> files = FilesIn(ZIBO_FUZZ_CORPUS);
  for (const std::string& f : FilesIn(ZIBO_FUZZ_CRASHES)) files.push_back(f);
  return files;
}

std::vector<uint8_t> Slurp(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(f);
  return bytes;
}

TEST(TgaCorpus, HasTheSeedFiles) { EXPECT_GE(FilesIn(ZIBO_FUZZ_CORPUS).size(), 10u); }

class TgaReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(TgaReplay, KeepsTheReadersContract) {
  const std::vector<uint8_t> bytes = Slurp(GetParam());
  std::string fault;
  EXPECT_NE(CheckParseTga(bytes.data(), bytes.size(), &fault), TgaCheck::kFailed) << fault;
}

TEST_P(TgaReplay, ReadingTheFileEqualsParsingItsBytes) {
  const std::vector<uint8_t> bytes = Slurp(GetParam());
  if (bytes.size() >= kTgaHeaderSize) {
    const uint64_t pixels = uint64_t(bytes[12] | bytes[13] << 8) * uint64_t(bytes[14] | bytes[15] << 8);
    if (pixels > (uint64_t(1) << 24) && pixels * 4 <= 0xFFFFFFFFull) {
      GTEST_SKIP() << "a buffer of over 64 MiB; TgaLargest covers one";
    }
  }
  TgaImage parsed, read;
  std::string parse_error, read_error;
  const bool parsed_ok = ParseTga(bytes.data(), bytes.size(), &parsed, &parse_error);
  const bool read_ok = ReadTgaFile(GetParam().c_str(), &read, &read_error);
  ASSERT_EQ(parsed_ok, read_ok) << parse_error << " / " << read_error;
  if (!parsed_ok) {
    EXPECT_EQ(read_error, GetParam() + ": " + parse_error);
    return;
  }
  ASSERT_EQ(read.width, parsed.width);
  ASSERT_EQ(read.height, parsed.height);
  EXPECT_TRUE(read.byte_size() == 0 ||
              std::memcmp(read.rgba.get(), parsed.rgba.get(), read.byte_size()) == 0);
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(info.param.find_last_of('/') + 1);
  const bool crash = info.param.find("/crashes/") != std::string::npos;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return (crash ? "crash_" : "seed_") + name;
}

INSTANTIATE_TEST_SUITE_P(Files, TgaReplay, ::testing::ValuesIn(ReplayFiles()), TestName);

// Sizes above the fuzzer's cap take the same path; this one really fills
// a buffer just under 4 GiB (32767 * 32767 * 4 bytes) with black.
TEST(TgaLargest, AHeaderJustUnderTheLimitGivesAnAllBlackImage) {
  std::vector<uint8_t> header(kTgaHeaderSize, 0);
  header[12] = header[14] = 0xFF;
  header[13] = header[15] = 0x7F;
  header.insert(header.end(), {9, 8, 7});
  TgaImage image;
  std::string error;
  ASSERT_TRUE(ParseTga(header.data(), header.size(), &image, &error)) << error;
  ASSERT_EQ(image.width, 32767);
  ASSERT_EQ(image.height, 32767);
  const uint8_t* first = image.pixel(0, 0);
  EXPECT_EQ(std::vector<uint8_t>(first, first + 4), (std::vector<uint8_t>{9, 7, 8, 0}));
  const uint8_t* last = image.pixel(32766, 32766);
  EXPECT_EQ(std::vector<uint8_t>(last, last + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace zibo
