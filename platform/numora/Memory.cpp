#include "platform/numora/Memory.h"

#include <atomic>
#include <cstdlib>

namespace {
// Allocations run on any thread: exactly one of them takes the countdown from 1 to 0.
std::atomic<long> gFailCountdown{0};
}

void* KX_MemAlloc(size_t bytes) {
  long n = gFailCountdown.load(std::memory_order_relaxed);
  while (n > 0 && !gFailCountdown.compare_exchange_weak(n, n - 1)) {
  }
  if (n == 1) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void KX_MemFree(void* p) { std::free(p); }

void KX_MemFailAfter(long n) { gFailCountdown.store(n > 0 ? n : 0); }
