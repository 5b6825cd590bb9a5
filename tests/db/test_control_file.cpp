// CONTROL.DB: layout, blank-filled keys of the suite's programs, zero-filled keys kept, flags and limits.
#include "ControlDB.h"
#include "btrieve/btrcall.h"
#include "import_support.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> SuiteRecord(const std::string& key, char type, uint8_t flag, const std::string& text,
                                 char fill = ' ') {
    std::vector<uint8_t> r(304, 0);
    kt::PutText(r, 0, key, 30, fill);
    r[30] = static_cast<uint8_t>(type);
    r[31] = flag;
    kt::PutText(r, 48, text, 256, '\0');
    for (size_t at = 36; at < 40; ++at)
        r[at] = 0x3C;
    return r;
}

class ControlFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_db.Create("CONTROL.DB"), 0); }
    std::vector<uint8_t> Raw(const std::string& key30) { return kt::ReadRaw(m_db, key30); }
    kt::TempDir m_dir;
    CControlDB m_db;
};

TEST_F(ControlFile, SuiteRecordsWithBlankKeysAreFoundUpdatedAndDeleted) {
    ASSERT_EQ(m_db.InsertBytes(SuiteRecord("COMPANY.KG_LB&", 'B', 'y', "")), 0);
    ASSERT_EQ(m_db.InsertBytes(SuiteRecord("COMPANY.NAME", 'S', 'N', "acme foods")), 0);
    CControl c;
    ASSERT_EQ(m_db.GetControl(c, "company.kg_lb&"), 0);
    EXPECT_EQ(c.m_strKey, "COMPANY.KG_LB&" + std::string(16, ' '));
    EXPECT_TRUE(c.m_bFlag); // lower-case 'y'
    EXPECT_EQ(c.m_cType, 'B');
    ASSERT_EQ(m_db.GetControl(c, "COMPANY.NAME"), 0);
    EXPECT_EQ(c.m_strText, "ACME FOODS");
    EXPECT_EQ(m_db.GetControl(c, "COMPANY.MISSING"), btr::B_KEY_VALUE_NOT_FOUND);

    // Updating a setting another program wrote keeps its key and its reserved bytes.
    c.m_strText = "acme fine foods";
    c.m_nValue = -4;
    ASSERT_EQ(m_db.UpdateControl(c), 0);
    std::vector<uint8_t> expected = SuiteRecord("COMPANY.NAME", 'S', 'N', "ACME FINE FOODS");
    kt::Put32(expected, 32, static_cast<uint32_t>(-4));
    EXPECT_EQ(Raw("COMPANY.NAME" + std::string(18, ' ')), expected);
    EXPECT_EQ(m_db.GetRecordCount(), 2u);

    ASSERT_EQ(m_db.DeleteControl("company.name"), 0);
    EXPECT_EQ(m_db.GetRecordCount(), 1u);
    EXPECT_EQ(m_db.DeleteControl("company.name"), 0);
    CControl missing;
    EXPECT_EQ(m_db.UpdateControl(missing), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(ControlFile, InsertedSettingsAreBlankFilledAndTextIsCut) {
    CControl c;
    c.m_strKey = "call_remote.edit_quote";
    c.m_cType = 'F';
    c.m_bFlag = true;
    c.m_dValue = 2.5;
    c.m_strText = std::string(300, 'a');
    ASSERT_EQ(m_db.InsertRecord(c), 0);
    EXPECT_EQ(c.m_strKey, "CALL_REMOTE.EDIT_QUOTE");

    std::vector<uint8_t> expected(304, 0);
    kt::PutText(expected, 0, "CALL_REMOTE.EDIT_QUOTE", 30, ' ');
    expected[30] = 'F';
    expected[31] = 'Y';
    kt::PutF64(expected, 40, 2.5);
    kt::PutText(expected, 48, std::string(256, 'A'), 256, '\0');
    EXPECT_EQ(Raw("CALL_REMOTE.EDIT_QUOTE" + std::string(8, ' ')), expected);

    CControl found;
    ASSERT_EQ(m_db.GetControl(found, "CALL_REMOTE.EDIT_QUOTE"), 0);
    EXPECT_EQ(found.m_strText.size(), 256u);
    EXPECT_EQ(found.m_dValue, 2.5);
    found.m_bFlag = false;
    ASSERT_EQ(m_db.UpdateControl(found), 0);
    m_db.Close();
    EXPECT_FALSE(ReadControlFlag("CALL_REMOTE.EDIT_QUOTE"));
    EXPECT_FALSE(ReadControlFlag("COMPANY.KG_LB&", "NOWHERE.DB"));
}

// An older program's zero-filled key is found, and updated or reloaded without its fill changing
// (the key cannot be modified: a blank-filled one would be refused).
TEST_F(ControlFile, ZeroFilledKeysAreFoundAndKeepTheirFill) {
    ASSERT_EQ(m_db.InsertBytes(SuiteRecord("OLD.SETTING", 'B', 'N', "", '\0')), 0);
    CControl c;
    ASSERT_EQ(m_db.GetControl(c, "old.setting"), 0);
    EXPECT_FALSE(c.m_bFlag);
    c.m_bFlag = true;
    ASSERT_EQ(m_db.UpdateControl(c), 0);
    EXPECT_EQ(Raw(std::string("OLD.SETTING")), SuiteRecord("OLD.SETTING", 'B', 'Y', "", '\0'));

    EXPECT_TRUE(kt::Reload(m_db, fields::Padded("OLD.SETTING", 30, ' ') + "Tnew text\n", 1025).empty());
    EXPECT_EQ(Raw(std::string("OLD.SETTING")), SuiteRecord("OLD.SETTING", 'T', 'Y', "NEW TEXT", '\0'));
    EXPECT_EQ(m_db.GetRecordCount(), 1u);
    m_db.Close();
    EXPECT_TRUE(ReadControlFlag("OLD.SETTING"));
}

} // namespace
