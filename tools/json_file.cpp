#include "json_file.h"

#include <fstream>
#include <sstream>

namespace kestrel::tools {

namespace {

constexpr std::size_t kLineWidth = 100;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(path, "cannot read the file");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int LineOfOffset(const std::string& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n'));
}

// Walks the text as JSON, keeping the path of the value being read, and gives
// the offset at which the value at `target` starts.
class Locator {
 public:
  Locator(const std::string& text, const Json::json_pointer& target)
      : text_(text), target_(target.to_string()) {}

  std::size_t Find() {
    Value("");
    return found_;
  }

 private:
  void Blank() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  std::string String() {
    std::string out;
    ++at_;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\') ++at_;
      if (at_ < text_.size()) out += text_[at_++];
    }
    ++at_;
    return out;
  }
  static std::string Escape(const std::string& key) {
    std::string out;
    for (char c : key) out += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
    return out;
  }
  // Stops as soon as the target is found: the walk goes no further.
  void Value(const std::string& path) {
    Blank();
    if (at_ >= text_.size()) return;
    if (path == target_) {
      found_ = at_;
      return;
    }
    const char c = text_[at_];
    if (c == '{') {
      ++at_;
      while (true) {
        Blank();
        if (at_ >= text_.size() || text_[at_] == '}') break;
        if (text_[at_] != '"') return;
        const std::string key = String();
        Blank();
        if (at_ < text_.size() && text_[at_] == ':') ++at_;
        Value(path + "/" + Escape(key));
        if (found_ != std::string::npos) return;
        Blank();
        if (at_ < text_.size() && text_[at_] == ',') ++at_;
      }
      ++at_;
    } else if (c == '[') {
      ++at_;
      for (int index = 0;; ++index) {
        Blank();
        if (at_ >= text_.size() || text_[at_] == ']') break;
        Value(path + "/" + std::to_string(index));
        if (found_ != std::string::npos) return;
        Blank();
        if (at_ < text_.size() && text_[at_] == ',') ++at_;
      }
      ++at_;
    } else if (c == '"') {
      String();
    } else {
      while (at_ < text_.size() && !std::strchr(",]} \t\r\n", text_[at_])) ++at_;
    }
  }

  const std::string& text_;
  std::string target_;
  std::size_t at_ = 0;
  std::size_t found_ = std::string::npos;
};

// One line, with a space after each comma and colon.
std::string Compact(const Json& value) {
  if (!value.is_structured()) return value.dump();
  std::string out = value.is_object() ? "{" : "[";
  bool first = true;
  for (auto item = value.begin(); item != value.end(); ++item) {
    if (!first) out += ", ";
    first = false;
    if (value.is_object()) out += Json(item.key()).dump() + ": ";
    out += Compact(*item);
  }
  return out + (value.is_object() ? "}" : "]");
}

void Format(const Json& value, int indent, std::string& out) {
  const std::string compact = Compact(value);
  if (!value.is_structured() || value.empty() || compact.size() + indent <= kLineWidth) {
    out += compact;
    return;
  }
  const std::string inner(std::size_t(indent + 2), ' ');
  out += value.is_object() ? "{\n" : "[\n";
  bool first = true;
  for (auto item = value.begin(); item != value.end(); ++item) {
    if (!first) out += ",\n";
    first = false;
    out += inner;
    if (value.is_object()) out += Json(item.key()).dump() + ": ";
    Format(*item, indent + 2, out);
  }
  out += "\n" + std::string(std::size_t(indent), ' ') + (value.is_object() ? "}" : "]");
}

}  // namespace

void Fail(const std::filesystem::path& file, const std::string& message) {
  throw ProjectError(file.string() + ": " + message);
}

JsonFile JsonFile::Read(const std::filesystem::path& path) {
  JsonFile file;
  file.path_ = path;
  file.text_ = ReadText(path);
  try {
    file.root_ = Json::parse(file.text_);
  } catch (const Json::parse_error& error) {
    std::string message = error.what();
    if (auto at = message.find("parse error"); at != std::string::npos)
      message = message.substr(at);
    throw ProjectError(path.string() + ":" +
                       std::to_string(LineOfOffset(file.text_, error.byte - 1)) + ": " + message);
  }
  return file;
}

void JsonFile::Fail(const Json::json_pointer& where, const std::string& message) const {
  Locator locator(text_, where);
  std::size_t offset = locator.Find();
  const int line = offset == std::string::npos ? 1 : LineOfOffset(text_, offset);
  throw ProjectError(path_.string() + ":" + std::to_string(line) + ": " + message);
}

JsonFile::TextPlace JsonFile::StringTextPlace(const Json::json_pointer& where) const {
  Locator locator(text_, where);
  const std::size_t offset = locator.Find();
  if (offset == std::string::npos) return {};
  const std::size_t line_start = text_.rfind('\n', offset);
  const std::size_t quote_column =
      line_start == std::string::npos ? offset : offset - line_start - 1;
  return {LineOfOffset(text_, offset), static_cast<int>(quote_column) + 1};
}

JsonObject::JsonObject(const JsonFile& file, const Json& value, Json::json_pointer where)
    : file_(file), value_(value), where_(std::move(where)) {
  if (!value_.is_object()) file_.Fail(where_, "expected an object");
}

void JsonObject::Finish() const {
  for (auto item = value_.begin(); item != value_.end(); ++item)
    if (!used_.count(item.key())) Fail(item.key(), "unknown key \"" + item.key() + "\"");
}

bool JsonObject::Has(const std::string& key) const {
  used_.insert(key);
  return value_.contains(key) && !value_[key].is_null();
}

const Json* JsonObject::Get(const std::string& key) const {
  return Has(key) ? &value_[key] : nullptr;
}

void JsonObject::Fail(const std::string& key, const std::string& message) const {
  file_.Fail(value_.contains(key) ? where_ / key : where_, message);
}

int IntAt(const JsonFile& file, const Json& value, const Json::json_pointer& where) {
  if (value.is_number_integer()) {
    const auto number = value.get<std::int64_t>();
    if (number >= INT32_MIN && number <= INT32_MAX) return int(number);
  }
  file.Fail(where, "expected a whole number");
}

double RealAt(const JsonFile& file, const Json& value, const Json::json_pointer& where) {
  if (!value.is_number()) file.Fail(where, "expected a number");
  return value.get<double>();
}

std::string StringAt(const JsonFile& file, const Json& value, const Json::json_pointer& where) {
  if (!value.is_string()) file.Fail(where, "expected a string");
  return value.get<std::string>();
}

int JsonObject::Int(const std::string& key, int fallback) const {
  const Json* value = Get(key);
  return value ? IntAt(file_, *value, where(key)) : fallback;
}

double JsonObject::Real(const std::string& key, double fallback) const {
  const Json* value = Get(key);
  return value ? RealAt(file_, *value, where(key)) : fallback;
}

bool JsonObject::Bool(const std::string& key, bool fallback) const {
  const Json* value = Get(key);
  if (!value) return fallback;
  if (!value->is_boolean()) Fail(key, "expected true or false");
  return value->get<bool>();
}

std::string JsonObject::String(const std::string& key, const std::string& fallback) const {
  const Json* value = Get(key);
  return value ? StringAt(file_, *value, where(key)) : fallback;
}

JsonObject JsonObject::Object(const std::string& key) const {
  static const Json kEmpty = Json::object();
  const Json* value = Get(key);
  return JsonObject(file_, value ? *value : kEmpty, where(key));
}

const Json& JsonObject::Array(const std::string& key) const {
  static const Json kEmpty = Json::array();
  const Json* value = Get(key);
  if (!value) return kEmpty;
  if (!value->is_array()) Fail(key, "expected a list");
  return *value;
}

std::string FormatJson(const Json& value) {
  std::string out;
  Format(value, 0, out);
  out += "\n";
  return out;
}

}  // namespace kestrel::tools
