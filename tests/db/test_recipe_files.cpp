// The start-up check of the recipe-side record files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "OrderDB.h"
#include "OrderItemDB.h"
#include "PortionSizeDB.h"
#include "RecipeFiles.h"
#include "btrieve/files.h"
#include "support.h"

namespace {

struct Expected {
    uint16_t recordLength, keys, fileFlags;
    size_t segments;
};

void ExpectFile(CBtrieveDB& db, Expected e) {
    ASSERT_EQ(db.OpenFile(), 0) << db.GetFileName();
    kt::StatInfo st = kt::ReadStat(db);
    ASSERT_EQ(st.status, 0);
    EXPECT_EQ(st.recordLength, e.recordLength) << db.GetFileName();
    EXPECT_EQ(st.keys, e.keys) << db.GetFileName();
    EXPECT_EQ(st.fileFlags, e.fileFlags) << db.GetFileName();
    EXPECT_EQ(st.segments.size(), e.segments) << db.GetFileName();
    EXPECT_EQ(st.records, 0u) << db.GetFileName();
}

std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(RecipeFiles, EmptyDirectoryGetsSixEmptyFiles) {
    kt::TempDir dir;
    EXPECT_EQ(CheckRecipeFiles(), 0);
    CPortionSizeDB ptn;
    COrderDB orders;
    COrderItemDB items;
    CMenuCategoryDB cats;
    CMenuHdrDB hdr;
    CMenuItemDB lines;
    ExpectFile(ptn, {36, 2, 0, 2});
    ExpectFile(orders, {408, 3, 0, 3});
    ExpectFile(items, {176, 4, 0, 7});
    ExpectFile(cats, {53, 2, 0, 2});
    ExpectFile(hdr, {127, 2, 1, 2});
    ExpectFile(lines, {96, 1, 0, 1});

    kt::StatInfo st = kt::ReadStat(ptn);
    ASSERT_EQ(st.segments.size(), 2u);
    EXPECT_EQ(st.segments[0].position, 1);
    EXPECT_EQ(st.segments[0].length, 21);
    EXPECT_EQ(st.segments[0].flags, 0);
    EXPECT_EQ(st.segments[1].position, 7);
    EXPECT_EQ(st.segments[1].length, 12);
    EXPECT_EQ(st.segments[1].flags, 3);
}

TEST(RecipeFiles, ExistingFilesStayUntouched) {
    kt::TempDir dir;
    ASSERT_EQ(CheckRecipeFiles(), 0);
    {
        CMenuHdrDB hdr;
        ASSERT_EQ(hdr.OpenFile(), 0);
        CMenuHdr h;
        h.m_cRecordType = 'C';
        h.m_strCustomer = "A1";
        h.m_strRecipeKey = "AA1";
        ASSERT_EQ(hdr.InsertRecipe(h), 0);
        CMenuItemDB lines;
        ASSERT_EQ(lines.OpenFile(), 0);
        CMenuItem line;
        line.m_strRecipeKey = "AA1";
        ASSERT_EQ(lines.InsertRecord(line), 0);
    }
    // Only the missing file is made again.
    ASSERT_TRUE(btr::RemoveRecordFile(dir.file("ORDER.DB").c_str(), nullptr, nullptr));
    EXPECT_EQ(CheckRecipeFiles(), 0);

    CMenuHdrDB hdr;
    ASSERT_EQ(hdr.OpenFile(), 0);
    EXPECT_EQ(hdr.GetRecordCount(), 1u);
    CMenuItemDB lines;
    ASSERT_EQ(lines.OpenFile(), 0);
    EXPECT_EQ(lines.GetRecordCount(), 1u);
    COrderDB orders;
    EXPECT_EQ(orders.OpenFile(), 0);
}

TEST(RecipeFiles, AFileThatIsNotARecordFileIsReportedAndKept) {
    kt::TempDir dir;
    {
        std::ofstream out(dir.file("ORDER.DB"), std::ios::binary);
        out << "not a record file, but somebody's data";
    }
    const std::string before = Slurp(dir.path() / "ORDER.DB");
    int status = CheckRecipeFiles();
    EXPECT_NE(status, 0);
    EXPECT_NE(status, 12);
    EXPECT_EQ(Slurp(dir.path() / "ORDER.DB"), before);
    // The other five are made all the same.
    CMenuHdrDB hdr;
    EXPECT_EQ(hdr.OpenFile(), 0);
    CPortionSizeDB ptn;
    EXPECT_EQ(ptn.OpenFile(), 0);
    CMenuItemDB lines;
    EXPECT_EQ(lines.OpenFile(), 0);
}

namespace {

// A header file that another program creates, with one recipe, just after our open found none.
class CRacedMenuHdrDB : public CMenuHdrDB {
public:
    int OpenFile(const char* path = nullptr) override {
        if (!m_bRaced) {
            m_bRaced = true;
            CMenuHdrDB other;
            EXPECT_EQ(other.Create(nullptr), 0);
            CMenuHdr header;
            header.m_cRecordType = 'C';
            header.m_strCustomer = "OTHER";
            header.m_strRecipeKey = "AA2";
            EXPECT_EQ(other.InsertRecipe(header), 0);
            return 12;
        }
        return CMenuHdrDB::OpenFile(path);
    }
    bool m_bRaced = false;
};

} // namespace

TEST(RecipeFiles, AFileMadeByAnotherProgramMeanwhileIsKept) {
    kt::TempDir dir;
    CCreateNoReplace<CRacedMenuHdrDB> racing;
    EXPECT_EQ(CheckRecipeFile(racing, "MENUHDR.DB"), 0);
    EXPECT_FALSE(racing.IsOpen());
    CMenuHdrDB hdr;
    ASSERT_EQ(hdr.OpenFile(), 0);
    EXPECT_EQ(hdr.GetRecordCount(), 1u);
}
