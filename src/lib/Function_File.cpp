#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "lib/file_text.h"
#include "lib/game_names.h"
#include "lib/library_functions.h"
#include "platform/clock.h"
#include "platform/process.h"
#include "script/Code_Error.h"
#include "script/script_engine.h"

namespace kestrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoFreeSlot = "Cannot open another file (maximum exceeded).";
constexpr const char* kErrorOpeningBinary = "Error opening binary file.";
constexpr const char* kErrorOpeningRead = "Error opening file for reading.";
constexpr const char* kErrorOpeningWrite = "Error opening file for writing.";
constexpr const char* kErrorOpeningAppend = "Error opening file for appending.";
constexpr const char* kRewriteUnopened = "Trying to rewrite unopened file.";
constexpr const char* kCloseUnopened = "Trying to close unopened file.";
constexpr const char* kBinaryNotOpen = "File is not opened.";
constexpr const char* kErrorRewriting = "Error rewriting file.";
constexpr const char* kErrorClosing = "Error closing file.";
constexpr const char* kErrorSeeking = "Error seeking.";
constexpr const char* kErrorSize = "Error retrieving file size.";
constexpr const char* kErrorReadingByte = "Error reading byte.";
constexpr const char* kErrorWritingByte = "Error writing byte.";
constexpr const char* kCloseUnexisting = "Trying to close unexisting text file.";
constexpr const char* kNotOpenForReading = "File is not opened for reading.";
constexpr const char* kLegacyNotOpenForReading = "File not opened for reading.";
constexpr const char* kNotOpenForWriting = "File not opened for writing.";
constexpr const char* kSecureWrite = "In secure mode you cannot write file ";
constexpr const char* kSecureAppend = "In secure mode you cannot append to file ";
constexpr const char* kSecureDelete = "In Secure mode you cannot delete file ";
constexpr const char* kSecureRename = "In Secure mode you cannot rename file ";
constexpr const char* kSecureCopy = "In Secure mode you cannot copy file ";
constexpr const char* kSecureCreateDirectory = "In Secure mode you cannot create directory ";
constexpr const char* kSecureExecute = "In Secure mode you cannot execute program ";
constexpr const char* kCannotExecute = "Cannot execute ";

using Args = const RValue*;

constexpr int kMaxHandle = 32;
// The text table's slot of the file without a handle.
constexpr int kLegacySlot = 0;
// How often a wait for a started program looks whether it has ended.
constexpr std::int64_t kProgramPollMicroseconds = 50'000;

// File attribute bits as games test them.
enum Attribute : int {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kVolume = 8,
  kDirectory = 16,
  kArchive = 32,
};
// Entries with these attributes are found only when the search asks for them.
constexpr int kSearchedOnRequest = kHidden | kSystem | kVolume | kDirectory;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

enum class Access { kRead, kWrite, kReadWrite };

struct BinaryFile {
  FilePointer file;
  fs::path path;
  Access access = Access::kRead;
};

enum TextState { kClosed = 0, kReading = 1, kWriting = 2 };

struct TextFile {
  TextState state = kClosed;
  TextReader reader;
  FilePointer writer;
};

// The tables of open files and the search; they live for the whole run.
struct FileTables {
  std::array<BinaryFile, kMaxHandle + 1> binary;
  std::array<TextFile, kMaxHandle + 1> text;
  std::vector<std::string> found;
  std::size_t next_found = 0;
};

FileTables& tables(ScriptEngine& engine) {
  return engine.families.get<FileTables>();
}

int whole(const RValue& value) {
  return round_to_int32(value.real());
}

void report(ScriptEngine& engine, std::string_view message) {
  report_action_error(engine, message, false);
}

// Secure mode keeps writes among the working directory's own entries; the
// refusal is reported with the operation's message.
bool write_refused(ScriptEngine& engine, std::string_view name, std::string_view message) {
  if (!engine.settings.secure_mode || secure_mode_allows_write(name)) return false;
  report(engine, message);
  return true;
}

// --- Binary files ---

BinaryFile* open_binary(ScriptEngine& engine, const RValue& handle, const char* message) {
  const int index = whole(handle);
  if (index >= 1 && index <= kMaxHandle && tables(engine).binary[index].file) {
    return &tables(engine).binary[index];
  }
  report(engine, message);
  return nullptr;
}

void file_bin_open(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  result.set_real(-1);
  auto& binary = tables(engine).binary;
  const auto free_slot = std::find_if(binary.begin() + 1, binary.end(),
                                      [](const BinaryFile& slot) { return !slot.file; });
  if (free_slot == binary.end()) return report(engine, kNoFreeSlot);
  const std::string name = args[0].str();
  const int mode = whole(args[1]);
  const fs::path path = system_path(name);
  std::error_code error;
  const bool exists = fs::exists(path, error);
  // Reading a missing file creates it, which secure mode allows only in the folder.
  if ((mode != 0 || !exists) && write_refused(engine, name, kSecureWrite + name)) return;
  FilePointer file(std::fopen(path.c_str(), exists ? (mode == 0 ? "rb" : "r+b") : "w+b"));
  if (!file || fs::is_directory(path, error)) return report(engine, kErrorOpeningBinary);
  const Access access = mode == 0 ? Access::kRead : mode == 1 ? Access::kWrite : Access::kReadWrite;
  *free_slot = {std::move(file), path, access};
  result.set_real(static_cast<double>(free_slot - binary.begin()));
}

void file_bin_rewrite(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  BinaryFile* file = open_binary(engine, args[0], kRewriteUnopened);
  if (!file) return;
  std::error_code error;
  std::fflush(file->file.get());
  fs::resize_file(file->path, 0, error);
  if (error || std::fseek(file->file.get(), 0, SEEK_SET) != 0) report(engine, kErrorRewriting);
}

void file_bin_close(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  BinaryFile* file = open_binary(engine, args[0], kCloseUnopened);
  if (!file) return;
  const bool closed = std::fclose(file->file.release()) == 0;
  *file = {};
  if (!closed) report(engine, kErrorClosing);
}

void file_bin_size(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                   Args args) {
  BinaryFile* file = open_binary(engine, args[0], kBinaryNotOpen);
  if (!file) return;
  std::FILE* stream = file->file.get();
  const long position = std::ftell(stream);
  const bool measured = position >= 0 && std::fseek(stream, 0, SEEK_END) == 0;
  const long size = measured ? std::ftell(stream) : -1;
  if (!measured || size < 0 || std::fseek(stream, position, SEEK_SET) != 0) {
    return report(engine, kErrorSize);
  }
  result.set_real(static_cast<double>(size));
}

void file_bin_position(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                       Args args) {
  BinaryFile* file = open_binary(engine, args[0], kBinaryNotOpen);
  if (!file) return;
  const long position = std::ftell(file->file.get());
  if (position < 0) return report(engine, kErrorSize);
  result.set_real(static_cast<double>(position));
}

void file_bin_seek(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  BinaryFile* file = open_binary(engine, args[0], kBinaryNotOpen);
  if (!file) return;
  const int position = whole(args[1]);
  if (position < 0 || std::fseek(file->file.get(), position, SEEK_SET) != 0) {
    report(engine, kErrorSeeking);
  }
}

void file_bin_read_byte(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                        Args args) {
  BinaryFile* file = open_binary(engine, args[0], kBinaryNotOpen);
  if (!file) return;
  // Switching from writing to reading needs a seek in between.
  std::fseek(file->file.get(), 0, SEEK_CUR);
  const int byte = file->access == Access::kWrite ? EOF : std::fgetc(file->file.get());
  if (byte == EOF) return report(engine, kErrorReadingByte);
  result.set_real(byte);
}

void file_bin_write_byte(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                         Args args) {
  BinaryFile* file = open_binary(engine, args[0], kBinaryNotOpen);
  if (!file) return;
  std::fseek(file->file.get(), 0, SEEK_CUR);
  const auto byte = static_cast<unsigned char>(round_to_int64(args[1].real()) & 0xFF);
  if (file->access == Access::kRead || std::fputc(byte, file->file.get()) == EOF) {
    report(engine, kErrorWritingByte);
  }
}

// --- Text files and the legacy file ---

// The lowest free handle, or 0 after the report.
int free_text_slot(ScriptEngine& engine) {
  auto& text = tables(engine).text;
  for (int index = 1; index <= kMaxHandle; ++index) {
    if (text[index].state == kClosed) return index;
  }
  report(engine, kNoFreeSlot);
  return 0;
}

// Opens `slot` for reading: false for a missing file, without a report.
bool open_text_read(ScriptEngine& engine, TextFile& slot, const std::string& name) {
  const fs::path path = system_path(name);
  std::error_code error;
  if (!fs::exists(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file || fs::is_directory(path, error)) {
    report(engine, kErrorOpeningRead);
    return false;
  }
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  slot = {kReading, TextReader(bytes), nullptr};
  return true;
}

bool open_text_write(ScriptEngine& engine, TextFile& slot, const std::string& name, bool append) {
  if (write_refused(engine, name, (append ? kSecureAppend : kSecureWrite) + name)) return false;
  FilePointer file(std::fopen(system_path(name).c_str(), append ? "ab" : "wb"));
  if (!file) {
    report(engine, append ? kErrorOpeningAppend : kErrorOpeningWrite);
    return false;
  }
  slot = {kWriting, {}, std::move(file)};
  return true;
}

// The text slot of a handle that is open for reading (`state` kReading) or
// writing; null after the report.
TextFile* text_slot(ScriptEngine& engine, int index, TextState state, const char* message) {
  if (index >= kLegacySlot && index <= kMaxHandle && tables(engine).text[index].state == state) {
    return &tables(engine).text[index];
  }
  report(engine, message);
  return nullptr;
}

bool close_text(TextFile& slot) {
  const bool closed = !slot.writer || std::fclose(slot.writer.release()) == 0;
  slot = {};
  return closed;
}

// Each write reaches the file at once.
void write_text(ScriptEngine& engine, int index, std::string_view text) {
  TextFile* slot = text_slot(engine, index, kWriting, kNotOpenForWriting);
  if (!slot) return;
  std::fwrite(text.data(), 1, text.size(), slot->writer.get());
  std::fflush(slot->writer.get());
}

// The handle of the first argument; -1 for one outside the table.
int handle_of(Args args) {
  const int handle = whole(args[0]);
  return handle >= 1 && handle <= kMaxHandle ? handle : -1;
}

void file_text_open_read(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                         RValue& result, Args args) {
  result.set_real(-1);
  const int index = free_text_slot(engine);
  if (index != 0 && open_text_read(engine, tables(engine).text[index], args[0].str())) {
    result.set_real(index);
  }
}

template <bool append>
void file_text_open_write(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int,
                          RValue& result, Args args) {
  result.set_real(-1);
  const int index = free_text_slot(engine);
  if (index != 0 && open_text_write(engine, tables(engine).text[index], args[0].str(), append)) {
    result.set_real(index);
  }
}

void file_text_close(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  const int index = whole(args[0]);
  if (index < 1 || index > kMaxHandle) return report(engine, kCloseUnexisting);
  TextFile& slot = tables(engine).text[index];
  if (slot.state != kClosed && !close_text(slot)) report(engine, kErrorClosing);
}

// The reading functions for a handle (slot from the first argument) and for
// the legacy file (slot 0), with the messages each reports.
template <bool legacy>
TextFile* reading_slot(ScriptEngine& engine, Args args, bool test) {
  const char* message = legacy && !test ? kLegacyNotOpenForReading : kNotOpenForReading;
  return text_slot(engine, legacy ? kLegacySlot : handle_of(args), kReading, message);
}

template <bool legacy>
void text_read_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  if (TextFile* slot = reading_slot<legacy>(engine, args, false)) {
    result.set_text(slot->reader.read_string());
  }
}

template <bool legacy>
void text_read_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args args) {
  if (TextFile* slot = reading_slot<legacy>(engine, args, false)) {
    result.set_real(slot->reader.read_real());
  }
}

template <bool legacy>
void text_readln(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  if (TextFile* slot = reading_slot<legacy>(engine, args, false)) slot->reader.readln();
}

template <bool legacy>
void text_eof(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
              Args args) {
  if (TextFile* slot = reading_slot<legacy>(engine, args, true)) {
    result.set_real(slot->reader.eof() ? 1 : 0);
  }
}

template <bool legacy>
void text_eoln(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
               Args args) {
  if (TextFile* slot = reading_slot<legacy>(engine, args, true)) {
    result.set_real(slot->reader.eoln() ? 1 : 0);
  }
}

void file_text_write_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                            Args args) {
  write_text(engine, handle_of(args), args[1].text());
}

void file_text_write_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                          Args args) {
  write_text(engine, handle_of(args), real_file_text(args[1].real()));
}

void file_text_writeln(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  write_text(engine, handle_of(args), "\r\n");
}

void file_open_read(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                    Args args) {
  TextFile& slot = tables(engine).text[kLegacySlot];
  close_text(slot);
  open_text_read(engine, slot, args[0].str());
}

template <bool append>
void file_open_write(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  TextFile& slot = tables(engine).text[kLegacySlot];
  close_text(slot);
  open_text_write(engine, slot, args[0].str(), append);
}

void file_close(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  TextFile& slot = tables(engine).text[kLegacySlot];
  if (slot.state != kClosed && !close_text(slot)) report(engine, kErrorClosing);
}

void file_write_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                       Args args) {
  write_text(engine, kLegacySlot, args[0].text());
}

void file_write_real(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  write_text(engine, kLegacySlot, real_file_text(args[0].real()));
}

void file_writeln(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  write_text(engine, kLegacySlot, "\r\n");
}

// --- Files and directories ---

// The attribute bits of an entry as games know them; -1 when it is missing.
int attributes_of(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || status.type() == fs::file_type::not_found) return -1;
  const fs::file_status target = fs::status(path, error);
  int attributes = 0;
  if ((target.permissions() & fs::perms::owner_write) == fs::perms::none) attributes |= kReadOnly;
  const std::string name = path.filename().string();
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= kHidden;
  if (fs::is_directory(target)) {
    attributes |= kDirectory;
  } else if (fs::is_regular_file(target)) {
    attributes |= kArchive;
  } else {
    attributes |= kSystem;
  }
  return attributes;
}

bool is_file(const fs::path& path) {
  const int attributes = attributes_of(path);
  return attributes >= 0 && (attributes & kDirectory) == 0;
}

void file_exists(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result, Args args) {
  result.set_real(is_file(system_path(args[0].text())) ? 1 : 0);
}

void file_delete(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const std::string name = args[0].str();
  if (write_refused(engine, name, kSecureDelete + name)) return;
  const fs::path path = system_path(name);
  std::error_code ignored;
  if (is_file(path)) fs::remove(path, ignored);
}

bool either_refused(ScriptEngine& engine, const std::string& from, const std::string& to,
                    const std::string& message) {
  if (!engine.settings.secure_mode) return false;
  if (secure_mode_allows_write(from) && secure_mode_allows_write(to)) return false;
  report(engine, message);
  return true;
}

void file_rename(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const std::string from = args[0].str();
  const std::string to = args[1].str();
  if (either_refused(engine, from, to, kSecureRename + from + " into " + to)) return;
  // A move never replaces what is already there.
  const fs::path target = system_path(to);
  std::error_code ignored;
  if (attributes_of(target) < 0) fs::rename(system_path(from), target, ignored);
}

void file_copy(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args args) {
  const std::string from = args[0].str();
  const std::string to = args[1].str();
  if (either_refused(engine, from, to, kSecureCopy + from + " to " + to)) return;
  std::error_code ignored;
  fs::copy_file(system_path(from), system_path(to), fs::copy_options::overwrite_existing, ignored);
}

void directory_exists(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  std::error_code error;
  result.set_real(fs::is_directory(system_path(args[0].text()), error) ? 1 : 0);
}

void directory_create(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                      Args args) {
  const std::string name = args[0].str();
  if (write_refused(engine, name, kSecureCreateDirectory + name)) return;
  std::error_code ignored;
  fs::create_directories(system_path(name), ignored);
}

// "*" and "?" wildcards, ignoring case; one pass that returns to the last
// star, so no mask takes more than length × length steps.
bool wildcard_match(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() &&
        (mask[m] == '?' || same_ignoring_case(mask.substr(m, 1), name.substr(n, 1)))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

// A mask ending in ".*" also finds names without an extension.
bool matches_mask(std::string_view name, std::string_view mask) {
  if (wildcard_match(name, mask)) return true;
  return mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
         wildcard_match(name, mask.substr(0, mask.size() - 2));
}

// The names a search finds, sorted as the game's own system lists them.
std::vector<std::string> search(const std::string& mask_text, int wanted) {
  const std::size_t cut = mask_text.find_last_of("\\/");
  const std::string folder_name = cut == std::string::npos ? "" : mask_text.substr(0, cut + 1);
  const std::string mask = mask_text.substr(cut == std::string::npos ? 0 : cut + 1);
  const fs::path folder = folder_name.empty() ? fs::path(".") : system_path(folder_name);
  std::vector<std::string> names = {".", ".."};
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin() + 2, names.end());
  std::erase_if(names, [&](const std::string& name) {
    const int attributes = attributes_of(folder / name);
    return attributes < 0 || (attributes & kSearchedOnRequest & ~wanted) != 0 ||
           !matches_mask(name, mask);
  });
  return names;
}

void file_find_first(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  FileTables& state = tables(engine);
  state.found = search(args[0].str(), whole(args[1]));
  state.next_found = 0;
  result.set_text(state.found.empty() ? "" : state.found[state.next_found++]);
}

void file_find_next(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                    Args) {
  FileTables& state = tables(engine);
  if (state.next_found < state.found.size())
    result.set_text(state.found[state.next_found++]);
  else
    result.set_text("");
}

void file_find_close(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&, Args) {
  tables(engine).found.clear();
  tables(engine).next_found = 0;
}

void file_attributes(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args args) {
  const int attributes = attributes_of(system_path(args[0].text()));
  result.set_real(attributes < 0 ? -1 : (attributes & whole(args[1])) != 0 ? 1 : 0);
}

// --- File names ---

template <std::string (*split)(std::string_view)>
void name_part(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result, Args args) {
  result.set_text(split(args[0].text()));
}

void filename_change_ext_function(ScriptEngine&, ScriptInstance&, ScriptInstance&, int,
                                  RValue& result, Args args) {
  result.set_text(filename_change_ext(args[0].text(), args[1].text()));
}

// --- Programs and the system ---

// The arguments of a command line as the game's own system splits them:
// spaces between, double quotes around an argument with spaces.
std::vector<std::string> split_arguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  bool any = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) arguments.push_back(std::move(current));
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) arguments.push_back(std::move(current));
  return arguments;
}

// A program in the working directory is run from there, anything else is
// looked up on the search path.
std::string program_path(const std::string& program) {
  const fs::path path = system_path(program);
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return program;
  return path.has_parent_path() ? path.string() : "./" + path.string();
}

bool is_executable_file(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error) &&
         (fs::status(path, error).permissions() & fs::perms::owner_exec) != fs::perms::none;
}

void execute_program(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                     Args args) {
  const std::string program = args[0].str();
  if (engine.settings.secure_mode) return report(engine, kSecureExecute + program);
  const auto started =
      platform::start_program(program_path(program), split_arguments(args[1].text()));
  if (!started) return report(engine, kCannotExecute + program);
  if (whole(args[2]) <= 0) return;
  while (!started->finished()) {
    engine.host().process_messages();
    platform::Clock::sleep(kProgramPollMicroseconds);
  }
}

// Programs are started, anything else (documents, folders, addresses) goes
// to the desktop's opener; neither is waited for.
void execute_shell(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue&,
                   Args args) {
  const std::string target = args[0].str();
  if (engine.settings.secure_mode) return report(engine, kSecureExecute + target);
  const bool started = is_executable_file(system_path(target))
                           ? platform::start_program(program_path(target),
                                                     split_arguments(args[1].text())) != nullptr
                           : platform::open_with_desktop(target);
  if (!started) report(engine, kCannotExecute + target);
}

void parameter_count(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                     Args) {
  const std::size_t count = engine.settings.command_line.size();
  result.set_real(count > 0 ? static_cast<double>(count - 1) : 0);
}

void parameter_string(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int, RValue& result,
                      Args args) {
  const std::vector<std::string>& line = engine.settings.command_line;
  const int index = whole(args[0]);
  result.set_text(index >= 0 && static_cast<std::size_t>(index) < line.size() ? line[index] : "");
}

void environment_get_variable(ScriptEngine&, ScriptInstance&, ScriptInstance&, int, RValue& result,
                              Args args) {
  const char* value = std::getenv(args[0].str().c_str());
  result.set_text(value ? value : "");
}

// The one tree of this system stands in for the working directory's drive,
// which games know as C; every other drive letter names no drive.
template <bool free>
void disk_space(ScriptEngine&, ScriptInstance&, ScriptInstance&, int argument_count, RValue& result,
                Args args) {
  result.set_real(-1);
  const std::string_view drive = argument_count > 0 ? args[0].text() : std::string_view();
  if (!drive.empty() && std::toupper(static_cast<unsigned char>(drive[0])) != 'C') return;
  std::error_code error;
  const fs::space_info space = fs::space(fs::current_path(error), error);
  if (!error) result.set_real(static_cast<double>(free ? space.available : space.capacity));
}

}  // namespace

void register_file_functions(FunctionRegistry& functions) {
  FunctionRegistry& f = functions;
  f.add("file_bin_open", &file_bin_open, 2);
  f.add("file_bin_rewrite", &file_bin_rewrite, 1);
  f.add("file_bin_close", &file_bin_close, 1);
  f.add("file_bin_size", &file_bin_size, 1);
  f.add("file_bin_position", &file_bin_position, 1);
  f.add("file_bin_seek", &file_bin_seek, 2);
  f.add("file_bin_read_byte", &file_bin_read_byte, 1);
  f.add("file_bin_write_byte", &file_bin_write_byte, 2);
  f.add("file_text_open_read", &file_text_open_read, 1);
  f.add("file_text_open_write", &file_text_open_write<false>, 1);
  f.add("file_text_open_append", &file_text_open_write<true>, 1);
  f.add("file_text_close", &file_text_close, 1);
  f.add("file_text_read_string", &text_read_string<false>, 1);
  f.add("file_text_read_real", &text_read_real<false>, 1);
  f.add("file_text_readln", &text_readln<false>, 1);
  f.add("file_text_eof", &text_eof<false>, 1);
  f.add("file_text_eoln", &text_eoln<false>, 1);
  f.add("file_text_write_string", &file_text_write_string, 2);
  f.add("file_text_write_real", &file_text_write_real, 2);
  f.add("file_text_writeln", &file_text_writeln, 1);
  f.add("file_open_read", &file_open_read, 1);
  f.add("file_open_write", &file_open_write<false>, 1);
  f.add("file_open_append", &file_open_write<true>, 1);
  f.add("file_close", &file_close, 0);
  f.add("file_read_string", &text_read_string<true>, 0);
  f.add("file_read_real", &text_read_real<true>, 0);
  f.add("file_readln", &text_readln<true>, 0);
  f.add("file_eof", &text_eof<true>, 0);
  f.add("file_eoln", &text_eoln<true>, 0);
  f.add("file_write_string", &file_write_string, 1);
  f.add("file_write_real", &file_write_real, 1);
  f.add("file_writeln", &file_writeln, 0);
  f.add("file_exists", &file_exists, 1);
  f.add("file_delete", &file_delete, 1);
  f.add("file_rename", &file_rename, 2);
  f.add("file_copy", &file_copy, 2);
  f.add("directory_exists", &directory_exists, 1);
  f.add("directory_create", &directory_create, 1);
  f.add("file_find_first", &file_find_first, 2);
  f.add("file_find_next", &file_find_next, 0);
  f.add("file_find_close", &file_find_close, 0);
  f.add("file_attributes", &file_attributes, 2);
  f.add("filename_name", &name_part<&filename_name>, 1);
  f.add("filename_path", &name_part<&filename_path>, 1);
  f.add("filename_dir", &name_part<&filename_dir>, 1);
  f.add("filename_drive", &name_part<&filename_drive>, 1);
  f.add("filename_ext", &name_part<&filename_ext>, 1);
  f.add("filename_change_ext", &filename_change_ext_function, 2);
  f.add("execute_program", &execute_program, 3);
  f.add("execute_shell", &execute_shell, 2);
  f.add("parameter_count", &parameter_count, 0);
  f.add("parameter_string", &parameter_string, 1);
  f.add("environment_get_variable", &environment_get_variable, 1);
  f.add("disk_free", &disk_space<true>, kAnyArgumentCount);
  f.add("disk_size", &disk_space<false>, kAnyArgumentCount);
}

}  // namespace kestrel
