#include "platform/win/GlobalMem.h"

#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace {
struct Block {
  std::vector<BYTE> bytes;
  int locks = 0;
};

constexpr size_t kMaxBlock = size_t{1} << 31;

// Handles may cross threads (a worker fills a block the GUI thread puts on the clipboard).
std::mutex g_mutex;
std::unordered_map<HGLOBAL, std::unique_ptr<Block>>& Blocks() {
  static std::unordered_map<HGLOBAL, std::unique_ptr<Block>> blocks;
  return blocks;
}

Block* Find(HGLOBAL h) {
  auto it = Blocks().find(h);
  return it == Blocks().end() ? nullptr : it->second.get();
}
}  // namespace

HGLOBAL GlobalAlloc(UINT, size_t dwBytes) {
  if (dwBytes > kMaxBlock) return nullptr;
  try {
    auto block = std::make_unique<Block>();
    block->bytes.assign(dwBytes, 0);
    std::lock_guard lock(g_mutex);
    HGLOBAL h = block.get();
    Blocks().emplace(h, std::move(block));
    return h;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, size_t dwBytes, UINT) {
  if (dwBytes > kMaxBlock) return nullptr;
  std::lock_guard lock(g_mutex);
  Block* b = Find(hMem);
  if (!b) return nullptr;
  try {
    b->bytes.resize(dwBytes, 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return hMem;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  std::lock_guard lock(g_mutex);
  Block* b = Find(hMem);
  if (!b) return nullptr;
  ++b->locks;
  // A zero-sized block still has an address to hand out.
  static BYTE empty = 0;
  return b->bytes.empty() ? &empty : b->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  std::lock_guard lock(g_mutex);
  Block* b = Find(hMem);
  if (!b) return FALSE;
  if (b->locks > 0) --b->locks;
  return b->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL hMem) {
  std::lock_guard lock(g_mutex);
  const Block* b = Find(hMem);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  std::lock_guard lock(g_mutex);
  return Blocks().erase(hMem) ? nullptr : hMem;
}
