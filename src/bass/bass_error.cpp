#include "bass/bass_error.h"

#include <atomic>

namespace zibo::bass {
namespace {
std::atomic<int> g_last_error{0};
}

void SetError(int code) { g_last_error.store(code, std::memory_order_relaxed); }
int LastError() { return g_last_error.load(std::memory_order_relaxed); }

}  // namespace zibo::bass
