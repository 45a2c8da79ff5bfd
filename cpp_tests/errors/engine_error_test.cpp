#include "errors/engine_error.hpp"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(EngineError, ShowsTheOwningSubsystemsText) {
  const EngineError card = cards::CardError::bad_suit(U'x');
  EXPECT_EQ(display(card), "Invalid suit character: x");
  EXPECT_FALSE(is_internal_fault(card));
}

TEST(EngineError, InternalFaultsAreMarkedAsSuch) {
  const EngineError fault = InternalFault{"a walker lost its place"};
  EXPECT_EQ(display(fault), "internal error in vantor: a walker lost its place");
  EXPECT_TRUE(is_internal_fault(fault));
}

TEST(EngineError, ACardErrorFailsAnEngineResult) {
  const auto read = [](bool good) -> Expected<int, EngineError> {
    if (!good) return fail(cards::CardError::too_many_cards(12));
    return 1;
  };
  ASSERT_FALSE(read(false));
  EXPECT_EQ(display(read(false).error()), "Too many cards in Vec: 12");
  EXPECT_EQ(*read(true), 1);
}

}  // namespace
}  // namespace vantor
