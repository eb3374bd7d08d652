#include "platform/vurode/MemPool.h"

#include <memory>
#include <new>
#include <vector>

namespace {

// Sizes beyond this are a caller's arithmetic gone wrong (a negative count made unsigned),
// not a request to honour.
constexpr size_t kMaxBlock = size_t(1) << 40;

// One stack per thread: nested use stays strictly last-in first-out even when two threads
// run kernel code at once.
std::vector<std::unique_ptr<std::byte[]>>& Stack() {
  thread_local std::vector<std::unique_ptr<std::byte[]>> stack;
  return stack;
}

}  // namespace

void* gAlcMemPool(size_t bytes) {
  if (bytes > kMaxBlock) return nullptr;
  auto& stack = Stack();
  std::unique_ptr<std::byte[]> block(new (std::nothrow) std::byte[bytes ? bytes : 1]);
  if (!block) return nullptr;
  try {
    stack.push_back(std::move(block));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return stack.back().get();
}

void gFreMemPool() {
  auto& stack = Stack();
  if (!stack.empty()) stack.pop_back();
}

int gGetMemPoolDepth() { return static_cast<int>(Stack().size()); }
