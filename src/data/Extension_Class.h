#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/Support_Stream.h"

namespace kestrel {

inline constexpr int kExtensionArgumentTypes = 17;

class CExtensionFunction {
 public:
  std::string name;
  std::string external_name;
  int calling_convention = 0;  // 12 cdecl, anything else stdcall
  int id = -1;
  int argument_count = 0;  // -1 for any number
  std::array<int, kExtensionArgumentTypes> argument_types = [] {
    std::array<int, kExtensionArgumentTypes> types;
    types.fill(2);
    return types;
  }();
  int result_type = 2;  // 1 string, 2 real
  std::string code;     // for script files, from the file's text

  bool operator==(const CExtensionFunction&) const = default;
};

struct CExtensionConstant {
  std::string name;
  std::string value;

  bool operator==(const CExtensionConstant&) const = default;
};

class CExtensionFile {
 public:
  std::string file_name;
  int kind = 0;  // 1 library, 2 script file, 3 no data, 4 other file
  std::string initialization_function;
  std::string finalization_function;
  std::vector<CExtensionFunction> functions;
  std::vector<CExtensionConstant> constants;
  std::optional<Bytes> data;  // every kind but 3 carries its contents

  bool operator==(const CExtensionFile&) const = default;
};

class CExtensionPackage {
 public:
  std::string name;
  std::string folder_name;
  std::vector<CExtensionFile> files;
  std::int32_t seed = 0;  // of the byte substitution over the files' contents

  // Reads the record as stored; Tidy() then prepares it for use.
  bool Load(CStream& stream);
  void Save(CStream& stream) const;
  // Trims function names, fills empty external names, makes functions with five
  // or more arguments all-real and gives script functions their code.
  void Tidy();

  bool operator==(const CExtensionPackage&) const = default;
};

// One "#define NAME" section of a script file: the code below the line, and
// the lines of the file before that code.
struct ScriptSection {
  std::string name;
  std::int32_t lines_before = 0;
  std::string code;
};
std::vector<ScriptSection> ScriptFileSections(std::string_view text);

// The sections of a script file, as code for the functions of that file.
void AssignScriptFileCode(CExtensionFile& file);

// Writes the library and other files of every package into the package's
// folder inside the temporary folder. False when one could not be written.
bool ExportExtensionFiles(const std::vector<CExtensionPackage>& packages,
                          const std::filesystem::path& temp_directory);

}  // namespace kestrel
