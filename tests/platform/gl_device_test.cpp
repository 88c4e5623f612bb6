#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "platform/window.h"

namespace kestrel::platform {
namespace {

constexpr int kSize = 32;
constexpr std::uint32_t kOpaqueBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// Draws on the real OpenGL device in an offscreen window.
class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = open_sdl_window({"test", kSize, kSize, false}, error);
    ASSERT_NE(window_, nullptr) << error;
    device().set_transform(glm::ortho(0.0f, float(kSize), float(kSize), 0.0f, -1.0f, 1.0f));
    device().set_texture_interpolation(false);
    device().clear(kOpaqueBlue);
  }

  RenderDevice& device() { return window_->device(); }

  void draw_quad(TextureId texture, float left, float top, float right, float bottom,
                 std::uint32_t colour = kWhite) {
    const Vertex quad[] = {{left, top, 0, colour, 0, 0},
                           {right, top, 0, colour, 1, 0},
                           {right, bottom, 0, colour, 1, 1},
                           {left, bottom, 0, colour, 0, 1}};
    device().draw(Primitive::TriangleFan, texture, quad);
  }

  std::uint32_t pixel(int x, int y) {
    std::uint32_t argb = 0;
    EXPECT_TRUE(device().read_pixels(x, y, 1, 1, &argb));
    return argb;
  }

  std::unique_ptr<Window> window_;
};

// Colour channels may differ by one from the exact blend through rounding.
void expect_rgb_near(std::uint32_t actual, std::uint32_t expected) {
  for (int shift : {16, 8, 0}) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    EXPECT_NEAR(a, e, 1) << std::hex << "actual 0x" << actual << ", expected 0x" << expected;
  }
}

TEST_F(GlDeviceTest, TexturedQuadKeepsTexelOrderAndRows) {
  // Top row red, green; bottom row yellow, white: a flipped or swizzled read shows.
  const std::uint32_t texels[] = {0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFFFFFFFF};
  TextureId texture = device().create_texture(2, 2);
  ASSERT_NE(texture, kNoTexture);
  ASSERT_TRUE(device().fill_texture(texture, 2, 2, texels));
  draw_quad(texture, 0, 0, kSize, kSize);

  std::vector<std::uint32_t> region(kSize * kSize);
  ASSERT_TRUE(device().read_pixels(0, 0, kSize, kSize, region.data()));
  EXPECT_EQ(region[4 * kSize + 4] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(region[4 * kSize + 28] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(region[28 * kSize + 4] & 0xFFFFFF, 0xFFFF00u);
  EXPECT_EQ(region[28 * kSize + 28] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(pixel(28, 4) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(GlDeviceTest, AlphaBlendedQuadMixesWithTheBackground) {
  const std::uint32_t half_red = 0x80FF0000;
  TextureId texture = device().create_texture(1, 1);
  ASSERT_TRUE(device().fill_texture(texture, 1, 1, &half_red));

  struct Case {
    const char* name;
    BlendFactor source, destination;
    bool modulate;
    std::uint32_t vertex_colour;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"normal", BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha, true, kWhite, 0x80007F},
      {"additive", BlendFactor::SourceAlpha, BlendFactor::One, true, kWhite, 0x8000FF},
      {"vertex colour tints the texel", BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha,
       true, 0xFF00FFFF, 0x00007F},
      {"texture blending off ignores the vertex colour", BlendFactor::SourceAlpha,
       BlendFactor::InverseSourceAlpha, false, 0xFF00FFFF, 0x80007F},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device().clear(kOpaqueBlue);
    device().set_blend(c.source, c.destination);
    device().set_texture_blending(c.modulate);
    draw_quad(texture, 8, 8, 24, 24, c.vertex_colour);
    expect_rgb_near(pixel(16, 16), c.expected);
    expect_rgb_near(pixel(2, 2), kOpaqueBlue);
  }
}

TEST_F(GlDeviceTest, ViewportCountsRowsFromTheTop) {
  device().set_viewport(0, 0, kSize, kSize / 2);
  device().clear(0xFFFF0000);
  EXPECT_EQ(pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixel(0, kSize - 1) & 0xFFFFFF, 0x0000FFu);
}

// The region stays as drawn from one present to the next, whether it is
// shown pixel for pixel or scaled with a border, and moving between the two
// loses nothing: later drawing adds to it, and reads see all of it.
TEST_F(GlDeviceTest, RegionKeepsItsPictureAcrossPresents) {
  constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00;
  constexpr float kHalf = kSize / 2.0f;
  struct Step {
    const char* name;
    int present_width;  // of the window's client area from its top left
    float left, top;    // of a quarter drawn after the present
    std::uint32_t colour;
  };
  const Step steps[] = {
      {"whole", kSize, 0, 0, kRed},
      {"whole again", kSize, kHalf, 0, kGreen},
      {"scaled", kSize / 2, 0, kHalf, kYellow},
      {"whole after scaled", kSize, kHalf, kHalf, kWhite},
  };
  for (std::size_t done = 0; done < std::size(steps); ++done) {
    const Step& step = steps[done];
    SCOPED_TRACE(step.name);
    device().present(0, 0, step.present_width, step.present_width, 0xFF000000);
    draw_quad(kNoTexture, step.left, step.top, step.left + kHalf, step.top + kHalf, step.colour);
    for (std::size_t i = 0; i < std::size(steps); ++i) {
      const int x = static_cast<int>(steps[i].left) + 4;
      const int y = static_cast<int>(steps[i].top) + 4;
      EXPECT_EQ(pixel(x, y), i <= done ? steps[i].colour : kOpaqueBlue) << "quarter " << i;
    }
  }
  // Turning depth tests on leaves the picture as it is.
  device().set_hidden_surface_removal(true);
  EXPECT_EQ(pixel(kSize - 4, kSize - 4), kWhite);
  device().set_hidden_surface_removal(false);
  // The region's alpha is kept too, which blending with the destination's alpha reads.
  device().clear(0x80FFFFFF);
  device().present(0, 0, kSize, kSize, 0xFF000000);
  EXPECT_EQ(pixel(1, 1), 0x80FFFFFFu);
}

// Plain and 3D corners go to the device in batches of one kind; drawing
// them in turn, with the same texture and primitive family, draws each, and
// corners left over by a primitive too short to draw take nothing with them.
TEST_F(GlDeviceTest, PlainAnd3DCornersDrawnInTurnEachShow) {
  constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00;
  constexpr float kHalf = kSize / 2.0f;
  const auto quad_3d = [&](float left, float top, float z, std::uint32_t colour) {
    const Vertex3D corners[] = {{left, top, z, 0, 0, 1, colour, 0, 0},
                                {left + kHalf, top, z, 0, 0, 1, colour, 1, 0},
                                {left + kHalf, top + kHalf, z, 0, 0, 1, colour, 1, 1},
                                {left, top + kHalf, z, 0, 0, 1, colour, 0, 1}};
    device().draw(Primitive::TriangleFan, kNoTexture, corners, false);
  };
  draw_quad(kNoTexture, 0, 0, kHalf, kHalf, kRed);
  quad_3d(kHalf, 0, 0, kGreen);
  const Vertex stray[] = {{0, 0, 0, kWhite, 0, 0}, {kSize, kSize, 0, kWhite, 0, 0}};
  device().draw(Primitive::TriangleList, kNoTexture, stray);
  quad_3d(0, kHalf, 0, kYellow);
  draw_quad(kNoTexture, kHalf, kHalf, kSize, kSize, kWhite);
  EXPECT_EQ(pixel(4, 4), kRed);
  EXPECT_EQ(pixel(kSize - 4, 4), kGreen);
  EXPECT_EQ(pixel(4, kSize - 4), kYellow);
  EXPECT_EQ(pixel(kSize - 4, kSize - 4), kWhite);

  // Depth tests first turned on after plain drawing find nothing in front.
  device().set_hidden_surface_removal(true);
  // The projection looks down z, so a larger z is nearer.
  quad_3d(0, 0, 0.9f, kOpaqueBlue);
  quad_3d(0, 0, 0.5f, kGreen);
  EXPECT_EQ(pixel(4, 4), kOpaqueBlue) << "the farther quad stays behind";
  device().clear(kWhite);
  quad_3d(0, 0, 0.5f, kGreen);
  EXPECT_EQ(pixel(4, 4), kGreen) << "a clear clears depth too";
}

TEST_F(GlDeviceTest, RefusesWhatItCannotDo) {
  std::uint32_t argb = 0;
  EXPECT_EQ(device().create_texture(0, 16), kNoTexture);
  EXPECT_EQ(device().create_texture(1 << 30, 1), kNoTexture);
  EXPECT_FALSE(device().fill_texture(999, 1, 1, &argb));
  EXPECT_FALSE(device().read_pixels(kSize - 1, 0, 2, 1, &argb));
  EXPECT_FALSE(device().read_pixels(-1, 0, 1, 1, &argb));

  TextureId small = device().create_texture(2, 2);
  const std::uint32_t texels[9] = {};
  EXPECT_FALSE(device().fill_texture(small, 3, 3, texels));
  device().free_texture(small);
  EXPECT_FALSE(device().fill_texture(small, 1, 1, texels));
  EXPECT_EQ(device().create_texture(4, 4), small) << "a freed slot is taken again";
}

}  // namespace
}  // namespace kestrel::platform
