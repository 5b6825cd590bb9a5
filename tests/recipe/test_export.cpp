// The export file against files written by hand from its field table.
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "RecipeExport.h"
#include "fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        kt::CreateCostingFiles();
        kt::AddItem({"100200", "FLOUR ALL PURPOSE", "MILLCO", "lbs", 25, {"BAG", "CS", ""}});
        kt::AddUnit({"100200", "BAG", 25.0f, 0, 12.125f, 0, 0});
        kt::AddCustomer("C1", "Bistro Nord");
        CMenuHdrDB headers;
        ASSERT_EQ(headers.Create(nullptr), 0);
        CMenuItemDB lines;
        ASSERT_EQ(lines.Create(nullptr), 0);
        AddHeader(headers, "AA26338140509", 10.0);
        AddLine(lines, "AA26338140509", "100200", "BAG", "", "lbs", 0.0, 25.0, 2.5);
        AddLine(lines, "AA26338140509", "SALT", "", "Sea\tSalt\r\n", "PC", 3.0, 2.5, -2.0);
        AddHeader(headers, "AA26338140510", 0.0);
        AddLine(lines, "AA26338140510", "OIL", "", "", "", 4.0, 1.0, 1.0);
    }
    static void AddHeader(CMenuHdrDB& db, const std::string& key, double sellPrice) {
        CMenuHdr header;
        header.m_cRecordType = 'C';
        header.m_strCustomer = "C1";
        header.m_strRecipeKey = key;
        header.m_strRecipeName = "Bread";
        header.m_dSellPrice = sellPrice;
        ASSERT_EQ(db.InsertRecipe(header), 0);
    }
    static void AddLine(CMenuItemDB& db, const std::string& key, const std::string& item,
                        const std::string& unit, const std::string& description, const std::string& type,
                        double cost, double ptnPerItem, double ptns) {
        CMenuItem line;
        line.m_strRecipeKey = key;
        line.m_strItem = item;
        line.m_strUnit = unit;
        line.m_strDescription = description;
        line.m_strPtnType = type;
        line.m_dItemCost = cost;
        line.m_dPtnPerItem = ptnPerItem;
        line.m_dPtns = ptns;
        ASSERT_EQ(db.InsertLine(line), 0);
    }

    kt::TempDir dir;
};

const char* const kHeader =
    "Customer\tCustomer Name\tRecipe ID\tRecipe Sell Price\tItem\tUnit\tDescription\tBrand\t"
    "Item Cost\tPtn/Item\tPtn Cost\tPtn Type\tPtns\tRecipe Cost\tFC%\r\n";

TEST_F(Export, HeaderAndIngredientLinesCostedAsTheEditorCostsThem) {
    RecipeExportResult r = ExportRecipe("", "aa26338140509", "out.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, 2);
    // Line 1: saved with cost 0, so today's price (12.125 -> 12.13); 12.13 / 25 = 0.49 a portion,
    // x 2.5 = 1.21, 12.10% of 10.00.
    // Line 2: a tab and line breaks in the description become blanks; negative portions export
    // their absolute value while the FC% keeps its sign: 3 / 2.5 x -2 = -2.40 (the magnitude rounded).
    std::string expected =
        std::string(kHeader) +
        "C1      \tBistro Nord\tAA26338140509\t10.00\t100200\tBAG\tFLOUR ALL PURPOSE\tMILLCO\t"
        "12.13\t25\t0.49\tlbs\t2.50\t1.21\t12.10%\r\n"
        "C1      \tBistro Nord\tAA26338140509\t10.00\tSALT\t\tSea Salt\t\t"
        "3.00\t2.5\t1.20\tPC\t2.00\t2.40\t-24.00%\r\n";
    EXPECT_EQ(ReadAll("out.txt"), expected);
}

TEST_F(Export, SellPriceZeroLeavesFoodCostEmptyButKeepsItsTab) {
    RecipeExportResult r =
        ExportRecipe(dir.path().string(), "AA26338140510", (dir.path() / "zero.txt").string());
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(ReadAll("zero.txt"), std::string(kHeader) +
                                       "C1      \tBistro Nord\tAA26338140510\t0.00\tOIL\t\t\t\t"
                                       "4.00\t1\t4.00\tPC\t1.00\t4.00\t\r\n");
}

TEST_F(Export, UnsavedRecipeGivesAnEmptyFile) {
    RecipeExportResult r = ExportRecipe("", "AA00000000000", "none.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_FALSE(r.headerFound);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(ReadAll("none.txt"), "");
}

TEST_F(Export, OutputThatCannotBeCreated) {
    RecipeExportResult r = ExportRecipe("", "AA26338140509", "no/such/folder/out.txt");
    EXPECT_FALSE(r.fileOpened);
    EXPECT_EQ(r.lines, 0);
}

TEST_F(Export, MissingRecipeFilesLeaveTheFileEmptyWithTheirStatus) {
    kt::TempDir empty;
    RecipeExportResult r = ExportRecipe("", "AA26338140509", "out.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(ReadAll("out.txt"), "");
}

} // namespace
