// Picking by OpenGL selection. The driver keeps selection-mode buffers to the end of the process,
// so these run in a program of their own without leak detection under the sanitizer build.
#include "platform/vurode/Vurode.h"
#include "support/GLContext.h"

#include <vector>

namespace {

class GLSelectionTest : public GLTest {};

// Two named squares side by side; a pick window over one names only that one.
TEST_F(GLSelectionTest, PickWindowNamesWhatIsUnderIt) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  auto drawScene = [] {
    const struct {
      GLuint name;
      double x0;
    } squares[] = {{7, -24}, {9, 8}};
    for (const auto& s : squares) {
      glLoadName(s.name);
      glBegin(GL_QUADS);
      glVertex3d(s.x0, -8, 0);
      glVertex3d(s.x0 + 16, -8, 0);
      glVertex3d(s.x0 + 16, 8, 0);
      glVertex3d(s.x0, 8, 0);
      glEnd();
    }
  };
  struct Case {
    int x, y;
    std::vector<GLuint> names;
  } cases[] = {{16, 32, {7}}, {48, 32, {9}}, {32, 5, {}}};
  for (const auto& c : cases) {
    dc().BeginSelection(c.x, c.y, 4, 4, 256);
    drawScene();
    std::vector<GLuint> names;
    EXPECT_EQ(dc().EndSelection(&names), static_cast<int>(c.names.size())) << c.x;
    EXPECT_EQ(names, c.names) << c.x;
  }
  // A wide window sees both, in drawing order.
  dc().BeginSelection(32, 32, 64, 64, 256);
  drawScene();
  std::vector<GLuint> names;
  EXPECT_EQ(dc().EndSelection(&names), 2);
  EXPECT_EQ(names, (std::vector<GLuint>{7, 9}));
  // Without a selection under way there is nothing to end.
  EXPECT_EQ(dc().EndSelection(&names), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_TRUE(dc().IsPerfect());
}

// A buffer too small for every hit is reported as no hit, never read past.
TEST_F(GLSelectionTest, OverflowedBufferGivesNoHits) {
  SetPlanView(-32, 32, -32, 32);
  dc().Ready();
  dc().BeginSelection(32, 32, 64, 64, 4);
  for (GLuint n = 1; n <= 10; ++n) {
    glLoadName(n);
    glBegin(GL_QUADS);
    glVertex3d(-30, -30, 0);
    glVertex3d(30, -30, 0);
    glVertex3d(30, 30, 0);
    glVertex3d(-30, 30, 0);
    glEnd();
  }
  std::vector<GLuint> names;
  EXPECT_EQ(dc().EndSelection(&names), 0);
}

}  // namespace
