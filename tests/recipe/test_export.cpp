// The export file against files written by hand from its field table.
#include "MenuItemDB.h"
#include "RecipeExport.h"
#include "fixtures.h"
#include "support.h"

#include "btrieve/btrcall.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

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
        kt::StoreRecipe("AA26338140509", "C1", "Bread",
                        {kt::MenuLine("100200", "BAG", 0.0, 25.0, 2.5, "lbs"),
                         kt::MenuLine("SALT", "", 3.0, 2.5, -2.0, "PC", "Sea\tSalt\r\n")},
                        {}, 10.0);
        kt::StoreRecipe("AA26338140510", "C1", "Bread", {kt::MenuLine("OIL", "", 4.0, 1.0, 1.0)});
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

TEST_F(Export, UnsavedRecipeGivesAnEmptyFileAndAnOutputThatCannotBeCreatedIsTold) {
    RecipeExportResult r = ExportRecipe("", "AA00000000000", "none.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_FALSE(r.headerFound);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, 0);
    EXPECT_EQ(ReadAll("none.txt"), "");
    r = ExportRecipe("", "AA26338140509", "no/such/folder/out.txt");
    EXPECT_FALSE(r.fileOpened);
    EXPECT_EQ(r.lines, 0);
}

// Whatever the chosen name held before a failed export is still there, and nothing is left
// beside it.
void ExpectUntouched(const std::filesystem::path& folder, const std::string& name,
                     const std::string& before) {
    EXPECT_EQ(ReadAll((folder / name).string()), before);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(Export, MissingRecipeFilesAreAFailureThatLeavesTheOutputAlone) {
    kt::TempDir empty;
    WriteFile("out.txt", "yesterday's export");
    RecipeExportResult r = ExportRecipe("", "AA26338140509", "out.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_EQ(r.status, 12);
    EXPECT_EQ(r.lines, 0);
    EXPECT_FALSE(r.Succeeded());
    ExpectUntouched(empty.path(), "out.txt", "yesterday's export");
}

TEST_F(Export, ReadErrorPartWayIsReportedWithTheLinesReadAndNothingPlaced) {
    // A line file whose second line of the recipe is longer than a line record: reading it fails
    // with "data buffer too short" after one line.
    {
        CMenuItemDB lines;
        std::vector<uint8_t> spec;
        BuildFileSpec(spec, CMenuItemDB::kRecordLength, 1, btr::kFileVariableLength,
                      {{1, 14, btr::KF_DUPLICATES | btr::KF_MODIFIABLE, btr::KT_STRING}});
        ASSERT_EQ(lines.CreateFile(spec, "MENUITEM.DB", btr::kCreateReplace), 0);
        kt::AddStoredLine("AA26338140509", kt::MenuLine("OIL", "", 4.0, 1.0, 1.0, "PC"));
        ASSERT_EQ(lines.OpenFile(), 0);
        CMenuItem second;
        second.m_strRecipeKey = "AA26338140509";
        second.m_strItem = "SALT";
        std::vector<uint8_t> record(CMenuItemDB::kRecordLength + 40, 0);
        CMenuItemDB::Pack(second, record.data());
        ASSERT_EQ(lines.InsertBytes(record), 0);
    }
    WriteFile("out.txt", "kept");
    RecipeExportResult r = ExportRecipe("", "AA26338140509", "out.txt");
    EXPECT_TRUE(r.fileOpened);
    EXPECT_EQ(r.status, btr::B_DATALENGTH_ERROR);
    EXPECT_EQ(r.lines, 1);
    EXPECT_FALSE(r.Succeeded());
    ExpectUntouched(dir.path(), "out.txt", "kept");
}

// Over a longer old file, replaced whole; sell price 0 leaves the FC% empty but keeps its tab.
TEST_F(Export, SuccessfulExportReplacesTheOldFileWholeAndSellPriceZeroKeepsTheFoodCostTab) {
    const std::string path = (dir.path() / "zero.txt").string();
    WriteFile(path, std::string(5000, 'x'));
    RecipeExportResult r = ExportRecipe(dir.path().string(), "AA26338140510", path);
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(ReadAll(path), std::string(kHeader) + "C1      \tBistro Nord\tAA26338140510\t0.00\tOIL\t\t\t\t"
                                                    "4.00\t1\t4.00\tPC\t1.00\t4.00\t\r\n");
    ExpectUntouched(dir.path(), "zero.txt", ReadAll(path));
}

TEST_F(Export, WriteFailureIsReportedAndLeavesTheOutputAlone) {
    WriteFile("out.txt", "kept");
    // A child limited to files of 64 bytes cannot write the header line.
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        RecipeExportResult r = ExportRecipe("", "AA26338140509", "out.txt");
        _exit(r.fileOpened && r.writeError == EFBIG && !r.Succeeded() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ExpectUntouched(dir.path(), "out.txt", "kept");
}

} // namespace
