#include "millvane/surfpaths/LayerBorder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "millvane/paths/ProtectNet.h"

namespace layer {
namespace {

constexpr int kDr[4] = {0, 1, 0, -1};
constexpr int kDc[4] = {1, 0, -1, 0};

bool Inside(const CProtectNet& net, int r, int c) {
  return r >= 0 && c >= 0 && r < net.rows && c < net.cols;
}

uint8_t& Mark(CProtectNet& net, int r, int c) {
  return net.marks[static_cast<size_t>(r) * net.cols + c];
}

// Out-of-net nodes count as free so that a malformed net cannot walk off the grid.
bool Covered(const CProtectNet& net, int r, int c) {
  return Inside(net, r, c) && net.marks[static_cast<size_t>(r) * net.cols + c] != 0;
}

uint8_t DirTowards(const BorderNode& a, const BorderNode& b) {
  const int dr = b.row - a.row, dc = b.col - a.col;
  if (dr == 0 && dc == 0) return kNoDir;
  if (std::abs(dc) >= std::abs(dr)) return dc > 0 ? 0 : 2;
  return dr > 0 ? 1 : 3;
}

void BoxAndArea(BorderChain& ch) {
  if (ch.nodes.empty()) return;
  ch.rowMin = ch.rowMax = ch.nodes[0].row;
  ch.colMin = ch.colMax = ch.nodes[0].col;
  long long s = 0;
  const size_t n = ch.nodes.size();
  for (size_t i = 0; i < n; ++i) {
    const BorderNode& a = ch.nodes[i];
    const BorderNode& b = ch.nodes[(i + 1) % n];
    ch.rowMin = std::min(ch.rowMin, a.row);
    ch.rowMax = std::max(ch.rowMax, a.row);
    ch.colMin = std::min(ch.colMin, a.col);
    ch.colMax = std::max(ch.colMax, a.col);
    s += static_cast<long long>(a.col) * b.row - static_cast<long long>(b.col) * a.row;
  }
  ch.area = 0.5 * static_cast<double>(s);
}

// A one-node-wide spur makes two consecutive directions opposite; the extra node at the tip
// turns the walk round the tip, so that the cells along the border stay on one side.
void InsertSpurNodes(BorderChain& ch) {
  const size_t n = ch.nodes.size();
  if (n < 2) return;
  std::vector<BorderNode> out;
  out.reserve(n + 8);
  for (size_t i = 0; i < n; ++i) {
    const BorderNode& cur = ch.nodes[i];
    const BorderNode& prev = ch.nodes[(i + n - 1) % n];
    if (cur.dir < 4 && prev.dir < 4 && (prev.dir + 2) % 4 == cur.dir)
      out.push_back({cur.row, cur.col, static_cast<uint8_t>((cur.dir + 3) % 4)});
    out.push_back(cur);
  }
  ch.nodes.swap(out);
}

// The left neighbour (row, col) lies inside the chain when an odd number of the chain's nodes
// in that row lie left of it; a row holding a repeated or adjacent pair is ambiguous and counts
// as outside. The row list grows with the chain: a wide comb-shaped border may put any number
// of nodes in one row.
bool LeftNeighbourInside(const BorderChain& ch, int row, int col) {
  std::vector<int> cols;
  for (const BorderNode& n : ch.nodes)
    if (n.row == row && n.dir != kNoDir) cols.push_back(n.col);
  std::sort(cols.begin(), cols.end());
  // Spur tip nodes repeat their node with another direction; one position counts once.
  for (size_t i = 1; i < cols.size(); ++i)
    if (cols[i] - cols[i - 1] <= 1) return false;
  const long left = std::count_if(cols.begin(), cols.end(), [&](int c) { return c < col; });
  return left % 2 == 1;
}

size_t Find(const BorderChain& ch, int r, int c) {
  for (size_t i = 0; i < ch.nodes.size(); ++i)
    if (ch.nodes[i].row == r && ch.nodes[i].col == c) return i;
  return ch.nodes.size();
}

// Drops spur copies (same position as the node before) so that directions can be recomputed.
void DropRepeats(BorderChain& ch) {
  std::vector<BorderNode> out;
  for (const BorderNode& n : ch.nodes)
    if (out.empty() || out.back().row != n.row || out.back().col != n.col) out.push_back(n);
  while (out.size() > 1 && out.back().row == out.front().row && out.back().col == out.front().col)
    out.pop_back();
  ch.nodes.swap(out);
}

void ReduceRuns(BorderChain& ch) {
  bool again = true;
  while (again && ch.nodes.size() > 2) {
    again = false;
    const size_t n = ch.nodes.size();
    for (size_t i = 0; i < n; ++i) {
      const BorderNode& p = ch.nodes[(i + n - 1) % n];
      const BorderNode& c = ch.nodes[i];
      const BorderNode& x = ch.nodes[(i + 1) % n];
      const bool inRow = p.row == c.row && c.row == x.row &&
                         (c.col - p.col) * (x.col - c.col) > 0;
      const bool inCol = p.col == c.col && c.col == x.col &&
                         (c.row - p.row) * (x.row - c.row) > 0;
      if (inRow || inCol) {
        ch.nodes.erase(ch.nodes.begin() + static_cast<long>(i));
        again = true;
        break;
      }
    }
  }
}

struct Holder {
  size_t chain;
  size_t node;
};

Holder Locate(const std::vector<BorderChain>& chains, int r, int c) {
  for (size_t k = 0; k < chains.size(); ++k) {
    const BorderChain& ch = chains[k];
    if (r < ch.rowMin || r > ch.rowMax || c < ch.colMin || c > ch.colMax) continue;
    const size_t i = Find(ch, r, c);
    if (i < ch.nodes.size()) return {k, i};
  }
  return {chains.size(), 0};
}

// Moves node i of a chain onto (r, c), keeping the walk axis-aligned where it ran straight.
void MoveOnto(BorderChain& ch, size_t i, int r, int c) {
  const size_t n = ch.nodes.size();
  const BorderNode p = ch.nodes[(i + n - 1) % n];
  const BorderNode nn = ch.nodes[i];
  const BorderNode x = ch.nodes[(i + 1) % n];
  size_t at = i;
  if (p.row == nn.row && nn.row == x.row) {
    if (c == p.col) {
      ch.nodes.insert(ch.nodes.begin() + static_cast<long>((i + 1) % n), {r, x.col, kNoDir});
      if ((i + 1) % n == 0) ++at;  // inserted at the front shifts the node
    } else {
      ch.nodes.insert(ch.nodes.begin() + static_cast<long>(i), {r, p.col, kNoDir});
      ++at;
    }
  } else if (p.col == nn.col && nn.col == x.col) {
    if (r == p.row) {
      ch.nodes.insert(ch.nodes.begin() + static_cast<long>((i + 1) % n), {x.row, c, kNoDir});
      if ((i + 1) % n == 0) ++at;
    } else {
      ch.nodes.insert(ch.nodes.begin() + static_cast<long>(i), {p.row, c, kNoDir});
      ++at;
    }
  }
  ch.nodes[at].row = r;
  ch.nodes[at].col = c;
}

}  // namespace

void MarkCovered(CProtectNet& net, double z) {
  const size_t n = static_cast<size_t>(net.rows) * static_cast<size_t>(net.cols);
  if (net.marks.size() < n || net.heights.size() < n) return;
  for (size_t i = 0; i < n; ++i) net.marks[i] = net.heights[i] > z + 0.0001 ? 1 : 0;
}

std::vector<Saddle> FillSaddles(CProtectNet& net) {
  std::vector<Saddle> saddles;
  for (int r = 1; r + 1 <= net.rows - 2; ++r)
    for (int c = 1; c + 1 <= net.cols - 2; ++c) {
      const bool a = Covered(net, r, c), b = Covered(net, r, c + 1);
      const bool d = Covered(net, r + 1, c), e = Covered(net, r + 1, c + 1);
      Saddle s;
      if (a && e && !b && !d) {
        s.row[0] = r, s.col[0] = c + 1, s.row[1] = r + 1, s.col[1] = c;
      } else if (b && d && !a && !e) {
        s.row[0] = r, s.col[0] = c, s.row[1] = r + 1, s.col[1] = c + 1;
      } else {
        continue;
      }
      Mark(net, s.row[0], s.col[0]) = 1;
      Mark(net, s.row[1], s.col[1]) = 1;
      saddles.push_back(s);
    }
  for (const Saddle& s : saddles) {
    Mark(net, s.row[0], s.col[0]) = 3;
    Mark(net, s.row[1], s.col[1]) = 3;
  }
  return saddles;
}

void RefreshChain(BorderChain& ch) {
  DropRepeats(ch);
  const size_t n = ch.nodes.size();
  for (size_t i = 0; i < n; ++i)
    ch.nodes[i].dir = n > 1 ? DirTowards(ch.nodes[i], ch.nodes[(i + 1) % n]) : kNoDir;
  InsertSpurNodes(ch);
  BoxAndArea(ch);
}

std::vector<BorderChain> TraceBorders(CProtectNet& net) {
  std::vector<BorderChain> chains;
  if (net.rows < 3 || net.cols < 3) return chains;
  // A closed walk visits each node at most four times (once per side).
  const size_t maxSteps = 4 * static_cast<size_t>(net.rows) * static_cast<size_t>(net.cols) + 8;
  for (int r = 1; r <= net.rows - 2; ++r)
    for (int c = 1; c <= net.cols - 2; ++c) {
      if (Mark(net, r, c) != 1 || Covered(net, r, c - 1)) continue;
      BorderChain ch;
      ch.nodes.push_back({r, c, kNoDir});
      Mark(net, r, c) = 2;
      bool lone = true;
      for (int d = 0; d < 4; ++d) lone = lone && !Covered(net, r + kDr[d], c + kDc[d]);
      if (!lone) {
        int cr = r, cc = c, d = 3;
        std::vector<uint8_t> dirs;
        for (size_t step = 0; step < maxSteps; ++step) {
          const int nr = cr + kDr[d], nc = cc + kDc[d];
          if (!Covered(net, nr, nc)) {
            d = (d + 1) % 4;
            continue;
          }
          ch.nodes.back().dir = static_cast<uint8_t>(d);
          cr = nr, cc = nc;
          if (cr == r && cc == c) break;
          ch.nodes.push_back({cr, cc, kNoDir});
          if (Mark(net, cr, cc) != 3) Mark(net, cr, cc) = 2;
          const int left = (d + 3) % 4;
          if (Covered(net, cr + kDr[left], cc + kDc[left])) d = left;
        }
        if (ch.nodes.size() > 1 && ch.nodes.back().dir == kNoDir)
          ch.nodes.back().dir = ch.nodes.front().dir;
        InsertSpurNodes(ch);
      }
      BoxAndArea(ch);
      if (ch.nodes.size() > 1 && ch.area >= 0) {
        for (const BorderNode& n : ch.nodes)
          if (Inside(net, n.row, n.col - 1) && !Covered(net, n.row, n.col - 1) &&
              Mark(net, n.row, n.col) == 2 && LeftNeighbourInside(ch, n.row, n.col - 1))
            Mark(net, n.row, n.col) = 1;
      }
      chains.push_back(std::move(ch));
    }
  return chains;
}

void SplitAtSaddles(std::vector<BorderChain>& chains, std::vector<Saddle>& saddles) {
  for (Saddle& s : saddles) {
    const Holder h0 = Locate(chains, s.row[0], s.col[0]);
    const Holder h1 = Locate(chains, s.row[1], s.col[1]);
    if (h0.chain >= chains.size() || h1.chain >= chains.size()) continue;
    if (h0.chain == h1.chain) {
      BorderChain& ch = chains[h0.chain];
      DropRepeats(ch);
      size_t i = Find(ch, s.row[0], s.col[0]), j = Find(ch, s.row[1], s.col[1]);
      if (i > j) std::swap(i, j);
      BorderChain inner, rest;
      for (size_t k = i + 1; k < j; ++k) inner.nodes.push_back(ch.nodes[k]);
      for (size_t k = j + 1; k < ch.nodes.size(); ++k) rest.nodes.push_back(ch.nodes[k]);
      for (size_t k = 0; k < i; ++k) rest.nodes.push_back(ch.nodes[k]);
      std::vector<BorderChain> parts;
      for (BorderChain* p : {&rest, &inner}) {
        RefreshChain(*p);
        if (p->nodes.size() >= 3) parts.push_back(std::move(*p));
      }
      chains.erase(chains.begin() + static_cast<long>(h0.chain));
      for (BorderChain& p : parts) chains.push_back(std::move(p));
      std::swap(s.row[0], s.row[1]);
      std::swap(s.col[0], s.col[1]);
    } else {
      BorderChain& a = chains[h0.chain];
      BorderChain& b = chains[h1.chain];
      MoveOnto(a, h0.node, s.row[1], s.col[1]);
      MoveOnto(b, h1.node, s.row[0], s.col[0]);
      for (BorderChain* p : {&a, &b}) {
        ReduceRuns(*p);
        BoxAndArea(*p);
      }
    }
  }
}

namespace {

CellRecord MakeRecord(int r0, int c0, int r1, int c1, uint8_t dir, uint8_t kind) {
  CellRecord rec;
  rec.row0 = r0, rec.col0 = c0, rec.row1 = r1, rec.col1 = c1;
  rec.dir = dir, rec.kind = kind;
  rec.rowMin = std::min(r0, r1), rec.rowMax = std::max(r0, r1);
  rec.colMin = std::min(c0, c1), rec.colMax = std::max(c0, c1);
  return rec;
}

// The cell outside the border step from r to m; none when m is r.
void AddAxisRecord(std::vector<CellRecord>& out, const BorderNode& m, const BorderNode& r) {
  if (m.col < r.col)
    out.push_back(MakeRecord(m.row, m.col, r.row + 1, r.col, 0, 2));
  else if (m.col > r.col)
    out.push_back(MakeRecord(m.row, m.col, r.row - 1, r.col, 1, 2));
  else if (m.row > r.row)
    out.push_back(MakeRecord(m.row, m.col, r.row, r.col + 1, 2, 2));
  else if (m.row < r.row)
    out.push_back(MakeRecord(m.row, m.col, r.row, r.col - 1, 3, 2));
}

void AddDiagonalRecord(std::vector<CellRecord>& out, const BorderNode& n, bool turning) {
  // Per walk direction b: the diagonal cell's direction and the offset of its far corner.
  struct Diag {
    uint8_t dir;
    int dr, dc;
  };
  static constexpr Diag kTurn[4] = {{6, -1, 1}, {4, 1, 1}, {5, 1, -1}, {7, -1, -1}};
  static constexpr Diag kOther[4] = {{7, -1, -1}, {6, -1, 1}, {4, 1, 1}, {5, 1, -1}};
  if (n.dir > 3) return;
  const Diag& d = (turning ? kTurn : kOther)[n.dir];
  out.push_back(MakeRecord(n.row, n.col, n.row + d.dr, n.col + d.dc, d.dir, turning ? 1 : 3));
}

BorderNode Step(const BorderNode& n, int dir, int sign) {
  BorderNode m = n;
  if (dir <= 3) m.row += sign * kDr[dir], m.col += sign * kDc[dir];
  return m;
}

bool Turning(uint8_t p, uint8_t b) { return p <= 3 && b <= 3 && b == (p + 3) % 4; }

}  // namespace

std::vector<CellRecord> CellRecords(const BorderChain& chain) {
  std::vector<CellRecord> out;
  const auto& nodes = chain.nodes;
  if (nodes.size() < 2) return out;
  BorderNode ref = nodes.front();
  if (Turning(nodes.back().dir, nodes.front().dir)) ref = Step(nodes.front(), nodes.front().dir, 1);
  // The walk closes on the first node again, so the last step ends there.
  for (size_t i = 1; i <= nodes.size(); ++i) {
    const BorderNode& n = nodes[i % nodes.size()];
    const uint8_t p = nodes[i - 1].dir;
    if (Turning(p, n.dir)) {
      AddAxisRecord(out, Step(n, p, -1), ref);
      AddDiagonalRecord(out, n, true);
      ref = Step(n, n.dir, 1);
    } else {
      AddAxisRecord(out, n, ref);
      AddDiagonalRecord(out, n, false);
      ref = n;
    }
  }
  return out;
}

std::vector<BorderChain> LayerBorders(CProtectNet& net, double z, bool exclude,
                                      std::vector<Saddle>* saddlesOut) {
  std::vector<BorderChain> chains;
  if (net.rows <= 0 || net.cols <= 0 || !std::isfinite(z)) return chains;
  MarkCovered(net, z);
  std::vector<Saddle> saddles = FillSaddles(net);
  chains = TraceBorders(net);
  SplitAtSaddles(chains, saddles);
  if (exclude && !chains.empty()) {
    auto largest = std::max_element(chains.begin(), chains.end(),
        [](const BorderChain& x, const BorderChain& y) { return std::fabs(x.area) < std::fabs(y.area); });
    chains.erase(largest);
  }
  if (saddlesOut) *saddlesOut = std::move(saddles);
  return chains;
}

}  // namespace layer
