#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/Graphics_3D.h"
#include "platform/render_device.h"

namespace kestrel {

class Graphics;

// The kinds of a model's records, numbered as in model files.
enum class ModelCommand : int {
  PrimitiveBegin = 0,
  PrimitiveEnd,
  Vertex,
  VertexColor,
  VertexTexture,
  VertexTextureColor,
  VertexNormal,
  VertexNormalColor,
  VertexNormalTexture,
  VertexNormalTextureColor,
  Block,
  Cylinder,
  Cone,
  Ellipsoid,
  Wall,
  Floor,
};

// One drawing command: its kind and ten numbers, unused ones 0.
struct ModelRecord {
  int kind = 0;
  std::array<double, 10> f{};
};

inline constexpr int kModelFileVersion = 100;

// Drawing commands kept to be drawn again in one call. The device keeps what
// they draw, made on the first draw after a change.
class C3D_Model {
 public:
  C3D_Model() = default;
  C3D_Model(const C3D_Model&) = delete;
  C3D_Model& operator=(const C3D_Model&) = delete;
  ~C3D_Model() { release(); }

  const std::vector<ModelRecord>& records() const { return records_; }
  void clear();
  // Fields beyond ten are ignored.
  void add(ModelCommand kind, std::span<const double> fields);

  // Replays the records moved by (x, y, z) with the texture (-1 none) in the
  // drawing colour for corners without their own.
  void draw(Graphics& graphics, double x, double y, double z, int texture,
            std::uint32_t drawing_argb);

  // The model file: the version, the count, then one line per record.
  std::string text() const;
  // Reads a model file in place of the records. On failure the model is left
  // empty and `error` says what is wrong.
  bool read(std::string_view text, std::string& error);

  // Hands the records to `sink` as the drawing functions would draw them, moved
  // by (x, y, z).
  void replay(PrimitiveSink& sink, double x, double y, double z) const;

 private:
  void release();

  std::vector<ModelRecord> records_;
  Graphics* kept_by_ = nullptr;  // whose device holds mesh_
  platform::MeshId mesh_ = platform::kNoMesh;
};

// The models of a game, by id: the lowest empty entry takes a new model.
class ModelTable {
 public:
  int create();
  void destroy(int id);
  // Null for an id out of range or empty.
  C3D_Model* find(int id);
  void clear() { models_.clear(); }

 private:
  std::vector<std::unique_ptr<C3D_Model>> models_;
};

}  // namespace kestrel
