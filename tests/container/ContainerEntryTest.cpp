#include "container/ContainerEntry.h"

#include <gtest/gtest.h>

TEST(ContainerEntry, DefaultEntryIsAnUnplacedFile)
{
    ContainerEntry e;
    EXPECT_TRUE(e.name.empty());
    EXPECT_EQ(e.size, 0xFFFFFFFFu);
    EXPECT_EQ(e.offset, 0xFFFFFFFFu);
    EXPECT_FALSE(e.IsDirectory());
    e.flags = 0x81;
    EXPECT_TRUE(e.IsDirectory());
}
