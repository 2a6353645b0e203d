// The first handle a process issues is one above a seed drawn from 10000..99999.
#include <gtest/gtest.h>

#include "tests/listctrl/core_fixture.h"

namespace trr::test {
namespace {

class FirstHandleTest : public CoreListFixture {};

TEST_F(FirstHandleTest, FirstHandleLiesAboveTheSeedRange) {
  CreateList(0, 0);
  const ItemHandle first = list.AddGroup("first");
  EXPECT_GE(first, 10001);
  EXPECT_LE(first, 100000);
  EXPECT_EQ(list.AddGroup("second"), first + 1);
}

}  // namespace
}  // namespace trr::test
