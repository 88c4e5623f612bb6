#include <gtest/gtest.h>

#include "script/Code_Constant.h"

namespace kestrel {
namespace {

TEST(BuiltinConstants, FamiliesAndRanges) {
  ConstantTable constants;
  add_builtin_constants(constants);
  const std::pair<const char*, double> cases[] = {
      {"noone", -4},     {"pi", 3.141592653589793}, {"c_red", 255},    {"c_orange", 4235519},
      {"vk_f12", 123},   {"vk_numpad9", 105},       {"ev_user15", 25}, {"ev_joystick2_button8", 43},
      {"cr_arrrow", -2}, {"cr_arrow", -2},          {"ef_snow", 11},   {"bm_src_alpha_sat", 11},
  };
  for (const auto& [name, value] : cases) {
    const RValue* found = constants.find(name);
    ASSERT_NE(found, nullptr) << name;
    EXPECT_EQ(found->real(), value) << name;
  }
  EXPECT_EQ(constants.find("c_purple_haze"), nullptr);
}

}  // namespace
}  // namespace kestrel
