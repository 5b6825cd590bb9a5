// Order header and order line files.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "OrderDB.h"
#include "OrderItemDB.h"
#include "btrieve/btrcall.h"
#include "support.h"

namespace {

// A file whose next insert, when race is set, finds its number just taken by another program.
template <class File> class CRacing : public File {
public:
    bool race = false;

protected:
    int Insert(void* data, uint16_t* length, void* key, int keyNumber) override {
        std::vector<uint8_t> rival(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + *length);
        rival[17] = rival[31] = '#'; // the other program's header has unique keys of its own
        File other;
        if (std::exchange(race, false) &&
            (other.OpenFile(this->GetOpenFileName().c_str()) != 0 || other.InsertBytes(rival) != 0))
            return -1;
        return File::Insert(data, length, key, keyNumber);
    }
};

// An order file whose line file objects race the same way, or cannot be made at all.
class COrderFile : public CRacing<COrderDB> {
public:
    bool raceLines = false, noLines = false;
    std::unique_ptr<COrderItemDB> NewOrderItemDB() override {
        if (noLines) return nullptr;
        auto items = std::make_unique<CRacing<COrderItemDB>>();
        items->race = std::exchange(raceLines, false);
        return items;
    }
};

// Both files in a folder of their own: the lines are found beside the order file, not in the
// current directory.
struct OrderFiles {
    kt::TempDir dir;
    COrderFile orders;
    COrderItemDB items;
    OrderFiles() {
        std::filesystem::create_directory(dir.path() / "db");
        EXPECT_EQ(items.Create((dir.path() / "db" / "ORDRITEM.DB").string().c_str()), 0);
        EXPECT_EQ(orders.Create((dir.path() / "db" / "ORDER.DB").string().c_str()), 0);
    }
};

COrder Order(const std::string& key1, const std::string& key2) {
    COrder o;
    o.m_strKey1 = key1;
    o.m_strKey2 = key2;
    return o;
}

COrderItem Line(const std::string& item, int32_t order = 0) {
    COrderItem l;
    l.m_strItemID = item;
    l.m_nOrderNumber = order;
    return l;
}

// Expected texts, zero-filled unless a fill is given.
struct Text {
    size_t at;
    std::string text;
    size_t width;
    char fill;
};
Text T(size_t at, const std::string& text, size_t width, char fill = '\0') {
    return {at, text, width, fill};
}
void PutTexts(std::vector<uint8_t>& e, std::initializer_list<Text> texts) {
    for (const Text& t : texts)
        kt::PutText(e, t.at, t.text, t.width, t.fill);
}

// The file's only record is e, and the object read from it packs back into e.
template <class File> void ExpectStored(File& db, typename File::Record read, const std::vector<uint8_t>& e) {
    std::vector<uint8_t> record, again(e.size(), 0);
    ASSERT_EQ(db.ReadBytes(btr::B_STEP_FIRST, record), 0);
    EXPECT_EQ(record, e);
    EXPECT_EQ(db.ReadBytes(btr::B_STEP_NEXT, record), 9);
    File::Pack(read, again.data());
    EXPECT_EQ(again, e);
}

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

    std::vector<uint8_t> e(408, 0);
    PutTexts(e, {T(4, "K-1", 14), T(18, "20240105AB", 14), T(32, "C12345", 6), T(38, "t14", 14),
                 T(53, "forty-two", 42), T(95, "twenty-five", 25), T(176, "Harbour Grill", 25),
                 T(201, "a1", 25), T(226, "a2", 25), T(251, "a3", 25), T(276, "a4", 25)});
    PutTexts(e, {T(301, "Portland", 15), T(316, "ME", 2), T(318, "041012345", 9, ' '), T(327, "t15b", 15),
                 T(342, "six", 6), T(348, "2075550101", 10, ' '), T(358, "20755501", 10, ' '),
                 T(368, "x2", 2), T(370, "twenty", 20), T(392, std::string(15, 'z'), 15)});
    for (auto [at, number] : {std::pair{0, 77}, {120, -5}, {128, 300}})
        kt::Put32(e, at, static_cast<uint32_t>(number));
    for (auto [at, amount] : {std::pair{136, 5.5}, {144, 1.25}, {152, 2.5}, {160, 3.75}, {168, -4.0}})
        kt::PutF64(e, at, amount);
    for (auto [at, byte] : {std::pair{52, 'Y'}, {124, 'N'}, {390, 'T'}, {391, 'Q'}})
        e[at] = static_cast<uint8_t>(byte);
    COrder back;
    ASSERT_EQ(f.orders.GetOrder(back, 77, false), 0);
    ExpectStored(f.orders, back, e);
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

    std::vector<uint8_t> e(176, 0);
    PutTexts(e, {T(8, "ABC123456789XYZ", 15), T(23, "Flour", 30), T(53, "BG", 3), T(88, "AB", 4),
                 T(92, "rush", 60), T(160, "Q", 2), T(172, "ZZ", 4)});
    for (auto [at, number] :
         {std::pair{0, 9}, {4, 3}, {56, 1}, {60, 2}, {64, 3}, {68, -4}, {152, 152}, {164, 164}})
        kt::Put32(e, at, static_cast<uint32_t>(number));
    for (auto [at, amount] : {std::pair{72, 1.5f}, {76, 2.5f}, {80, 0.0f}, {84, 4.25f}, {168, 6.5f}})
        kt::PutF32(e, at, amount);
    for (auto [at, byte] : {std::pair{156, 'Y'}, {157, 'X'}, {158, 'N'}, {159, 'Y'}})
        e[at] = static_cast<uint8_t>(byte);
    COrder o;
    o.m_nOrderNumber = 9;
    ASSERT_EQ(f.orders.LoadLines(o), 0);
    ASSERT_EQ(o.m_arrLines.size(), 1u);
    ExpectStored(f.items, o.m_arrLines[0], e);
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
    // A gap is filled first; a duplicate of another unique key is reported, the number kept.
    ASSERT_EQ(f.orders.DeleteOrder(2), 0);
    COrder gap = Order("K9", "202401019"), twin = Order("K9", "202401010");
    ASSERT_EQ(f.orders.AddOrder(gap), 0);
    EXPECT_EQ(gap.m_nOrderNumber, 2);
    EXPECT_EQ(f.orders.AddOrder(twin), 5);
    EXPECT_EQ(twin.m_nOrderNumber, -1);

    // Lines count from 0 within each order; a number a line carries is kept, taken or not.
    for (auto [order, expect] : {std::pair{1, 0}, {1, 1}, {3, 0}, {1, 2}}) {
        COrderItem l = Line("L", order);
        ASSERT_EQ(f.orders.AddOrderLine(l), 0);
        EXPECT_EQ(l.m_nLineNumber, expect);
    }
    COrderItem taken = Line("TAKEN", 1);
    taken.m_nLineNumber = 1;
    EXPECT_EQ(f.orders.AddOrderLine(taken), 5);
    EXPECT_EQ(taken.m_nLineNumber, 1);

    // A number another program takes between the search and the insert is searched again.
    f.orders.race = f.orders.raceLines = true;
    COrder raced = Order("KR", "20240101R");
    ASSERT_EQ(f.orders.AddOrder(raced), 0);
    EXPECT_EQ(raced.m_nOrderNumber, 5);
    COrderItem racedLine = Line("R", 3);
    ASSERT_EQ(f.orders.AddOrderLine(racedLine), 0);
    EXPECT_EQ(racedLine.m_nLineNumber, 2);
    EXPECT_EQ(f.items.GetRecordCount(), 6u);
}

TEST(OrderFiles, ReadUpdateAndDeleteWithLines) {
    OrderFiles f;
    COrder a = Order("KA", "20240105A"), b = Order("KB", "20240106B");
    ASSERT_EQ(f.orders.AddOrder(a), 0);
    ASSERT_EQ(f.orders.AddOrder(b), 0);
    for (COrderItem l : {Line("A0", 1), Line("A1", 1), Line("A2", 1), Line("B0", 2)})
        ASSERT_EQ(f.orders.AddOrderLine(l), 0);

    // Rewrite one line, drop one, add one, change the header.
    COrder r;
    ASSERT_EQ(f.orders.GetOrderByKey(r, "ka", true), 0);
    ASSERT_EQ(r.m_arrLines.size(), 3u);
    r.m_strText20 = "changed";
    r.m_arrLines[0].m_strComment = "first";
    r.m_arrRemoved.push_back(r.m_arrLines[1]);
    r.m_arrLines.erase(r.m_arrLines.begin() + 1);
    r.m_arrLines.push_back(Line("A3"));
    ASSERT_EQ(f.orders.UpdateOrder(r), 0);
    EXPECT_TRUE(r.m_arrRemoved.empty());
    EXPECT_EQ(r.m_arrLines[2].m_nLineNumber, 1); // the freed number

    ASSERT_EQ(f.orders.GetFirstOrder(r, true), 0);
    EXPECT_EQ(r.m_strText20, "changed");
    ASSERT_EQ(r.m_arrLines.size(), 3u);
    EXPECT_EQ(r.m_arrLines[0].m_strComment, "first");
    EXPECT_EQ(r.m_arrLines[1].m_strItemID, "A3");
    EXPECT_EQ(r.m_arrLines[2].m_strItemID, "A2");
    ASSERT_EQ(f.orders.GetNextOrder(r, true), 0);
    ASSERT_EQ(r.m_arrLines.size(), 1u);
    EXPECT_EQ(f.orders.GetNextOrder(r, false), 9);

    COrderItem line = r.m_arrLines[0];
    line.m_strDescription = "rewritten";
    ASSERT_EQ(f.orders.UpdateOrderLine(line), 0);
    line.m_nLineNumber = 7;
    EXPECT_EQ(f.orders.UpdateOrderLine(line), 4);
    COrder missing = Order("KM", "20240107");
    missing.m_nOrderNumber = 42;
    EXPECT_EQ(f.orders.UpdateOrder(missing), 4);

    // Deleting takes the order's lines and no others; a missing order counts as deleted.
    ASSERT_EQ(f.orders.DeleteOrder(1), 0);
    EXPECT_EQ(f.items.GetRecordCount(), 1u);
    EXPECT_EQ(f.orders.GetOrder(r, 1, false), 4);
    EXPECT_EQ(f.orders.DeleteOrder(1), 0);
    ASSERT_EQ(f.orders.GetOrder(r, 2, true), 0);
    ASSERT_EQ(r.m_arrLines.size(), 1u);
    EXPECT_EQ(r.m_arrLines[0].m_strDescription, "rewritten");

    // Without a line file object, what needs the lines fails and nothing is deleted.
    f.orders.noLines = true;
    EXPECT_EQ(f.orders.GetOrder(r, 2, true), 1002);
    EXPECT_EQ(f.orders.UpdateOrder(r), 1002);
    EXPECT_EQ(f.orders.AddOrderLine(line), 1002);
    EXPECT_EQ(f.orders.UpdateOrderLine(line), 1002);
    EXPECT_EQ(f.orders.DeleteOrder(2), 1002);
    EXPECT_EQ(f.orders.GetOrder(r, 2, false), 0);
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
    EXPECT_EQ(o.m_strKey2, "20240105B"); // the order of another date is not read

    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 4), 4);
    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 7), 9);
    EXPECT_EQ(f.orders.GetFirstOrderOfDate(o, 12024, 1, 6), 4);
    ASSERT_EQ(f.orders.GetFirstOrderOfDate(o, 2024, 1, 6), 0);
    EXPECT_EQ(f.orders.GetNextOrderOfDate(o), 9);
}

TEST(OrderFiles, RecordsOfAnotherLengthAndClosedFiles) {
    kt::TempDir dir;
    COrderDB db;
    COrder o;
    EXPECT_EQ(db.AddOrder(o), 3);
    EXPECT_EQ(db.GetFirstOrder(o, false), 3);
    EXPECT_EQ(db.DeleteOrder(1), 3);

    // An ORDER.DB of another record length: every read reports 22, and the record stays.
    std::vector<uint8_t> spec, raw(100, 0);
    BuildFileSpec(spec, 100, 3, 0, {{1, 4, 256, 1}, {5, 14, 0, 0}, {19, 14, 0, 0}});
    ASSERT_EQ(db.CreateFile(spec, "ORDER.DB", 0), 0);
    ASSERT_EQ(db.OpenFile(), 0);
    kt::Put32(raw, 0, 1);
    PutTexts(raw, {T(4, "K1", 14), T(18, "20240101", 14)});
    ASSERT_EQ(db.InsertBytes(raw), 0);
    EXPECT_EQ(db.GetOrder(o, 1, false), 22);
    EXPECT_EQ(db.GetFirstOrder(o, false), 22);
    EXPECT_EQ(db.GetOrderByKey(o, "K1", false), 22);
    EXPECT_EQ(db.GetFirstOrderOfDate(o, 2024, 1, 1), 22);
    o.m_nOrderNumber = 1;
    EXPECT_EQ(db.UpdateOrder(o), 22);
    EXPECT_EQ(kt::ReadRaw(db, std::string(raw.begin(), raw.begin() + 4)), raw);

    // An ORDRITEM.DB of another record length: its lines are neither read nor deleted unseen.
    BuildFileSpec(spec, 100, 1, 0, {{1, 4, 274, 1}, {5, 4, 258, 1}});
    ASSERT_EQ(db.CreateFile(spec, "ORDRITEM.DB", 0), 0);
    COrderItemDB lines;
    ASSERT_EQ(lines.OpenFile(), 0);
    ASSERT_EQ(lines.InsertBytes(raw), 0);
    db.Close();
    ASSERT_EQ(db.Create(nullptr), 0);
    o = Order("K1", "20240101");
    ASSERT_EQ(db.AddOrder(o), 0);
    EXPECT_EQ(db.GetOrder(o, 1, true), 22);
    EXPECT_EQ(db.DeleteOrder(1), 22);
    EXPECT_EQ(db.GetOrder(o, 1, false), 0);
}
