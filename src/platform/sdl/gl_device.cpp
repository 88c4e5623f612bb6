#include "platform/sdl/gl_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <glm/ext/matrix_double4x4.hpp>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/matrix.hpp>
#include <string_view>
#include <utility>

namespace kestrel::platform::sdl {
namespace {

// The fixed-function states that drawing relies on, emulated by one shader
// pair. Built without LIGHTING_AND_FOG it leaves out what plain drawing
// never uses, which a software renderer would otherwise run for each corner
// and pixel; built with SIMPLE it only multiplies texel and colour, which
// is all that smooth, modulated drawing without the alpha test does.
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_color;
layout(location = 2) in vec2 a_uv;
layout(location = 3) in vec3 a_normal;
layout(location = 4) in float a_takes_drawing_color;
uniform vec3 u_offset;
uniform vec4 u_drawing_color;
out vec4 v_color;
#ifndef SIMPLE
flat out vec4 v_flat_color;
#endif
out vec2 v_uv;
#ifdef LIGHTING_AND_FOG
uniform mat4 u_world;
uniform mat4 u_view;
uniform mat4 u_projection;
uniform mat3 u_normal_matrix;
uniform bool u_lighting;
uniform int u_light_count;
// xyz: the direction of a directional light (w = 0) or the place of a point light (w = 1).
uniform vec4 u_light_vector[8];
uniform vec3 u_light_color[8];
// range, constant and linear attenuation of point lights.
uniform vec3 u_light_falloff[8];
out float v_eye_depth;

// Per-vertex lighting as fixed-function hardware does it: the vertex colour is
// the material, lit by the sum of the lights' diffuse terms.
vec3 light_sum(vec3 world_position, vec3 normal) {
  vec3 sum = vec3(0.0);
  for (int i = 0; i < u_light_count; ++i) {
    vec3 to_light;
    float strength = 1.0;
    if (u_light_vector[i].w == 0.0) {
      to_light = -normalize(u_light_vector[i].xyz);
    } else {
      vec3 apart = u_light_vector[i].xyz - world_position;
      float distance = length(apart);
      if (distance > u_light_falloff[i].x) continue;
      to_light = distance > 0.0 ? apart / distance : vec3(0.0);
      strength = 1.0 / max(u_light_falloff[i].y + u_light_falloff[i].z * distance, 1e-6);
    }
    sum += u_light_color[i] * max(dot(normal, to_light), 0.0) * strength;
  }
  return sum;
}
#else
// Projection, view and world in one, so that each corner is transformed once.
uniform mat4 u_transform;
#endif

void main() {
  vec4 color = mix(a_color, u_drawing_color, a_takes_drawing_color);
#ifdef LIGHTING_AND_FOG
  vec4 world = u_world * vec4(a_position + u_offset, 1.0);
  vec4 eye = u_view * world;
  gl_Position = u_projection * eye;
  v_eye_depth = eye.z;
  if (u_lighting) {
    vec3 normal = u_normal_matrix * a_normal;
    float length_of_normal = length(normal);
    if (length_of_normal > 0.0) normal /= length_of_normal;
    color.rgb *= min(light_sum(world.xyz, normal), vec3(1.0));
  }
#else
  gl_Position = u_transform * vec4(a_position + u_offset, 1.0);
#endif
  v_color = color;
#ifndef SIMPLE
  v_flat_color = color;
#endif
  v_uv = a_uv;
}
)";

constexpr const char* kFragmentShader = R"(
in vec4 v_color;
in vec2 v_uv;
uniform sampler2D u_texture;
#ifndef SIMPLE
flat in vec4 v_flat_color;
uniform bool u_textured;
uniform bool u_modulate;
uniform bool u_smooth;
uniform bool u_alpha_test;
#endif
#ifdef LIGHTING_AND_FOG
in float v_eye_depth;
uniform bool u_fog;
uniform vec3 u_fog_color;
uniform float u_fog_start;
uniform float u_fog_end;
#endif
out vec4 o_color;
void main() {
#ifdef SIMPLE
  o_color = texture(u_texture, v_uv) * v_color;
#else
  vec4 color = u_smooth ? v_color : v_flat_color;
  if (u_textured) {
    vec4 texel = texture(u_texture, v_uv);
    color = u_modulate ? texel * color : texel;
  }
  // Only pixels with an alpha byte above 0 pass.
  if (u_alpha_test && color.a < 0.5 / 255.0) discard;
#ifdef LIGHTING_AND_FOG
  if (u_fog) {
    float span = u_fog_end - u_fog_start;
    float clear = span != 0.0 ? clamp((u_fog_end - v_eye_depth) / span, 0.0, 1.0)
                              : (v_eye_depth < u_fog_end ? 1.0 : 0.0);
    color.rgb = mix(u_fog_color, color.rgb, clear);
  }
#endif
  o_color = color;
#endif
}
)";

GLuint compile_shader(GLenum kind, const char* defines, const char* source, std::string& error) {
  GLuint shader = glCreateShader(kind);
  const char* parts[] = {"#version 330 core\n", defines, source};
  glShaderSource(shader, 3, parts, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  char log[1024] = {};
  glGetShaderInfoLog(shader, sizeof log, nullptr, log);
  error = std::string("Failed to compile the drawing shaders: ") + log;
  glDeleteShader(shader);
  return 0;
}

GLenum gl_blend_factor(BlendFactor factor) {
  switch (factor) {
    case BlendFactor::Zero:
      return GL_ZERO;
    case BlendFactor::One:
      return GL_ONE;
    case BlendFactor::SourceColor:
      return GL_SRC_COLOR;
    case BlendFactor::InverseSourceColor:
      return GL_ONE_MINUS_SRC_COLOR;
    case BlendFactor::SourceAlpha:
      return GL_SRC_ALPHA;
    case BlendFactor::InverseSourceAlpha:
      return GL_ONE_MINUS_SRC_ALPHA;
    case BlendFactor::DestinationAlpha:
      return GL_DST_ALPHA;
    case BlendFactor::InverseDestinationAlpha:
      return GL_ONE_MINUS_DST_ALPHA;
    case BlendFactor::DestinationColor:
      return GL_DST_COLOR;
    case BlendFactor::InverseDestinationColor:
      return GL_ONE_MINUS_DST_COLOR;
    case BlendFactor::SourceAlphaSaturated:
      return GL_SRC_ALPHA_SATURATE;
  }
  return GL_ONE;
}

// The primitive family a batch is sent as; fans and strips become lists so
// that consecutive primitives can share one draw call.
GLenum batch_mode(Primitive primitive) {
  switch (primitive) {
    case Primitive::LineList:
    case Primitive::LineStrip:
      return GL_LINES;
    case Primitive::PointList:
      return GL_POINTS;
    default:
      return GL_TRIANGLES;
  }
}

// The corners of a primitive of n corners, in the order in which the list
// family that batch_mode gives sends them.
void list_corners(Primitive primitive, std::size_t n, std::vector<std::size_t>& out) {
  out.clear();
  switch (primitive) {
    case Primitive::TriangleFan:
      for (std::size_t i = 2; i < n; ++i) out.insert(out.end(), {0, i - 1, i});
      break;
    case Primitive::TriangleStrip:
      for (std::size_t i = 2; i < n; ++i) {
        // Every other triangle of a strip is wound the other way round; its
        // first corner stays first, as flat shading takes its colour.
        if (i % 2 == 0)
          out.insert(out.end(), {i - 2, i - 1, i});
        else
          out.insert(out.end(), {i - 2, i, i - 1});
      }
      break;
    case Primitive::LineStrip:
      for (std::size_t i = 1; i < n; ++i) out.insert(out.end(), {i - 1, i});
      break;
    case Primitive::TriangleList:
    case Primitive::LineList:
    case Primitive::PointList: {
      const std::size_t per = primitive == Primitive::TriangleList ? 3
                              : primitive == Primitive::LineList   ? 2
                                                                   : 1;
      for (std::size_t i = 0; i < n / per * per; ++i) out.push_back(i);
      break;
    }
  }
}

// Points the attributes at corners of type Corner in the bound buffer; plain
// corners have no normal, so the attribute is left off and reads as none.
template <typename Corner>
void set_vertex_layout() {
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Corner),
                        reinterpret_cast<void*>(offsetof(Corner, x)));
  // GL_BGRA reads the little-endian ARGB word in the order red, green, blue, alpha.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Corner),
                        reinterpret_cast<void*>(offsetof(Corner, argb)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Corner),
                        reinterpret_cast<void*>(offsetof(Corner, u)));
  if constexpr (std::is_same_v<Corner, Vertex3D>) {
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, sizeof(Corner),
                          reinterpret_cast<void*>(offsetof(Corner, nx)));
  }
}

void switch_capability(GLenum capability, bool on) {
  if (on)
    glEnable(capability);
  else
    glDisable(capability);
}

// The offscreen video driver's windows are never shown anywhere: a frame
// presented there is a copy of every pixel that no one sees.
bool window_is_seen() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver == nullptr || std::string_view(driver) != "offscreen";
}

glm::vec4 rgba_of(std::uint32_t argb) {
  return {static_cast<float>((argb >> 16) & 0xFF) / 255.0f,
          static_cast<float>((argb >> 8) & 0xFF) / 255.0f, static_cast<float>(argb & 0xFF) / 255.0f,
          static_cast<float>(argb >> 24) / 255.0f};
}

}  // namespace

GlDevice::GlDevice(SDL_Window* window) : window_(window) {}

GlDevice::~GlDevice() {
  for (const Texture& texture : textures_) {
    if (texture.name != 0) glDeleteTextures(1, &texture.name);
  }
  for (MeshId mesh = 1; mesh <= meshes_.size(); ++mesh) free_mesh(mesh);
  glDeleteSamplers(1, &sampler_);
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteFramebuffers(1, &target_framebuffer_);
  glDeleteFramebuffers(1, &source_framebuffer_);
  glDeleteTextures(1, &color_target_);
  glDeleteRenderbuffers(1, &depth_target_);
  glDeleteBuffers(1, &vertex_buffer_);
  glDeleteBuffers(1, &index_buffer_);
  glDeleteVertexArrays(2, vertex_arrays_);
  for (const Program& program : programs_) glDeleteProgram(program.name);
  glDeleteTextures(1, &white_texture_);
}

bool GlDevice::build_program(Program& program, const char* defines, std::string& error) {
  GLuint vertex = compile_shader(GL_VERTEX_SHADER, defines, kVertexShader, error);
  if (vertex == 0) return false;
  GLuint fragment = compile_shader(GL_FRAGMENT_SHADER, defines, kFragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return false;
  }
  program.name = glCreateProgram();
  glAttachShader(program.name, vertex);
  glAttachShader(program.name, fragment);
  glLinkProgram(program.name);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program.name, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    error = "Failed to link the drawing shaders.";
    return false;
  }
  // A setting the pair was built without has no location (-1); GL ignores
  // values sent there.
  const auto uniform = [&](const char* name) { return glGetUniformLocation(program.name, name); };
  program.transform = uniform("u_transform");
  program.world = uniform("u_world");
  program.view = uniform("u_view");
  program.projection = uniform("u_projection");
  program.normal_matrix = uniform("u_normal_matrix");
  program.offset = uniform("u_offset");
  program.drawing_color = uniform("u_drawing_color");
  program.textured = uniform("u_textured");
  program.modulate = uniform("u_modulate");
  program.smooth = uniform("u_smooth");
  program.alpha_test = uniform("u_alpha_test");
  program.lighting = uniform("u_lighting");
  program.light_count = uniform("u_light_count");
  program.light_vector = uniform("u_light_vector");
  program.light_color = uniform("u_light_color");
  program.light_falloff = uniform("u_light_falloff");
  program.fog = uniform("u_fog");
  program.fog_color = uniform("u_fog_color");
  program.fog_start = uniform("u_fog_start");
  program.fog_end = uniform("u_fog_end");
  program_ = &program;
  glUseProgram(program.name);
  glUniform1i(uniform("u_texture"), 0);
  upload_settings();
  return true;
}

void GlDevice::use_program() {
  const std::size_t pair = lighting_ || fog_.enabled              ? 2
                           : smooth_ && modulate_ && !alpha_test_ ? 0
                                                                  : 1;
  Program* wanted = &programs_[pair];
  if (wanted == program_) return;
  program_ = wanted;
  glUseProgram(program_->name);
  upload_settings();
}

void GlDevice::upload_settings() {
  upload_transform();
  glUniform1i(program_->modulate, modulate_ ? GL_TRUE : GL_FALSE);
  glUniform1i(program_->smooth, smooth_ ? GL_TRUE : GL_FALSE);
  glUniform1i(program_->alpha_test, alpha_test_ ? GL_TRUE : GL_FALSE);
  glUniform1i(program_->lighting, lighting_ ? GL_TRUE : GL_FALSE);
  glUniform3f(program_->offset, 0.0f, 0.0f, 0.0f);
  upload_lights();
  upload_fog();
}

bool GlDevice::initialize(int width, int height, std::string& error) {
  if (epoxy_gl_version() < 33) {
    error = "The graphics driver offers OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
            std::to_string(epoxy_gl_version() % 10) + "; drawing needs 3.3.";
    return false;
  }
  if (!build_program(programs_[0], "#define SIMPLE\n", error) ||
      !build_program(programs_[1], "", error) ||
      !build_program(programs_[2], "#define LIGHTING_AND_FOG\n", error)) {
    return false;
  }
  program_ = &programs_[0];
  glUseProgram(program_->name);
  set_transforms(glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f));
  // Flat shading takes the colour of a triangle's first corner.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glDepthFunc(GL_LEQUAL);
  // Front faces run clockwise on the screen; culling drops the others.
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);

  // Both kinds of corner stream through one buffer, each with its own layout.
  glGenBuffers(1, &vertex_buffer_);
  glGenBuffers(1, &index_buffer_);
  glGenVertexArrays(2, vertex_arrays_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  glBindVertexArray(vertex_arrays_[0]);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer_);  // kept by the vertex array
  set_vertex_layout<Vertex>();
  glBindVertexArray(vertex_arrays_[1]);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, index_buffer_);
  set_vertex_layout<Vertex3D>();
  bound_vertex_array_ = vertex_arrays_[1];
  // Corners drawn one by one carry their own colour (the attribute is left off).
  glVertexAttrib1f(4, 0.0f);

  const std::uint32_t white = 0xFFFFFFFF;
  glGenTextures(1, &white_texture_);
  glBindTexture(GL_TEXTURE_2D, white_texture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);

  glGenSamplers(1, &sampler_);
  glBindSampler(0, sampler_);
  apply_sampler_state(false);

  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size_);
  window_seen_ = window_is_seen();
  glEnable(GL_BLEND);
  set_blend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);

  glGenFramebuffers(1, &framebuffer_);
  glGenFramebuffers(1, &target_framebuffer_);
  glGenFramebuffers(1, &source_framebuffer_);
  glGenTextures(1, &color_target_);
  if (!set_region_size(width, height)) {
    error = "Failed to create the drawing region of " + std::to_string(width) + " x " +
            std::to_string(height) + " pixels.";
    return false;
  }
  return true;
}

bool GlDevice::set_region_size(int width, int height) {
  if (width <= 0 || height <= 0 || width > max_texture_size_ || height > max_texture_size_) {
    return false;
  }
  flush();
  glBindTexture(GL_TEXTURE_2D, color_target_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               nullptr);
  if (depth_target_ != 0) {
    glBindRenderbuffer(GL_RENDERBUFFER, depth_target_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_target_, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  region_width_ = width;
  region_height_ = height;
  // A texture being drawn into stays the target.
  bind_region();
  if (target_ == kNoTexture) set_viewport(0, 0, width, height);
  return true;
}

TextureId GlDevice::create_texture(int width, int height) {
  if (width <= 0 || height <= 0 || width > max_texture_size_ || height > max_texture_size_) {
    return kNoTexture;
  }
  flush();
  Texture texture{0, width, height};
  glGenTextures(1, &texture.name);
  glBindTexture(GL_TEXTURE_2D, texture.name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               nullptr);
  auto free_slot = std::find_if(textures_.begin(), textures_.end(),
                                [](const Texture& t) { return t.name == 0; });
  if (free_slot != textures_.end()) {
    *free_slot = texture;
    return static_cast<TextureId>(free_slot - textures_.begin() + 1);
  }
  textures_.push_back(texture);
  return static_cast<TextureId>(textures_.size());
}

GlDevice::Texture* GlDevice::find(TextureId texture) {
  if (texture == kNoTexture || texture > textures_.size()) return nullptr;
  Texture& entry = textures_[texture - 1];
  return entry.name != 0 ? &entry : nullptr;
}

bool GlDevice::fill_texture(TextureId texture, int width, int height, const std::uint32_t* argb) {
  Texture* entry = find(texture);
  if (entry == nullptr || width <= 0 || height <= 0 || width > entry->width ||
      height > entry->height) {
    return false;
  }
  if (batch_texture_ == texture) flush();
  glBindTexture(GL_TEXTURE_2D, entry->name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  argb);
  return true;
}

void GlDevice::free_texture(TextureId texture) {
  Texture* entry = find(texture);
  if (entry == nullptr) return;
  if (batch_texture_ == texture) flush();
  if (target_ == texture) set_target(kNoTexture);
  glDeleteTextures(1, &entry->name);
  *entry = Texture{};
}

void GlDevice::set_viewport(int x, int y, int width, int height) {
  flush();
  // The region counts rows from the top; GL counts them from the bottom. A
  // target texture keeps rows from the top, as its pictures are drawn upside
  // down (see upload_transform).
  viewport_[0] = x;
  viewport_[1] = target_ != kNoTexture ? y : region_height_ - y - height;
  viewport_[2] = width;
  viewport_[3] = height;
  glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
}

void GlDevice::set_transforms(const glm::mat4& world, const glm::mat4& view,
                              const glm::mat4& projection) {
  flush();
  world_ = world;
  view_ = view;
  projection_ = projection;
  upload_transform();
}

void GlDevice::upload_transform() {
  // Drawing into a texture turns the picture over, so that its top row lands
  // in the texture's first row, where a picture filled into a texture has it.
  // The turn also turns the faces' winding, which culling reads.
  const bool upside_down = target_ != kNoTexture;
  const glm::mat4 projection =
      upside_down ? glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, -1.0f, 1.0f)) * projection_
                  : projection_;
  glFrontFace(upside_down ? GL_CCW : GL_CW);
  const glm::mat4 transform =
      glm::mat4(glm::dmat4(projection) * glm::dmat4(view_) * glm::dmat4(world_));
  glUniformMatrix4fv(program_->transform, 1, GL_FALSE, glm::value_ptr(transform));
  glUniformMatrix4fv(program_->world, 1, GL_FALSE, glm::value_ptr(world_));
  glUniformMatrix4fv(program_->view, 1, GL_FALSE, glm::value_ptr(view_));
  glUniformMatrix4fv(program_->projection, 1, GL_FALSE, glm::value_ptr(projection));
  // Normals follow the world transform without its scaling's distortion.
  const glm::mat3 normal_matrix = glm::transpose(glm::inverse(glm::mat3(world_)));
  glUniformMatrix3fv(program_->normal_matrix, 1, GL_FALSE, glm::value_ptr(normal_matrix));
}

bool GlDevice::attach_texture(GLenum binding, GLuint name, const Texture& texture) {
  glBindFramebuffer(binding, name);
  glFramebufferTexture2D(binding, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture.name, 0);
  return glCheckFramebufferStatus(binding) == GL_FRAMEBUFFER_COMPLETE;
}

bool GlDevice::set_target(TextureId texture) {
  if (texture == target_) return true;
  if (texture != kNoTexture && find(texture) == nullptr) return false;
  flush();
  if (texture != kNoTexture &&
      !attach_texture(GL_FRAMEBUFFER, target_framebuffer_, *find(texture))) {
    bind_region();
    return false;
  }
  target_ = texture;
  bind_region();
  upload_transform();
  return true;
}

bool GlDevice::read_texture(TextureId texture, int x, int y, int width, int height,
                            std::uint32_t* argb) {
  const Texture* entry = find(texture);
  if (entry == nullptr || x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > entry->width ||
      y + height > entry->height) {
    return false;
  }
  flush();
  while (glGetError() != GL_NO_ERROR) {
  }
  bool ok = attach_texture(GL_READ_FRAMEBUFFER, source_framebuffer_, *entry);
  if (ok) {
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // The texture's rows run from the top, so GL's first row is the top one.
    glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    ok = glGetError() == GL_NO_ERROR;
  }
  bind_region();
  return ok;
}

bool GlDevice::copy_texture(TextureId destination, int x, int y, TextureId source, int source_x,
                            int source_y, int width, int height) {
  const Texture* to = find(destination);
  const Texture* from = find(source);
  if (to == nullptr || from == nullptr || width <= 0 || height <= 0 || x < 0 || y < 0 ||
      source_x < 0 || source_y < 0 || x + width > to->width || y + height > to->height ||
      source_x + width > from->width || source_y + height > from->height) {
    return false;
  }
  flush();
  if (destination == source) {
    // A framebuffer cannot blit onto itself where the rectangles overlap.
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height));
    if (!read_texture(source, source_x, source_y, width, height, pixels.data())) return false;
    glBindTexture(GL_TEXTURE_2D, to->name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                    pixels.data());
    return true;
  }
  // The target's framebuffer is borrowed for the destination and given back after.
  bool ok = attach_texture(GL_READ_FRAMEBUFFER, source_framebuffer_, *from) &&
            attach_texture(GL_DRAW_FRAMEBUFFER, target_framebuffer_, *to);
  if (ok) {
    glBlitFramebuffer(source_x, source_y, source_x + width, source_y + height, x, y, x + width,
                      y + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  if (target_ != kNoTexture) attach_texture(GL_FRAMEBUFFER, target_framebuffer_, *find(target_));
  bind_region();
  return ok;
}

void GlDevice::attach_depth() {
  if (depth_target_ != 0) return;
  glGenRenderbuffers(1, &depth_target_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_target_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, region_width_, region_height_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_target_);
  // Nothing has tested depth yet, so all of it is as a clear leaves it.
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
  bind_region();
}

void GlDevice::set_hidden_surface_removal(bool on) {
  flush();
  if (on) attach_depth();
  switch_capability(GL_DEPTH_TEST, on);
  alpha_test_ = on;
  glUniform1i(program_->alpha_test, on ? GL_TRUE : GL_FALSE);
  use_program();
}

void GlDevice::set_culling(bool on) {
  flush();
  switch_capability(GL_CULL_FACE, on);
}

void GlDevice::set_smooth_shading(bool on) {
  flush();
  smooth_ = on;
  glUniform1i(program_->smooth, on ? GL_TRUE : GL_FALSE);
  use_program();
}

void GlDevice::set_lighting(bool on) {
  flush();
  lighting_ = on;
  glUniform1i(program_->lighting, on ? GL_TRUE : GL_FALSE);
  use_program();
}

void GlDevice::set_light(int slot, const Light& light) {
  if (slot < 0 || slot >= kLightSlots) return;
  flush();
  lights_[slot] = light;
  upload_lights();
}

void GlDevice::upload_lights() {
  // Only the enabled slots go to the shader, packed from the start.
  glm::vec4 vectors[kLightSlots];
  glm::vec3 colours[kLightSlots];
  glm::vec3 falloffs[kLightSlots];
  GLint count = 0;
  for (const Light& light : lights_) {
    if (!light.enabled) continue;
    vectors[count] =
        light.point ? glm::vec4(light.position, 1.0f) : glm::vec4(light.direction, 0.0f);
    colours[count] = light.colour;
    falloffs[count] = {light.range, light.attenuation0, light.attenuation1};
    ++count;
  }
  glUniform1i(program_->light_count, count);
  if (count == 0) return;
  glUniform4fv(program_->light_vector, count, glm::value_ptr(vectors[0]));
  glUniform3fv(program_->light_color, count, glm::value_ptr(colours[0]));
  glUniform3fv(program_->light_falloff, count, glm::value_ptr(falloffs[0]));
}

void GlDevice::set_fog(const Fog& fog) {
  flush();
  fog_ = fog;
  upload_fog();
  use_program();
}

void GlDevice::upload_fog() {
  glUniform1i(program_->fog, fog_.enabled ? GL_TRUE : GL_FALSE);
  glUniform3fv(program_->fog_color, 1, glm::value_ptr(glm::vec3(rgba_of(fog_.argb))));
  glUniform1f(program_->fog_start, fog_.start);
  glUniform1f(program_->fog_end, fog_.end);
}

void GlDevice::set_blend(BlendFactor source, BlendFactor destination) {
  flush();
  glBlendFunc(gl_blend_factor(source), gl_blend_factor(destination));
}

void GlDevice::set_texture_interpolation(bool linear) {
  flush();
  interpolate_ = linear;
  apply_sampler_state(sampler_repeat_);
}

void GlDevice::set_texture_repeat(bool repeat) {
  // Batches remember whether they repeat, so the pending one stays as it is.
  repeat_ = repeat;
}

void GlDevice::apply_sampler_state(bool repeat) {
  sampler_repeat_ = repeat;
  const GLint filter = interpolate_ ? GL_LINEAR : GL_NEAREST;
  const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, filter);
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, filter);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, wrap);
}

void GlDevice::set_texture_blending(bool modulate) {
  flush();
  modulate_ = modulate;
  glUniform1i(program_->modulate, modulate ? GL_TRUE : GL_FALSE);
  use_program();
}

void GlDevice::clear(std::uint32_t argb) {
  flush();
  // Only the viewport is cleared, as drawing into a view expects.
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  glClearColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f,
               static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f);
  glClearDepth(1.0);
  // Depth writes may be off; clearing needs them.
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | (depth_target_ != 0 ? GL_DEPTH_BUFFER_BIT : 0));
  glDisable(GL_SCISSOR_TEST);
}

void GlDevice::clear_depth() {
  if (depth_target_ == 0) return;
  flush();
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

template <typename Corner>
void GlDevice::append(Primitive primitive, TextureId texture, std::span<const Corner> vertices,
                      bool repeat) {
  if (texture != kNoTexture && find(texture) == nullptr) return;
  const GLenum mode = batch_mode(primitive);
  repeat = repeat || repeat_;
  if (mode != batch_mode_ || texture != batch_texture_ || repeat != batch_repeat_) {
    flush();
    batch_mode_ = mode;
    batch_texture_ = texture;
    batch_repeat_ = repeat;
  }
  // A batch holds one kind of corner, so plain drawing sends no normals.
  std::vector<Corner>& batch = corners_of<Corner>();
  if (batch.empty() && (!plain_batch_.empty() || !batch_3d_.empty())) flush();
  const auto first = static_cast<GLuint>(batch.size());
  batch.insert(batch.end(), vertices.begin(), vertices.end());
  list_corners(primitive, vertices.size(), corners_);
  for (std::size_t corner : corners_) batch_indices_.push_back(first + GLuint(corner));
}

void GlDevice::draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) {
  append(primitive, texture, vertices, false);
}

void GlDevice::draw(Primitive primitive, TextureId texture, std::span<const Vertex3D> vertices,
                    bool repeat) {
  append(primitive, texture, vertices, repeat);
}

void GlDevice::bind_vertex_array(GLuint name) {
  if (name == bound_vertex_array_) return;
  bound_vertex_array_ = name;
  glBindVertexArray(name);
}

void GlDevice::bind_texture(Texture* texture) {
  glUniform1i(program_->textured, texture != nullptr ? GL_TRUE : GL_FALSE);
  // The simple pair samples a texture either way; white leaves the colour as it is.
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->name : white_texture_);
}

void GlDevice::flush() {
  if (batch_indices_.empty()) {
    plain_batch_.clear();
    batch_3d_.clear();
    return;
  }
  bind_texture(find(batch_texture_));
  if (batch_repeat_ != sampler_repeat_) apply_sampler_state(batch_repeat_);
  const bool plain = !plain_batch_.empty();
  bind_vertex_array(vertex_arrays_[plain ? 0 : 1]);
  if (plain) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(plain_batch_.size() * sizeof(Vertex)),
                 plain_batch_.data(), GL_STREAM_DRAW);
  } else {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batch_3d_.size() * sizeof(Vertex3D)),
                 batch_3d_.data(), GL_STREAM_DRAW);
  }
  glBufferData(GL_ELEMENT_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(batch_indices_.size() * sizeof(GLuint)),
               batch_indices_.data(), GL_STREAM_DRAW);
  glDrawElements(batch_mode_, static_cast<GLsizei>(batch_indices_.size()), GL_UNSIGNED_INT,
                 nullptr);
  ++draw_calls_;
  plain_batch_.clear();
  batch_3d_.clear();
  batch_indices_.clear();
}

MeshId GlDevice::create_mesh(std::span<const MeshPart> parts) {
  flush();
  Mesh mesh;
  // Each corner is kept once and the lists index it, so that a corner shared
  // by a fan's or strip's triangles is transformed and lit once.
  std::vector<Vertex3D> corners;
  std::vector<GLubyte> takes_drawing_colour;
  std::vector<GLuint> indices;
  for (const MeshPart& part : parts) {
    const GLenum mode = batch_mode(part.primitive);
    list_corners(part.primitive, part.vertices.size(), corners_);
    if (corners_.empty()) continue;
    // Parts that draw alike are drawn together, in their order.
    if (mesh.runs.empty() || mesh.runs.back().mode != mode ||
        mesh.runs.back().repeat != part.repeat) {
      mesh.runs.push_back({mode, indices.size(), 0, part.repeat});
    }
    const auto base = static_cast<GLuint>(corners.size());
    for (std::size_t i = 0; i < part.vertices.size(); ++i) {
      corners.push_back(part.vertices[i]);
      takes_drawing_colour.push_back(
          i < part.takes_drawing_colour.size() && part.takes_drawing_colour[i] ? 1 : 0);
    }
    for (std::size_t corner : corners_) indices.push_back(base + static_cast<GLuint>(corner));
    mesh.runs.back().count = static_cast<GLsizei>(indices.size() - mesh.runs.back().first);
  }
  glGenVertexArrays(1, &mesh.vertex_array);
  bind_vertex_array(mesh.vertex_array);
  glGenBuffers(3, mesh.buffers);
  glBindBuffer(GL_ARRAY_BUFFER, mesh.buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(Vertex3D)),
               corners.data(), GL_STATIC_DRAW);
  set_vertex_layout<Vertex3D>();
  glBindBuffer(GL_ARRAY_BUFFER, mesh.buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(takes_drawing_colour.size()),
               takes_drawing_colour.data(), GL_STATIC_DRAW);
  glEnableVertexAttribArray(4);
  glVertexAttribPointer(4, 1, GL_UNSIGNED_BYTE, GL_FALSE, 1, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.buffers[2]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
               indices.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);

  auto free_slot = std::find_if(meshes_.begin(), meshes_.end(),
                                [](const Mesh& m) { return m.vertex_array == 0; });
  if (free_slot != meshes_.end()) {
    *free_slot = std::move(mesh);
    return static_cast<MeshId>(free_slot - meshes_.begin() + 1);
  }
  meshes_.push_back(std::move(mesh));
  return static_cast<MeshId>(meshes_.size());
}

GlDevice::Mesh* GlDevice::find_mesh(MeshId mesh) {
  if (mesh == kNoMesh || mesh > meshes_.size()) return nullptr;
  Mesh& entry = meshes_[mesh - 1];
  return entry.vertex_array != 0 ? &entry : nullptr;
}

void GlDevice::free_mesh(MeshId mesh) {
  Mesh* entry = find_mesh(mesh);
  if (entry == nullptr) return;
  glDeleteBuffers(3, entry->buffers);
  // Deleting the bound vertex array unbinds it.
  if (bound_vertex_array_ == entry->vertex_array) bound_vertex_array_ = 0;
  glDeleteVertexArrays(1, &entry->vertex_array);
  *entry = Mesh{};
}

void GlDevice::draw_mesh(MeshId mesh, TextureId texture, const glm::vec3& offset,
                         std::uint32_t drawing_argb) {
  Mesh* entry = find_mesh(mesh);
  Texture* bound = find(texture);
  if (entry == nullptr || entry->runs.empty() || (texture != kNoTexture && bound == nullptr)) {
    return;
  }
  flush();
  bind_texture(bound);
  glUniform3fv(program_->offset, 1, glm::value_ptr(offset));
  glUniform4fv(program_->drawing_color, 1, glm::value_ptr(rgba_of(drawing_argb)));
  bind_vertex_array(entry->vertex_array);
  for (const MeshRun& run : entry->runs) {
    const bool repeat = run.repeat || repeat_;
    if (repeat != sampler_repeat_) apply_sampler_state(repeat);
    glDrawElements(run.mode, run.count, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(run.first * sizeof(GLuint)));
    ++draw_calls_;
  }
  glUniform3f(program_->offset, 0.0f, 0.0f, 0.0f);
}

bool GlDevice::read_pixels(int x, int y, int width, int height, std::uint32_t* argb) {
  if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > region_width_ ||
      y + height > region_height_) {
    return false;
  }
  flush();
  // Only the read's own failure counts, not one left by an earlier call.
  while (glGetError() != GL_NO_ERROR) {
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, region_height_ - y - height, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               argb);
  // GL gives the bottom row first.
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(argb + top * width, argb + (top + 1) * width, argb + bottom * width);
  }
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::present(int x, int y, int width, int height, std::uint32_t border_argb) {
  flush();
  // The region stays as it is for reads; only the copy no one would see is left out.
  if (!window_seen_) {
    SDL_GL_SwapWindow(window_);
    return;
  }
  int window_width = 0;
  int window_height = 0;
  SDL_GL_GetDrawableSize(window_, &window_width, &window_height);
  // On high-density screens the drawable has more pixels than the client area.
  int client_width = 0;
  int client_height = 0;
  SDL_GetWindowSize(window_, &client_width, &client_height);
  if (client_width > 0 && client_height > 0 && client_width != window_width) {
    x = x * window_width / client_width;
    width = width * window_width / client_width;
    y = y * window_height / client_height;
    height = height * window_height / client_height;
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, window_width, window_height);
  // A picture that covers the whole window leaves no border to paint; a
  // software renderer would spend a pass over every pixel on it.
  const bool bordered = x > 0 || y > 0 || x + width < window_width || y + height < window_height;
  if (bordered) {
    glClearColor(static_cast<float>((border_argb >> 16) & 0xFF) / 255.0f,
                 static_cast<float>((border_argb >> 8) & 0xFF) / 255.0f,
                 static_cast<float>(border_argb & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  const bool scaled = width != region_width_ || height != region_height_;
  glBlitFramebuffer(0, 0, region_width_, region_height_, x, window_height - y - height, x + width,
                    window_height - y, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
  SDL_GL_SwapWindow(window_);
  bind_region();
}

void GlDevice::set_vsync(bool on) {
  // Drivers without a vertical-blank wait keep presenting at once.
  SDL_GL_SetSwapInterval(on ? 1 : 0);
}

void GlDevice::bind_region() {
  glBindFramebuffer(GL_FRAMEBUFFER, target_ != kNoTexture ? target_framebuffer_ : framebuffer_);
  glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
}

}  // namespace kestrel::platform::sdl
