// CUST.DB: layout, digit forms, key rules, round trips and the interchange line.
#include "CustomerDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"

#include <gtest/gtest.h>

namespace {

using CustomerFile = kt::FileTest<CCustomerDB>;

// Filler bytes of the record no field describes.
constexpr size_t kFiller[] = {246, 247, 277, 278, 279, 293, 294, 295, 337,
                              338, 339, 390, 391, 479, 501, 502, 503};

std::string Text(const std::vector<uint8_t>& r, size_t at, size_t width) {
    return std::string(reinterpret_cast<const char*>(r.data() + at), width);
}

TEST_F(CustomerFile, PackWritesDigitFormsAndUpperCodes) {
    CCustomer c;
    c.m_strNumber = "ab12";
    c.m_strName = "Joe's Diner";
    c.m_strCode33 = "nw";
    c.m_strPostal = "12345";
    c.m_strPhone1 = "(555) 123-4567";
    c.m_strPhone2 = "555-12";
    c.m_strPhone1Text = "Kitchen";
    c.m_strPhone2Text = "Office";
    c.m_cRaw245 = 'r';
    c.m_c331 = 'c';
    c.m_bKeepOnReload = true;
    c.m_arrAmounts296[5] = -1.5f;
    c.m_n496 = 77;
    ASSERT_EQ(db.InsertRecord(c), 0);
    EXPECT_EQ(c.m_strNumber, "AB12");
    EXPECT_EQ(c.m_strCode33, "NW");

    std::vector<uint8_t> r = kt::ReadRaw(db, "AB12");
    ASSERT_EQ(r.size(), 504u);
    EXPECT_EQ(Text(r, 2, 6), std::string("AB12\0\0", 6));
    EXPECT_EQ(Text(r, 33, 4), std::string("NW\0\0", 4));
    EXPECT_EQ(Text(r, 137, 9), "12345    ");
    EXPECT_EQ(Text(r, 166, 10), "5551234567");
    EXPECT_EQ(Text(r, 176, 10), "55512     ");
    EXPECT_EQ(Text(r, 226, 10), "          ");
    EXPECT_EQ(r[245], 'r');
    EXPECT_EQ(r[331], 'C');
    EXPECT_EQ(r[321], 'Y');
    EXPECT_EQ(r[320], 'N');
    EXPECT_EQ(kt::Get32(r.data(), 316), 0xBFC00000u); // -1.5f
    EXPECT_EQ(kt::Get32(r.data(), 496), 77u);
    for (size_t at : kFiller)
        EXPECT_EQ(r[at], 0) << at;

    // Read back in display form; packed again, the same record.
    CCustomer found = kt::Get(db, "AB12");
    EXPECT_EQ(found.m_strPostal, "12345-    ");
    EXPECT_EQ(found.m_strPhone1, "(555) 123-4567");
    EXPECT_EQ(found.m_strPhone2, "(555) 12 -    ");
    EXPECT_EQ(kt::Packed<CCustomerDB>(found), r);
}

TEST_F(CustomerFile, NumbersAreLookedUpZeroPaddedAndUpperCase) {
    std::vector<uint8_t> blankPadded(504, 0);
    kt::PutText(blankPadded, 2, "42", 6, ' ');
    kt::PutText(blankPadded, 8, "Blank padded", 25, '\0');
    ASSERT_EQ(db.InsertBytes(blankPadded), 0);
    CCustomer c;
    EXPECT_EQ(db.GetRecord(c, "42"), btr::B_KEY_VALUE_NOT_FOUND);
    std::vector<uint8_t> zeroPadded(504, 0);
    kt::PutText(zeroPadded, 2, "42", 6, '\0');
    kt::PutText(zeroPadded, 8, "Zero padded", 25, '\0');
    ASSERT_EQ(db.InsertBytes(zeroPadded), 0);
    EXPECT_EQ(kt::Get(db, "42").m_strName, "Zero padded");
    EXPECT_EQ(kt::Get(db, "42    ").m_strName, "Blank padded");
    EXPECT_EQ(kt::Get(db, "Zero padded", 1).m_strNumber, "42");

    c = CCustomer();
    c.m_strNumber = "c1";
    ASSERT_EQ(db.InsertRecord(c), 0);
    EXPECT_EQ(c.m_strNumber, "C1");
    EXPECT_EQ(db.GetRecord(c, "c1"), 0);
    EXPECT_EQ(db.DeleteRecord("c1"), 0);
    EXPECT_EQ(db.GetRecordCount(), 2u);
}

TEST_F(CustomerFile, UpdateKeepsFillerAndUnknownFields) {
    std::vector<uint8_t> raw(504, 0);
    kt::PutText(raw, 2, "F1", 6, '\0');
    kt::PutText(raw, 8, "Filler test", 25, '\0');
    for (size_t at : kFiller)
        raw[at] = 0xEE;
    kt::PutText(raw, 137, "987650001", 9, ' ');
    raw[284] = 0x01;
    kt::PutF32(raw, 480, 4.8f);
    kt::Put32(raw, 340, 0xFFFFFFFFu);
    ASSERT_EQ(db.InsertBytes(raw), 0);

    CCustomer c = kt::Get(db, "F1");
    EXPECT_EQ(c.m_strPostal, "98765-0001");
    c.m_strCity = "Springfield";
    c.m_strNumber = "f1"; // found again in upper case
    ASSERT_EQ(db.UpdateRecord(c), 0);
    std::vector<uint8_t> expected = raw;
    kt::PutText(expected, 120, "Springfield", 15, '\0');
    // What the record lacked in its own encoding comes back encoded: flags 'N', phones blank.
    for (size_t at :
         {276, 320, 321, 322, 327, 376, 379, 380, 389, 396, 397, 406, 433, 450, 452, 453, 478, 500})
        expected[at] = 'N';
    for (size_t at : {166, 176, 226})
        kt::PutText(expected, at, "", 10, ' ');
    EXPECT_EQ(kt::ReadRaw(db, "F1"), expected);
}

} // namespace
