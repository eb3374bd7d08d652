// Allocation for kernel records. Null on failure; tests can make the N-th call fail.
#pragma once

#include <cstddef>

void* KX_MemAlloc(size_t bytes);
void KX_MemFree(void* p);  // accepts null

// Test hook: the n-th KX_MemAlloc from now (1 = the next) returns null; 0 disarms.
void KX_MemFailAfter(long n);
