#include "expected.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vantor {
namespace {

Expected<int, std::string> halve(int n) {
  if (n % 2 != 0) return fail(std::string("odd"));
  return n / 2;
}

Expected<void, std::string> check_even(int n) {
  if (n % 2 != 0) return fail("odd");  // a const char* converts into the error type
  return {};
}

TEST(Expected, HoldsTheValueOrTheError) {
  const auto half = halve(8);
  ASSERT_TRUE(half.has_value());
  EXPECT_EQ(*half, 4);
  const auto odd = halve(7);
  ASSERT_FALSE(odd);
  EXPECT_EQ(odd.error(), "odd");
}

TEST(Expected, ReadingTheWrongSideThrowsInsteadOfMisbehaving) {
  const auto odd = halve(7);
  EXPECT_THROW((void)odd.value(), BadExpectedAccess);
  const auto half = halve(8);
  EXPECT_THROW((void)half.error(), BadExpectedAccess);
  EXPECT_THROW(check_even(3).value(), BadExpectedAccess);
  EXPECT_THROW((void)check_even(2).error(), BadExpectedAccess);
}

TEST(Expected, VoidResult) {
  EXPECT_TRUE(check_even(2).has_value());
  const auto odd = check_even(3);
  ASSERT_FALSE(odd.has_value());
  EXPECT_EQ(odd.error(), "odd");
}

TEST(Expected, MoveOnlyValuesAndErrorOfTheSameType) {
  // A value and an error of one type stay apart because the error arrives wrapped by fail().
  Expected<std::string, std::string> value = std::string("value");
  Expected<std::string, std::string> error = fail(std::string("error"));
  EXPECT_TRUE(value.has_value());
  EXPECT_FALSE(error.has_value());
  EXPECT_EQ(error.error(), "error");

  Expected<std::unique_ptr<int>, int> owned = std::make_unique<int>(5);
  std::unique_ptr<int> taken = std::move(owned).value();
  EXPECT_EQ(*taken, 5);
}

}  // namespace
}  // namespace vantor
