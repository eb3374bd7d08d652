// Scratch memory for kernel routines: take a block, use it, give it back before returning.
// The pool is a stack, so a routine holding a block may call another that takes its own.
#pragma once

#include <cstddef>

// A new block of at least `bytes` bytes, aligned for any scalar type, on top of the stack;
// null when it cannot be had (nothing is pushed then: do not release after a failure).
void* gAlcMemPool(size_t bytes);
// Releases the block taken last; nothing when none is held.
void gFreMemPool();
// Number of blocks held by the calling thread.
int gGetMemPoolDepth();
