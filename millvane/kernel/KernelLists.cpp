#include "millvane/kernel/KernelLists.h"

#include <cstring>

#include "millvane/kernel/KernelVec.h"
#include "platform/numora/Memory.h"

namespace {
template <typename T>
T* Alloc(size_t n) {
  return static_cast<T*>(KX_MemAlloc(n * sizeof(T)));
}
}  // namespace

ARR_Array* ARR_New(int count, int flags) {
  if (count <= 0) return nullptr;
  auto* a = Alloc<ARR_Array>(1);
  if (!a) return nullptr;
  std::memset(a, 0, sizeof(*a));
  a->count = count;
  const size_t n = size_t(count);
  if (flags & ARR_POINTS) a->points = static_cast<double(*)[3]>(KX_MemAlloc(n * 3 * sizeof(double)));
  if (flags & ARR_VECTORS) a->vectors = static_cast<double(*)[3]>(KX_MemAlloc(n * 3 * sizeof(double)));
  if (flags & ARR_PARAMS) a->params = Alloc<double>(n);
  if (flags & ARR_WORDS) a->words = Alloc<uint64_t>(n);
  // Callers fill every array they asked for: a record missing one is no record at all.
  if (((flags & ARR_POINTS) && !a->points) || ((flags & ARR_VECTORS) && !a->vectors) ||
      ((flags & ARR_PARAMS) && !a->params) || ((flags & ARR_WORDS) && !a->words)) {
    ARR_Free(a);
    return nullptr;
  }
  return a;
}

int ARR_Free(ARR_Array* a) {
  if (!a) return 1;
  KX_MemFree(a->points);
  KX_MemFree(a->vectors);
  KX_MemFree(a->params);
  KX_MemFree(a->words);
  KX_MemFree(a);
  return 1;
}

_facet* FACET_New(int a, int b) {
  auto* t = Alloc<_facet>(1);
  if (!t) return nullptr;
  std::memset(t, 0, sizeof(*t));
  t->nodeCount = b;
  t->facetCount = a;
  if (b > 0 && !(t->nodes = Alloc<_facetnode>(size_t(b)))) {
    KX_MemFree(t);
    return nullptr;
  }
  if (a > 0 && !(t->facets = static_cast<int32_t(*)[3]>(KX_MemAlloc(size_t(a) * 3 * sizeof(int32_t))))) {
    KX_MemFree(t->nodes);
    KX_MemFree(t);
    return nullptr;
  }
  return t;
}

int FACET_Free(_facet* t) {
  if (!t) return 0;
  KX_MemFree(t->nodes);
  KX_MemFree(t->facets);
  KX_MemFree(t->user);
  KX_MemFree(t);
  return 1;
}

LST_Node* LST_NewNode(double uA, double vA, double uB, double vB, const double point[3],
                      const double vector[3]) {
  auto* n = Alloc<LST_Node>(1);
  if (!n) return nullptr;
  std::memset(n, 0, sizeof(*n));
  if (point) kv::Copy(n->point, point);
  if (vector) kv::Copy(n->vector, vector);
  n->uvA[0] = uA;
  n->uvA[1] = vA;
  n->uvB[0] = uB;
  n->uvB[1] = vB;
  return n;
}

LST_Node* LST_PushNode(LST_Node* head, double uA, double vA, double uB, double vB,
                       const double point[3], const double vector[3]) {
  LST_Node* n = LST_NewNode(uA, vA, uB, vB, point, vector);
  if (!n) return nullptr;
  return LST_LinkFront(n, head);
}

LST_Node* LST_LinkFront(LST_Node* node, LST_Node* head) {
  if (!node) return head;
  node->prev = nullptr;
  node->next = head;
  if (head) head->prev = node;
  return node;
}

LST_Node* LST_AppendChain(LST_Node* head, LST_Node* chain) {
  if (!head) return chain;
  if (!chain) return head;
  LST_Node* tail = head;
  while (tail->next) tail = tail->next;
  tail->next = chain;
  chain->prev = tail;
  return head;
}

void LST_InsertAfter(LST_Node* after, LST_Node* node) {
  node->prev = after;
  node->next = after->next;
  if (after->next) after->next->prev = node;
  after->next = node;
}

LST_Node* LST_Unlink(LST_Node* head, LST_Node* node) {
  if (!node) return head;
  if (node->prev) node->prev->next = node->next;
  if (node->next) node->next->prev = node->prev;
  if (node == head) head = node->next;
  node->prev = node->next = nullptr;
  return head;
}

LST_Node* LST_FreeChain(LST_Node* head) {
  while (head) {
    LST_Node* next = head->next;
    KX_MemFree(head);
    head = next;
  }
  return nullptr;
}

LST_Node* LST_CopyNode(const LST_Node* node) {
  if (!node) return nullptr;
  auto* n = Alloc<LST_Node>(1);
  if (!n) return nullptr;
  std::memcpy(n, node, sizeof(*n));
  n->prev = n->next = nullptr;
  return n;
}

void LST_ReverseNode(LST_Node* n) {
  if (!n) return;
  kv::Scale(n->vector, -1.0, n->vector);
  for (double& r : n->rates) r = -r;
  n->extra[1] = -n->extra[1];
}

LST_Node* LST_RemoveDuplicates(LST_Node* head, double tol) {
  for (LST_Node* a = head; a; a = a->next) {
    LST_Node* b = a->next;
    while (b) {
      LST_Node* next = b->next;
      if (kv::Dist(a->point, b->point) <= tol) {
        head = LST_Unlink(head, b);
        KX_MemFree(b);
      }
      b = next;
    }
  }
  return head;
}

int LST_Count(const LST_Node* head) {
  int n = 0;
  for (; head; head = head->next) ++n;
  return n;
}
