// MNPRICE.DB: layout, price limits, withdrawal and the deletion by key text.
#include "ManualPriceDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class ManualPrice : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_db.Create("MNPRICE.DB"), 0); }
    static std::string Key(const std::string& s4, const std::string& s8, const std::string& customer,
                           const std::string& item, const std::string& unit) {
        using fields::Padded;
        return Padded(s4, 4, '\0') + Padded(s8, 8, '\0') + Padded(customer, 6, '\0') +
               Padded(item, 12, '\0') + Padded(unit, 3, '\0');
    }
    std::vector<uint8_t> Raw(const std::string& key33) { return kt::ReadRaw(m_db, key33); }
    int InsertRaw(std::vector<uint8_t> r) {
        r.resize(88);
        return m_db.InsertBytes(r);
    }
    CManualPrice Quote(const char* customer, const char* item, const char* unit, float price) {
        CManualPrice q;
        q.m_strSelector4 = "    ";
        q.m_strSelector8 = "        ";
        q.m_strCustomer = customer;
        q.m_strItem = item;
        q.m_strUnit = unit;
        q.m_fPrice = price;
        return q;
    }
    kt::TempDir m_dir;
    CManualPriceDB m_db;
};

TEST_F(ManualPrice, InsertWritesTheRecordByteForByte) {
    CManualPrice q = Quote("c1", "item1", "cs", 2.5f);
    q.m_strQuoteId = "c1item1";
    q.m_strCode80 = "ab";
    q.m_n68 = 68;
    q.m_c72 = 'x';
    ASSERT_EQ(m_db.InsertRecord(q), 0);
    std::vector<uint8_t> expected(88, 0);
    kt::PutText(expected, 0, "    ", 4, '\0');
    kt::PutText(expected, 4, "        ", 8, '\0');
    kt::PutText(expected, 12, "C1", 6, '\0');
    kt::PutText(expected, 18, "ITEM1", 12, '\0');
    kt::PutText(expected, 30, "CS", 3, '\0');
    kt::PutText(expected, 33, "C1ITEM1", 35, '\0');
    kt::Put32(expected, 68, 68);
    expected[72] = 'x';
    kt::PutF32(expected, 76, 2.5f);
    kt::PutText(expected, 80, "AB", 4, '\0');
    expected[84] = ' ';
    expected[85] = 'N';
    EXPECT_EQ(Raw(Key("    ", "        ", "C1", "ITEM1", "CS")), expected);

    CManualPrice found;
    ASSERT_EQ(m_db.GetQuote(found, "    ", "        ", "c1", "item1", "cs"), 0); // lower-case key parts
    EXPECT_EQ(found.m_strQuoteId, "C1ITEM1");
    EXPECT_EQ(found.m_fPrice, 2.5f);
    EXPECT_EQ(m_db.GetQuote(found, "", "", "C1", "ITEM1", "CS"), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(ManualPrice, PriceLimitsOnWriteAndRead) {
    CManualPrice high = Quote("C1", "I1", "CS", 12000.0f);
    ASSERT_EQ(m_db.InsertRecord(high), 0);
    CManualPrice low = Quote("C1", "I2", "CS", -10000.0f);
    ASSERT_EQ(m_db.InsertRecord(low), 0);
    std::vector<uint8_t> r = Raw(Key("    ", "        ", "C1", "I1", "CS"));
    ASSERT_EQ(r.size(), 88u);
    std::vector<uint8_t> limit(4, 0);
    kt::PutF32(limit, 0, 9999.99f);
    EXPECT_EQ(std::memcmp(r.data() + 76, limit.data(), 4), 0);
    CManualPrice found;
    ASSERT_EQ(m_db.GetQuote(found, "    ", "        ", "C1", "I2", "CS"), 0);
    EXPECT_EQ(found.m_fPrice, -9999.99f);
    EXPECT_EQ(CManualPriceDB::LimitPrice(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST_F(ManualPrice, WithdrawingTwiceKeepsTheFirstStamp) {
    CManualPrice q = Quote("CUST01", "ITEM00000001", "CAS", 1.0f);
    q.m_n68 = 1234;
    ASSERT_EQ(m_db.InsertRecord(q), 0);
    ASSERT_EQ(m_db.WithdrawOrDelete("    ", "        ", "cust01", "item00000001", "cas", false), 0);
    CManualPrice first;
    ASSERT_EQ(m_db.GetQuote(first, "    ", "        ", "CUST01", "ITEM00000001", "CAS"), 0);
    EXPECT_TRUE(first.m_bWithdrawn);
    ASSERT_EQ(first.m_strQuoteId.size(), 35u);
    EXPECT_EQ(first.m_strQuoteId.substr(0, 21), "CUST01ITEM00000001CAS");
    EXPECT_EQ(first.m_strQuoteId.find_first_not_of("0123456789", 21), std::string::npos);
    EXPECT_EQ(first.m_n68, 1234);

    ASSERT_EQ(m_db.WithdrawOrDelete("    ", "        ", "CUST01", "ITEM00000001", "CAS", false), 0);
    CManualPrice second;
    ASSERT_EQ(m_db.GetQuote(second, "    ", "        ", "CUST01", "ITEM00000001", "CAS"), 0);
    EXPECT_EQ(second.m_strQuoteId, first.m_strQuoteId);

    EXPECT_EQ(m_db.WithdrawOrDelete("    ", "        ", "X", "Y", "Z", false), btr::B_KEY_VALUE_NOT_FOUND);
    ASSERT_EQ(m_db.WithdrawOrDelete("    ", "        ", "CUST01", "ITEM00000001", "CAS", true), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 0u);
}

TEST_F(ManualPrice, DeleteByKeyTextMatchesTheIdentifier) {
    const std::string key = Key("    ", "        ", "C1", "I1", "CS");
    CManualPrice q = Quote("C1", "I1", "CS", 1.0f);
    q.m_strQuoteId = "C1I1CS20240101120000";
    ASSERT_EQ(m_db.InsertRecord(q), 0);
    EXPECT_EQ(m_db.DeleteByKeyText(key + "C1I1CS20230101120000"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(m_db.GetRecordCount(), 1u);
    EXPECT_EQ(m_db.DeleteByKeyText(key + "c1i1cs20240101120000"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 0u);

    // A withdrawn quote goes whatever the identifier.
    ASSERT_EQ(m_db.InsertRecord(q), 0);
    ASSERT_EQ(m_db.WithdrawOrDelete("    ", "        ", "C1", "I1", "CS", false), 0);
    EXPECT_EQ(m_db.DeleteByKeyText(key + "OTHER"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 0u);

    // So does one whose stored identifier is blank.
    CManualPrice blank = Quote("C1", "I1", "CS", 1.0f);
    blank.m_strQuoteId = "   ";
    ASSERT_EQ(m_db.InsertRecord(blank), 0);
    EXPECT_EQ(m_db.DeleteByKeyText(key + "ANYTHING"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 0u);
    EXPECT_EQ(m_db.DeleteByKeyText("short"), btr::B_KEY_VALUE_NOT_FOUND);
}

// Another program's record: lower-case code, a price past the limit, bytes no field describes.
// An update keeps the bytes no field describes; a withdrawal changes its flag and identifier alone.
TEST_F(ManualPrice, UpdatesAndWithdrawalsKeepTheStoredBytes) {
    std::vector<uint8_t> raw(88, 0);
    kt::PutText(raw, 12, "C1", 6, '\0');
    kt::PutText(raw, 18, "I1", 12, '\0');
    kt::PutText(raw, 30, "CS", 3, '\0');
    kt::PutText(raw, 80, "ab", 4, '\0');
    kt::PutF32(raw, 76, 55555.0f);
    for (size_t at : {73, 74, 75, 86, 87})
        raw[at] = 0x99;
    ASSERT_EQ(InsertRaw(raw), 0);
    ASSERT_EQ(m_db.WithdrawOrDelete("", "", "c1", "i1", "cs", false), 0);
    std::vector<uint8_t> stored = Raw(Key("", "", "C1", "I1", "CS"));
    ASSERT_EQ(stored.size(), 88u);
    std::vector<uint8_t> expected = raw;
    std::copy(stored.begin() + 33, stored.begin() + 68, expected.begin() + 33); // the new identifier
    expected[85] = 'Y';
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(std::string(stored.begin() + 33, stored.begin() + 41), "C1I1CS20");

    CManualPrice q;
    ASSERT_EQ(m_db.GetQuote(q, "", "", "C1", "I1", "CS"), 0);
    EXPECT_EQ(q.m_fPrice, 9999.99f); // limited when read
    q.m_fPrice = 3.25f;
    ASSERT_EQ(m_db.UpdateOrInsert(q), 0);
    stored = Raw(Key("", "", "C1", "I1", "CS"));
    ASSERT_EQ(stored.size(), 88u);
    for (size_t at : {73, 74, 75, 86, 87})
        EXPECT_EQ(stored[at], 0x99) << at;
    CManualPrice fresh = Quote("C2", "I1", "CS", 4.0f);
    ASSERT_EQ(m_db.UpdateOrInsert(fresh), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 2u);
}

} // namespace
