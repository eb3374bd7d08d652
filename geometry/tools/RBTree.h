// Red-black tree keyed by a double in which keys closer than a tolerance are one key. It
// indexes curve end points by x: each node carries, through its user pointer, the caller's
// list of the curves there, so curves near a point are found by a key-range query.
#pragma once

#include "platform/afx/List.h"

struct RBNode_ {
  RBNode_* left;
  RBNode_* right;
  RBNode_* parent;
  int color;  // 1 red, 0 black
  double key;
  void* user;  // the caller's data; null when the node is made
};

class RBTree {
 public:
  using UserDeleter = void (*)(void*);

  explicit RBTree(float tolerance = 0.01f);
  // A tree owns its nodes: copies would free them twice, so trees only move.
  RBTree(const RBTree&) = delete;
  RBTree& operator=(const RBTree&) = delete;
  RBTree(RBTree&& other) noexcept;
  RBTree& operator=(RBTree&& other) noexcept;
  // Frees the nodes and, when a deleter is set, the user data still attached to them.
  ~RBTree();

  // Makes the tree own its nodes' user data, all of one type: SetUserDeleter(&DeleteAs<T>).
  void SetUserDeleter(UserDeleter deleter) { m_deleter = deleter; }
  template <class T>
  static void DeleteAs(void* p) {
    delete static_cast<T*>(p);
  }

  // The leaf sentinel shared by all trees; GetPredecessorOf may return it. No tree writes to
  // it, so trees may be used on different threads at once.
  static RBNode_* Nil();
  RBNode_* GetRoot() const { return m_root; }
  bool IsEmpty() const { return m_root == Nil(); }
  float GetTolerance() const { return m_tolerance; }

  // The node within the tolerance of `key`, else a new one; null when memory runs out.
  RBNode_* insertNode(double key);
  RBNode_* findNode(double key) const;
  // Appends, in descending key order, every node that may hold a position in [lo, hi]: a
  // node stands for positions up to the tolerance away from its key, so the range is
  // widened by the tolerance. Nothing when hi is not above lo.
  void findNodeRange(double lo, double hi, CList<RBNode_*, RBNode_*>& out) const;
  // Removes the key of `n`. The caller releases n's user data first. When n has two
  // children, the node object n stays and takes over its successor's key and user data;
  // the successor's node object is freed.
  void deleteNode(RBNode_* n);
  RBNode_* GetPredecessorOf(RBNode_* n) const;
  RBNode_* GetSuccessorOf(RBNode_* n) const;

 protected:
  void rotateLeft(RBNode_* x);
  void rotateRight(RBNode_* x);
  void insertFixup(RBNode_* z);
  // x took the removed node's place under parent (x may be the sentinel).
  void deleteFixup(RBNode_* x, RBNode_* parent);

 private:
  bool Matches(const RBNode_* n, double key) const;
  void Rotate(RBNode_* x, bool up);
  void FreeAll();

  RBNode_* m_root;
  float m_tolerance;
  UserDeleter m_deleter = nullptr;
};
