#include "bass/bass_error.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace zibo::bass {
namespace {
std::atomic<int> g_last_error{0};
char g_detail[512];  // show's thread only
}

void SetError(int code) { g_last_error.store(code, std::memory_order_relaxed); }
int LastError() { return g_last_error.load(std::memory_order_relaxed); }

void SetErrorDetail(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_detail, sizeof g_detail, format, args);
  va_end(args);
}

const char* LastErrorDetail() { return g_detail; }

}  // namespace zibo::bass
