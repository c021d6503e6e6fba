#include "kb/linelist.h"

#include <gtest/gtest.h>

TEST(LineList, OutOfRangeGetIsEmpty)
{
    tovrin::LineList list({"a"});
    EXPECT_EQ(list.get(5), "");
    EXPECT_EQ(list.get(-1), "");
}
