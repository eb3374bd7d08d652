#include "geometry/tools/RBTree.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace {

constexpr int kRed = 1;
constexpr int kBlack = 0;

// Never written after start-up, so that trees on different threads do not touch each other.
RBNode_ gNil = {&gNil, &gNil, nullptr, kBlack, 0.0, nullptr};

}  // namespace

RBNode_* RBTree::Nil() { return &gNil; }

RBTree::RBTree(float tolerance) : m_root(&gNil), m_tolerance(tolerance) {}

RBTree::RBTree(RBTree&& other) noexcept
    : m_root(std::exchange(other.m_root, &gNil)),
      m_tolerance(other.m_tolerance),
      m_deleter(other.m_deleter) {}

RBTree& RBTree::operator=(RBTree&& other) noexcept {
  if (this != &other) {
    FreeAll();
    m_root = std::exchange(other.m_root, &gNil);
    m_tolerance = other.m_tolerance;
    m_deleter = other.m_deleter;
  }
  return *this;
}

RBTree::~RBTree() { FreeAll(); }

// Frees without extra memory: left children are rotated up until the node at hand has
// none, so it can go and its right subtree takes its place.
void RBTree::FreeAll() {
  RBNode_* n = m_root;
  while (n != &gNil) {
    if (n->left != &gNil) {
      RBNode_* l = n->left;
      n->left = l->right;
      l->right = n;
      n = l;
    } else {
      RBNode_* r = n->right;
      if (n->user && m_deleter) m_deleter(n->user);
      delete n;
      n = r;
    }
  }
  m_root = &gNil;
}

bool RBTree::Matches(const RBNode_* n, double key) const {
  return std::fabs(key - n->key) < m_tolerance;
}

RBNode_* RBTree::insertNode(double key) {
  RBNode_* parent = nullptr;
  for (RBNode_* n = m_root; n != &gNil; n = key < n->key ? n->left : n->right) {
    if (Matches(n, key)) return n;
    parent = n;
  }
  RBNode_* z = new (std::nothrow) RBNode_{&gNil, &gNil, parent, kRed, key, nullptr};
  if (!z) {
    std::fputs("insufficient memory (insertNode)\n", stdout);
    return nullptr;
  }
  if (!parent) {
    m_root = z;
  } else if (key < parent->key) {
    parent->left = z;
  } else {
    parent->right = z;
  }
  insertFixup(z);
  return z;
}

RBNode_* RBTree::findNode(double key) const {
  for (RBNode_* n = m_root; n != &gNil; n = key < n->key ? n->left : n->right) {
    if (Matches(n, key)) return n;
  }
  return nullptr;
}

void RBTree::findNodeRange(double lo, double hi, CList<RBNode_*, RBNode_*>& out) const {
  if (!(hi > lo) || m_root == &gNil) return;
  lo -= m_tolerance;
  hi += m_tolerance;
  RBNode_* start = nullptr;  // the largest key not above hi
  for (RBNode_* n = m_root; n != &gNil;) {
    if (n->key > hi) {
      n = n->left;
    } else {
      start = n;
      n = n->right;
    }
  }
  for (RBNode_* n = start; n && n != &gNil && n->key >= lo; n = GetPredecessorOf(n)) out.AddTail(n);
}

RBNode_* RBTree::GetPredecessorOf(RBNode_* n) const {
  if (!n || n == &gNil) return nullptr;
  if (n->left != &gNil) {
    n = n->left;
    while (n->right != &gNil) n = n->right;
    return n;
  }
  RBNode_* p = n->parent;
  if (!p) return nullptr;
  while (n == p->left) {
    if (p == m_root) return &gNil;  // n was the smallest key
    n = p;
    p = p->parent;
  }
  return p;
}

RBNode_* RBTree::GetSuccessorOf(RBNode_* n) const {
  if (!n || n == &gNil) return nullptr;
  if (n->right != &gNil) {
    n = n->right;
    while (n->left != &gNil) n = n->left;
    return n;
  }
  RBNode_* p = n->parent;
  while (p && n == p->right) {
    n = p;
    p = p->parent;
  }
  return p;
}

void RBTree::deleteNode(RBNode_* z) {
  if (!z || z == &gNil) return;
  RBNode_* y = z;
  if (z->left != &gNil && z->right != &gNil) {
    y = z->right;
    while (y->left != &gNil) y = y->left;
  }
  RBNode_* x = y->left != &gNil ? y->left : y->right;
  // The fix-up is told x's parent rather than reading it from x, which may be the sentinel.
  RBNode_* xParent = y->parent;
  if (x != &gNil) x->parent = xParent;
  if (!y->parent) {
    m_root = x;
  } else if (y == y->parent->left) {
    y->parent->left = x;
  } else {
    y->parent->right = x;
  }
  if (y != z) {
    z->key = y->key;
    z->user = y->user;
  }
  if (y->color == kBlack) deleteFixup(x, xParent);
  delete y;
}

// One side's child; `right` picks the side, so each balancing step is written once for
// both mirror images.
static RBNode_*& Child(RBNode_* n, bool right) { return right ? n->right : n->left; }

void RBTree::rotateLeft(RBNode_* x) { Rotate(x, true); }

void RBTree::rotateRight(RBNode_* x) { Rotate(x, false); }

// Lifts x's child on side `up` into x's place; x becomes that child's other child.
void RBTree::Rotate(RBNode_* x, bool up) {
  RBNode_* y = Child(x, up);
  Child(x, up) = Child(y, !up);
  if (Child(y, !up) != &gNil) Child(y, !up)->parent = x;
  y->parent = x->parent;
  if (!x->parent) {
    m_root = y;
  } else {
    Child(x->parent, x == x->parent->right) = y;
  }
  Child(y, !up) = x;
  x->parent = y;
}

void RBTree::insertFixup(RBNode_* z) {
  while (z != m_root && z->parent->color == kRed) {
    RBNode_* p = z->parent;
    RBNode_* g = p->parent;  // exists: a red node is never the root
    const bool side = p == g->right;
    RBNode_* uncle = Child(g, !side);
    if (uncle->color == kRed) {
      p->color = kBlack;
      uncle->color = kBlack;
      g->color = kRed;
      z = g;
    } else {
      if (z == Child(p, !side)) {
        z = p;
        Rotate(z, !side);
      }
      z->parent->color = kBlack;
      z->parent->parent->color = kRed;
      Rotate(z->parent->parent, side);
    }
  }
  m_root->color = kBlack;
}

// x's sibling is never the sentinel (y was black), so `side` is unambiguous even when x is.
void RBTree::deleteFixup(RBNode_* x, RBNode_* p) {
  while (x != m_root && x->color == kBlack) {
    const bool side = x == p->right;
    RBNode_* w = Child(p, !side);
    if (w->color == kRed) {
      w->color = kBlack;
      p->color = kRed;
      Rotate(p, !side);
      w = Child(p, !side);
    }
    if (w->left->color == kBlack && w->right->color == kBlack) {
      w->color = kRed;
      x = p;
      p = x->parent;
    } else {
      if (Child(w, !side)->color == kBlack) {
        Child(w, side)->color = kBlack;
        w->color = kRed;
        Rotate(w, side);
        w = Child(p, !side);
      }
      w->color = p->color;
      p->color = kBlack;
      Child(w, !side)->color = kBlack;
      Rotate(p, !side);
      x = m_root;
    }
  }
  if (x != &gNil) x->color = kBlack;
}
