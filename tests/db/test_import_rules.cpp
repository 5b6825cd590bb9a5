// The value rules of interchange lines: the date rule, numbers and amounts with their sign
// column, and no value breaking a line.
#include "Interchange.h"
#include "ItemDB.h"
#include "ManualPriceDB.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

std::tm Local(int64_t t) {
    std::time_t when = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&when, &tm);
    return tm;
}

void ExpectDay(const std::string& text, int year, int month, int day) {
    int64_t t = 0;
    ASSERT_TRUE(ichg::ParseDate(text, t)) << text;
    std::tm tm = Local(t);
    EXPECT_EQ(tm.tm_year + 1900, year) << text;
    EXPECT_EQ(tm.tm_mon + 1, month) << text;
    EXPECT_EQ(tm.tm_mday, day) << text;
    EXPECT_EQ(tm.tm_hour, 12) << text;
    EXPECT_EQ(tm.tm_min, 0) << text;
}

TEST(DateRule, TwoDigitYearsTheRangeLimitsAndTheNullDate) {
    ExpectDay("1/2/05", 2005, 1, 2);
    ExpectDay("12/31/99", 1999, 12, 31);
    ExpectDay("6/1/55", 1971, 6, 1);   // below 1971
    ExpectDay("7/4/2050", 2037, 7, 4); // above 2037
    ExpectDay("  03/15/2024", 2024, 3, 15);
    ExpectDay("02/29/2024  ", 2024, 2, 29);
    ExpectDay("1/1/39", 2037, 1, 1); // 2039, then held at 2037
    ExpectDay("1/1/70", 1971, 1, 1);
    for (const char* empty : {"", "          "}) {
        int64_t t = 0;
        EXPECT_TRUE(ichg::ParseDate(empty, t));
        EXPECT_EQ(t, -1);
    }
}

TEST(DateRule, InvalidDatesAreRejectedNotShifted) {
    int64_t t = 0;
    for (const char* bad : {"13/01/2005", "0/10/2005", "4/31/2005", "2/29/2023", "2/30/2024", "1/0/05",
                            "1-2-05", "1/2", "1/2/05x", "a/b/c", "1//05", "/1/05", "123/1/05", "1/2/-5"})
        EXPECT_FALSE(ichg::ParseDate(bad, t)) << bad;
}

TEST(DateRule, DaylightSavingDaysStayAtNoon) {
    kt::TimeZone eastern("America/New_York");
    ExpectDay("7/4/2021", 2021, 7, 4);
    ExpectDay("1/4/2021", 2021, 1, 4);
}

TEST(ValueRules, NumbersAndAmountsTakeTheirSignColumn) {
    int32_t n = 0;
    EXPECT_TRUE(ichg::ParseNumber("   12", '-', n));
    EXPECT_EQ(n, -12);
    EXPECT_TRUE(ichg::ParseNumber("   12", ' ', n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(ichg::ParseNumber("     ", ' ', n));
    EXPECT_EQ(n, 0);
    double a = 0;
    EXPECT_TRUE(ichg::ParseAmount("    123.45", '-', a));
    EXPECT_DOUBLE_EQ(a, -123.45);
    EXPECT_TRUE(ichg::ParseAmount("       .5 ", ' ', a));
    EXPECT_DOUBLE_EQ(a, 0.5);
    for (const char* bad : {"  1x3", "1 2  ", "  -  ", " 0x10"})
        EXPECT_FALSE(ichg::ParseNumber(bad, ' ', n)) << bad;
    for (const char* bad :
         {"       nan", "       inf", "    1.2.3 ", "    12,50 ", "   1e5    ", "        . "})
        EXPECT_FALSE(ichg::ParseAmount(bad, ' ', a)) << bad;
}

TEST(ColumnTables, AValueCannotBreakTheLineNorOverflowItsColumn) {
    CItem item;
    item.m_strItemNumber = "1";
    item.m_strDescription = std::string("TWO\nLINES\r\0X", 12);
    std::string line = CItemDB::WriteLine(item, 1025);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_EQ(line.find('\r'), std::string::npos);

    // The quote's price column is six characters and the sign: a larger price is held at the
    // largest the column shows, and the line keeps its columns.
    CManualPrice quote;
    quote.m_fPrice = -5000.0f;
    quote.m_strCode80 = "MGR";
    line = rec::WriteLine(CManualPriceDB::Fields(), quote, 73);
    EXPECT_EQ(line.substr(61), "999.99-MGR \n");
    std::string error;
    CManualPrice read;
    ASSERT_TRUE(rec::ReadLine(CManualPriceDB::Fields(), line, 72, read, error)) << error;
    EXPECT_FLOAT_EQ(read.m_fPrice, -999.99f);
    line.replace(61, 7, " 1x.50 ");
    EXPECT_FALSE(rec::ReadLine(CManualPriceDB::Fields(), line, 72, read, error));
    EXPECT_EQ(error, "Invalid Amount \" 1x.50 \"");
}

} // namespace
