#include "data/Extension_Class.h"

#include <algorithm>

#include "data/Support_File.h"

namespace kestrel {

namespace {

constexpr int kVersion = 700;

// A nested record with another version keeps its defaults; reading goes on
// from just after the version field.
void LoadFunction(CExtensionFunction& function, CStream& stream) {
  if (ReadInt(stream) != kVersion) return;
  function.name = ReadString(stream);
  function.external_name = ReadString(stream);
  function.calling_convention = ReadInt(stream);
  function.id = ReadInt(stream);
  function.argument_count = ReadInt(stream);
  for (int& type : function.argument_types) type = ReadInt(stream);
  function.result_type = ReadInt(stream);
}

void LoadConstant(CExtensionConstant& constant, CStream& stream) {
  if (ReadInt(stream) != kVersion) return;
  constant.name = ReadString(stream);
  constant.value = ReadString(stream);
}

void LoadFile(CExtensionFile& file, CStream& stream) {
  if (ReadInt(stream) != kVersion) return;
  file.file_name = ReadString(stream);
  file.kind = ReadInt(stream);
  file.initialization_function = ReadString(stream);
  file.finalization_function = ReadString(stream);
  const int function_count = ReadInt(stream);
  for (int i = 0; i < function_count && !stream.failed(); ++i)
    LoadFunction(file.functions.emplace_back(), stream);
  const int constant_count = ReadInt(stream);
  for (int i = 0; i < constant_count && !stream.failed(); ++i)
    LoadConstant(file.constants.emplace_back(), stream);
}

bool HasData(const CExtensionFile& file) {
  return file.kind != 3;
}

std::string Trim(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

bool CExtensionPackage::Load(CStream& stream) {
  *this = CExtensionPackage{};
  if (ReadInt(stream) != kVersion) return false;
  name = ReadString(stream);
  folder_name = ReadString(stream);
  const int file_count = ReadInt(stream);
  for (int i = 0; i < file_count && !stream.failed(); ++i) LoadFile(files.emplace_back(), stream);

  CStream contents = ReadBlock(stream);
  seed = ReadInt(contents);
  ApplySeededTable(contents, seed, 5, 0);
  contents.seek(4);
  for (auto& file : files) {
    if (!HasData(file)) continue;
    file.data = ReadCompressedBlock(contents).release();
    if (contents.failed()) break;
  }
  if (contents.failed()) stream.fail();
  return !stream.failed();
}

void CExtensionPackage::Save(CStream& stream) const {
  WriteInt(stream, kVersion);
  WriteString(stream, name);
  WriteString(stream, folder_name);
  WriteInt(stream, int(files.size()));
  for (const auto& file : files) {
    WriteInt(stream, kVersion);
    WriteString(stream, file.file_name);
    WriteInt(stream, file.kind);
    WriteString(stream, file.initialization_function);
    WriteString(stream, file.finalization_function);
    WriteInt(stream, int(file.functions.size()));
    for (const auto& function : file.functions) {
      WriteInt(stream, kVersion);
      WriteString(stream, function.name);
      WriteString(stream, function.external_name);
      WriteInt(stream, function.calling_convention);
      WriteInt(stream, function.id);
      WriteInt(stream, function.argument_count);
      for (int type : function.argument_types) WriteInt(stream, type);
      WriteInt(stream, function.result_type);
    }
    WriteInt(stream, int(file.constants.size()));
    for (const auto& constant : file.constants) {
      WriteInt(stream, kVersion);
      WriteString(stream, constant.name);
      WriteString(stream, constant.value);
    }
  }
  CStream contents;
  WriteInt(contents, seed);
  for (const auto& file : files)
    if (HasData(file)) WriteCompressedBlock(contents, file.data ? *file.data : Bytes{});
  ApplySeededTable(contents.bytes(), seed, 5, 0, /*inverse=*/false);
  WriteBlock(stream, contents.bytes());
}

void CExtensionPackage::Tidy() {
  for (auto& file : files) {
    for (auto& function : file.functions) {
      function.name = Trim(function.name);
      function.external_name = Trim(function.external_name);
      if (function.external_name.empty()) function.external_name = function.name;
      if (function.argument_count >= 5) function.argument_types.fill(2);
      if (function.result_type < 1 || function.result_type > 2) function.result_type = 2;
    }
    if (file.kind == 2) AssignScriptFileCode(file);
  }
}

std::vector<ScriptSection> ScriptFileSections(std::string_view text) {
  // Only a CR ends a line; the LF of a CR LF pair is dropped with any other.
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') {
      lines.emplace_back();
    } else if (c != '\n') {
      lines.back() += c;
    }
  }
  std::vector<ScriptSection> sections;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.starts_with("#define")) {
      sections.push_back({Trim(std::string_view(line).substr(7)), std::int32_t(i + 1), {}});
    } else if (!sections.empty()) {
      std::string& code = sections.back().code;
      if (std::int32_t(i) > sections.back().lines_before) code += "\r\n";
      code += line;
    }
  }
  return sections;
}

void AssignScriptFileCode(CExtensionFile& file) {
  for (auto& function : file.functions) function.code.clear();
  if (!file.data) return;
  const std::string_view text(reinterpret_cast<const char*>(file.data->data()), file.data->size());
  for (const ScriptSection& section : ScriptFileSections(text)) {
    for (auto& function : file.functions)
      if (function.external_name == section.name) function.code = section.code;
  }
}

namespace {

// Names from the game data must not lead out of the temporary folder.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

}  // namespace

bool ExportExtensionFiles(const std::vector<CExtensionPackage>& packages,
                          const std::filesystem::path& temp_directory) {
  bool all_written = true;
  for (const auto& package : packages) {
    if (!IsPlainFileName(package.folder_name)) {
      all_written = false;
      continue;
    }
    const auto folder = temp_directory / package.folder_name;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& file : package.files) {
      if ((file.kind != 1 && file.kind != 4) || !file.data) continue;
      if (!IsPlainFileName(file.file_name)) {
        all_written = false;
        continue;
      }
      std::string message;
      const std::string_view bytes(reinterpret_cast<const char*>(file.data->data()),
                                   file.data->size());
      all_written &= WriteFileAtomically(folder / file.file_name, bytes, message);
    }
  }
  return all_written;
}

}  // namespace kestrel
