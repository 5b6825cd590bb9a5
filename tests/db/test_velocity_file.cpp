// VELOCITY.DB: layout, Btrieve date, key rules, withdrawals, the merge and the interchange line.
#include "ManualPriceDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

// Dates in these tests are read in UTC so the expected bytes do not depend on the machine.
class VelocityFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_db.Create("VELOCITY.DB"), 0); }
    void TearDown() override { m_db.Close(); }
    std::vector<uint8_t> Raw(const std::string& key21) { return kt::ReadRaw(m_db, key21, 1); }
    static CVelocity Make(const char* customer, const char* item, const char* unit) {
        CVelocity h;
        h.m_strCustomer = customer;
        h.m_strItem = item;
        h.m_strUnit = unit;
        h.m_bActive = true;
        return h;
    }
    static std::string Key(const char* customer, const char* item, const char* unit) {
        return fields::Padded(customer, 6, '\0') + fields::Padded(item, 12, '\0') +
               fields::Padded(unit, 3, '\0');
    }

    kt::TimeZone m_zone{"UTC"};
    kt::TempDir m_dir;
    CVelocityDB m_db;
};

TEST_F(VelocityFile, InsertWritesTheSharedLayout) {
    CVelocity h = Make("c1", "item7", "cs");
    h.m_strCode5 = "ab";
    h.m_strText = "Mixed Case";
    h.m_tLastDate = 1104667200; // 2 January 2005, 12:00 UTC
    h.m_tSecondDate = 86400;
    h.m_fAmount1 = 1.25f;
    h.m_strPriceCode = "pc1";
    h.m_bFlag92 = true;
    h.m_arrNumbers[5] = -3;
    h.m_fQuotedPrice = 4.5f;
    h.m_strQuoteCode = "q";
    h.m_n156 = 9;
    ASSERT_EQ(m_db.InsertRecord(h), 0);

    std::vector<uint8_t> expected(160, 0);
    kt::PutText(expected, 0, "C1", 6, '\0');
    kt::PutText(expected, 6, "ITEM7", 12, '\0');
    kt::PutText(expected, 18, "CS", 3, '\0');
    kt::PutText(expected, 21, "AB", 5, '\0');
    expected[29] = 2;
    expected[30] = 1;
    kt::Put16(expected, 31, 2005);
    kt::PutText(expected, 41, "Mixed Case", 30, '\0');
    kt::PutF32(expected, 72, 1.25f);
    kt::PutText(expected, 88, "PC1", 4, '\0');
    expected[92] = 'Y';
    kt::Put32(expected, 104, 1104667200);
    kt::Put32(expected, 108, 86400);
    kt::Put32(expected, 132, static_cast<uint32_t>(-3));
    kt::PutF32(expected, 144, 4.5f);
    kt::PutText(expected, 148, "Q", 4, '\0');
    expected[152] = 'Y';
    kt::Put32(expected, 156, 9);
    EXPECT_EQ(Raw(Key("C1", "ITEM7", "CS")), expected);

    CVelocity found;
    ASSERT_EQ(m_db.GetHistory(found, "c1", "item7", "cs"), 0);
    EXPECT_EQ(found.m_strText, "Mixed Case");
    EXPECT_EQ(m_db.GetHistory(found, "C1", "ITEM7", "EA"), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(VelocityFile, NoLastDateReadWrittenAndExportedAndLowerCaseFlags) {
    CVelocity h = Make("C2", "I1", "EA");
    h.m_tLastDate = -1;
    ASSERT_EQ(m_db.InsertRecord(h), 0);
    std::vector<uint8_t> raw = Raw(Key("C2", "I1", "EA"));
    ASSERT_EQ(raw.size(), 160u);
    for (size_t at = 29; at < 33; ++at)
        EXPECT_EQ(raw[at], 0) << at;
    EXPECT_EQ(kt::Get32(raw.data(), 104), 0xFFFFFFFFu);
    CVelocity found;
    ASSERT_EQ(m_db.GetHistory(found, "C2", "I1", "EA"), 0);
    EXPECT_EQ(found.m_tLastDate, -1);
    std::string line; // and the exported line leaves the date blank
    ASSERT_EQ(m_db.ExportFirst(line), 0);
    EXPECT_EQ(line.substr(0, 31), "C2    I1          EA           ");

    // Another program's record with 'y' flags.
    std::vector<uint8_t> other(160, 0);
    kt::PutText(other, 0, "C3", 6, '\0');
    kt::PutText(other, 6, "I1", 12, '\0');
    kt::PutText(other, 18, "EA", 3, '\0');
    other[92] = 'y';
    other[152] = 'y';
    ASSERT_EQ(m_db.InsertBytes(other, 1), 0);
    ASSERT_EQ(m_db.GetHistory(found, "c3", "i1", "ea"), 0);
    EXPECT_TRUE(found.m_bFlag92);
    EXPECT_TRUE(found.m_bActive);
}

// Withdrawing, one record or an item's in a unit, changes the active flag alone: another
// program's record keeps every other byte (its date key is not written again from the date).
TEST_F(VelocityFile, WithdrawalsChangeTheActiveFlagOnlyAndDeleteGoes) {
    std::vector<uint8_t> raw(160, 0);
    kt::PutText(raw, 6, "I1", 12, '\0');
    kt::PutText(raw, 18, "CS", 3, '\0');
    for (size_t at : {33, 34, 35, 71, 102, 103, 153, 154, 155})
        raw[at] = 0x77;
    raw[152] = 'Y';
    std::vector<uint8_t> expected = raw;
    expected[152] = 'N';
    for (const char* customer : {"C1", "C2"}) {
        kt::PutText(raw, 0, customer, 6, '\0');
        ASSERT_EQ(m_db.InsertBytes(raw, 1), 0);
    }
    ASSERT_EQ(m_db.ClearOrDelete("c1", "i1", "cs", false), 0);
    ASSERT_EQ(m_db.ClearItemUnit("i1", "cs"), 0);
    for (const char* customer : {"C1", "C2"}) {
        kt::PutText(expected, 0, customer, 6, '\0');
        EXPECT_EQ(Raw(Key(customer, "I1", "CS")), expected) << customer;
    }
    EXPECT_EQ(m_db.ClearOrDelete("C1", "I1", "EA", false), btr::B_KEY_VALUE_NOT_FOUND);
    ASSERT_EQ(m_db.ClearOrDelete("C1", "I1", "CS", true), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 1u);
}

TEST_F(VelocityFile, ClearForItemAndUnitStopsAtTheNextItem) {
    struct Row {
        const char *customer, *item, *unit;
        bool active; // afterwards
    };
    const Row rows[] = {{"C1", "A1", "CS", false},
                        {"C2", "A1", "CS", false},
                        {"C1", "A1", "EA", true},
                        {"C1", "B1", "CS", true}};
    for (const Row& r : rows) {
        CVelocity h = Make(r.customer, r.item, r.unit);
        ASSERT_EQ(m_db.InsertRecord(h), 0);
    }
    ASSERT_EQ(m_db.ClearItemUnit("a1", "cs"), 0);
    for (const Row& r : rows) {
        CVelocity h;
        ASSERT_EQ(m_db.GetHistory(h, r.customer, r.item, r.unit), 0);
        EXPECT_EQ(h.m_bActive, r.active) << r.customer << r.item << r.unit;
    }
    // An item without history, and one past the last record, are not failures.
    EXPECT_EQ(m_db.ClearItemUnit("A0", "CS"), 0);
    EXPECT_EQ(m_db.ClearItemUnit("ZZ", "CS"), 0);
}

class VelocityMerge : public VelocityFile {
protected:
    void SetUp() override {
        VelocityFile::SetUp();
        CVelocity stored = Make("C1", "I1", "CS");
        stored.m_strText = "Stored text";
        stored.m_strCode5 = "S5";
        stored.m_strCode3 = "S3";
        stored.m_n36 = 36;
        stored.m_fAmount1 = 10.0f;
        stored.m_fQuotedPrice = 8.5f;
        stored.m_strQuoteCode = "QC";
        ASSERT_EQ(m_db.InsertRecord(stored), 0);
        CManualPriceDB prices;
        ASSERT_EQ(prices.Create("MNPRICE.DB"), 0);
        CManualPrice quote;
        quote.m_strSelector4 = "    ";
        quote.m_strSelector8 = "        ";
        quote.m_strCustomer = "C1";
        quote.m_strItem = "I1";
        quote.m_strUnit = "CS";
        quote.m_fPrice = 8.5f;
        ASSERT_EQ(prices.InsertRecord(quote), 0);
    }
    static uint32_t QuoteCount() {
        CManualPriceDB prices;
        if (prices.OpenFile() != 0) return 99;
        return prices.GetRecordCount();
    }
    CVelocity Imported(float amount1, const char* priceCode) {
        CVelocity h = Make("c1", "i1", "cs");
        h.m_strText = "Imported text";
        h.m_fAmount1 = amount1;
        h.m_fAmount2 = 2.0f;
        h.m_strPriceCode = priceCode;
        h.m_fQuotedPrice = 1.0f;
        h.m_strQuoteCode = "NEW";
        return h;
    }
};

TEST_F(VelocityMerge, SameFigureKeepsTheQuoteAndStoredTexts) {
    CVelocity h = Imported(10.0f, "XX");
    ASSERT_EQ(m_db.MergeHistory(h, false), 0);
    CVelocity found;
    ASSERT_EQ(m_db.GetHistory(found, "C1", "I1", "CS"), 0);
    EXPECT_EQ(found.m_strText, "Stored text");
    EXPECT_EQ(found.m_strCode5, "S5");
    EXPECT_EQ(found.m_strCode3, "S3");
    EXPECT_EQ(found.m_n36, 36);
    EXPECT_EQ(found.m_fAmount2, 2.0f);
    EXPECT_EQ(found.m_fQuotedPrice, 8.5f);
    EXPECT_EQ(found.m_strQuoteCode, "QC");
    EXPECT_EQ(QuoteCount(), 1u);

    CVelocity replacing = Imported(10.0f, "XX");
    ASSERT_EQ(m_db.MergeHistory(replacing, true), 0);
    ASSERT_EQ(m_db.GetHistory(found, "C1", "I1", "CS"), 0);
    EXPECT_EQ(found.m_strText, "Imported text");

    CVelocity missing = Make("C9", "I1", "CS");
    EXPECT_EQ(m_db.MergeHistory(missing, false), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(VelocityMerge, ChangedFigureOrPriceCodeDropsTheQuote) {
    CVelocity h = Imported(11.0f, "XX");
    ASSERT_EQ(m_db.MergeHistory(h, false), 0);
    CVelocity found;
    ASSERT_EQ(m_db.GetHistory(found, "C1", "I1", "CS"), 0);
    EXPECT_EQ(found.m_fQuotedPrice, 0.0f);
    EXPECT_EQ(found.m_strQuoteCode, "    ");
    EXPECT_EQ(QuoteCount(), 0u);

    // A price code of the kinds priced elsewhere drops it as well.
    CVelocity byCode = Imported(11.0f, "fm2");
    byCode.m_fQuotedPrice = 3.0f;
    ASSERT_EQ(m_db.MergeHistory(byCode, false), 0);
    ASSERT_EQ(m_db.GetHistory(found, "C1", "I1", "CS"), 0);
    EXPECT_EQ(found.m_fQuotedPrice, 0.0f);
}

} // namespace
