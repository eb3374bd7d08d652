// Endpoint index: red-black invariants after random edits, queries against std::map, and
// ownership of the nodes' user data.
#include "geometry/tools/RBTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace {

RBNode_* const kNil = RBTree::Nil();

// Returns the black height; checks order, colours, parent links and that keys stay apart.
int CheckSubtree(const RBNode_* n, const RBNode_* parent, double lo, double hi, int& count) {
  if (n == kNil) return 1;
  ++count;
  EXPECT_EQ(n->parent, parent);
  EXPECT_TRUE(n->key > lo && n->key < hi) << "order broken at " << n->key;
  EXPECT_TRUE(n->color == 0 || n->color == 1);
  if (n->color == 1) {
    EXPECT_EQ(n->left->color, 0) << "red node with red child at " << n->key;
    EXPECT_EQ(n->right->color, 0) << "red node with red child at " << n->key;
  }
  const int l = CheckSubtree(n->left, n, lo, n->key, count);
  const int r = CheckSubtree(n->right, n, n->key, hi, count);
  EXPECT_EQ(l, r) << "black heights differ at " << n->key;
  return l + (n->color == 0 ? 1 : 0);
}

void ExpectValid(const RBTree& t, int expectedCount) {
  int count = 0;
  if (!t.IsEmpty()) {
    EXPECT_EQ(t.GetRoot()->color, 0) << "root is black";
    CheckSubtree(t.GetRoot(), nullptr, -INFINITY, INFINITY, count);
  }
  EXPECT_EQ(count, expectedCount);
}

void ExpectSentinelIntact() {
  EXPECT_EQ(kNil->left, kNil);
  EXPECT_EQ(kNil->right, kNil);
  EXPECT_EQ(kNil->parent, nullptr);
  EXPECT_EQ(kNil->color, 0);
  EXPECT_EQ(kNil->key, 0.0);
  EXPECT_EQ(kNil->user, nullptr);
}

int Height(const RBNode_* n) {
  return n == kNil ? 0 : 1 + std::max(Height(n->left), Height(n->right));
}

std::vector<double> RangeKeys(const RBTree& t, double lo, double hi) {
  CList<RBNode_*, RBNode_*> out;
  t.findNodeRange(lo, hi, out);
  std::vector<double> keys;
  for (POSITION pos = out.GetHeadPosition(); pos;) keys.push_back(out.GetNext(pos)->key);
  return keys;
}

// User data whose destruction is counted.
struct Payload {
  explicit Payload(int v) : value(v) { ++alive; }
  ~Payload() { --alive; }
  int value;
  static int alive;
};
int Payload::alive = 0;

}  // namespace

TEST(RBTree, KeysWithinTheToleranceShareANode) {
  RBTree t;
  RBNode_* a = t.insertNode(1.0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->user, nullptr);
  EXPECT_EQ(t.insertNode(1.005), a);
  RBNode_* b = t.insertNode(1.01);
  EXPECT_NE(b, a) << "a difference of the tolerance itself is another key";
  EXPECT_EQ(t.findNode(0.995), a);
  EXPECT_EQ(t.findNode(1.0149), b);
  EXPECT_EQ(t.findNode(1.03), nullptr);
  RBTree fine(0.005f);
  EXPECT_NE(fine.insertNode(1.0), fine.insertNode(1.006));
  ExpectValid(t, 2);
}

TEST(RBTree, RangeQueries) {
  RBTree t;
  for (double k : {5.0, 1.0, 9.0}) t.insertNode(k);
  EXPECT_EQ(RangeKeys(t, 0, 10), (std::vector<double>{9, 5, 1})) << "descending order";
  EXPECT_TRUE(RangeKeys(t, 0.5, 0.5).empty()) << "hi not above lo";
  EXPECT_TRUE(RangeKeys(t, 7, 6).empty());
  EXPECT_TRUE(RangeKeys(RBTree(), 0, 10).empty());
  EXPECT_EQ(RangeKeys(t, 5.005, 8.992), (std::vector<double>{9, 5})) << "keys within the tolerance";
  EXPECT_TRUE(RangeKeys(t, 5.011, 8.989).empty());

  // A position filed under a nearby key must be found by a narrow query around it.
  RBTree beam;
  RBNode_* n = beam.insertNode(1.0);
  ASSERT_EQ(beam.insertNode(1.009), n);
  CList<RBNode_*, RBNode_*> out;
  beam.findNodeRange(1.009 - 0.001, 1.009 + 0.001, out);
  ASSERT_EQ(out.GetCount(), 1);
  EXPECT_EQ(out.GetHead(), n);
}

TEST(RBTree, StaysBalancedOnSortedInput) {
  RBTree t;
  for (int k = 1; k <= 1000; ++k) t.insertNode(k);
  ExpectValid(t, 1000);
  EXPECT_LE(Height(t.GetRoot()), 2 * std::log2(1001.0));
}

TEST(RBTree, NeighboursAndDeletionOfInnerNode) {
  RBTree t;
  for (int k = 1; k <= 15; ++k) t.insertNode(k);
  RBNode_* root = t.GetRoot();
  RBNode_* largestLeft = root->left;
  while (largestLeft->right != kNil) largestLeft = largestLeft->right;
  EXPECT_EQ(t.GetSuccessorOf(largestLeft), root);
  EXPECT_EQ(t.GetPredecessorOf(root), largestLeft);

  RBNode_* two = t.findNode(4);
  ASSERT_NE(two->left, kNil);
  ASSERT_NE(two->right, kNil);
  int payload = 0;
  t.findNode(5)->user = &payload;
  t.deleteNode(two);
  EXPECT_EQ(two->key, 5) << "the node object takes over its successor's key";
  EXPECT_EQ(two->user, &payload);
  EXPECT_EQ(t.findNode(4), nullptr);
  EXPECT_EQ(t.findNode(5), two);
  t.deleteNode(nullptr);
  t.deleteNode(kNil);
  ExpectValid(t, 14);
  ExpectSentinelIntact();
}

TEST(RBTree, MatchesStdMapUnderRandomEdits) {
  // Keys on a 0.03 grid with jitter below 0.004: one grid cell is one key of the tree.
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> cell(0, 400);
  std::uniform_real_distribution<double> jitter(-0.004, 0.004);
  RBTree t;
  t.SetUserDeleter(&RBTree::DeleteAs<Payload>);
  std::map<int, double> model;  // grid cell -> key the tree keeps for it
  for (int step = 0; step < 4000; ++step) {
    const int c = cell(rng);
    const double k = c * 0.03 + jitter(rng);
    if (step % 3 != 2) {
      RBNode_* n = t.insertNode(k);
      ASSERT_NE(n, nullptr);
      const auto [it, added] = model.emplace(c, k);
      EXPECT_EQ(n->key, it->second);
      if (added) {
        EXPECT_EQ(n->user, nullptr);
        n->user = new Payload(c);
      }
    } else if (RBNode_* n = t.findNode(k)) {
      ASSERT_EQ(model.count(c), 1u);
      delete static_cast<Payload*>(n->user);
      t.deleteNode(n);
      model.erase(c);
    } else {
      EXPECT_EQ(model.count(c), 0u);
    }
    if (step % 200 == 0) ExpectValid(t, int(model.size()));
  }
  ExpectValid(t, int(model.size()));
  EXPECT_EQ(Payload::alive, int(model.size()));

  // Every key keeps its user data; neighbours follow the key order.
  for (auto it = model.begin(); it != model.end(); ++it) {
    RBNode_* n = t.findNode(it->second);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(static_cast<Payload*>(n->user)->value, it->first);
    RBNode_* next = t.GetSuccessorOf(n);
    RBNode_* prev = t.GetPredecessorOf(n);
    if (std::next(it) == model.end()) {
      EXPECT_EQ(next, nullptr);
    } else {
      ASSERT_NE(next, nullptr);
      EXPECT_EQ(next->key, std::next(it)->second);
    }
    if (it == model.begin()) {
      EXPECT_TRUE(prev == nullptr || prev == kNil);
    } else {
      ASSERT_TRUE(prev != nullptr && prev != kNil);
      EXPECT_EQ(prev->key, std::prev(it)->second);
    }
  }

  // Range queries: keys within the tolerance of [lo, hi], largest first.
  std::uniform_real_distribution<double> pos(-1.0, 13.0);
  for (int q = 0; q < 300; ++q) {
    double lo = pos(rng), hi = lo + std::abs(pos(rng)) * (q % 4 == 0 ? 0.01 : 0.3);
    std::vector<double> expected;
    const double tol = t.GetTolerance();
    for (auto it = model.rbegin(); it != model.rend(); ++it)
      if (it->second >= lo - tol && it->second <= hi + tol) expected.push_back(it->second);
    EXPECT_EQ(RangeKeys(t, lo, hi), expected) << "[" << lo << ", " << hi << "]";
  }
}

TEST(RBTree, OwnsUserDataAndMoves) {
  Payload::alive = 0;
  {
    RBTree a;
    a.SetUserDeleter(&RBTree::DeleteAs<Payload>);
    for (int k = 0; k < 50; ++k) a.insertNode(k)->user = new Payload(k);
    a.insertNode(100.0);  // a node without data
    RBTree b(std::move(a));
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(b.findNode(7)->user != nullptr, true);
    RBTree c;
    c.insertNode(3.0)->user = new Payload(-1);
    c.SetUserDeleter(&RBTree::DeleteAs<Payload>);
    c = std::move(b);  // frees c's own node and data
    EXPECT_EQ(Payload::alive, 50);
    ExpectValid(c, 51);
  }
  EXPECT_EQ(Payload::alive, 0) << "destroying the tree destroys the user data";

  int notOwned = 5;
  {
    RBTree plain;  // without a deleter the data stays the caller's
    plain.insertNode(1.0)->user = &notOwned;
  }
  EXPECT_EQ(notOwned, 5);
}

TEST(RBTree, TreesShareTheSentinelSafely) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> key(0, 300);
  RBTree a, b;
  std::map<int, int> inA, inB;
  for (int step = 0; step < 3000; ++step) {
    RBTree& t = step % 2 ? a : b;
    auto& m = step % 2 ? inA : inB;
    const int k = key(rng);
    if (m.count(k)) {
      t.deleteNode(t.findNode(k));
      m.erase(k);
    } else {
      t.insertNode(k);
      m[k] = 1;
    }
    if (step % 500 == 0) ExpectSentinelIntact();
  }
  ExpectValid(a, int(inA.size()));
  ExpectValid(b, int(inB.size()));
  ExpectSentinelIntact();
}
