// Reloading the shared files: deletion lines, update-or-insert, the end of a run on a malformed
// line, per-line value errors, fields a version does not carry, and the files' own rules.
#include "ControlDB.h"
#include "CustomerDB.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "ManualPriceDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "file_test.h"
#include "import_support.h"

#include <gtest/gtest.h>

namespace {

using kt::MakeCustomer;
using kt::MakeHistory;
using kt::Pad;
using kt::Reload;
using Errors = std::vector<std::string>;

CItem MakeItem(const std::string& number, const std::string& description) {
    CItem item;
    item.m_strItemNumber = Pad(number, 12);
    item.m_strDescription = description;
    item.m_strBrand = "HARBOR FARMS";
    item.m_strPortionType = "OZ";
    item.m_nPackQuantity = 106;
    item.m_arrUnits = {"CS ", "LB ", "   "};
    item.m_arrUnitFactors = {1, 40, 0};
    item.m_tTime = -1;
    return item;
}

using ItemReload = kt::FileTest<CItemDB>;

TEST_F(ItemReload, InsertsUpdatesAndDeletesKeepingTheNumberBlankPadded) {
    std::string text = CItemDB::WriteLine(MakeItem("101", "CHICKEN BREAST BNLS"), 1025) +
                       CItemDB::WriteLine(MakeItem("102", "CHICKEN THIGH"), 1025) +
                       CItemDB::WriteLine(MakeItem("101", "CHICKEN BREAST BNLS SKNLS"), 1025) +
                       Pad("102", 12) + "\n" + Pad("999", 12) + "\n";
    int lines = 0;
    EXPECT_TRUE(Reload(db, text, 1025, 0, &lines).empty());
    EXPECT_EQ(lines, 5);
    // The last line of the item wins, its number stored blank-padded: a zero-filled lookup of the
    // bare number does not match it.
    CItem found = kt::Get(db, "101         ");
    EXPECT_EQ(found.m_strItemNumber, "101         ");
    EXPECT_EQ(kt::Packed<CItemDB>(found), kt::Packed<CItemDB>(MakeItem("101", "CHICKEN BREAST BNLS SKNLS")));
    EXPECT_EQ(db.GetRecord(found, "101"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.GetRecord(found, "102         "), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.GetRecordCount(), 1u);
}

TEST_F(ItemReload, AShortLineEndsTheRunAnInvalidDateRejectsItsLineOnly) {
    std::string good = CItemDB::WriteLine(MakeItem("201", "BEEF GROUND 80/20"), 1025);
    std::string shortLine = good.substr(0, good.size() - 2) + "\n";
    shortLine.replace(0, 3, "202");
    std::string text = good + shortLine + CItemDB::WriteLine(MakeItem("203", "PORK LOIN"), 1025);
    EXPECT_EQ(Reload(db, text, 1025),
              Errors{"Invalid Record Format at offset " + std::to_string(good.size())});
    CItem found;
    EXPECT_EQ(db.GetRecord(found, Pad("201", 12)), 0);
    EXPECT_NE(db.GetRecord(found, Pad("202", 12)), 0);
    EXPECT_NE(db.GetRecord(found, Pad("203", 12)), 0); // nothing after the bad line
    EXPECT_GT(db.GetProgressPosition(), db.GetProgressTotal());

    // A header is skipped; offsets count from the file's start.
    kt::WriteText("with-header.txt", "HDR\n" + CItemDB::WriteLine(MakeItem("9", "X"), 1025) + "short\n");
    ASSERT_TRUE(db.BeginReload("with-header.txt", 4, 1025, 0));
    while (db.GetProgressPosition() <= db.GetProgressTotal())
        db.ImportLine(db.ReadReloadChar());
    EXPECT_EQ(db.GetErrors(), Errors{"Invalid Record Format at offset 542"});
    db.EndReload();

    // The time column, found through the table.
    std::string line = CItemDB::WriteLine(MakeItem("301", "SALMON FILLET"), 1025);
    line.replace(static_cast<size_t>(rec::Find(CItemDB::Fields(), "m_tTime")->line.at), 10, "02/30/2024");
    EXPECT_EQ(Reload(db, line + CItemDB::WriteLine(MakeItem("302", "COD LOIN"), 1025), 1025),
              Errors{"Invalid Date \"02/30/2024\" at offset 0"});
    EXPECT_EQ(db.GetRecord(found, Pad("301", 12)), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.GetRecord(found, Pad("302", 12)), 0);
}

TEST_F(ItemReload, AnOlderLineKeepsWhatItDoesNotCarryAndTheNotes) {
    CItem item = MakeItem("401", "RICE JASMINE");
    item.m_strText278 = "LONG TEXT FROM THE ITEM MAINTENANCE";
    item.m_nNumber7 = 77;
    item.m_strNotes = "Rinse before cooking";
    ASSERT_EQ(db.InsertRecord(item), 0);
    EXPECT_TRUE(Reload(db, CItemDB::WriteLine(MakeItem("401", "RICE JASMINE 25 LB"), 700), 700).empty());
    CItem found = kt::Get(db, Pad("401", 12));
    EXPECT_EQ(found.m_strDescription, "RICE JASMINE 25 LB");
    EXPECT_EQ(found.m_strText278, "LONG TEXT FROM THE ITEM MAINTENANCE");
    EXPECT_EQ(found.m_nNumber7, 77);
    EXPECT_EQ(found.m_strNotes, "Rinse before cooking");
}

using UnitReload = kt::FileTest<CItemUnitDB>;

TEST_F(UnitReload, ANoLongerSoldUnitWithdrawsItsHistoryOnly) {
    CVelocityDB history;
    ASSERT_EQ(history.Create("VELOCITY.DB"), 0);
    CVelocity h;
    h.m_strCustomer = "100210";
    h.m_strItem = Pad("501", 12);
    h.m_bActive = true;
    h.m_tLastDate = -1;
    for (const char* unit : {"CS ", "LB "}) {
        h.m_strUnit = unit;
        ASSERT_EQ(history.InsertRecord(h), 0);
    }
    history.Close();
    CItemUnit cs, lb;
    cs.m_strItemNumber = lb.m_strItemNumber = Pad("501", 12);
    cs.m_strUnit = "CS ";
    cs.m_bFlag1 = true;
    cs.m_fWeight = 40;
    lb.m_strUnit = "LB ";
    lb.m_bFlag1 = false;
    lb.m_fWeight = 1;
    EXPECT_TRUE(
        Reload(db, CItemUnitDB::WriteLine(cs, 1025) + CItemUnitDB::WriteLine(lb, 1025), 1025).empty());
    CItemUnit found;
    ASSERT_EQ(db.FindUnit(found, Pad("501", 12), "CS "), 0);
    EXPECT_FLOAT_EQ(found.m_fWeight, 40);
    ASSERT_EQ(history.OpenFile("VELOCITY.DB"), 0);
    ASSERT_EQ(history.GetHistory(h, "100210", Pad("501", 12), "CS "), 0);
    EXPECT_TRUE(h.m_bActive);
    ASSERT_EQ(history.GetHistory(h, "100210", Pad("501", 12), "LB "), 0);
    EXPECT_FALSE(h.m_bActive);
    history.Close();
    // A deletion line is item and unit; a missing unit is no error.
    EXPECT_TRUE(Reload(db, Pad("501", 12) + "LB \n" + Pad("501", 12) + "EA \n", 1025).empty());
    EXPECT_EQ(db.FindUnit(found, Pad("501", 12), "LB "), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.FindUnit(found, Pad("501", 12), "CS "), 0);
}

using CustomerReload = kt::FileTest<CCustomerDB>;

TEST_F(CustomerReload, ExportThenImportGivesTheSameRecords) {
    CCustomerDB source;
    ASSERT_EQ(source.Create("SOURCE.DB"), 0);
    CCustomer a = MakeCustomer("100210", "BLUE HERON BISTRO"), b = MakeCustomer("C7    ", "RED BARN GRILL");
    ASSERT_EQ(source.InsertRecord(a), 0);
    ASSERT_EQ(source.InsertRecord(b), 0);
    std::string text, line;
    for (int s = source.ExportFirst(line); s == 0; s = source.ExportNext(line))
        text += line;
    EXPECT_TRUE(Reload(db, text, 777).empty());
    for (const char* number : {"100210", "C7    "}) {
        std::vector<uint8_t> one = kt::ReadRaw(source, number);
        ASSERT_EQ(one.size(), 504u) << number;
        EXPECT_EQ(kt::ReadRaw(db, number), one) << number;
    }
}

TEST_F(CustomerReload, PurgeKeepsTheMarkedCustomersAndAnUpdateKeepsTheMark) {
    CCustomer kept = MakeCustomer("101299", "CAMP WILDWOOD"), gone = MakeCustomer("100355", "RED BARN GRILL");
    kept.m_bKeepOnReload = true;
    ASSERT_EQ(db.InsertRecord(kept), 0);
    ASSERT_EQ(db.InsertRecord(gone), 0);
    EXPECT_TRUE(
        Reload(db, kt::LineOf<CCustomerDB>(MakeCustomer("100412", "LUIGI'S TRATTORIA")), 777, 1).empty());
    CCustomer found;
    EXPECT_TRUE(kt::Get(db, "101299").m_bKeepOnReload);
    EXPECT_EQ(db.GetRecord(found, "100355"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(db.GetRecord(found, "100412"), 0);
    // The line carries no keep mark: updating a kept customer leaves the mark in place.
    EXPECT_TRUE(Reload(db, kt::LineOf<CCustomerDB>(kept) + "100412\n", 777).empty());
    EXPECT_TRUE(kt::Get(db, "101299").m_bKeepOnReload);
    EXPECT_EQ(db.GetRecord(found, "100412"), btr::B_KEY_VALUE_NOT_FOUND);
}

TEST_F(CustomerReload, TheOlderLineIsSevenCharactersShorter) {
    CCustomer c = MakeCustomer("100587", "SUNRISE DINER");
    c.m_strPhone1 = "7405550142"; // the line holds the ten digits
    std::string line = rec::WriteLine(CCustomerDB::Fields(), c, 616);
    EXPECT_TRUE(Reload(db, line, 600).empty());
    CCustomer found = kt::Get(db, "100587");
    EXPECT_EQ(found.m_strName, "SUNRISE DINER");
    EXPECT_EQ(found.m_strPostal, "45750-1102");
    EXPECT_EQ(found.m_strPhone1, "(740) 555-0142");
    EXPECT_EQ(found.m_n496, 0);
    // The same line read as the newer version is short: the run ends.
    EXPECT_EQ(Reload(db, line, 777), Errors{"Invalid Record Format at offset 0"});
}

class HistoryReload : public kt::FileTest<CVelocityDB> {
protected:
    void SetUp() override {
        kt::FileTest<CVelocityDB>::SetUp();
        ASSERT_EQ(m_prices.Create("MNPRICE.DB"), 0);
        m_prices.Close();
    }
    static std::string Line(const std::string& customer, const std::string& item, float amount1) {
        return kt::LineOf<CVelocityDB>(MakeHistory(customer, item, amount1));
    }
    void Quote(const std::string& customer) {
        ASSERT_EQ(m_prices.OpenFile("MNPRICE.DB"), 0);
        CManualPrice q;
        q.m_strSelector4 = "    ";
        q.m_strSelector8 = "        ";
        q.m_strCustomer = customer;
        q.m_strItem = Pad("10101", 12);
        q.m_strUnit = "CS ";
        q.m_fPrice = 41.5f;
        ASSERT_EQ(m_prices.InsertRecord(q), 0);
        m_prices.Close();
    }
    int QuoteStatus(const std::string& customer) {
        CManualPrice q;
        m_prices.OpenFile("MNPRICE.DB");
        int s = m_prices.GetQuote(q, "    ", "        ", customer, Pad("10101", 12), "CS ");
        m_prices.Close();
        return s;
    }
    CManualPriceDB m_prices;
};

TEST_F(HistoryReload, FormatLineImportsTheSameRecordAndAWithdrawalLineClearsTheActiveFlag) {
    CVelocity h = MakeHistory("100210", "10101", 112.4f);
    EXPECT_TRUE(Reload(db, kt::LineOf<CVelocityDB>(h), 1026).empty());
    std::vector<uint8_t> a = kt::Packed<CVelocityDB>(h);
    EXPECT_EQ(kt::ReadRaw(db, std::string(a.begin(), a.begin() + 21), 1), a);

    EXPECT_TRUE(
        Reload(db, "100210" + Pad("10101", 12) + "CS \n" + "100210" + Pad("77777", 12) + "CS \n", 1026)
            .empty());
    ASSERT_EQ(db.GetHistory(h, "100210", Pad("10101", 12), "CS "), 0);
    EXPECT_FALSE(h.m_bActive);
}

TEST_F(HistoryReload, AChangedFigureDropsTheQuoteUnlessQuotesAreEdited) {
    ASSERT_TRUE(Reload(db, Line("100210", "10101", 50) + Line("100355", "10101", 50), 1026).empty());
    Quote("100210");
    Quote("100355");
    EXPECT_TRUE(Reload(db, Line("100210", "10101", 52) + Line("100355", "10101", 50), 1026).empty());
    EXPECT_EQ(QuoteStatus("100210"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(QuoteStatus("100355"), 0);

    // The edit-quote setting is read at the start of the reload.
    CControlDB control;
    ASSERT_EQ(control.Create("CONTROL.DB"), 0);
    CControl c;
    c.m_strKey = "CALL_REMOTE.EDIT_QUOTE";
    c.m_cType = 'B';
    c.m_bFlag = true;
    ASSERT_EQ(control.InsertRecord(c), 0);
    control.Close();
    Quote("100210");
    EXPECT_TRUE(Reload(db, Line("100210", "10101", 99), 1026).empty());
    EXPECT_TRUE(db.GetEditQuote());
    EXPECT_EQ(QuoteStatus("100210"), 0);
}

TEST_F(HistoryReload, ABadLineIsSkippedAndTheNextOneRead) {
    std::string good1 = Line("100210", "10101", 50), good2 = Line("100355", "10102", 51);
    std::string bad = good1.substr(0, 100) + "\n";
    EXPECT_EQ(Reload(db, good1 + bad + good2, 1026),
              Errors{"Error Reading item history file at offset " + std::to_string(good1.size())});
    CVelocity h;
    EXPECT_EQ(db.GetHistory(h, "100355", Pad("10102", 12), "CS "), 0);
    // A last line without its line feed cannot be recovered from.
    auto errors = Reload(db, good1 + good2.substr(0, 120), 1026);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "Couldn't recover from previous errors");
}

TEST_F(HistoryReload, OlderVersionsCarryFewerColumnsAndStayActive) {
    CVelocity h = MakeHistory("100210", "10101", 50);
    h.m_n140 = 140;
    EXPECT_TRUE(Reload(db, kt::LineOf<CVelocityDB>(h).substr(0, 125) + "\n", 520).empty());
    CVelocity found;
    ASSERT_EQ(db.GetHistory(found, "100210", Pad("10101", 12), "CS "), 0);
    EXPECT_TRUE(found.m_bActive);
    EXPECT_EQ(found.m_arrNumbers[5], -6);
    EXPECT_EQ(found.m_n140, 0);
}

using ControlReload = kt::FileTest<CControlDB>;

TEST_F(ControlReload, TypedValuesDeletionAndAValueWithoutItsLineFeed) {
    std::string text = Pad("COMPANY.KG_LB&", 30) + "By\n" + Pad("COMPANY.PRICE_DECIMALS", 30) + "I    3-\n" +
                       Pad("COMPANY.FUEL_SURCHARGE", 30) + "F      3.50 \n" + Pad("company.name", 30) +
                       "Tkestrel food service   \n" + Pad("OLD.SETTING", 30) + "\n";
    EXPECT_TRUE(Reload(db, text, 1025).empty());
    CControl c;
    auto get = [&](const char* key) { return db.GetControl(c, key) == 0 ? c : CControl(); };
    EXPECT_TRUE(get("COMPANY.KG_LB&").m_bFlag);
    EXPECT_EQ(get("COMPANY.PRICE_DECIMALS").m_nValue, -3);
    EXPECT_DOUBLE_EQ(get("COMPANY.FUEL_SURCHARGE").m_dValue, 3.5);
    EXPECT_EQ(get("COMPANY.NAME").m_strText, "KESTREL FOOD SERVICE");
    // A deletion line takes a setting on file away (one never there is no error, above).
    EXPECT_TRUE(Reload(db, Pad("company.kg_lb&", 30) + "\n", 1025).empty());
    EXPECT_EQ(db.GetControl(c, "COMPANY.KG_LB&"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(Reload(db, Pad("OTHER.SETTING", 30) + "T" + std::string(300, 'X'), 1025),
              Errors{"Invalid Record Format at offset 0"});
    EXPECT_EQ(db.GetControl(c, "OTHER.SETTING"), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(Reload(db, Pad("BAD.NUMBER", 30) + "I   x3 \n", 1025),
              Errors{"Invalid Number \"   x3 \" at offset 0"});
}

using DictionaryReload = kt::FileTest<CItemDictDB>;

TEST_F(DictionaryReload, InlineListsLookupPairsAndDeletion) {
    std::string text = "    2 " + Pad("", 20) + Pad("CHICKEN", 20) + Pad("10101", 12) + "," +
                       Pad("10102", 12) + "\n" + "    0 " + Pad("CHICKEN", 20) + Pad("CHIX", 20) + "\n" +
                       "    1 " + Pad("", 20) + Pad("THIGH", 20) + Pad("10102", 12) + "\n";
    EXPECT_TRUE(Reload(db, text, 770).empty());
    CItemDict e;
    ASSERT_EQ(db.FindWord(e, Pad("CHIX", 20)), 0);
    EXPECT_EQ(e.m_strReplacement, Pad("CHICKEN", 20));
    ASSERT_EQ(db.FindWord(e, Pad("CHICKEN", 20)), 0);
    EXPECT_EQ(e.m_nCount, 2);
    EXPECT_EQ(e.m_strItems, Pad("10101", 12) + "," + Pad("10102", 12));
    // The newer line has no list; a word line alone deletes.
    EXPECT_TRUE(
        Reload(db, "   40 " + Pad("", 20) + Pad("BEEF", 20) + "\n" + Pad("THIGH", 20) + "\n", 771).empty());
    ASSERT_EQ(db.FindWord(e, Pad("BEEF", 20)), 0);
    EXPECT_EQ(e.m_nCount, 40);
    EXPECT_TRUE(e.m_strItems.empty());
    EXPECT_NE(db.FindWord(e, Pad("THIGH", 20)), 0);

    CItemLookupDB lookup;
    ASSERT_EQ(lookup.Create("ITEMLKUP.DB"), 0);
    auto pair = [](char action, const char* item) { return action + Pad("BEEF", 20) + Pad(item, 12) + "\n"; };
    EXPECT_TRUE(Reload(lookup,
                       pair('A', "10201") + pair('A', "10201") + pair('A', "10202") + pair('D', "10202"),
                       1025)
                    .empty());
    EXPECT_EQ(lookup.PairExists(Pad("BEEF", 20), Pad("10201", 12)), 0);
    EXPECT_EQ(lookup.PairExists(Pad("BEEF", 20), Pad("10202", 12)), btr::B_KEY_VALUE_NOT_FOUND);
    EXPECT_EQ(Reload(lookup, "A" + Pad("BEEF", 20) + "10203\n", 1025),
              Errors{"Invalid Record Format at offset 0"});
}

using QuoteReload = kt::FileTest<CManualPriceDB>;

TEST_F(QuoteReload, ImportedQuotesCarryBlankSelectorsAndAnEditedQuoteStays) {
    const std::string key = "100210" + Pad("10101", 12) + "CS ";
    auto line = [&](const std::string& stamp, const char* price) {
        return key + key + stamp + " " + "    " + price + "MGR \n";
    };
    auto price = [&](CManualPrice& q) {
        return db.GetQuote(q, "    ", "        ", "100210", Pad("10101", 12), "CS ");
    };
    EXPECT_TRUE(Reload(db, line("20250301093000", " 41.50 "), 1025).empty());
    CManualPrice q;
    ASSERT_EQ(price(q), 0);
    EXPECT_FLOAT_EQ(q.m_fPrice, 41.5f);
    // The same quote again updates it; another identifier leaves the stored quote alone.
    EXPECT_TRUE(
        Reload(db, line("20250301093000", " 40.00 ") + line("20250401080000", " 10.00 "), 1025).empty());
    ASSERT_EQ(price(q), 0);
    EXPECT_FLOAT_EQ(q.m_fPrice, 40.0f);
    // A deletion line: the key and the identifier.
    EXPECT_TRUE(Reload(db, "    " + std::string(8, ' ') + key + key + "20250301093000\n", 1025).empty());
    EXPECT_EQ(price(q), btr::B_KEY_VALUE_NOT_FOUND);
    auto errors = Reload(db, line("20250301093000", "4x.50  "), 1025);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Invalid Amount", 0), 0u);
}

// A file whose writes of new records are refused as duplicates (a line's own data at fault).
template <class DB> class Refusing : public DB {
public:
    int Insert(void*, uint16_t*, void*, int) override { return btr::B_DUPLICATE_KEY_VALUE; }
};

template <class DB> Errors RefusedReload(const std::string& line, int version) {
    kt::TempDir dir;
    Refusing<DB> db;
    EXPECT_EQ(db.Create(db.GetFileName()), 0);
    return Reload(db, line + line, version);
}

// A reloaded line rewrites a record over its stored bytes: bytes no field describes (another
// program's) stay as they are.
template <class DB>
void ExpectUpdateKeepsUndescribedBytes(typename DB::Record record, size_t gap, const std::string& key,
                                       int keyNumber, int version) {
    kt::TempDir dir;
    DB db;
    ASSERT_EQ(db.Create(nullptr), 0);
    std::vector<uint8_t> stored = kt::Packed<DB>(record);
    stored[gap] = 0x5A;
    ASSERT_EQ(db.InsertBytes(stored, keyNumber), 0);
    EXPECT_TRUE(Reload(db, kt::LineOf<DB>(record), version).empty()) << db.GetFileName();
    EXPECT_EQ(kt::ReadRaw(db, key, keyNumber), stored) << db.GetFileName();
}

TEST(ReloadWrites, AnUpdateKeepsTheBytesNoFieldDescribes) {
    ExpectUpdateKeepsUndescribedBytes<CCustomerDB>(MakeCustomer("100210", "BLUE HERON BISTRO"), 246, "100210",
                                                   0, 777);
    ExpectUpdateKeepsUndescribedBytes<CItemDB>(MakeItem("10101", "CHICKEN BREAST"), 30, Pad("10101", 12), 0,
                                               1025);
    CItemUnit unit;
    unit.m_strItemNumber = Pad("10101", 12);
    unit.m_strUnit = "CS ";
    unit.m_bFlag1 = true;
    ExpectUpdateKeepsUndescribedBytes<CItemUnitDB>(unit, 26, Pad("10101", 12) + "CS ", 2, 1025);
    ExpectUpdateKeepsUndescribedBytes<CVelocityDB>(MakeHistory("100210", "10101", 12.5f), 34,
                                                   "100210" + Pad("10101", 12) + "CS ", 1, 1026);
}

TEST(ReloadWrites, AWriteThatIsRefusedIsReportedInTheFilesOwnWordsAndTheRunGoesOn) {
    EXPECT_EQ(RefusedReload<CItemDB>(CItemDB::WriteLine(MakeItem("7", "X"), 1025), 1025),
              Errors(2, "Error 5 Writing to Database"));
    CItemUnit unit;
    unit.m_strItemNumber = Pad("7", 12);
    unit.m_strUnit = "CS ";
    unit.m_bFlag1 = true;
    EXPECT_EQ(RefusedReload<CItemUnitDB>(CItemUnitDB::WriteLine(unit, 1025), 1025),
              Errors(2, "Error 5 Writing to Unit Database"));
    EXPECT_EQ(
        RefusedReload<CCustomerDB>(rec::WriteLine(CCustomerDB::Fields(), MakeCustomer("1", "A"), 623), 777),
        Errors(2, "Error 5 Writing to Database"));
    CVelocity h;
    h.m_strCustomer = "1";
    h.m_strItem = "7";
    h.m_strUnit = "CS";
    EXPECT_EQ(
        RefusedReload<CVelocityDB>(rec::WriteLine(CVelocityDB::Fields(), h, 164), 1026),
        (Errors{"Error 5 Writing to database at offset 0", "Error 5 Writing to database at offset 164"}));
}

} // namespace
