// Bucketed kd-tree over single-precision 3D points: nearest-neighbour and fixed-radius queries
// answered by index into the caller's array, with squared Euclidean distances.
#pragma once

#include <memory>
#include <vector>

struct Vec3D {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  float operator[](int d) const { return d == 0 ? x : (d == 1 ? y : z); }
  float& operator[](int d) { return d == 0 ? x : (d == 1 ? y : z); }
  Vec3D operator-(const Vec3D& o) const { return {x - o.x, y - o.y, z - o.z}; }
  float squaredLength() const { return x * x + y * y + z * z; }
};

struct kdTreePoint {
  Vec3D pos;
  unsigned int index;
};

class KdTree {
 public:
  // One candidate or result: the caller's index and the squared distance.
  struct KdNeighbour {
    int index;
    float squaredDistance;
  };

  // Bounded 1-based max-heap of candidates; the root is the current search bound.
  class CandidateHeap {
   public:
    void reset(unsigned capacity);
    void clear() { m_size = 0; }
    unsigned size() const { return m_size; }
    unsigned capacity() const { return m_capacity; }
    const KdNeighbour& top() const { return m_items[1]; }
    float bound() const { return m_items[1].squaredDistance; }
    // Appends when there is room, otherwise replaces the largest entry.
    void insert(int index, float squaredDistance);
    void popTop();

   private:
    void siftDown(unsigned i);
    std::vector<KdNeighbour> m_items;  // slot 0 unused
    unsigned m_capacity = 0;
    unsigned m_size = 0;
  };

  // Query point and the per-axis offsets from it to the cell being searched.
  struct QueryState {
    Vec3D q;
    float offset[3];
    CandidateHeap* heap;
  };

  class Node {
   public:
    virtual ~Node();
    virtual void query(float rd, QueryState& state) const = 0;
  };

  class KdNode : public Node {
   public:
    ~KdNode() override;
    void query(float rd, QueryState& state) const override;

    Node* m_children[2] = {nullptr, nullptr};  // below, above the split value
    float m_split = 0.0f;
    unsigned char m_dim = 0;  // 0 x, 1 y, 2 z
  };

  class KdLeaf : public Node {
   public:
    KdLeaf(const kdTreePoint* points, unsigned count) : m_points(points), m_count(count) {}
    void query(float rd, QueryState& state) const override;

    const kdTreePoint* m_points;
    unsigned m_count;
  };

  // `points` must stay alive while the tree is used. A bucket size of 0 counts as 1;
  // a tree over no points finds nothing.
  KdTree(const Vec3D* points, unsigned count, unsigned bucketSize);
  // Copies share the built tree (it is never changed after construction) but not the
  // query buffers, so each copy queries on its own.
  KdTree(const KdTree&) = default;
  KdTree& operator=(const KdTree&) = default;
  virtual ~KdTree();

  // Queries return up to 40 * k candidates.
  void setNOfNeighbours(unsigned k);
  void queryPosition(const Vec3D& q);
  // The points whose squared distance to q is below `bound`.
  void queryRange(const Vec3D& q, float bound);

  unsigned getNOfFoundNeighbours() const { return m_nFound; }
  unsigned getNOfQueryNeighbours() const { return m_k; }
  unsigned getNeighbourPositionIndex(unsigned i) const { return m_results[i].index; }
  const Vec3D& getNeighbourPosition(unsigned i) const { return m_pCallerPoints[m_results[i].index]; }
  float getSquaredDistance(unsigned i) const { return m_results[i].squaredDistance; }

 protected:
  void computeEnclosingBoundingBox(Vec3D& min, Vec3D& max) const;
  static float computeBoxDistance(const Vec3D& q, const Vec3D& min, const Vec3D& max);
  static void getSpread(const kdTreePoint* points, unsigned n, Vec3D& max, Vec3D& min);
  static void getMinMax(const kdTreePoint* points, unsigned n, int dim, float& min, float& max);
  static void splitAtMid(kdTreePoint* points, unsigned n, int dim, float value, unsigned& below,
                         unsigned& belowOrEqual);
  void createTree(KdNode& node, unsigned first, unsigned last, Vec3D max, Vec3D min);

 private:
  // Points and nodes are built once and shared by copies.
  struct Built {
    std::vector<kdTreePoint> points;
    std::unique_ptr<Node> root;
  };
  void query(const Vec3D& q, float bound);

  std::shared_ptr<Built> m_built;
  const Vec3D* m_pCallerPoints;
  std::vector<KdNeighbour> m_results;
  unsigned m_bucketSize;
  unsigned m_nFound = 0;
  unsigned m_k = 0;
  unsigned m_nPoints;
  CandidateHeap m_heap;
  Vec3D m_boxMin;
  Vec3D m_boxMax;
};
