// Reloads that must not lose or misread data: a purge is all or nothing and leaves other open
// handles on the one file, and downloads with CR LF line ends read as the same lines with LF.
#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "RecordFields.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "import_support.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {

using kt::Reload;

std::string Pad(const std::string& s, size_t n) {
    return fields::Padded(s, n, ' ');
}

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

CCustomer Customer(const std::string& number, const std::string& name, bool keep = false) {
    CCustomer c;
    c.m_strNumber = number;
    c.m_strName = name;
    c.m_strCity = "MARIETTA";
    c.m_bKeepOnReload = keep;
    return c;
}

std::string CustomerLine(CCustomer c) {
    uint8_t raw[CCustomerDB::kRecordLength] = {};
    CCustomerDB::Pack(c, raw);
    std::string line;
    CCustomerDB probe;
    probe.FormatLine(raw, line);
    return line;
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

class PurgeReload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_db.Create("CUST.DB"), 0);
        ASSERT_EQ(m_db.InsertCustomer(m_kept = Customer("101299", "CAMP WILDWOOD", true)), 0);
        ASSERT_EQ(m_db.InsertCustomer(m_old = Customer("100355", "RED BARN GRILL")), 0);
        m_db.Close();
    }
    int Has(CCustomerDB& db, const std::string& number) {
        CCustomer found;
        return db.GetCustomer(found, number);
    }
    kt::TempDir m_dir;
    CCustomerDB m_db;
    CCustomer m_kept, m_old;
};

TEST_F(PurgeReload, AWriteThatFailsLeavesTheFileAsItWas) {
    std::string text;
    for (int i = 0; i < 5; ++i)
        text += CustomerLine(Customer("2000" + std::to_string(10 + i), "NEW CUSTOMER"));
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

TEST_F(PurgeReload, AnotherHandleOnTheFileSeesTheNewRecordsAndTheKeptOnes) {
    CCustomerDB reader;
    ASSERT_EQ(reader.OpenFile("CUST.DB"), 0);
    CCustomerDB db;
    ASSERT_EQ(db.OpenFile("CUST.DB"), 0);
    EXPECT_TRUE(Reload(db, CustomerLine(Customer("200010", "LUIGI'S TRATTORIA")), 777, 1).empty());
    EXPECT_TRUE(db.IsOpen());
    // The handle opened before the purge reads the one file, not a file gone from the directory.
    EXPECT_EQ(Has(reader, "200010"), 0);
    EXPECT_EQ(Has(reader, "101299"), 0);
    EXPECT_EQ(Has(reader, "100355"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(reader.GetRecordCount(), 2u);
    // Inserts through that handle stay in the file everyone sees.
    CCustomer late = Customer("300001", "LATE ARRIVAL");
    ASSERT_EQ(reader.InsertCustomer(late), 0);
    EXPECT_EQ(Has(db, "300001"), 0);
}

TEST_F(PurgeReload, ClosingTheFileEndsAPurgeLeftRunning) {
    CCustomerDB db;
    kt::WriteText("download.txt", CustomerLine(Customer("200010", "LUIGI'S TRATTORIA")));
    ASSERT_TRUE(db.BeginReload("download.txt", 0, 777, 1));
    EXPECT_TRUE(db.HoldsReloadTransaction());
    while (db.GetProgressPosition() <= db.GetProgressTotal())
        db.ImportLine(db.ReadReloadChar());
    EXPECT_EQ(db.Close(), 0);
    EXPECT_FALSE(db.HoldsReloadTransaction());
    ASSERT_EQ(db.OpenFile("CUST.DB"), 0);
    EXPECT_EQ(Has(db, "200010"), 0);
    EXPECT_EQ(Has(db, "100355"), btr::B_KEY_VALUE_NOT_FOUND);
    // A new transaction can start: the purge's one is over.
    EXPECT_EQ(db.BeginTran(), 0);
    EXPECT_EQ(db.EndTran(), 0);
}

TEST(CrLfDownloads, ItemLinesDeletionsAndOffsetsCountingTheCarriageReturns) {
    kt::TempDir dir;
    CItemDB db;
    ASSERT_EQ(db.Create("ITEM.DB"), 0);
    CItem item;
    item.m_strItemNumber = Pad("101", 12);
    item.m_strDescription = "CHICKEN BREAST";
    item.m_tTime = -1;
    std::string first = CItemDB::WriteLine(item, 1025);
    item.m_strItemNumber = Pad("102", 12);
    std::string second = CItemDB::WriteLine(item, 1025);
    std::string text = CrLf(first + second + Pad("102", 12) + "\n");
    int lines = 0;
    EXPECT_TRUE(Reload(db, text, 1025, 0, &lines).empty());
    EXPECT_EQ(lines, 3);
    CItem found;
    ASSERT_EQ(db.FindItem(found, Pad("101", 12)), 0);
    EXPECT_EQ(found.m_strDescription, "CHICKEN BREAST");
    EXPECT_EQ(db.FindItem(found, Pad("102", 12)), btr::B_KEY_VALUE_NOT_FOUND);
    // A short line: its offset is where it starts in the file, carriage returns counted.
    std::string shortLine = first.substr(0, first.size() - 3) + "\n";
    auto errors = Reload(db, CrLf(first + first + shortLine), 1025);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Invalid Record Format at offset " + std::to_string(2 * (first.size() + 1)));
}

TEST(CrLfDownloads, ControlValuesAndDictionaryListsKeepNoCarriageReturn) {
    kt::TempDir dir;
    CControlDB control;
    ASSERT_EQ(control.Create("CONTROL.DB"), 0);
    std::string settings = Pad("COMPANY.NAME", 30) + "TKESTREL FOOD SERVICE\n" + Pad("COMPANY.KG_LB&", 30) +
                           "BY\n" + Pad("COMPANY.PRICE_DECIMALS", 30) + "I    3 \n";
    EXPECT_TRUE(Reload(control, CrLf(settings), 1025).empty());
    CControl c;
    ASSERT_EQ(control.GetControl(c, "COMPANY.NAME"), 0);
    EXPECT_EQ(c.m_strText, "KESTREL FOOD SERVICE");
    ASSERT_EQ(control.GetControl(c, "COMPANY.PRICE_DECIMALS"), 0);
    EXPECT_EQ(c.m_nValue, 3);

    CItemDictDB dict;
    ASSERT_EQ(dict.Create("ITEMDICT.DB"), 0);
    std::string words =
        "    2 " + Pad("", 20) + Pad("CHICKEN", 20) + Pad("10101", 12) + "," + Pad("10102", 12) + "\n";
    EXPECT_TRUE(Reload(dict, CrLf(words), 770).empty());
    CItemDict e;
    ASSERT_EQ(dict.FindWord(e, Pad("CHICKEN", 20)), 0);
    EXPECT_EQ(e.m_strItems, Pad("10101", 12) + "," + Pad("10102", 12));
    // A carriage return that ends no line is a character of the value.
    EXPECT_TRUE(Reload(control, Pad("COMPANY.NOTE", 30) + "TA\rB\n", 1025).empty());
    ASSERT_EQ(control.GetControl(c, "COMPANY.NOTE"), 0);
    EXPECT_EQ(c.m_strText, "A\rB");
}

TEST(CrLfDownloads, ABadHistoryLineIsSkippedToTheNextLine) {
    kt::TempDir dir;
    CVelocityDB db;
    ASSERT_EQ(db.Create("VELOCITY.DB"), 0);
    CVelocity h;
    h.m_strCustomer = "100210";
    h.m_strItem = Pad("10101", 12);
    h.m_strUnit = "CS ";
    h.m_tLastDate = -1;
    h.m_bActive = true;
    uint8_t raw[160] = {};
    std::string good1, good2;
    CVelocityDB::Pack(h, raw);
    db.FormatLine(raw, good1);
    h.m_strCustomer = "100355";
    CVelocityDB::Pack(h, raw);
    db.FormatLine(raw, good2);
    std::string bad = good1.substr(0, 60) + "\n";
    auto errors = Reload(db, CrLf(good1 + bad + good2), 1026);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Error Reading item history file at offset " + std::to_string(good1.size() + 1));
    CVelocity found;
    EXPECT_EQ(db.GetHistory(found, "100210", Pad("10101", 12), "CS "), 0);
    EXPECT_EQ(db.GetHistory(found, "100355", Pad("10101", 12), "CS "), 0);
}

} // namespace
