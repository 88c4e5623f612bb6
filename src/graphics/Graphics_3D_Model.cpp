#include "graphics/Graphics_3D_Model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "graphics/Graphics_Device.h"
#include "graphics/Graphics_Support.h"

namespace kestrel {
namespace {

constexpr int kLastCommand = static_cast<int>(ModelCommand::Floor);

// Collects what a model draws as parts of a device mesh, as the primitive
// buffer would collect and draw it.
class MeshBuilder final : public PrimitiveSink {
 public:
  void begin(int kind, bool repeat) override {
    kind_ = kind;
    current_ = {};
    current_.repeat = repeat;
  }
  void corner(const Corner3D& c) override {
    if (current_.vertices.size() >= kMaxPrimitive3DVertices) return;
    current_.vertices.push_back({c.position.x, c.position.y, c.position.z, c.normal.x, c.normal.y,
                                 c.normal.z, c.argb.value_or(0), c.u, c.v});
    current_.takes_drawing_colour.push_back(!c.argb.has_value());
  }
  // The corners stay, as in the primitive buffer: another end draws them again.
  void end() override {
    const std::optional<platform::Primitive> primitive = primitive_of_kind(kind_);
    if (primitive && !current_.vertices.empty()) {
      current_.primitive = *primitive;
      parts.push_back(current_);
    }
    current_.repeat = false;
  }

  std::vector<platform::MeshPart> parts;

 private:
  int kind_ = 0;
  platform::MeshPart current_;
};

// Whitespace-separated numbers, as the model reader takes them.
class NumberReader {
 public:
  explicit NumberReader(std::string_view text) : text_(text) {}

  bool integer(long long& value) {
    const std::string_view token = next();
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    return !token.empty() && error == std::errc() && end == token.data() + token.size();
  }
  // Decimal numbers only: strtod's "nan", "inf" and hexadecimal forms are not
  // numbers in a model file.
  bool real(double& value) {
    const std::string_view token = next();
    if (token.empty() || token.size() > 64 ||
        token.find_first_not_of("0123456789+-.eE") != std::string_view::npos) {
      return false;
    }
    const std::string copy(token);  // strtod needs the terminating zero
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(value);
  }

 private:
  std::string_view next() {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (at_ < text_.size() && blank(text_[at_])) ++at_;
    const std::size_t start = at_;
    while (at_ < text_.size() && !blank(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

// A stored number as an integer: rounded, limited to the range, NaN as 0 (files
// may hold any number).
std::int64_t whole(double value, std::int64_t limit) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int64_t>(
      std::nearbyint(std::clamp(value, -static_cast<double>(limit), static_cast<double>(limit))));
}

int whole_int(double value) {
  return static_cast<int>(whole(value, 1 << 30));
}

// Four decimals; a number with more than ten digits before the point in
// scientific form with ten digits. Numbers that show as zero show no sign.
void append_number(std::string& out, double value) {
  if (std::abs(value) < 0.00005) value = 0;
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, " %.4f", value);
  const std::string_view fixed(buffer);
  if (fixed.find('.') - (value < 0 ? 2 : 1) > 10) {
    std::snprintf(buffer, sizeof buffer, " %.9E", value);
  }
  out += buffer;
}

}  // namespace

void C3D_Model::release() {
  if (mesh_ != platform::kNoMesh && kept_by_ != nullptr && kept_by_->has_device()) {
    kept_by_->device()->free_mesh(mesh_);
  }
  mesh_ = platform::kNoMesh;
  kept_by_ = nullptr;
}

void C3D_Model::clear() {
  records_.clear();
  release();
}

void C3D_Model::add(ModelCommand kind, std::span<const double> fields) {
  ModelRecord record{static_cast<int>(kind), {}};
  std::copy_n(fields.begin(), std::min(fields.size(), record.f.size()), record.f.begin());
  records_.push_back(record);
  release();
}

void C3D_Model::replay(PrimitiveSink& sink, double x, double y, double z) const {
  const auto box = [&](const ModelRecord& r) {
    return ShapeBox{r.f[0] + x, r.f[1] + y, r.f[2] + z, r.f[3] + x,
                    r.f[4] + y, r.f[5] + z, r.f[6],     r.f[7]};
  };
  const auto colour = [](double bgr, double alpha) {
    return std::optional<std::uint32_t>(vertex_colour(whole(bgr, std::int64_t{1} << 52), alpha));
  };
  const auto position = [&](const ModelRecord& r) {
    return glm::vec3(static_cast<float>(r.f[0] + x), static_cast<float>(r.f[1] + y),
                     static_cast<float>(r.f[2] + z));
  };
  const auto vec = [](double a, double b, double c) {
    return glm::vec3(static_cast<float>(a), static_cast<float>(b), static_cast<float>(c));
  };
  const auto uv = [](double value) { return static_cast<float>(value); };
  for (const ModelRecord& r : records_) {
    const auto& f = r.f;
    switch (static_cast<ModelCommand>(r.kind)) {
      case ModelCommand::PrimitiveBegin:
        sink.begin(whole_int(f[0]), false);
        break;
      case ModelCommand::PrimitiveEnd:
        sink.end();
        break;
      case ModelCommand::Vertex:
        sink.corner({position(r), {}, 0, 0, std::nullopt});
        break;
      case ModelCommand::VertexColor:
        sink.corner({position(r), {}, 0, 0, colour(f[3], f[4])});
        break;
      case ModelCommand::VertexTexture:
        sink.corner({position(r), {}, uv(f[3]), uv(f[4]), std::nullopt});
        break;
      case ModelCommand::VertexTextureColor:
        sink.corner({position(r), {}, uv(f[3]), uv(f[4]), colour(f[5], f[6])});
        break;
      case ModelCommand::VertexNormal:
        sink.corner({position(r), vec(f[3], f[4], f[5]), 0, 0, std::nullopt});
        break;
      case ModelCommand::VertexNormalColor:
        sink.corner({position(r), vec(f[3], f[4], f[5]), 0, 0, colour(f[6], f[7])});
        break;
      case ModelCommand::VertexNormalTexture:
        sink.corner({position(r), vec(f[3], f[4], f[5]), uv(f[6]), uv(f[7]), std::nullopt});
        break;
      case ModelCommand::VertexNormalTextureColor:
        sink.corner({position(r), vec(f[3], f[4], f[5]), uv(f[6]), uv(f[7]), colour(f[8], f[9])});
        break;
      case ModelCommand::Block:
        shape_block(sink, box(r));
        break;
      case ModelCommand::Cylinder:
        shape_cylinder(sink, box(r), f[8] >= 0.5, whole_int(f[9]));
        break;
      case ModelCommand::Cone:
        shape_cone(sink, box(r), f[8] >= 0.5, whole_int(f[9]));
        break;
      case ModelCommand::Ellipsoid:
        shape_ellipsoid(sink, box(r), whole_int(f[8]));
        break;
      case ModelCommand::Wall:
        shape_wall(sink, box(r));
        break;
      case ModelCommand::Floor:
        shape_floor(sink, box(r));
        break;
    }
  }
}

void C3D_Model::draw(Graphics& graphics, double x, double y, double z, int texture,
                     std::uint32_t drawing_argb) {
  if (!graphics.has_device()) return;
  if (kept_by_ != &graphics) {
    release();
    MeshBuilder builder;
    replay(builder, 0, 0, 0);
    mesh_ = graphics.device()->create_mesh(builder.parts);
    kept_by_ = &graphics;
  }
  const TextureEntry* entry = graphics.textures().find(texture);
  graphics.device()->draw_mesh(
      mesh_, entry != nullptr ? entry->device_texture : platform::kNoTexture,
      {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}, drawing_argb);
}

std::string C3D_Model::text() const {
  std::string out =
      std::to_string(kModelFileVersion) + "\r\n" + std::to_string(records_.size()) + "\r\n";
  for (const ModelRecord& record : records_) {
    out += std::to_string(record.kind);
    for (double field : record.f) append_number(out, field);
    out += "\r\n";
  }
  return out;
}

bool C3D_Model::read(std::string_view text, std::string& error) {
  clear();
  NumberReader reader(text);
  long long version = 0;
  if (!reader.integer(version) || version != kModelFileVersion) {
    error = "not a model file of version 100";
    return false;
  }
  long long count = 0;
  if (!reader.integer(count) || count < 0) {
    error = "the number of records is missing or negative";
    return false;
  }
  // Records are read one by one, so a count larger than the file holds fails
  // at the end of the file instead of asking for memory.
  std::vector<ModelRecord> records;
  for (long long i = 0; i < count; ++i) {
    ModelRecord record;
    long long kind = 0;
    if (!reader.integer(kind) || kind < 0 || kind > kLastCommand) {
      error = "record " + std::to_string(i + 1) + " has no command kind from 0 to 15";
      return false;
    }
    record.kind = static_cast<int>(kind);
    for (double& field : record.f) {
      if (!reader.real(field)) {
        error = "record " + std::to_string(i + 1) + " lacks one of its ten numbers";
        return false;
      }
    }
    records.push_back(record);
  }
  records_ = std::move(records);
  return true;
}

int ModelTable::create() {
  for (std::size_t id = 0; id < models_.size(); ++id) {
    if (models_[id] == nullptr) {
      models_[id] = std::make_unique<C3D_Model>();
      return static_cast<int>(id);
    }
  }
  models_.push_back(std::make_unique<C3D_Model>());
  return static_cast<int>(models_.size()) - 1;
}

void ModelTable::destroy(int id) {
  if (find(id) != nullptr) models_[static_cast<std::size_t>(id)].reset();
}

C3D_Model* ModelTable::find(int id) {
  if (id < 0 || static_cast<std::size_t>(id) >= models_.size()) return nullptr;
  return models_[static_cast<std::size_t>(id)].get();
}

}  // namespace kestrel
