#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace kestrel {

enum class ValueKind : std::int32_t { real = 0, string = 1 };

// The bytes of a script string: shared between copies and never changed
// while shared, so copying a value is one counter increment.
struct StringRep {
  std::uint32_t refs;
  std::uint32_t size;
  std::uint32_t capacity;
  // The text follows the header in the same allocation: size bytes, then a
  // terminating zero.
  char* bytes() { return reinterpret_cast<char*>(this + 1); }
  const char* bytes() const { return reinterpret_cast<const char*>(this + 1); }
};

// Strings longer than this are refused by the operators, so that runaway
// code reports an error instead of exhausting memory.
inline constexpr std::size_t kMaxStringLength = std::size_t{1} << 30;

// One script value. The field that the kind does not select keeps its
// contents: the operators carry it along, and handlers may read either one.
// A null rep is the empty string, so reals never allocate.
class RValue {
 public:
  RValue() = default;
  explicit RValue(double real) : real_(real) {}
  explicit RValue(std::string_view text) : kind_(ValueKind::string), rep_(make_rep(text, 0)) {}
  RValue(const RValue& other) : kind_(other.kind_), real_(other.real_), rep_(other.rep_) {
    if (rep_) ++rep_->refs;
  }
  RValue(RValue&& other) noexcept : kind_(other.kind_), real_(other.real_), rep_(other.rep_) {
    other.rep_ = nullptr;
  }
  RValue& operator=(const RValue& other) {
    // Taken before release() empties this value, which may be other itself.
    StringRep* const rep = other.rep_;
    if (rep) ++rep->refs;
    release();
    kind_ = other.kind_;
    real_ = other.real_;
    rep_ = rep;
    return *this;
  }
  RValue& operator=(RValue&& other) noexcept {
    if (this != &other) {
      release();
      kind_ = other.kind_;
      real_ = other.real_;
      rep_ = std::exchange(other.rep_, nullptr);
    }
    return *this;
  }
  ~RValue() { release(); }
  // Exchanges the fields; no counter changes hands, so swapping argument
  // slots costs no more than copying reals.
  friend void swap(RValue& a, RValue& b) noexcept {
    std::swap(a.kind_, b.kind_);
    std::swap(a.real_, b.real_);
    std::swap(a.rep_, b.rep_);
  }

  ValueKind kind() const { return kind_; }
  bool is_real() const { return kind_ == ValueKind::real; }
  bool is_string() const { return kind_ == ValueKind::string; }
  double real() const { return real_; }
  std::string_view text() const {
    return rep_ ? std::string_view(rep_->bytes(), rep_->size) : std::string_view();
  }
  std::string str() const { return std::string(text()); }
  // True when the text is held by nobody else, so it may be extended in place.
  bool owns_text_alone() const { return rep_ == nullptr || rep_->refs == 1; }
  bool shares_text_with(const RValue& other) const { return rep_ != nullptr && rep_ == other.rep_; }
  // True for the value a fresh slot holds: real +0 without string storage.
  bool is_fresh() const {
    return (static_cast<std::uint64_t>(kind_) | std::bit_cast<std::uint64_t>(real_) |
            reinterpret_cast<std::uintptr_t>(rep_)) == 0;
  }

  // Makes the value a real; the string field is kept.
  void set_real(double real) {
    kind_ = ValueKind::real;
    real_ = real;
  }
  // Makes the value a string; the real field is kept.
  void set_text(std::string_view text);
  void set_kind(ValueKind kind) { kind_ = kind; }
  // Appends to the string field, in place when nobody else holds it.
  void append_text(std::string_view tail);
  // Resets to the fresh value: real 0, empty string.
  void clear() {
    release();
    kind_ = ValueKind::real;
    real_ = 0.0;
  }

 private:
  static StringRep* make_rep(std::string_view text, std::size_t reserve);
  void release() {
    if (rep_ && --rep_->refs == 0) free_rep(rep_);
    rep_ = nullptr;
  }
  static void free_rep(StringRep* rep);

  ValueKind kind_ = ValueKind::real;
  double real_ = 0.0;
  StringRep* rep_ = nullptr;
};

// A value is true when it is a real of 0.5 or more.
inline bool is_true(const RValue& value) {
  return value.is_real() && value.real() >= 0.5;
}

// Rounds to the nearest integer with halves to even, as every conversion of
// a real to an integer does unless a rule says otherwise.
double round_half_even(double value);
// round_half_even as a 64-bit integer, saturating outside that range.
std::int64_t round_to_int64(double value);
// round_half_even as a 32-bit integer, saturating outside that range.
std::int32_t round_to_int32(double value);

}  // namespace kestrel
