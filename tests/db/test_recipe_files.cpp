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

using Numbers = std::vector<unsigned>;

// The open status, then record length, keys, file flags, segments and records of the file.
Numbers Spec(CBtrieveDB& db) {
    if (int status = db.OpenFile()) return {static_cast<unsigned>(status)};
    kt::StatInfo st = kt::ReadStat(db);
    return {static_cast<unsigned>(st.status),          st.recordLength, st.keys, st.fileFlags,
            static_cast<unsigned>(st.segments.size()), st.records};
}

std::string Slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int AddRecipe(const std::string& customer, const std::string& key) {
    CMenuHdrDB hdr;
    if (int status = hdr.OpenFile()) return status;
    CMenuHdr h;
    h.m_cRecordType = 'C';
    h.m_strCustomer = customer;
    h.m_strRecipeKey = key;
    return hdr.InsertRecipe(h);
}

TEST(RecipeFiles, EmptyDirectoryGetsSixEmptyFiles) {
    kt::TempDir dir;
    EXPECT_EQ(CheckRecipeFiles(), 0);
    CPortionSizeDB ptn;
    COrderDB orders;
    COrderItemDB items;
    CMenuCategoryDB cats;
    CMenuHdrDB hdr;
    CMenuItemDB lines;
    EXPECT_EQ(Spec(ptn), (Numbers{0, 36, 2, 0, 2, 0}));
    EXPECT_EQ(Spec(orders), (Numbers{0, 408, 3, 0, 3, 0}));
    EXPECT_EQ(Spec(items), (Numbers{0, 176, 4, 0, 7, 0}));
    EXPECT_EQ(Spec(cats), (Numbers{0, 53, 2, 0, 2, 0}));
    EXPECT_EQ(Spec(hdr), (Numbers{0, 127, 2, 1, 2, 0}));
    EXPECT_EQ(Spec(lines), (Numbers{0, 96, 1, 0, 1, 0}));

    // Position, length and flags of each portion size key segment.
    Numbers segments;
    for (const kt::StatInfo::Segment& s : kt::ReadStat(ptn).segments)
        segments.insert(segments.end(), {s.position, s.length, s.flags});
    EXPECT_EQ(segments, (Numbers{1, 21, 0, 7, 12, 3}));
}

TEST(RecipeFiles, ExistingFilesStayUntouched) {
    kt::TempDir dir;
    ASSERT_EQ(CheckRecipeFiles(), 0);
    ASSERT_EQ(AddRecipe("A1", "AA1"), 0);
    {
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
    CMenuItemDB lines;
    COrderDB orders;
    EXPECT_EQ(Spec(hdr), (Numbers{0, 127, 2, 1, 2, 1}));
    EXPECT_EQ(Spec(lines), (Numbers{0, 96, 1, 0, 1, 1}));
    EXPECT_EQ(orders.OpenFile(), 0);
}

TEST(RecipeFiles, AFileThatIsNotARecordFileIsReportedAndKept) {
    kt::TempDir dir;
    std::ofstream(dir.file("ORDER.DB"), std::ios::binary) << "not a record file, but somebody's data";
    const std::string before = Slurp(dir.path() / "ORDER.DB");
    int status = CheckRecipeFiles();
    EXPECT_NE(status, 0);
    EXPECT_NE(status, 12);
    EXPECT_EQ(Slurp(dir.path() / "ORDER.DB"), before);
    // The other five are made all the same.
    CMenuHdrDB hdr;
    CPortionSizeDB ptn;
    CMenuItemDB lines;
    EXPECT_EQ(hdr.OpenFile(), 0);
    EXPECT_EQ(ptn.OpenFile(), 0);
    EXPECT_EQ(lines.OpenFile(), 0);
}

// A header file that another program creates, with one recipe, just after our open found none.
class CRacedMenuHdrDB : public CMenuHdrDB {
public:
    int OpenFile(const char* path = nullptr) override {
        if (!m_bRaced) {
            m_bRaced = true;
            CMenuHdrDB other;
            EXPECT_EQ(other.Create(nullptr), 0);
            EXPECT_EQ(AddRecipe("OTHER", "AA2"), 0);
            return 12;
        }
        return CMenuHdrDB::OpenFile(path);
    }
    bool m_bRaced = false;
};

TEST(RecipeFiles, AFileMadeByAnotherProgramMeanwhileIsKept) {
    kt::TempDir dir;
    CCreateNoReplace<CRacedMenuHdrDB> racing;
    EXPECT_EQ(CheckRecipeFile(racing, "MENUHDR.DB"), 0);
    EXPECT_FALSE(racing.IsOpen());
    CMenuHdrDB hdr;
    EXPECT_EQ(Spec(hdr), (Numbers{0, 127, 2, 1, 2, 1}));
}

} // namespace
