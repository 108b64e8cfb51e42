// tga_parse_check.h - runs ParseTga over arbitrary bytes and checks every
// promise of its contract against an independent reading of those bytes.
//
// Used by the libFuzzer target (fuzz/tga_fuzzer.cpp), which also replays
// the seed corpus and the crash regressions through it on every run.
// Pure code; safe on any thread.
#ifndef ZIBO_FUZZ_TGA_PARSE_CHECK_H
#define ZIBO_FUZZ_TGA_PARSE_CHECK_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace zibo {

// Headers asking for more pixels than this (but fitting the 32-bit limit,
// so ParseTga would really allocate and fill up to 4 GiB) are not parsed:
// the code path is the same as for smaller images, and a fuzzer spending
// seconds and gigabytes on one input finds nothing more (inputs are at most
// a few kilobytes, so larger images are mostly zero fill anyway).
constexpr uint64_t kMaxCheckedPixels = uint64_t(1) << 16;

enum class TgaCheck {
  kPassed,   // parsed (or rejected) exactly as promised
  kSkipped,  // header above kMaxCheckedPixels; not parsed
  kFailed,   // a promise was broken; `fault` says which
};

TgaCheck CheckParseTga(const uint8_t* data, size_t size, std::string* fault);

}  // namespace zibo

#endif
