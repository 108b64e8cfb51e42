// Every input the TGA fuzzer starts from or once crashed on must parse (or
// be rejected) exactly as the reader promises, and reading it as a file
// must give the same image as parsing its bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "tga_parse_check.h"
#include "textures/tga_reader.h"

namespace zibo {
namespace {

std::vector<std::string> ReplayFiles() {
  std::vector<std::string> files;
  for (const char* dir : {ZIBO_FUZZ_CORPUS, ZIBO_FUZZ_CRASHES}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().filename() != "README") files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class TgaReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(TgaReplay, KeepsTheReadersContractAlsoAsAFile) {
  const std::string bytes = testing::ReadFileBytes(GetParam());
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  std::string fault;
  const TgaCheck check = CheckParseTga(data, bytes.size(), &fault);
  ASSERT_NE(check, TgaCheck::kFailed) << fault;
  if (check == TgaCheck::kSkipped) return;  // over 64 Ki pixels; TgaLargest covers one
  TgaImage parsed, read;
  std::string parse_error, read_error;
  const bool parsed_ok = ParseTga(data, bytes.size(), &parsed, &parse_error);
  ASSERT_EQ(ReadTgaFile(GetParam().c_str(), &read, &read_error), parsed_ok) << read_error;
  if (!parsed_ok) {
    EXPECT_EQ(read_error, GetParam() + ": " + parse_error);
    return;
  }
  ASSERT_EQ(read.byte_size(), parsed.byte_size());
  EXPECT_EQ(read.width, parsed.width);
  EXPECT_TRUE(read.byte_size() == 0 ||
              std::memcmp(read.rgba.get(), parsed.rgba.get(), read.byte_size()) == 0);
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = (info.param.find("/crashes/") != std::string::npos ? "crash_" : "seed_") +
                     info.param.substr(info.param.find_last_of('/') + 1);
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Files, TgaReplay, ::testing::ValuesIn(ReplayFiles()), TestName);

}  // namespace
}  // namespace zibo
