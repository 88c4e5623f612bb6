// A small library that the native-call tests load: one function per
// signature that games may define. sum_XY.. gives the sum of (position + 1) x
// argument, a text counting as its length; join_XY.. gives the arguments as
// text joined by commas. The letters name the argument types: r real, t text.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using R = double;
using T = const char*;

double amount(double value) {
  return value;
}
double amount(const char* text) {
  return static_cast<double>(std::strlen(text));
}

std::string piece(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}
std::string piece(const char* text) {
  return text;
}

template <class... A>
double sum(A... arguments) {
  double total = 0;
  int position = 0;
  ((total += ++position * amount(arguments)), ...);
  return total;
}

// The text stays valid until the next call, as a library's own buffer would.
template <class... A>
const char* join(A... arguments) {
  static std::string text;
  text.clear();
  ((text += piece(arguments), text += ','), ...);
  if (!text.empty()) text.pop_back();
  return text.c_str();
}

}  // namespace

extern "C" {
// clang-format off
double sum_() { return sum(); }
T join_() { return join(); }
double sum_r(R a0) { return sum(a0); }
T join_r(R a0) { return join(a0); }
double sum_t(T a0) { return sum(a0); }
T join_t(T a0) { return join(a0); }
double sum_rr(R a0, R a1) { return sum(a0, a1); }
T join_rr(R a0, R a1) { return join(a0, a1); }
double sum_rt(R a0, T a1) { return sum(a0, a1); }
T join_rt(R a0, T a1) { return join(a0, a1); }
double sum_tr(T a0, R a1) { return sum(a0, a1); }
T join_tr(T a0, R a1) { return join(a0, a1); }
double sum_tt(T a0, T a1) { return sum(a0, a1); }
T join_tt(T a0, T a1) { return join(a0, a1); }
double sum_rrr(R a0, R a1, R a2) { return sum(a0, a1, a2); }
T join_rrr(R a0, R a1, R a2) { return join(a0, a1, a2); }
double sum_rrt(R a0, R a1, T a2) { return sum(a0, a1, a2); }
T join_rrt(R a0, R a1, T a2) { return join(a0, a1, a2); }
double sum_rtr(R a0, T a1, R a2) { return sum(a0, a1, a2); }
T join_rtr(R a0, T a1, R a2) { return join(a0, a1, a2); }
double sum_rtt(R a0, T a1, T a2) { return sum(a0, a1, a2); }
T join_rtt(R a0, T a1, T a2) { return join(a0, a1, a2); }
double sum_trr(T a0, R a1, R a2) { return sum(a0, a1, a2); }
T join_trr(T a0, R a1, R a2) { return join(a0, a1, a2); }
double sum_trt(T a0, R a1, T a2) { return sum(a0, a1, a2); }
T join_trt(T a0, R a1, T a2) { return join(a0, a1, a2); }
double sum_ttr(T a0, T a1, R a2) { return sum(a0, a1, a2); }
T join_ttr(T a0, T a1, R a2) { return join(a0, a1, a2); }
double sum_ttt(T a0, T a1, T a2) { return sum(a0, a1, a2); }
T join_ttt(T a0, T a1, T a2) { return join(a0, a1, a2); }
double sum_rrrr(R a0, R a1, R a2, R a3) { return sum(a0, a1, a2, a3); }
T join_rrrr(R a0, R a1, R a2, R a3) { return join(a0, a1, a2, a3); }
double sum_rrrt(R a0, R a1, R a2, T a3) { return sum(a0, a1, a2, a3); }
T join_rrrt(R a0, R a1, R a2, T a3) { return join(a0, a1, a2, a3); }
double sum_rrtr(R a0, R a1, T a2, R a3) { return sum(a0, a1, a2, a3); }
T join_rrtr(R a0, R a1, T a2, R a3) { return join(a0, a1, a2, a3); }
double sum_rrtt(R a0, R a1, T a2, T a3) { return sum(a0, a1, a2, a3); }
T join_rrtt(R a0, R a1, T a2, T a3) { return join(a0, a1, a2, a3); }
double sum_rtrr(R a0, T a1, R a2, R a3) { return sum(a0, a1, a2, a3); }
T join_rtrr(R a0, T a1, R a2, R a3) { return join(a0, a1, a2, a3); }
double sum_rtrt(R a0, T a1, R a2, T a3) { return sum(a0, a1, a2, a3); }
T join_rtrt(R a0, T a1, R a2, T a3) { return join(a0, a1, a2, a3); }
double sum_rttr(R a0, T a1, T a2, R a3) { return sum(a0, a1, a2, a3); }
T join_rttr(R a0, T a1, T a2, R a3) { return join(a0, a1, a2, a3); }
double sum_rttt(R a0, T a1, T a2, T a3) { return sum(a0, a1, a2, a3); }
T join_rttt(R a0, T a1, T a2, T a3) { return join(a0, a1, a2, a3); }
double sum_trrr(T a0, R a1, R a2, R a3) { return sum(a0, a1, a2, a3); }
T join_trrr(T a0, R a1, R a2, R a3) { return join(a0, a1, a2, a3); }
double sum_trrt(T a0, R a1, R a2, T a3) { return sum(a0, a1, a2, a3); }
T join_trrt(T a0, R a1, R a2, T a3) { return join(a0, a1, a2, a3); }
double sum_trtr(T a0, R a1, T a2, R a3) { return sum(a0, a1, a2, a3); }
T join_trtr(T a0, R a1, T a2, R a3) { return join(a0, a1, a2, a3); }
double sum_trtt(T a0, R a1, T a2, T a3) { return sum(a0, a1, a2, a3); }
T join_trtt(T a0, R a1, T a2, T a3) { return join(a0, a1, a2, a3); }
double sum_ttrr(T a0, T a1, R a2, R a3) { return sum(a0, a1, a2, a3); }
T join_ttrr(T a0, T a1, R a2, R a3) { return join(a0, a1, a2, a3); }
double sum_ttrt(T a0, T a1, R a2, T a3) { return sum(a0, a1, a2, a3); }
T join_ttrt(T a0, T a1, R a2, T a3) { return join(a0, a1, a2, a3); }
double sum_tttr(T a0, T a1, T a2, R a3) { return sum(a0, a1, a2, a3); }
T join_tttr(T a0, T a1, T a2, R a3) { return join(a0, a1, a2, a3); }
double sum_tttt(T a0, T a1, T a2, T a3) { return sum(a0, a1, a2, a3); }
T join_tttt(T a0, T a1, T a2, T a3) { return join(a0, a1, a2, a3); }
double sum_rrrrr(R a0, R a1, R a2, R a3, R a4) { return sum(a0, a1, a2, a3, a4); }
T join_rrrrr(R a0, R a1, R a2, R a3, R a4) { return join(a0, a1, a2, a3, a4); }
double sum_rrrrrr(R a0, R a1, R a2, R a3, R a4, R a5) { return sum(a0, a1, a2, a3, a4, a5); }
T join_rrrrrr(R a0, R a1, R a2, R a3, R a4, R a5) { return join(a0, a1, a2, a3, a4, a5); }
double sum_rrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6) { return sum(a0, a1, a2, a3, a4, a5, a6); }
T join_rrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6) { return join(a0, a1, a2, a3, a4, a5, a6); }
double sum_rrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7) { return sum(a0, a1, a2, a3, a4, a5, a6, a7); }
T join_rrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7) { return join(a0, a1, a2, a3, a4, a5, a6, a7); }
double sum_rrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8); }
T join_rrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8); }
double sum_rrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9); }
T join_rrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9); }
double sum_rrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10); }
T join_rrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10); }
double sum_rrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); }
T join_rrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); }
double sum_rrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12); }
T join_rrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12); }
double sum_rrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13); }
T join_rrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13); }
double sum_rrrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13, R a14) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14); }
T join_rrrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13, R a14) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14); }
double sum_rrrrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13, R a14, R a15) { return sum(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15); }
T join_rrrrrrrrrrrrrrrr(R a0, R a1, R a2, R a3, R a4, R a5, R a6, R a7, R a8, R a9, R a10, R a11, R a12, R a13, R a14, R a15) { return join(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15); }
// clang-format on

// A library function may answer no text at all.
T no_text() {
  return nullptr;
}
}
