#include "platform/sdl/gl_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace kestrel::platform::sdl {
namespace {

// The fixed-function states that drawing relies on, emulated by one shader pair.
constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_color;
layout(location = 2) in vec2 a_uv;
uniform mat4 u_transform;
out vec4 v_color;
out vec2 v_uv;
void main() {
  gl_Position = u_transform * vec4(a_position, 1.0);
  v_color = a_color;
  v_uv = a_uv;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec4 v_color;
in vec2 v_uv;
uniform sampler2D u_texture;
uniform bool u_textured;
uniform bool u_modulate;
out vec4 o_color;
void main() {
  if (!u_textured) {
    o_color = v_color;
  } else {
    vec4 texel = texture(u_texture, v_uv);
    o_color = u_modulate ? texel * v_color : texel;
  }
}
)";

GLuint compile_shader(GLenum kind, const char* source, std::string& error) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
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

void append_as_list(Primitive primitive, std::span<const Vertex> v, std::vector<Vertex>& out) {
  switch (primitive) {
    case Primitive::TriangleFan:
      for (std::size_t i = 2; i < v.size(); ++i) out.insert(out.end(), {v[0], v[i - 1], v[i]});
      break;
    case Primitive::TriangleStrip:
      for (std::size_t i = 2; i < v.size(); ++i) {
        // Every other triangle of a strip is wound the other way round.
        if (i % 2 == 0)
          out.insert(out.end(), {v[i - 2], v[i - 1], v[i]});
        else
          out.insert(out.end(), {v[i - 1], v[i - 2], v[i]});
      }
      break;
    case Primitive::LineStrip:
      for (std::size_t i = 1; i < v.size(); ++i) out.insert(out.end(), {v[i - 1], v[i]});
      break;
    case Primitive::TriangleList:
      out.insert(out.end(), v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 3 * 3));
      break;
    case Primitive::LineList:
      out.insert(out.end(), v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2 * 2));
      break;
    case Primitive::PointList:
      out.insert(out.end(), v.begin(), v.end());
      break;
  }
}

}  // namespace

GlDevice::GlDevice(SDL_Window* window) : window_(window) {}

GlDevice::~GlDevice() {
  for (const Texture& texture : textures_) {
    if (texture.name != 0) glDeleteTextures(1, &texture.name);
  }
  glDeleteSamplers(1, &sampler_);
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteFramebuffers(1, &target_framebuffer_);
  glDeleteFramebuffers(1, &source_framebuffer_);
  glDeleteTextures(1, &color_target_);
  glDeleteRenderbuffers(1, &depth_target_);
  glDeleteBuffers(1, &vertex_buffer_);
  glDeleteVertexArrays(1, &vertex_array_);
  glDeleteProgram(program_);
}

bool GlDevice::initialize(int width, int height, std::string& error) {
  if (epoxy_gl_version() < 33) {
    error = "The graphics driver offers OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
            std::to_string(epoxy_gl_version() % 10) + "; drawing needs 3.3.";
    return false;
  }
  GLuint vertex = compile_shader(GL_VERTEX_SHADER, kVertexShader, error);
  if (vertex == 0) return false;
  GLuint fragment = compile_shader(GL_FRAGMENT_SHADER, kFragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return false;
  }
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  glLinkProgram(program_);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    error = "Failed to link the drawing shaders.";
    return false;
  }
  glUseProgram(program_);
  transform_location_ = glGetUniformLocation(program_, "u_transform");
  textured_location_ = glGetUniformLocation(program_, "u_textured");
  modulate_location_ = glGetUniformLocation(program_, "u_modulate");
  glUniform1i(glGetUniformLocation(program_, "u_texture"), 0);
  glUniform1i(modulate_location_, GL_TRUE);
  set_transform(glm::mat4(1.0f));

  glGenVertexArrays(1, &vertex_array_);
  glBindVertexArray(vertex_array_);
  glGenBuffers(1, &vertex_buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer_);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, x)));
  // GL_BGRA reads the little-endian ARGB word in the order red, green, blue, alpha.
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, argb)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                        reinterpret_cast<void*>(offsetof(Vertex, u)));

  glGenSamplers(1, &sampler_);
  glBindSampler(0, sampler_);
  apply_sampler_state();

  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size_);
  glEnable(GL_BLEND);
  set_blend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);

  glGenFramebuffers(1, &framebuffer_);
  glGenFramebuffers(1, &target_framebuffer_);
  glGenFramebuffers(1, &source_framebuffer_);
  glGenTextures(1, &color_target_);
  glGenRenderbuffers(1, &depth_target_);
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
  glBindRenderbuffer(GL_RENDERBUFFER, depth_target_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_target_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_target_);
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

void GlDevice::set_transform(const glm::mat4& transform) {
  flush();
  transform_ = transform;
  upload_transform();
}

void GlDevice::upload_transform() {
  // Drawing into a texture turns the picture over, so that its top row lands
  // in the texture's first row, where a picture filled into a texture has it.
  const glm::mat4 upside_down = glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, -1.0f, 1.0f));
  const glm::mat4 applied = target_ != kNoTexture ? upside_down * transform_ : transform_;
  glUniformMatrix4fv(transform_location_, 1, GL_FALSE, glm::value_ptr(applied));
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

void GlDevice::set_blend(BlendFactor source, BlendFactor destination) {
  flush();
  glBlendFunc(gl_blend_factor(source), gl_blend_factor(destination));
}

void GlDevice::set_texture_interpolation(bool linear) {
  flush();
  interpolate_ = linear;
  apply_sampler_state();
}

void GlDevice::set_texture_repeat(bool repeat) {
  flush();
  repeat_ = repeat;
  apply_sampler_state();
}

void GlDevice::apply_sampler_state() {
  const GLint filter = interpolate_ ? GL_LINEAR : GL_NEAREST;
  const GLint wrap = repeat_ ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, filter);
  glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, filter);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, wrap);
}

void GlDevice::set_texture_blending(bool modulate) {
  flush();
  glUniform1i(modulate_location_, modulate ? GL_TRUE : GL_FALSE);
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
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

void GlDevice::draw(Primitive primitive, TextureId texture, std::span<const Vertex> vertices) {
  if (texture != kNoTexture && find(texture) == nullptr) return;
  const GLenum mode = batch_mode(primitive);
  if (mode != batch_mode_ || texture != batch_texture_) {
    flush();
    batch_mode_ = mode;
    batch_texture_ = texture;
  }
  append_as_list(primitive, vertices, batch_);
}

void GlDevice::flush() {
  if (batch_.empty()) return;
  Texture* texture = find(batch_texture_);
  glUniform1i(textured_location_, texture != nullptr ? GL_TRUE : GL_FALSE);
  if (texture != nullptr) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture->name);
  }
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batch_.size() * sizeof(Vertex)),
               batch_.data(), GL_STREAM_DRAW);
  glDrawArrays(batch_mode_, 0, static_cast<GLsizei>(batch_.size()));
  batch_.clear();
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
  glClearColor(static_cast<float>((border_argb >> 16) & 0xFF) / 255.0f,
               static_cast<float>((border_argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(border_argb & 0xFF) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
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
