// Order header and order line files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "OrderDB.h"
#include "OrderItemDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

namespace {

struct OrderFiles {
    kt::TempDir dir;
    COrderDB orders;
    COrderItemDB items;
    OrderFiles() {
        EXPECT_EQ(items.Create(nullptr), 0);
        items.Close();
        EXPECT_EQ(orders.Create(nullptr), 0);
    }
};

COrder Order(const std::string& key1, const std::string& key2) {
    COrder o;
    o.m_strKey1 = key1;
    o.m_strKey2 = key2;
    return o;
}

COrderItem Line(const std::string& item) {
    COrderItem l;
    l.m_strItemID = item;
    return l;
}

std::vector<std::vector<uint8_t>> AllRecords(CBtrieveDB& db, uint16_t) {
    std::vector<std::vector<uint8_t>> out;
    std::vector<uint8_t> record;
    for (int st = db.ReadBytes(btr::B_STEP_FIRST, record); st == 0;
         st = db.ReadBytes(btr::B_STEP_NEXT, record))
        out.push_back(record);
    return out;
}

uint32_t LineCount() {
    COrderItemDB items;
    EXPECT_EQ(items.OpenFile(), 0);
    return items.GetRecordCount();
}

// An order file whose line file object cannot be made.
class COrderDBNoLines : public COrderDB {
public:
    std::unique_ptr<COrderItemDB> NewOrderItemDB() override { return nullptr; }
};

} // namespace

TEST(OrderFiles, HeaderRecordByteForByte) {
    OrderFiles f;
    COrder o = Order("k-1", "20240105ab");
    o.m_nOrderNumber = 77;
    o.m_strCustomer = "c123456";
    o.m_strText14 = "t14";
    o.m_strText42 = "forty-two";
    o.m_strText25 = "twenty-five";
    o.m_nNumber2 = -5;
    o.m_bFlag = false;
    o.m_nNumber1 = 300;
    o.m_dAmount5 = 5.5;
    o.m_dAmount1 = 1.25;
    o.m_dAmount2 = 2.5;
    o.m_dAmount3 = 3.75;
    o.m_dAmount4 = -4;
    o.m_strName = "Harbour Grill";
    o.m_arrTexts = {"a1", "a2", "a3", "a4"};
    o.m_strText15a = "Portland";
    o.m_strText2a = "ME";
    o.m_strPostalCode = "04101-2345";
    o.m_strText15b = "t15b";
    o.m_strText6 = "six";
    o.m_strPhone1 = "(207) 555-0101";
    o.m_strPhone2 = "207 555 01";
    o.m_strText2b = "x2";
    o.m_strText20 = "twenty";
    o.m_cChar3 = 'Q';
    o.m_strText15c = std::string(16, 'z');
    ASSERT_EQ(f.orders.InsertOrder(o), 0);
    EXPECT_EQ(o.m_strKey1, "K-1");
    EXPECT_EQ(o.m_strCustomer, "C123456");

    auto records = AllRecords(f.orders, 408);
    ASSERT_EQ(records.size(), 1u);
    std::vector<uint8_t> e(408, 0);
    kt::Put32(e, 0, 77);
    kt::PutText(e, 4, "K-1", 14, '\0');
    kt::PutText(e, 18, "20240105AB", 14, '\0');
    kt::PutText(e, 32, "C12345", 6, '\0');
    kt::PutText(e, 38, "t14", 14, '\0');
    e[52] = 'Y';
    kt::PutText(e, 53, "forty-two", 42, '\0');
    kt::PutText(e, 95, "twenty-five", 25, '\0');
    kt::Put32(e, 120, static_cast<uint32_t>(-5));
    e[124] = 'N';
    kt::Put32(e, 128, 300);
    kt::PutF64(e, 136, 5.5);
    kt::PutF64(e, 144, 1.25);
    kt::PutF64(e, 152, 2.5);
    kt::PutF64(e, 160, 3.75);
    kt::PutF64(e, 168, -4);
    kt::PutText(e, 176, "Harbour Grill", 25, '\0');
    kt::PutText(e, 201, "a1", 25, '\0');
    kt::PutText(e, 226, "a2", 25, '\0');
    kt::PutText(e, 251, "a3", 25, '\0');
    kt::PutText(e, 276, "a4", 25, '\0');
    kt::PutText(e, 301, "Portland", 15, '\0');
    kt::PutText(e, 316, "ME", 2, '\0');
    kt::PutText(e, 318, "041012345", 9, ' ');
    kt::PutText(e, 327, "t15b", 15, '\0');
    kt::PutText(e, 342, "six", 6, '\0');
    kt::PutText(e, 348, "2075550101", 10, ' ');
    kt::PutText(e, 358, "20755501", 10, ' ');
    kt::PutText(e, 368, "x2", 2, '\0');
    kt::PutText(e, 370, "twenty", 20, '\0');
    e[390] = 'T';
    e[391] = 'Q';
    kt::PutText(e, 392, std::string(15, 'z'), 15, '\0');
    EXPECT_EQ(records[0], e);

    COrder back;
    ASSERT_EQ(f.orders.GetOrder(back, 77, false), 0);
    EXPECT_EQ(back.m_strKey2, "20240105AB");
    EXPECT_EQ(back.m_strCustomer, "C12345");
    EXPECT_EQ(back.m_nNumber2, -5);
    EXPECT_FALSE(back.m_bFlag);
    EXPECT_EQ(back.m_dAmount4, -4);
    EXPECT_EQ(back.m_arrTexts[3], "a4");
    EXPECT_EQ(back.m_strPostalCode, "041012345");
    EXPECT_EQ(back.m_strPhone1, "2075550101");
    EXPECT_EQ(back.m_strPhone2, "20755501");
    EXPECT_EQ(back.m_cChar3, 'Q');
    EXPECT_EQ(back.m_strText15c, std::string(15, 'z'));
}

TEST(OrderFiles, LineRecordByteForByte) {
    OrderFiles f;
    COrderItem l = Line("abc123456789xyz!");
    l.m_nOrderNumber = 9;
    l.m_nLineNumber = 3;
    l.m_strDescription = "Flour";
    l.m_strUnit = "bg";
    l.m_nNumber1 = 1;
    l.m_arrNumbers = {2, 3, -4};
    l.m_dAmount1 = 1.5f;
    l.m_dAmount2 = 2.5f;
    l.m_dAmount3 = 0;
    l.m_dAmount4 = 4.25f;
    l.m_strCode1 = "ab";
    l.m_strComment = "rush";
    l.m_nNumber2 = 152;
    l.m_bFlag1 = true;
    l.m_cCode = 'x';
    l.m_bFlag3 = true;
    l.m_strCode2 = "q";
    l.m_nNumber3 = 164;
    l.m_dAmount5 = 6.5f;
    l.m_strCode3 = "zz";
    ASSERT_EQ(f.orders.AddOrderLine(l), 0);
    EXPECT_EQ(l.m_nLineNumber, 3); // a number it carries is kept
    EXPECT_EQ(l.m_cCode, 'X');

    f.items.OpenFile();
    auto records = AllRecords(f.items, 176);
    ASSERT_EQ(records.size(), 1u);
    std::vector<uint8_t> e(176, 0);
    kt::Put32(e, 0, 9);
    kt::Put32(e, 4, 3);
    kt::PutText(e, 8, "ABC123456789XYZ", 15, '\0');
    kt::PutText(e, 23, "Flour", 30, '\0');
    kt::PutText(e, 53, "BG", 3, '\0');
    kt::Put32(e, 56, 1);
    kt::Put32(e, 60, 2);
    kt::Put32(e, 64, 3);
    kt::Put32(e, 68, static_cast<uint32_t>(-4));
    kt::PutF32(e, 72, 1.5f);
    kt::PutF32(e, 76, 2.5f);
    kt::PutF32(e, 80, 0);
    kt::PutF32(e, 84, 4.25f);
    kt::PutText(e, 88, "AB", 4, '\0');
    kt::PutText(e, 92, "rush", 60, '\0');
    kt::Put32(e, 152, 152);
    e[156] = 'Y';
    e[157] = 'X';
    e[158] = 'N';
    e[159] = 'Y';
    kt::PutText(e, 160, "Q", 2, '\0');
    kt::Put32(e, 164, 164);
    kt::PutF32(e, 168, 6.5f);
    kt::PutText(e, 172, "ZZ", 4, '\0');
    EXPECT_EQ(records[0], e);
}

TEST(OrderFiles, OrderAndLineNumbering) {
    OrderFiles f;
    for (int expect = 1; expect <= 3; ++expect) {
        COrder o = Order("K" + std::to_string(expect), "20240101" + std::to_string(expect));
        o.m_arrLines.push_back(Line("I"));
        ASSERT_EQ(f.orders.AddOrder(o), 0);
        EXPECT_EQ(o.m_nOrderNumber, expect);
        EXPECT_EQ(o.m_arrLines[0].m_nOrderNumber, expect);
    }
    // A gap is filled first.
    ASSERT_EQ(f.orders.DeleteOrder(2), 0);
    COrder gap = Order("K9", "202401019");
    ASSERT_EQ(f.orders.AddOrder(gap), 0);
    EXPECT_EQ(gap.m_nOrderNumber, 2);
    // A duplicate of another unique key is reported, and the order keeps its number.
    COrder twin = Order("K9", "202401010");
    EXPECT_EQ(f.orders.AddOrder(twin), 5);
    EXPECT_EQ(twin.m_nOrderNumber, -1);

    // Lines count from 0 within each order.
    for (int expect = 0; expect <= 2; ++expect) {
        COrderItem l = Line("L" + std::to_string(expect));
        l.m_nOrderNumber = 1;
        ASSERT_EQ(f.orders.AddOrderLine(l), 0);
        EXPECT_EQ(l.m_nLineNumber, expect);
    }
    COrderItem other = Line("OTHER");
    other.m_nOrderNumber = 3;
    ASSERT_EQ(f.orders.AddOrderLine(other), 0);
    EXPECT_EQ(other.m_nLineNumber, 0);
    COrderItem fixed = Line("FIXED");
    fixed.m_nOrderNumber = 1;
    fixed.m_nLineNumber = 1;
    EXPECT_EQ(f.orders.AddOrderLine(fixed), 5);
}

TEST(OrderFiles, ReadUpdateAndDeleteWithLines) {
    OrderFiles f;
    COrder a = Order("KA", "20240105A");
    COrder b = Order("KB", "20240106B");
    ASSERT_EQ(f.orders.AddOrder(a), 0);
    ASSERT_EQ(f.orders.AddOrder(b), 0);
    for (const char* item : {"A0", "A1", "A2"}) {
        COrderItem l = Line(item);
        l.m_nOrderNumber = a.m_nOrderNumber;
        ASSERT_EQ(f.orders.AddOrderLine(l), 0);
    }
    COrderItem bl = Line("B0");
    bl.m_nOrderNumber = b.m_nOrderNumber;
    ASSERT_EQ(f.orders.AddOrderLine(bl), 0);

    COrder r;
    ASSERT_EQ(f.orders.GetOrderByKey(r, "ka", true), 0);
    EXPECT_EQ(r.m_nOrderNumber, 1);
    ASSERT_EQ(r.m_arrLines.size(), 3u);
    EXPECT_EQ(r.m_arrLines[2].m_strItemID, "A2");

    // Rewrite one line, drop one, add one, change the header.
    r.m_strText20 = "changed";
    r.m_arrLines[0].m_strComment = "first";
    r.m_arrRemoved.push_back(r.m_arrLines[1]);
    r.m_arrLines.erase(r.m_arrLines.begin() + 1);
    r.m_arrLines.push_back(Line("A3"));
    ASSERT_EQ(f.orders.UpdateOrder(r), 0);
    EXPECT_TRUE(r.m_arrRemoved.empty());
    EXPECT_EQ(r.m_arrLines[2].m_nLineNumber, 1); // the freed number

    COrder again;
    ASSERT_EQ(f.orders.GetFirstOrder(again, true), 0);
    EXPECT_EQ(again.m_strText20, "changed");
    ASSERT_EQ(again.m_arrLines.size(), 3u);
    EXPECT_EQ(again.m_arrLines[0].m_strComment, "first");
    EXPECT_EQ(again.m_arrLines[1].m_strItemID, "A3");
    EXPECT_EQ(again.m_arrLines[2].m_strItemID, "A2");
    ASSERT_EQ(f.orders.GetNextOrder(again, true), 0);
    EXPECT_EQ(again.m_strKey1, "KB");
    ASSERT_EQ(again.m_arrLines.size(), 1u);
    EXPECT_EQ(f.orders.GetNextOrder(again, false), 9);

    COrderItem line = again.m_arrLines[0];
    line.m_strDescription = "rewritten";
    ASSERT_EQ(f.orders.UpdateOrderLine(line), 0);
    line.m_nLineNumber = 7;
    EXPECT_EQ(f.orders.UpdateOrderLine(line), 4);

    // An order missing from the file cannot be rewritten.
    COrder missing = Order("KM", "20240107");
    missing.m_nOrderNumber = 42;
    EXPECT_EQ(f.orders.UpdateOrder(missing), 4);

    EXPECT_EQ(LineCount(), 4u);
    ASSERT_EQ(f.orders.DeleteOrder(1), 0);
    EXPECT_EQ(LineCount(), 1u);
    EXPECT_EQ(f.orders.GetOrder(r, 1, false), 4);
    EXPECT_EQ(f.orders.DeleteOrder(1), 0);
    ASSERT_EQ(f.orders.GetOrder(r, 2, true), 0);
    ASSERT_EQ(r.m_arrLines.size(), 1u);
    EXPECT_EQ(r.m_arrLines[0].m_strDescription, "rewritten");
}

TEST(OrderFiles, OrdersOfOneDate) {
    OrderFiles f;
    for (const char* key2 : {"20240106X", "20240105B", "20240105A"}) {
        COrder o = Order(std::string("K") + key2, key2);
        ASSERT_EQ(f.orders.AddOrder(o), 0);
    }
    COrder o;
    ASSERT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 5), 0);
    EXPECT_EQ(o.m_strKey2, "20240105A");
    ASSERT_EQ(f.orders.GetNextOrderOfDate(o), 0);
    EXPECT_EQ(o.m_strKey2, "20240105B");
    EXPECT_EQ(f.orders.GetNextOrderOfDate(o), 27);
    EXPECT_EQ(o.m_strKey2, "20240105B");

    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 4), 4);
    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 7), 9);
    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 12024, 1, 6), 4);
    ASSERT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 6), 0);
    EXPECT_EQ(f.orders.GetNextOrderOfDate(o), 9);
}

TEST(OrderFiles, LineFileObjectThatCannotBeMade) {
    OrderFiles f;
    COrder o = Order("K1", "20240101");
    ASSERT_EQ(f.orders.AddOrder(o), 0);
    f.orders.Close();

    COrderDBNoLines db;
    ASSERT_EQ(db.OpenFile(), 0);
    COrder r;
    EXPECT_EQ(db.GetOrder(r, 1, false), 0);
    EXPECT_EQ(db.GetOrder(r, 1, true), 1002);
    EXPECT_EQ(db.LoadLines(r), 1002);
    EXPECT_EQ(db.UpdateOrder(r), 1002);
    COrderItem l = Line("X");
    l.m_nOrderNumber = 1;
    EXPECT_EQ(db.AddOrderLine(l), 1002);
    EXPECT_EQ(db.UpdateOrderLine(l), 1002);
    EXPECT_EQ(db.DeleteOrder(1), 1002);
    EXPECT_EQ(db.GetOrder(r, 1, false), 0); // nothing was deleted
}

TEST(OrderFiles, RecordsOfAnotherLengthAndClosedFiles) {
    kt::TempDir dir;
    COrderDB closed;
    COrder o;
    EXPECT_EQ(closed.AddOrder(o), 3);
    EXPECT_EQ(closed.GetFirstOrder(o, false), 3);
    EXPECT_EQ(closed.DeleteOrder(1), 3);

    // An ORDER.DB of another record length: every read reports 22.
    COrderDB db;
    std::vector<uint8_t> spec;
    BuildFileSpec(spec, 100, 3, 0, {{1, 4, 256, 1}, {5, 14, 0, 0}, {19, 14, 0, 0}});
    ASSERT_EQ(db.CreateFile(spec, "ORDER.DB", 0), 0);
    ASSERT_EQ(db.OpenFile(), 0);
    std::vector<uint8_t> raw(100, 0);
    kt::Put32(raw, 0, 1);
    kt::PutText(raw, 4, "K1", 14, '\0');
    kt::PutText(raw, 18, "20240101", 14, '\0');
    ASSERT_EQ(db.InsertBytes(raw), 0);
    EXPECT_EQ(db.GetOrder(o, 1, false), 22);
    EXPECT_EQ(db.GetFirstOrder(o, false), 22);
    EXPECT_EQ(db.GetOrderByKey(o, "K1", false), 22);
    EXPECT_EQ(db.GetFirstOrderOfDate(o, 2024, 1, 1), 22);
    o.m_nOrderNumber = 1;
    EXPECT_EQ(db.UpdateOrder(o), 22);
}

TEST(OrderFiles, LinesLiveBesideAnOrderFileOpenedByPath) {
    kt::TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    const std::string orderPath = (dir.path() / "sub" / "ORDER.DB").string();
    const std::string linePath = (dir.path() / "sub" / "ORDRITEM.DB").string();
    COrderItemDB items;
    ASSERT_EQ(items.Create(linePath.c_str()), 0);
    items.Close();
    COrderDB orders;
    ASSERT_EQ(orders.Create(orderPath.c_str()), 0);
    COrder o = Order("K1", "20240101");
    ASSERT_EQ(orders.AddOrder(o), 0);
    COrderItem l = Line("X");
    l.m_nOrderNumber = o.m_nOrderNumber;
    ASSERT_EQ(orders.AddOrderLine(l), 0);
    // Nothing in the current directory.
    EXPECT_EQ(items.OpenFile(), 12);
    ASSERT_EQ(items.OpenFile(linePath.c_str()), 0);
    EXPECT_EQ(items.GetRecordCount(), 1u);
}
