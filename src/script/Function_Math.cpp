#include "script/Function_Math.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>

#include "script/Code_Error.h"
#include "script/Code_Function.h"
#include "script/RValue.h"
#include "script/script_engine.h"

namespace kestrel {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoTo32 = 4294967296.0;
// Whole numbers beyond this lose their units digit as doubles; the random
// functions clamp their bounds to it so that the integer arithmetic is exact.
constexpr std::int64_t kMaxExactWhole = std::int64_t{1} << 53;

// Digits of the nearest decimal that every conversion starts from.
constexpr int kDecimalDigits = 18;

struct Call {
  ScriptEngine& engine;
  int count;
  RValue& result;
  const RValue* arguments;

  double real(int position) const { return arguments[position].real(); }
  std::string_view text(int position) const { return arguments[position].text(); }
  std::int64_t whole(int position) const { return round_to_int64(arguments[position].real()); }
  void error(std::string_view message) const { report_action_error(engine, message, false); }
};

// Adapts a handler written against Call to the registry's signature, so the
// handlers below state only what they compute.
template <void (*Body)(const Call&)>
void handler(ScriptEngine& engine, ScriptInstance&, ScriptInstance&, int argument_count,
             RValue& result, const RValue* arguments) {
  Body(Call{engine, argument_count, result, arguments});
}

template <double (*Apply)(double)>
void real_of_real(const Call& call) {
  call.result.set_real(Apply(call.real(0)));
}

// Sets a real result, or reports `message` and leaves 0 when the argument
// lies outside the function's domain.
void set_checked(const Call& call, bool defined, double value, std::string_view message) {
  if (defined) {
    call.result.set_real(value);
  } else {
    call.error(message);
  }
}

// A string result that is the text of `source`, shared rather than copied.
void set_text_of(RValue& result, const RValue& source) {
  result = source;
  result.set_real(0.0);
  result.set_kind(ValueKind::string);
}

// Refuses a string result too long for a value, as the operators do.
bool fits_in_string(const Call& call, std::uint64_t length) {
  if (length <= kMaxStringLength) return true;
  call.error("String too long.");
  return false;
}

// ---- Kind tests ----

void is_real_of(const Call& call) {
  call.result.set_real(call.arguments[0].is_real() ? 1 : 0);
}
void is_string_of(const Call& call) {
  call.result.set_real(call.arguments[0].is_string() ? 1 : 0);
}

// ---- Random generator ----

std::uint32_t advance_seed(ScriptEngine& engine) {
  engine.random_seed = engine.random_seed * 134775813u + 1u;
  return engine.random_seed;
}

// floor(u * count / 2^32), exact for any count whose magnitude is below
// 2^62: count splits into high * 2^32 + low with 0 <= low < 2^32.
std::int64_t scale_draw(std::uint32_t u, std::int64_t count) {
  const std::int64_t high = count >> 32;
  const std::uint64_t low = static_cast<std::uint64_t>(count) & 0xFFFFFFFFu;
  return std::int64_t{u} * high + static_cast<std::int64_t>((std::uint64_t{u} * low) >> 32);
}

std::int64_t clamped_floor(double value) {
  const double whole = std::floor(value);
  if (std::isnan(whole)) return 0;
  return static_cast<std::int64_t>(
      std::clamp(whole, -static_cast<double>(kMaxExactWhole), static_cast<double>(kMaxExactWhole)));
}

void random_of(const Call& call) {
  call.result.set_real(random_real(call.engine, call.real(0)));
}

void random_range_of(const Call& call) {
  const double u = advance_seed(call.engine);
  call.result.set_real(u / kTwoTo32 * (call.real(1) - call.real(0)) + call.real(0));
}

// An integer from `first` to `last`, both included. Bounds in reverse order
// draw downwards from `first`, so they still give a number between them
// instead of one outside.
std::int64_t random_between(ScriptEngine& engine, std::int64_t first, std::int64_t last) {
  if (last >= first) return first + random_below(engine, last - first + 1);
  return first - random_below(engine, first - last + 1);
}

void irandom_of(const Call& call) {
  const std::int64_t drawn = random_between(call.engine, 0, clamped_floor(call.real(0)));
  call.result.set_real(static_cast<double>(drawn));
}

void irandom_range_of(const Call& call) {
  const std::int64_t drawn =
      random_between(call.engine, clamped_floor(call.real(0)), clamped_floor(call.real(1)));
  call.result.set_real(static_cast<double>(drawn));
}

void random_set_seed_of(const Call& call) {
  call.engine.random_seed = static_cast<std::uint32_t>(call.whole(0));
}

void random_get_seed_of(const Call& call) {
  call.result.set_real(static_cast<std::int32_t>(call.engine.random_seed));
}

void randomize_of(const Call& call) {
  randomize_seed(call.engine);
}

void choose_of(const Call& call) {
  call.result = call.arguments[random_below(call.engine, call.count)];
}

// ---- Rounding and arithmetic ----

double absolute(double x) {
  return std::fabs(x);
}

double rounded(double x) {
  return static_cast<double>(round_to_int64(x));
}

// A whole number as a signed 32-bit integer, wrapping modulo 2^32 as the
// conversion has always done for values outside that range.
double wrapped_to_int32(double whole) {
  if (!std::isfinite(whole)) return 0;
  const auto reduced = static_cast<std::int64_t>(std::fmod(whole, kTwoTo32));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reduced));
}
double floor_of(double x) {
  return wrapped_to_int32(std::floor(x));
}
double ceil_of(double x) {
  return wrapped_to_int32(std::ceil(x));
}

double sign_of(double x) {
  if (x <= -1e-13) return -1;
  if (x < 1e-13) return 0;
  return 1;
}

double fraction(double x) {
  return x - std::trunc(x);
}
double square(double x) {
  return x * x;
}

void sqrt_of(const Call& call) {
  const double x = call.real(0);
  set_checked(call, !(x < 0), std::sqrt(x), "Cannot apply sqrt to negative number.");
}

void exp_of(const Call& call) {
  const double value = std::exp(call.real(0));
  set_checked(call, !std::isinf(value), value, "Error in function exp().");
}

template <double (*Logarithm)(double), const char* Message>
void logarithm_of(const Call& call) {
  const double x = call.real(0);
  set_checked(call, x > 0, Logarithm(x), Message);
}
double natural_log(double x) {
  return std::log(x);
}
double binary_log(double x) {
  return std::log2(x);
}
double decimal_log(double x) {
  return std::log10(x);
}
constexpr char kLnError[] = "Error in function ln().";
constexpr char kLog2Error[] = "Error in function log2().";
constexpr char kLog10Error[] = "Error in function log10().";

void logn_of(const Call& call) {
  const double base = call.real(0);
  const double x = call.real(1);
  set_checked(call, base > 0 && base != 1 && x > 0, std::log2(x) / std::log2(base),
              "Error in function logn().");
}

void power_of(const Call& call) {
  const double base = call.real(0);
  const double exponent = call.real(1);
  const bool defined =
      !(base < 0 && exponent != std::trunc(exponent)) && !(base == 0 && exponent < 0);
  set_checked(call, defined, std::pow(base, exponent), "Error in function power().");
}

// ---- Trigonometry ----

double sine(double x) {
  return std::sin(x);
}
double cosine(double x) {
  return std::cos(x);
}
double tangent(double x) {
  return std::tan(x);
}
double arctangent(double x) {
  return std::atan(x);
}
double degrees_to_radians(double x) {
  return x * kPi / 180;
}
double radians_to_degrees(double x) {
  return x * 180 / kPi;
}

void arcsin_of(const Call& call) {
  const double x = call.real(0);
  set_checked(call, std::fabs(x) <= 1, std::asin(x), "Error in function arcsin().");
}

void arccos_of(const Call& call) {
  const double x = call.real(0);
  set_checked(call, std::fabs(x) <= 1, std::acos(x), "Error in function arccos().");
}

void arctan2_of(const Call& call) {
  // Adding +0 turns a negative zero into a positive one, so the angle of a
  // point on the negative x axis is +pi and the range stays (-pi, pi].
  call.result.set_real(std::atan2(call.real(0) + 0.0, call.real(1)));
}

// ---- Aggregates ----

// The first argument wins ties; the best compares by its own kind, and a
// replacing argument brings its kind along.
template <bool Largest>
void extreme_of(const Call& call) {
  if (call.count == 0) return;
  const RValue* best = &call.arguments[0];
  for (int i = 1; i < call.count; ++i) {
    const RValue& candidate = call.arguments[i];
    const bool replaces =
        best->is_real()
            ? (Largest ? candidate.real() > best->real() : candidate.real() < best->real())
            : (Largest ? candidate.text() > best->text() : candidate.text() < best->text());
    if (replaces) best = &candidate;
  }
  call.result = *best;
}

void mean_of(const Call& call) {
  if (call.count == 0) return;
  double sum = 0;
  for (int i = 0; i < call.count; ++i) sum += call.real(i);
  call.result.set_real(sum / call.count);
}

// The lower middle value for an even count; at most 16 arguments, so the
// quadratic count is cheaper than sorting copies.
void median_of(const Call& call) {
  const double half = call.count / 2.0;
  for (int i = 0; i < call.count; ++i) {
    const double pivot = call.real(i);
    int less = 0;
    int at_most = 0;
    for (int j = 0; j < call.count; ++j) {
      less += call.real(j) < pivot;
      at_most += call.real(j) <= pivot;
    }
    if (less < half && half <= at_most) {
      call.result = call.arguments[i];
      return;
    }
  }
}

// ---- Conversions ----

bool is_space_or_control(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::size_t skip_digits(std::string_view text, std::size_t at) {
  while (at < text.size() && is_digit(text[at])) ++at;
  return at;
}

// Reads [sign] digits [. digits] [(E|e) [sign] digits], with at least one
// digit in the mantissa, and nothing else.
bool parse_decimal(std::string_view text, double& value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  std::size_t at = skip_digits(text, 0);
  std::size_t mantissa_digits = at;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fraction_start = at + 1;
    at = skip_digits(text, fraction_start);
    mantissa_digits += at - fraction_start;
  }
  if (mantissa_digits == 0) return false;
  if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
    std::size_t exponent_start = at + 1;
    if (exponent_start < text.size() &&
        (text[exponent_start] == '+' || text[exponent_start] == '-'))
      ++exponent_start;
    at = skip_digits(text, exponent_start);
    if (at == exponent_start) return false;
  }
  if (at != text.size()) return false;
  // from_chars reads no "+" in an exponent, so it gets the checked text
  // without one; it is locale-independent, unlike strtod.
  std::array<char, 512> plain{};
  if (text.size() >= plain.size()) return false;
  std::size_t length = 0;
  for (char c : text) {
    if (c != '+') plain[length++] = c;
  }
  const auto [end, status] = std::from_chars(plain.data(), plain.data() + length, value);
  if (status != std::errc() || end != plain.data() + length) return false;
  if (negative) value = -value;
  return true;
}

void real_of(const Call& call) {
  const RValue& argument = call.arguments[0];
  if (argument.is_real()) {
    call.result = argument;
    return;
  }
  std::string_view text = argument.text();
  while (!text.empty() && is_space_or_control(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_space_or_control(text.back())) text.remove_suffix(1);
  if (text.empty()) return;
  double value = 0;
  const bool parsed = parse_decimal(text, value);
  set_checked(call, parsed, value, "Error in function real().");
}

std::size_t write_real_text(double value, char* out) {
  // Whole numbers within the 64-bit range are written exactly.
  if (value >= -0x1p63 && value < 0x1p63 && value == std::nearbyint(value)) {
    return static_cast<std::size_t>(
        std::to_chars(out, out + kMaxDecimalLength, static_cast<std::int64_t>(value)).ptr - out);
  }
  return write_decimal(value, 10, 2, out);
}

constexpr std::string_view kConversionFailed = "ERROR";

void string_of(const Call& call) {
  const RValue& argument = call.arguments[0];
  if (argument.is_string()) {
    call.result = argument;
    return;
  }
  std::array<char, kMaxDecimalLength> text;
  const std::size_t length = write_real_text(argument.real(), text.data());
  call.result.set_text(length == 0 ? kConversionFailed : std::string_view(text.data(), length));
}

void string_format_of(const Call& call) {
  const RValue& argument = call.arguments[0];
  if (argument.is_string()) {
    call.result = argument;
    return;
  }
  const auto decimals =
      static_cast<int>(std::clamp<std::int64_t>(call.whole(2), 0, kDecimalDigits));
  std::array<char, kMaxDecimalLength> text;
  const std::size_t length = write_decimal(argument.real(), kDecimalDigits, decimals, text.data());
  if (length == 0) {
    call.result.set_text(kConversionFailed);
    return;
  }
  const std::int64_t width = call.whole(1);
  if (width <= static_cast<std::int64_t>(length)) {
    call.result.set_text(std::string_view(text.data(), length));
    return;
  }
  if (!fits_in_string(call, static_cast<std::uint64_t>(width))) {
    call.result.set_text(kConversionFailed);
    return;
  }
  std::string padded(static_cast<std::size_t>(width) - length, ' ');
  padded.append(text.data(), length);
  call.result.set_text(padded);
}

// ---- Strings ----

void chr_of(const Call& call) {
  const char character = static_cast<char>(call.whole(0) & 0xFF);
  call.result.set_text(std::string_view(&character, 1));
}

void ord_of(const Call& call) {
  const std::string_view text = call.text(0);
  call.result.set_real(text.empty() ? 0 : static_cast<unsigned char>(text[0]));
}

void string_length_of(const Call& call) {
  call.result.set_real(static_cast<double>(call.text(0).size()));
}

// An empty pattern is never found, which also keeps the scans below from
// running forever.
std::size_t find_text(std::string_view text, std::string_view pattern, std::size_t from) {
  return pattern.empty() ? std::string_view::npos : text.find(pattern, from);
}

// Non-overlapping occurrences from left to right, at most `limit` of them.
std::size_t count_occurrences(std::string_view text, std::string_view pattern, std::size_t limit) {
  std::size_t occurrences = 0;
  for (std::size_t found = find_text(text, pattern, 0);
       found != std::string_view::npos && occurrences < limit;
       found = text.find(pattern, found + pattern.size())) {
    ++occurrences;
  }
  return occurrences;
}

void string_pos_of(const Call& call) {
  const std::size_t found = find_text(call.text(1), call.text(0), 0);
  call.result.set_real(found == std::string_view::npos ? 0 : static_cast<double>(found + 1));
}

// The part of `text` that starts at the 1-based `index` (below 1 counts as
// 1) and holds at most `count` characters.
std::string_view part_of(std::string_view text, std::int64_t index, std::int64_t count) {
  const std::int64_t start = std::max<std::int64_t>(index, 1) - 1;
  const auto size = static_cast<std::int64_t>(text.size());
  if (count <= 0 || start >= size) return {};
  return text.substr(static_cast<std::size_t>(start),
                     static_cast<std::size_t>(std::min(count, size - start)));
}

void string_copy_of(const Call& call) {
  call.result.set_text(part_of(call.text(0), call.whole(1), call.whole(2)));
}

void string_char_at_of(const Call& call) {
  call.result.set_text(part_of(call.text(0), call.whole(1), 1));
}

void string_delete_of(const Call& call) {
  const std::string_view text = call.text(0);
  const std::int64_t index = call.whole(1);
  const std::int64_t count = call.whole(2);
  if (index < 1 || index > static_cast<std::int64_t>(text.size()) || count <= 0) {
    set_text_of(call.result, call.arguments[0]);
    return;
  }
  const auto start = static_cast<std::size_t>(index - 1);
  const auto removed = static_cast<std::size_t>(
      std::min<std::int64_t>(count, static_cast<std::int64_t>(text.size() - start)));
  std::string kept(text.substr(0, start));
  kept.append(text.substr(start + removed));
  call.result.set_text(kept);
}

void string_insert_of(const Call& call) {
  const std::string_view inserted = call.text(0);
  const std::string_view text = call.text(1);
  if (!fits_in_string(call, std::uint64_t{inserted.size()} + text.size())) return;
  const auto at = static_cast<std::size_t>(
      std::clamp<std::int64_t>(call.whole(2) - 1, 0, static_cast<std::int64_t>(text.size())));
  std::string joined(text.substr(0, at));
  joined.append(inserted);
  joined.append(text.substr(at));
  call.result.set_text(joined);
}

template <char (*Map)(char)>
void mapped_of(const Call& call) {
  std::string text(call.text(0));
  std::transform(text.begin(), text.end(), text.begin(), Map);
  call.result.set_text(text);
}
char to_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char to_upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

template <bool (*Keep)(char)>
void filtered_of(const Call& call) {
  std::string kept;
  for (char c : call.text(0)) {
    if (Keep(c)) kept.push_back(c);
  }
  call.result.set_text(kept);
}
bool is_letter_or_digit(char c) {
  return is_letter(c) || is_digit(c);
}

void string_repeat_of(const Call& call) {
  const std::string_view unit = call.text(0);
  const std::int64_t times = call.whole(1);
  if (times <= 0 || unit.empty()) {
    call.result.set_text({});
    return;
  }
  if (static_cast<std::uint64_t>(times) > kMaxStringLength / unit.size()) {
    call.error("String too long.");
    return;
  }
  std::string repeated;
  repeated.reserve(unit.size() * static_cast<std::size_t>(times));
  for (std::int64_t i = 0; i < times; ++i) repeated.append(unit);
  call.result.set_text(repeated);
}

// Replaces the first occurrence, or every one from left to right without
// looking into replaced text.
template <bool Every>
void replace_of(const Call& call) {
  const std::string_view text = call.text(0);
  const std::string_view pattern = call.text(1);
  const std::string_view replacement = call.text(2);
  const std::size_t occurrences =
      count_occurrences(text, pattern, Every ? std::string_view::npos : 1);
  if (occurrences == 0) {
    set_text_of(call.result, call.arguments[0]);
    return;
  }
  const std::uint64_t length =
      text.size() + occurrences * std::uint64_t{replacement.size()} - occurrences * pattern.size();
  if (!fits_in_string(call, length)) return;
  std::string replaced;
  replaced.reserve(static_cast<std::size_t>(length));
  std::size_t copied = 0;
  for (std::size_t i = 0; i < occurrences; ++i) {
    const std::size_t found = text.find(pattern, copied);
    replaced.append(text.substr(copied, found - copied));
    replaced.append(replacement);
    copied = found + pattern.size();
  }
  replaced.append(text.substr(copied));
  call.result.set_text(replaced);
}

void string_count_of(const Call& call) {
  const std::size_t occurrences =
      count_occurrences(call.text(1), call.text(0), std::string_view::npos);
  call.result.set_real(static_cast<double>(occurrences));
}

// ---- Plane geometry ----

void point_distance_of(const Call& call) {
  const double dx = call.real(2) - call.real(0);
  const double dy = call.real(3) - call.real(1);
  call.result.set_real(std::sqrt(dx * dx + dy * dy));
}

// Degrees counter-clockwise on the screen, whose y axis points down.
void point_direction_of(const Call& call) {
  const double dx = call.real(2) - call.real(0);
  const double dy = call.real(3) - call.real(1);
  double direction = 0;
  if (dx != 0) {
    const double angle = radians_to_degrees(std::atan2(dy, dx));
    direction = angle > 0 ? 360 - angle : -angle;
  } else if (dy > 0) {
    direction = 270;
  } else if (dy < 0) {
    direction = 90;
  }
  call.result.set_real(direction);
}

// Movement along the axes comes out whole where the angle is a right one,
// instead of carrying the rounding error of pi.
double snapped(double value) {
  const double whole = std::round(value);
  return std::fabs(value - whole) < 0.0001 ? whole : value;
}

void lengthdir_x_of(const Call& call) {
  call.result.set_real(snapped(std::cos(degrees_to_radians(call.real(1))) * call.real(0)));
}

void lengthdir_y_of(const Call& call) {
  call.result.set_real(snapped(-std::sin(degrees_to_radians(call.real(1))) * call.real(0)));
}

// ---- Registration ----

struct Registration {
  std::string_view name;
  BuiltinFunction function;
  int argument_count;
};

constexpr std::array kMathFunctions = {
    Registration{"is_real", handler<is_real_of>, 1},
    Registration{"is_string", handler<is_string_of>, 1},
    Registration{"random", handler<random_of>, 1},
    Registration{"random_range", handler<random_range_of>, 2},
    Registration{"irandom", handler<irandom_of>, 1},
    Registration{"irandom_range", handler<irandom_range_of>, 2},
    Registration{"random_set_seed", handler<random_set_seed_of>, 1},
    Registration{"random_get_seed", handler<random_get_seed_of>, 0},
    Registration{"randomize", handler<randomize_of>, 0},
    Registration{"abs", handler<real_of_real<absolute>>, 1},
    Registration{"round", handler<real_of_real<rounded>>, 1},
    Registration{"floor", handler<real_of_real<floor_of>>, 1},
    Registration{"ceil", handler<real_of_real<ceil_of>>, 1},
    Registration{"sign", handler<real_of_real<sign_of>>, 1},
    Registration{"frac", handler<real_of_real<fraction>>, 1},
    Registration{"sqrt", handler<sqrt_of>, 1},
    Registration{"sqr", handler<real_of_real<square>>, 1},
    Registration{"exp", handler<exp_of>, 1},
    Registration{"ln", handler<logarithm_of<natural_log, kLnError>>, 1},
    Registration{"log2", handler<logarithm_of<binary_log, kLog2Error>>, 1},
    Registration{"log10", handler<logarithm_of<decimal_log, kLog10Error>>, 1},
    Registration{"logn", handler<logn_of>, 2},
    Registration{"sin", handler<real_of_real<sine>>, 1},
    Registration{"cos", handler<real_of_real<cosine>>, 1},
    Registration{"tan", handler<real_of_real<tangent>>, 1},
    Registration{"arcsin", handler<arcsin_of>, 1},
    Registration{"arccos", handler<arccos_of>, 1},
    Registration{"arctan", handler<real_of_real<arctangent>>, 1},
    Registration{"arctan2", handler<arctan2_of>, 2},
    Registration{"degtorad", handler<real_of_real<degrees_to_radians>>, 1},
    Registration{"radtodeg", handler<real_of_real<radians_to_degrees>>, 1},
    Registration{"power", handler<power_of>, 2},
    Registration{"min", handler<extreme_of<false>>, kAnyArgumentCount},
    Registration{"max", handler<extreme_of<true>>, kAnyArgumentCount},
    Registration{"min3", handler<extreme_of<false>>, 3},
    Registration{"max3", handler<extreme_of<true>>, 3},
    Registration{"mean", handler<mean_of>, kAnyArgumentCount},
    Registration{"median", handler<median_of>, kAnyArgumentCount},
    Registration{"choose", handler<choose_of>, kAnyArgumentCount},
    Registration{"real", handler<real_of>, 1},
    Registration{"string", handler<string_of>, 1},
    Registration{"string_format", handler<string_format_of>, 3},
    Registration{"chr", handler<chr_of>, 1},
    Registration{"ord", handler<ord_of>, 1},
    Registration{"string_length", handler<string_length_of>, 1},
    Registration{"string_pos", handler<string_pos_of>, 2},
    Registration{"string_copy", handler<string_copy_of>, 3},
    Registration{"string_char_at", handler<string_char_at_of>, 2},
    Registration{"string_delete", handler<string_delete_of>, 3},
    Registration{"string_insert", handler<string_insert_of>, 3},
    Registration{"string_lower", handler<mapped_of<to_lower>>, 1},
    Registration{"string_upper", handler<mapped_of<to_upper>>, 1},
    Registration{"string_repeat", handler<string_repeat_of>, 2},
    Registration{"string_letters", handler<filtered_of<is_letter>>, 1},
    Registration{"string_digits", handler<filtered_of<is_digit>>, 1},
    Registration{"string_lettersdigits", handler<filtered_of<is_letter_or_digit>>, 1},
    Registration{"string_replace", handler<replace_of<false>>, 3},
    Registration{"string_replace_all", handler<replace_of<true>>, 3},
    Registration{"string_count", handler<string_count_of>, 2},
    Registration{"point_distance", handler<point_distance_of>, 4},
    Registration{"point_direction", handler<point_direction_of>, 4},
    Registration{"lengthdir_x", handler<lengthdir_x_of>, 2},
    Registration{"lengthdir_y", handler<lengthdir_y_of>, 2},
};
static_assert(kMathFunctions.size() == 63);

}  // namespace

void register_math_functions(FunctionRegistry& registry) {
  // Each of them only computes its value, random draws included.
  for (const Registration& entry : kMathFunctions) {
    registry.add(entry.name, entry.function, entry.argument_count, true);
  }
}

double random_real(ScriptEngine& engine, double range) {
  return advance_seed(engine) / kTwoTo32 * range;
}

std::int64_t random_below(ScriptEngine& engine, std::int64_t count) {
  return scale_draw(advance_seed(engine), count);
}

void randomize_seed(ScriptEngine& engine) {
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  engine.random_seed = static_cast<std::uint32_t>(ticks);
}

std::size_t write_decimal(double value, int significant, int decimals, char* out) {
  if (!std::isfinite(value)) return 0;
  // d.ddddddddddddddddde±x: the nearest decimal with 18 significant digits.
  std::array<char, 32> nearest;
  const char* nearest_end =
      std::to_chars(nearest.data(), nearest.data() + nearest.size(), std::fabs(value),
                    std::chars_format::scientific, kDecimalDigits - 1)
          .ptr;
  std::array<char, kDecimalDigits> digits;
  digits[0] = nearest[0];
  std::memcpy(digits.data() + 1, nearest.data() + 2, kDecimalDigits - 1);
  const char* exponent_text = nearest.data() + kDecimalDigits + 2;
  if (*exponent_text == '+') ++exponent_text;
  int exponent = 0;
  std::from_chars(exponent_text, nearest_end, exponent);

  // Cut after the significant digits or the decimals, whichever comes
  // first; a cut that falls before the first digit drops a leading zero.
  int kept = std::min(significant, exponent + 1 + decimals);
  const bool round_up = kept >= 0 && kept < kDecimalDigits && digits[kept] >= '5';
  kept = std::max(kept, 0);
  if (round_up) {
    int at = kept - 1;
    while (at >= 0 && digits[at] == '9') digits[at--] = '0';
    if (at >= 0) {
      ++digits[at];
    } else {
      digits[0] = '1';
      kept = 1;
      ++exponent;
    }
  }
  while (kept > 0 && digits[kept - 1] == '0') --kept;

  char* at = out;
  if (kept == 0) {
    *at++ = '0';
    if (decimals > 0) {
      *at++ = '.';
      at = std::fill_n(at, decimals, '0');
    }
    return static_cast<std::size_t>(at - out);
  }
  if (value < 0) *at++ = '-';
  const int whole_digits = exponent + 1;
  if (whole_digits > significant) {
    *at++ = digits[0];
    if (kept > 1) {
      *at++ = '.';
      at = std::copy(digits.begin() + 1, digits.begin() + kept, at);
    }
    *at++ = 'E';
    if (exponent < 0) *at++ = '-';
    std::array<char, 8> power;
    char* power_end =
        std::to_chars(power.data(), power.data() + power.size(), std::abs(exponent)).ptr;
    const int power_length = static_cast<int>(power_end - power.data());
    const int min_power_length = decimals <= 4 ? decimals : 1;
    if (power_length < min_power_length) at = std::fill_n(at, min_power_length - power_length, '0');
    at = std::copy(power.data(), power_end, at);
    return static_cast<std::size_t>(at - out);
  }
  const auto digit_at = [&](int position) {
    return position >= 0 && position < kept ? digits[position] : '0';
  };
  if (whole_digits <= 0) *at++ = '0';
  for (int position = 0; position < whole_digits; ++position) *at++ = digit_at(position);
  if (decimals > 0) {
    *at++ = '.';
    for (int position = 0; position < decimals; ++position)
      *at++ = digit_at(whole_digits + position);
  }
  return static_cast<std::size_t>(at - out);
}

std::string real_to_text(double value) {
  std::array<char, kMaxDecimalLength> text;
  const std::size_t length = write_real_text(value, text.data());
  return length == 0 ? std::string(kConversionFailed) : std::string(text.data(), length);
}

}  // namespace kestrel
