#include <gtest/gtest.h>

#include "data/Support_Stream.h"
#include "script/Code_Variable.h"
#include "script/Variable_Class.h"
#include "script/Variable_Main.h"

namespace kestrel {
namespace {

constexpr std::int32_t kV = kFirstUserVariable;

double real_at(const CVariableList& list, std::int32_t index, std::int32_t flat) {
  const RValue* value = list.get(index, flat);
  EXPECT_NE(value, nullptr) << index << "[" << flat << "]";
  return value ? value->real() : -1;
}

TEST(VariableList, ArraysAreRowsOfColumnsWithTheScalarAtZero) {
  CVariableList list;
  list.set(kV, 0, RValue(3));
  EXPECT_EQ(real_at(list, kV, 0), 3);
  list.set(kV, 4, RValue(1));
  EXPECT_EQ(real_at(list, kV, 2), 0);  // growth fills with real 0
  EXPECT_EQ(list.get(kV, 5), nullptr);
  list.set(kV, 2 * kArrayRowWidth, RValue(1));
  EXPECT_EQ(list.get(kV, kArrayRowWidth), nullptr);  // rows in between stay empty
  EXPECT_EQ(list.get(kV + 1, 0), nullptr);
  EXPECT_EQ(list.count(), 1u);
}

TEST(VariableList, DeclareKeepsAValueAndCopiesAreDeep) {
  CVariableList list;
  list.set(kV, 0, RValue(5));
  list.declare(kV);
  list.declare(kV + 1);
  EXPECT_EQ(real_at(list, kV, 0), 5);
  EXPECT_EQ(real_at(list, kV + 1, 0), 0);
  list.set(kV, 7, RValue(std::string_view("seven")));
  CVariableList copy(list);
  list.set(kV, 7, RValue(1));
  EXPECT_EQ(copy.get(kV, 7)->text(), "seven");
  list.clear();
  EXPECT_EQ(list.count(), 0u);
  EXPECT_EQ(copy.count(), 2u);
}

TEST(VariableList, LongListsFindEveryEntry) {
  CVariableList list;
  for (int i = 0; i < 200; ++i) list.set(kV + i, 0, RValue(i));
  CVariableList copy = list;
  std::int32_t hint = -1;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(real_at(copy, kV + i, 0), i);
    ASSERT_EQ(copy.find_scalar(kV + i, hint)->real(), i);
  }
  EXPECT_EQ(copy.entries().front().index, kV);  // creation order is kept
}

TEST(VariableNames, IndicesAreStableAndUnknownIndicesHaveAName) {
  VariableNameTable names;
  EXPECT_EQ(names.index_of("a"), kV);
  EXPECT_EQ(names.index_of("b"), kV + 1);
  EXPECT_EQ(names.index_of("a"), kV);
  EXPECT_EQ(names.index_of("A"), kV + 2);  // names are case-sensitive
  EXPECT_EQ(names.name_of(kV + 1), "b");
  EXPECT_EQ(names.name_of(kV + 3), "<unknown variable>");
  EXPECT_EQ(names.name_of(5), "<unknown variable>");
}

TEST(Globals, DeclaredFlagsGrowAndKeepValues) {
  Globals globals;
  EXPECT_FALSE(globals.is_declared_global(kV));
  globals.list().set(kV + 20000, 0, RValue(4));
  globals.declare_global(kV + 20000);
  EXPECT_TRUE(globals.is_declared_global(kV + 20000));
  EXPECT_GE(globals.declared_flags().size(), 21000u);
  EXPECT_EQ(real_at(globals.list(), kV + 20000, 0), 4);
  globals.declare_global(3);  // built-in indices are never global
  EXPECT_FALSE(globals.is_declared_global(3));
  globals.initialise();
  EXPECT_FALSE(globals.is_declared_global(kV + 20000));
  EXPECT_EQ(globals.declared_flags().size(), 10000u);
}

}  // namespace
}  // namespace kestrel

namespace kestrel {
namespace {

TEST(VariableStreamForm, SavedListsComeBackWithEveryElement) {
  CVariableList list;
  list.set(100000, 0, RValue("text"));
  list.set(100001, 5, RValue(7.0));              // grows row 0 with real 0 elements
  list.set(100001, 2 * 32000 + 1, RValue(9.0));  // row 1 stays empty
  CStream stream;
  list.save(stream);
  stream.seek(0);
  CVariableList loaded;
  ASSERT_TRUE(loaded.load(stream));
  ASSERT_NE(loaded.get(100000, 0), nullptr);
  EXPECT_EQ(loaded.get(100000, 0)->str(), "text");
  EXPECT_EQ(loaded.get(100001, 5)->real(), 7);
  ASSERT_NE(loaded.get(100001, 3), nullptr) << "growth elements survive";
  EXPECT_EQ(loaded.get(100001, 3)->real(), 0);
  EXPECT_EQ(loaded.get(100001, 32000), nullptr) << "an empty row stays empty";
  EXPECT_EQ(loaded.get(100001, 64001)->real(), 9);

  CStream wrong;
  WriteInt(wrong, 439);
  wrong.seek(0);
  EXPECT_FALSE(loaded.load(wrong));
  EXPECT_EQ(loaded.count(), 0u);
}

TEST(VariableStreamForm, GlobalsKeepTheirDeclarations) {
  Globals globals;
  globals.declare_global(100003);
  globals.list().set(100004, 0, RValue(2.5));
  CStream stream;
  globals.save(stream);
  stream.seek(0);
  Globals loaded;
  ASSERT_TRUE(loaded.load(stream));
  EXPECT_TRUE(loaded.is_declared_global(100003));
  EXPECT_FALSE(loaded.is_declared_global(100004));
  EXPECT_EQ(loaded.list().get(100004, 0)->real(), 2.5);
}

TEST(Values, ACopyAssignedToItselfKeepsItsText) {
  RValue text(std::string_view("abc"));
  const RValue& same = text;
  text = same;
  EXPECT_EQ(text.text(), "abc");
  EXPECT_TRUE(text.owns_text_alone()) << "the count of holders grew";
}

}  // namespace
}  // namespace kestrel
