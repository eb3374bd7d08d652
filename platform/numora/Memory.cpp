#include "platform/numora/Memory.h"

#include <cstdlib>

namespace {
long gFailCountdown = 0;
}

void* KX_MemAlloc(size_t bytes) {
  if (gFailCountdown > 0 && --gFailCountdown == 0) return nullptr;
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void KX_MemFree(void* p) { std::free(p); }

void KX_MemFailAfter(long n) { gFailCountdown = n > 0 ? n : 0; }
