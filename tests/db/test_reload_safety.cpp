// Reloads that must not lose or misread data: a purge is all or nothing and keeps other open
// handles on the one file; downloads with CR LF line ends read as the same lines with LF.
#include "ControlDB.h"
#include "CustomerDB.h"
#include "FileKinds.h"
#include "ItemDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"
#include "import_support.h"

#include <gtest/gtest.h>

namespace {

using kt::Pad;
using kt::Reload;
using Errors = std::vector<std::string>;

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string CustomerLine(const std::string& number, const std::string& name) {
    return kt::LineOf<CCustomerDB>(kt::MakeCustomer(number, name));
}

// A customer file whose inserts start failing after a number of them, as on a disk that fills
// up: the record manager refuses the write for a reason that is not the line's own.
class CFillingCustomerDB : public CCustomerDB {
public:
    int m_nRoom = 1000;
    int Insert(void* data, uint16_t* length, void* key, int keyNumber) override {
        if (m_nRoom-- > 0) return CCustomerDB::Insert(data, length, key, keyNumber);
        return CCustomerDB::Insert(data, length, key, 99); // an invalid key number: refused
    }
};

int Has(CCustomerDB& db, const std::string& number) {
    CCustomer found;
    return db.GetRecord(found, number);
}

// A customer file holding a customer kept on reloads and one that is not, closed.
class PurgeReload : public kt::FileTest<CCustomerDB> {
protected:
    void SetUp() override {
        kt::FileTest<CCustomerDB>::SetUp();
        CCustomer kept = kt::MakeCustomer("101299", "CAMP WILDWOOD"),
                  old = kt::MakeCustomer("100355", "RED BARN GRILL");
        kept.m_bKeepOnReload = true;
        ASSERT_EQ(db.InsertRecord(kept), 0);
        ASSERT_EQ(db.InsertRecord(old), 0);
        db.Close();
    }
};

TEST_F(PurgeReload, AWriteThatFailsLeavesTheFileAsItWas) {
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += CustomerLine("2000" + std::to_string(10 + i), "NEW CUSTOMER");
    CFillingCustomerDB filling;
    filling.m_nRoom = 3;
    ASSERT_EQ(filling.OpenFile("CUST.DB"), 0);
    auto errors = Reload(filling, text, 777, 1);
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().find("<end status"), std::string::npos) << errors.back();
    EXPECT_NE(filling.GetReloadFailure(), 0);
    filling.Close();
    // Nothing of the purge or the lines is on file; both old customers are.
    CCustomerDB after;
    ASSERT_EQ(after.OpenFile("CUST.DB"), 0);
    EXPECT_EQ(after.GetRecordCount(), 2u);
    EXPECT_EQ(Has(after, "100355"), 0);
    EXPECT_EQ(Has(after, "101299"), 0);
    EXPECT_EQ(Has(after, "200010"), btr::B_KEY_VALUE_NOT_FOUND);
}

// The caller of the reload protocol that only closes the file at the end: the purge and the lines
// are committed then, into the one file every handle reads.
TEST_F(PurgeReload, ClosingTheFileCommitsThePurgeIntoTheFileOtherHandlesRead) {
    CCustomerDB reader;
    ASSERT_EQ(reader.OpenFile("CUST.DB"), 0);
    kt::WriteText("download.txt", CustomerLine("200010", "LUIGI'S TRATTORIA"));
    ASSERT_TRUE(db.BeginReload("download.txt", 0, 777, 1));
    EXPECT_TRUE(db.HoldsReloadTransaction());
    while (db.GetProgressPosition() <= db.GetProgressTotal())
        db.ImportLine(db.ReadReloadChar());
    EXPECT_EQ(db.Close(), 0);
    EXPECT_EQ(Has(reader, "200010"), 0);
    EXPECT_EQ(Has(reader, "101299"), 0);
    EXPECT_EQ(Has(reader, "100355"), btr::B_KEY_VALUE_NOT_FOUND);
    // Inserts through the older handle stay in the file everyone sees; the transaction is over.
    CCustomer late = kt::MakeCustomer("300001", "LATE ARRIVAL");
    ASSERT_EQ(reader.InsertRecord(late), 0);
    ASSERT_EQ(db.OpenFile("CUST.DB"), 0);
    EXPECT_EQ(Has(db, "300001"), 0);
    EXPECT_EQ(db.BeginTran(), 0);
    EXPECT_EQ(db.EndTran(), 0);
}

// The reload loop commits in batches of 2000 lines: a download that ends on a batch boundary
// has every line on file, and a write refused for want of room keeps the batches before it and
// nothing of its own batch.
TEST_F(PurgeReload, BatchesAreCommittedWholeOrNotAtAll) {
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += CustomerLine(std::to_string(200000 + i), "NEW CUSTOMER");
    kt::WriteText("download.txt", text);
    std::vector<uint64_t> reported;
    auto progress = [&](uint64_t, uint64_t, uint64_t lines) { reported.push_back(lines); };
    ASSERT_EQ(db.OpenFile("CUST.DB"), 0);
    dbfiles::ImportResult r = dbfiles::ImportDownload(db, "download.txt", 777, 0, false, progress);
    EXPECT_FALSE(r.failed()) << r.failureText;
    EXPECT_EQ(r.lines, 4000u);
    EXPECT_EQ(reported, (std::vector<uint64_t>{2000, 4000, 4000}));
    EXPECT_EQ(db.GetRecordCount(), 4002u);
    db.Close();

    CFillingCustomerDB filling;
    filling.m_nRoom = 2500;
    ASSERT_EQ(filling.Create("CUST.DB"), 0);
    r = dbfiles::ImportDownload(filling, "download.txt", 777, 0, false);
    EXPECT_TRUE(r.failed());
    EXPECT_NE(r.failureText.find("on line 2501 "), std::string::npos) << r.failureText;
    EXPECT_NE(r.failureText.find(": lines 1 to 2000 were applied"), std::string::npos) << r.failureText;
    EXPECT_EQ(filling.GetRecordCount(), 2000u);
}

// Offsets count the carriage returns; a bad history line is skipped to the next line; a carriage
// return that ends no line is a character of the value.
TEST(CrLfDownloads, LinesOffsetsAndSkippedLinesAsWithLineFeeds) {
    kt::TempDir dir;
    CItemDB items;
    ASSERT_EQ(items.Create("ITEM.DB"), 0);
    CItem item;
    item.m_strItemNumber = Pad("101", 12);
    item.m_strDescription = "CHICKEN BREAST";
    item.m_tTime = -1;
    std::string line = CItemDB::WriteLine(item, 1025);
    std::string shortLine = line.substr(0, line.size() - 3) + "\n";
    EXPECT_EQ(Reload(items, CrLf(line + Pad("101", 12) + "\n" + line + shortLine), 1025),
              Errors{"Invalid Record Format at offset " + std::to_string(2 * (line.size() + 1) + 14)});
    CItem found;
    ASSERT_EQ(items.GetRecord(found, Pad("101", 12)), 0);
    EXPECT_EQ(found.m_strDescription, "CHICKEN BREAST");

    CVelocityDB history;
    ASSERT_EQ(history.Create("VELOCITY.DB"), 0);
    std::string good1 = kt::LineOf<CVelocityDB>(kt::MakeHistory("100210", "10101", 50));
    std::string good2 = kt::LineOf<CVelocityDB>(kt::MakeHistory("100355", "10101", 50));
    CVelocity h;
    EXPECT_EQ(Reload(history, CrLf(good1 + good1.substr(0, 60) + "\n" + good2), 1026),
              Errors{"Error Reading item history file at offset " + std::to_string(good1.size() + 1)});
    EXPECT_EQ(history.GetHistory(h, "100355", Pad("10101", 12), "CS "), 0);

    CControlDB control;
    ASSERT_EQ(control.Create("CONTROL.DB"), 0);
    EXPECT_TRUE(Reload(control, Pad("COMPANY.NOTE", 30) + "TA\rB\r\n", 1025).empty());
    CControl c;
    ASSERT_EQ(control.GetControl(c, "COMPANY.NOTE"), 0);
    EXPECT_EQ(c.m_strText, "A\rB");
}

} // namespace
