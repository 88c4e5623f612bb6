#include <gtest/gtest.h>

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/vec4.hpp>
#include <string>
#include <vector>

#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_Device.h"
#include "platform/window.h"

namespace kestrel {
namespace {

// Keeps what a shape or model hands over: per primitive its kind and corners.
class RecordingSink final : public PrimitiveSink {
 public:
  struct Recorded {
    int kind;
    bool repeat;
    std::vector<Corner3D> corners;
  };
  void begin(int kind, bool repeat) override { primitives.push_back({kind, repeat, {}}); }
  void corner(const Corner3D& corner) override { primitives.back().corners.push_back(corner); }
  void end() override { ++ended; }

  std::vector<Recorded> primitives;
  int ended = 0;
};

const ShapeBox kBox{0, 0, 0, 10, 20, 30, 2, 3};

TEST(Shapes, StepsAreLimitedAndEmptyWallsDrawNothing) {
  struct Case {
    const char* shape;
    int steps;
    std::size_t strip_corners;
  };
  const Case cases[] = {
      {"cylinder", 2, 2 * (3 + 1)},
      {"cylinder", 500, 2 * (128 + 1)},
      {"cone", 16, 2 * (16 + 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.shape) + " " + std::to_string(c.steps));
    RecordingSink sink;
    if (std::string(c.shape) == "cylinder")
      shape_cylinder(sink, kBox, false, c.steps);
    else
      shape_cone(sink, kBox, false, c.steps);
    ASSERT_EQ(sink.primitives.size(), 1u);
    EXPECT_EQ(sink.primitives[0].kind, 5);
    EXPECT_TRUE(sink.primitives[0].repeat) << "shapes repeat their texture";
    EXPECT_EQ(sink.primitives[0].corners.size(), c.strip_corners);
  }

  RecordingSink closed;
  shape_cylinder(closed, kBox, true, 8);
  ASSERT_EQ(closed.primitives.size(), 3u) << "top cap, side, bottom cap";
  EXPECT_EQ(closed.primitives[0].corners[0].position, glm::vec3(5, 10, 30));
  EXPECT_EQ(closed.primitives[2].corners[1].position, closed.primitives[2].corners[9].position)
      << "the bottom cap runs the rim backwards, from the last step to the first";

  RecordingSink wall;
  shape_wall(wall, {5, 5, 0, 5, 5, 10, 1, 1});
  EXPECT_TRUE(wall.primitives.empty());

  RecordingSink ellipsoid;
  shape_ellipsoid(ellipsoid, kBox, 8);
  EXPECT_EQ(ellipsoid.primitives.size(), 4u) << "(steps + 1) div 2 rings";
  EXPECT_EQ(ellipsoid.primitives[0].corners.size(), 18u);
}

TEST(Shapes, BlockFacesPointOutwardsWithTheirRepeats) {
  RecordingSink sink;
  shape_block(sink, kBox);
  ASSERT_EQ(sink.primitives.size(), 6u);
  const glm::vec3 centre(5, 10, 15);
  for (const auto& face : sink.primitives) {
    ASSERT_EQ(face.corners.size(), 4u);
    EXPECT_EQ(face.kind, 6);
    glm::vec3 middle(0.0f);
    for (const Corner3D& corner : face.corners) middle += corner.position / 4.0f;
    EXPECT_GT(glm::dot(face.corners[0].normal, middle - centre), 0.0f);
    EXPECT_FALSE(face.corners[0].argb.has_value()) << "shapes take the drawing colour";
  }
  EXPECT_EQ(sink.primitives[0].corners[2].u, 2.0f);
  EXPECT_EQ(sink.primitives[0].corners[2].v, 3.0f);
  EXPECT_EQ(sink.primitives[1].corners[1].u, 2.0f) << "the top face runs the other way";
  EXPECT_EQ(sink.primitives[1].corners[1].v, 0.0f);
}

TEST(Transforms, RotationsTurnByTheNegatedAngleAndAddingAppliesAfter) {
  const glm::vec4 turned = rotation_z_matrix(90) * glm::vec4(1, 0, 0, 1);
  EXPECT_NEAR(turned.x, 0, 1e-6);
  EXPECT_NEAR(turned.y, -1, 1e-6);

  // Translate, then add a turn: the turn acts on the moved point.
  const glm::mat4 world = rotation_z_matrix(90) * translation_matrix(1, 0, 0);
  const glm::vec4 moved = world * glm::vec4(0, 0, 0, 1);
  EXPECT_NEAR(moved.x, 0, 1e-6);
  EXPECT_NEAR(moved.y, -1, 1e-6);

  EXPECT_EQ(rotation_axis_matrix(0, 0, 0, 45), glm::mat4(1.0f)) << "no axis, no turn";
}

TEST(Transforms, TheStackHoldsAThousandAndOne) {
  TransformStack stack;
  EXPECT_FALSE(stack.pop());
  EXPECT_FALSE(stack.top());
  EXPECT_FALSE(stack.discard());
  for (int i = 0; i < 1001; ++i) ASSERT_TRUE(stack.push(translation_matrix(i, 0, 0))) << i;
  EXPECT_FALSE(stack.push(glm::mat4(1.0f))) << "the 1002nd push";
  EXPECT_EQ((*stack.top())[3][0], 1000.0f);
  EXPECT_TRUE(stack.discard());
  EXPECT_EQ((*stack.pop())[3][0], 999.0f);
  stack.clear();
  EXPECT_TRUE(stack.empty());
}

TEST(ModelFile, WritesTheRecordsWithFourDecimals) {
  C3D_Model model;
  const double vertex[] = {1, 2, 3};
  model.add(ModelCommand::Vertex, vertex);
  EXPECT_EQ(model.text(),
            "100\r\n1\r\n2 1.0000 2.0000 3.0000 0.0000 0.0000 0.0000 0.0000 0.0000 0.0000 "
            "0.0000\r\n");

  const double cylinder[] = {-0.5, 0, 0, 1, 1, 1, 2, 2, 1, 24};
  model.add(ModelCommand::Cylinder, cylinder);
  C3D_Model copy;
  std::string error;
  ASSERT_TRUE(copy.read(model.text(), error)) << error;
  ASSERT_EQ(copy.records().size(), 2u);
  EXPECT_EQ(copy.records()[1].kind, 11);
  EXPECT_EQ(copy.records()[1].f[0], -0.5);
  EXPECT_EQ(copy.records()[1].f[9], 24);
}

TEST(ModelFile, DamagedFilesAreRefusedWhole) {
  const std::string record = "2 1 2 3 0 0 0 0 0 0 0\r\n";
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"another version", "101\r\n1\r\n" + record},
      {"no count", "100\r\n"},
      {"a negative count", "100\r\n-1\r\n"},
      {"more records counted than there are", "100\r\n2\r\n" + record},
      {"a huge count", "100\r\n2000000000000\r\n" + record},
      {"a count beyond any integer", "100\r\n99999999999999999999999\r\n"},
      {"text where a number belongs", "100\r\n1\r\n2 1 two 3 0 0 0 0 0 0 0\r\n"},
      {"a kind that is no command", "100\r\n1\r\n16 1 2 3 0 0 0 0 0 0 0\r\n"},
      {"a kind with decimals", "100\r\n1\r\n2.5 1 2 3 0 0 0 0 0 0 0\r\n"},
      {"not a number", "100\r\n1\r\n2 nan 2 3 0 0 0 0 0 0 0\r\n"},
      {"a short record", "100\r\n1\r\n2 1 2 3\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    C3D_Model model;
    const double vertex[] = {7, 7, 7};
    model.add(ModelCommand::Vertex, vertex);
    std::string error;
    EXPECT_FALSE(model.read(c.text, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(model.records().empty()) << "nothing half-loaded, nothing kept";
  }
  C3D_Model model;
  std::string error;
  EXPECT_TRUE(model.read("100\n1\n2  1\t2 3 0 0 0 0 0 0 0", error)) << "blanks and line ends";
}

TEST(ModelTable, TakesTheLowestEmptyEntry) {
  ModelTable table;
  EXPECT_EQ(table.create(), 0);
  EXPECT_EQ(table.create(), 1);
  EXPECT_EQ(table.create(), 2);
  table.destroy(1);
  EXPECT_EQ(table.find(1), nullptr);
  EXPECT_EQ(table.find(-1), nullptr);
  EXPECT_EQ(table.find(99), nullptr);
  EXPECT_EQ(table.create(), 1);
}

// The real device in 3D mode, a 64 x 64 region seen from (32, 32, -100)
// straight ahead with y up.
class Draw3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = platform::open_sdl_window({"test", 64, 64, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    graphics_.attach(&window_->device(), 64, 64);
    ASSERT_TRUE(graphics_.set_mode_3d(true));
    graphics_.set_view_and_projection(
        look_at_matrix({32, 32, -100}, {32, 32, 0}, {0, 1, 0}),
        perspective_fov_matrix(2 * std::atan(32.0 / 100) * 180 / 3.14159265358979, 1, 1, 1000));
    window_->device().clear(0xFF000000);
  }

  // A square facing the eye at depth z, its corners clockwise on the screen.
  void square(double z, std::uint32_t argb, bool counter_clockwise = false) {
    Primitive3D primitive(graphics_, -1, argb);
    primitive.begin(6, false);
    const double xs[] = {16, 16, 48, 48};
    const double ys[] = {16, 48, 48, 16};
    for (int k = 0; k < 4; ++k) {
      const int i = counter_clockwise ? 3 - k : k;
      primitive.corner({{float(xs[i]), float(ys[i]), float(z)}, {0, 0, -1}, 0, 0, std::nullopt});
    }
    primitive.end();
  }

  std::int64_t centre() { return graphics_.pixel(32, 32); }

  std::unique_ptr<platform::Window> window_;
  Graphics graphics_;
};

TEST_F(Draw3DTest, TheNearerSurfaceHidesTheFartherWhateverTheOrder) {
  square(10, 0xFFFF0000);
  square(20, 0xFF00FF00);
  EXPECT_EQ(centre(), 0x0000FF) << "red in front";

  graphics_.set_hidden(false);
  square(20, 0xFF00FF00);
  EXPECT_EQ(centre(), 0x00FF00) << "without hidden-surface removal the last one drawn shows";
}

TEST_F(Draw3DTest, CullingDropsCounterClockwiseFaces) {
  graphics_.set_culling(true);
  square(10, 0xFFFFFFFF, true);
  EXPECT_EQ(centre(), 0);
  square(10, 0xFFFFFFFF, false);
  EXPECT_EQ(centre(), 0xFFFFFF);
  window_->device().clear(0xFF000000);
  graphics_.set_culling(false);
  square(10, 0xFFFFFFFF, true);
  EXPECT_EQ(centre(), 0xFFFFFF);
}

TEST_F(Draw3DTest, LightsAndFogColourWhatIsDrawn) {
  graphics_.set_lighting(true);
  square(10, 0xFFFFFFFF);
  EXPECT_EQ(centre(), 0) << "no light enabled: no colour";

  platform::Light sun;
  sun.direction = {0, 0, 1};
  sun.colour = {1, 0.5f, 0};
  graphics_.define_light(0, sun);
  graphics_.enable_light(0, true);
  window_->device().clear(0xFF000000);
  square(10, 0xFFFFFFFF);
  const std::int64_t lit = centre();
  EXPECT_EQ(lit & 0xFF, 255) << std::hex << lit;
  EXPECT_NEAR((lit >> 8) & 0xFF, 128, 1);
  EXPECT_EQ(lit >> 16, 0);

  // A lamp 30 in front of the square's plane at z = 0, 45 from its corners'
  // plane at z = 10 and nearer than that to the corners at z = 0.
  platform::Light lamp;
  lamp.point = true;
  lamp.position = {32, 32, -30};
  lamp.range = 45;
  lamp.attenuation1 = 4 / lamp.range;
  graphics_.define_light(0, lamp);
  window_->device().clear(0xFF000000);
  square(10, 0xFFFFFFFF);
  EXPECT_EQ(centre(), 0) << "lighting is per corner, and the corners are out of range";
  square(0, 0xFFFFFFFF);
  const double distance = std::sqrt(16.0 * 16 + 16 * 16 + 30 * 30);
  const double facing = 30 / distance;
  EXPECT_NEAR(centre() & 0xFF, 255 * facing / (1 + 4 / 45.0 * distance), 2)
      << "turned away and weakened by the distance";

  graphics_.set_lighting(false);
  graphics_.set_fog(true, 0xFF0000, 100, 120);
  window_->device().clear(0xFF000000);
  square(10, 0xFFFFFFFF);
  const std::int64_t fogged = centre();
  EXPECT_EQ(fogged >> 16, 255) << "110 ahead of the eye: half in blue fog";
  EXPECT_NEAR(fogged & 0xFF, 128, 1);
}

TEST_F(Draw3DTest, AModelDrawsAsItsCommandsWouldAndFollowsTheDrawingColour) {
  C3D_Model model;
  const double block[] = {16, 16, 0, 48, 48, 30, 1, 1};
  model.add(ModelCommand::Block, block);
  model.draw(graphics_, 0, 0, 10, -1, 0xFF00FF00);
  EXPECT_EQ(centre(), 0x00FF00);
  EXPECT_EQ(graphics_.pixel(8, 32), 0);

  window_->device().clear(0xFF000000);
  model.draw(graphics_, -30, 0, 10, -1, 0xFF0000FF);
  EXPECT_EQ(centre(), 0) << "moved by the offset";
  EXPECT_EQ(graphics_.pixel(8, 32), 0xFF0000) << "in the drawing colour of this draw";

  std::vector<std::uint32_t> from_model(64 * 64), from_shape(64 * 64);
  ASSERT_TRUE(window_->device().read_pixels(0, 0, 64, 64, from_model.data()));
  window_->device().clear(0xFF000000);
  Primitive3D primitive(graphics_, -1, 0xFF0000FF);
  shape_block(primitive, {-14, 16, 10, 18, 48, 40, 1, 1});
  ASSERT_TRUE(window_->device().read_pixels(0, 0, 64, 64, from_shape.data()));
  EXPECT_EQ(from_model, from_shape);
}

}  // namespace
}  // namespace kestrel
