// Helpers shared by the conversion sources.
#pragma once

#include <cstddef>

#include "platform/vurode/MemPool.h"

namespace convert {

// Scratch block of n elements from the pool, given back when the scope ends.
template <class T>
class PoolArray {
 public:
  explicit PoolArray(size_t n) : p_(n ? static_cast<T*>(gAlcMemPool(n * sizeof(T))) : nullptr) {}
  ~PoolArray() {
    if (p_) gFreMemPool();
  }
  PoolArray(const PoolArray&) = delete;
  PoolArray& operator=(const PoolArray&) = delete;
  T* get() const { return p_; }
  T& operator[](size_t i) const { return p_[i]; }

 private:
  T* p_;
};

using Pt3 = double[3];

}  // namespace convert
