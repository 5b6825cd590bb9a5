// The database folder named by path, by an open file or as the current directory: the same files.
#include <gtest/gtest.h>

#include "DbContext.h"

TEST(DbContext, EveryWayOfNamingTheFolderFindsTheSameFiles) {
    CDbContext given("/data/kestrel");
    EXPECT_EQ(given.PathOf("CUST.DB"), "/data/kestrel/CUST.DB");
    EXPECT_EQ(CDbContext::OfOpenFile("/data/kestrel/ITEM.DB").PathOf("CUST.DB"), given.PathOf("CUST.DB"));
    // A file opened by bare name lives in the current directory; one at the root, in "/".
    EXPECT_TRUE(CDbContext::OfOpenFile("ITEM.DB").IsCurrentDirectory());
    EXPECT_EQ(CDbContext().PathOf("CUST.DB"), "CUST.DB");
    EXPECT_EQ(CDbContext::OfOpenFile("/ITEM.DB").PathOf("CUST.DB"), "/CUST.DB");
}
