#include "graphics/Graphics_Text.h"

#include <algorithm>

namespace kestrel {
namespace {

// Lines as the text marks them, before any wrapping.
std::vector<std::string> marked_lines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '#') {
      lines.back() += '#';
      ++i;
    } else if (c == '#' || c == '\r') {
      lines.emplace_back();
    } else if (c == '\n') {
      if (i == 0 || text[i - 1] != '\r') lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

void wrap_line(const std::string& line, double wrap_width, const Advances& advances,
               std::vector<std::string>& out) {
  std::string current;
  int current_width = 0;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = line.find_first_of(" -", start);
    end = end == std::string::npos ? line.size() : end + 1;
    const std::string_view word(line.data() + start, end - start);
    const int width = line_width(word, advances);
    if (!current.empty() && current_width + width > wrap_width) {
      out.push_back(std::move(current));
      current.clear();
      current_width = 0;
    }
    current += word;
    current_width += width;
    start = end;
  }
  out.push_back(std::move(current));
}

}  // namespace

int line_width(std::string_view line, const Advances& advances) {
  int width = 0;
  for (char c : line) width += advances[static_cast<unsigned char>(c)];
  return width;
}

std::vector<std::string> text_lines(std::string_view text, double wrap_width,
                                    const Advances& advances) {
  std::vector<std::string> lines = marked_lines(text);
  if (wrap_width < 0) return lines;
  std::vector<std::string> wrapped;
  for (const std::string& line : lines) {
    if (line.empty())
      wrapped.emplace_back();
    else
      wrap_line(line, wrap_width, advances, wrapped);
  }
  return wrapped;
}

int text_width(const std::vector<std::string>& lines, const Advances& advances) {
  int widest = 1;
  for (const std::string& line : lines) widest = std::max(widest, line_width(line, advances));
  return widest;
}

int text_height(std::size_t line_count, int separation, int line_height) {
  if (separation == -1) separation = line_height;
  return line_height + separation * static_cast<int>(std::max<std::size_t>(line_count, 1) - 1);
}

}  // namespace kestrel
