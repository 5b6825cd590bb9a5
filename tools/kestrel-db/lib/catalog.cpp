#include "catalog.h"

#include "ControlDB.h"
#include "CustomerDB.h"
#include "Interchange.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemUnitDB.h"
#include "RecordFields.h"
#include "VelocityDB.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

namespace kdb {

namespace {

constexpr int kItemVersion = 1025, kUnitVersion = 1025, kCustomerVersion = 777, kHistoryVersion = 1026,
              kDictVersion = 770, kLookupVersion = 1025, kControlVersion = 1025, kQuoteVersion = 1025;

std::string Pad(const std::string& text, size_t width) {
    return fields::Padded(text, width, ' ');
}

// Writes lines through a buffer large enough that a 100,000-item catalogue stays quick.
class Writer {
public:
    explicit Writer(const fs::path& path) : m_out(path, std::ios::binary) {}
    void Line(const std::string& line) { m_out << line; }
    bool ok() const { return static_cast<bool>(m_out); }

private:
    std::ofstream m_out;
};

CItem ItemRecord(const CatalogItem& ci) {
    CItem item;
    item.m_strItemNumber = Pad(ci.number, 12);
    item.m_strDescription = ci.description;
    item.m_strBrand = ci.brand;
    item.m_strCode15 = ci.category;
    item.m_strCode20 = ci.group;
    item.m_strCode12 = "STK";
    item.m_strPortionType = ci.portionType;
    item.m_nPackQuantity = ci.packQuantity;
    item.m_bFlag1 = true;
    item.m_tTime = -1;
    for (size_t u = 0; u < 3; ++u) {
        item.m_arrUnits[u] = u < ci.units.size() ? Pad(ci.units[u].code, 3) : std::string(3, ' ');
        item.m_arrUnitFactors[u] = u < ci.units.size() ? ci.units[u].factor : 0;
    }
    return item;
}

// The unit's price levels are drawn around its list price.
CItemUnit UnitRecord(const CatalogItem& ci, const CatalogUnit& cu) {
    CItemUnit unit;
    unit.m_strItemNumber = Pad(ci.number, 12);
    unit.m_strUnit = Pad(cu.code, 3);
    unit.m_bFlag1 = cu.sold;
    unit.m_fWeight = cu.weight;
    unit.m_fVolume = cu.volume;
    unit.m_fPricing116 = cu.price;
    unit.m_fPricing60 = cu.price * 0.78f;
    unit.m_fPricing272 = cu.price * 1.12f;
    unit.m_fAmount112 = cu.factor;
    unit.m_strText68 = cu.text;
    unit.m_strCode16 = ci.category;
    return unit;
}

CCustomer CustomerRecord(const CatalogCustomer& cc) {
    CCustomer c;
    c.m_strNumber = Pad(cc.number, 6);
    c.m_strName = cc.name;
    c.m_arrAddress = {cc.address1, cc.address2, ""};
    c.m_strCity = cc.city;
    c.m_strState = cc.state;
    c.m_strPostal = cc.postal;
    c.m_strPhone1 = cc.phone;
    c.m_strPhone1Text = cc.contact;
    c.m_strCode33 = cc.route;
    c.m_strCode37 = cc.salesman;
    c.m_strCode0 = "01";
    c.m_b322 = true;
    return c;
}

CVelocity HistoryRecord(const CatalogHistory& ch) {
    CVelocity h;
    h.m_strCustomer = Pad(ch.customer, 6);
    h.m_strItem = Pad(ch.item, 12);
    h.m_strUnit = Pad(ch.unit, 3);
    int64_t when = -1;
    ichg::ParseDate(ch.lastDate, when);
    h.m_tLastDate = when;
    h.m_fAmount1 = ch.lastPrice;
    h.m_fAmount2 = ch.quantity;
    h.m_fAmount3 = ch.averagePrice;
    h.m_fAmount4 = ch.cost;
    h.m_strPriceCode = ch.priceCode;
    h.m_bFlag92 = true;
    for (size_t i = 0; i < 6; ++i)
        h.m_arrNumbers[i] = ch.weekly[i];
    h.m_bActive = true;
    return h;
}

// A quote line: the key columns, the quote's own identity, then the price as a magnitude and sign.
std::string QuoteLine(const CatalogQuote& q) {
    std::string id = Pad(q.customer, 6) + Pad(q.item, 12) + Pad(q.unit, 3) + Pad(q.stamp, 14);
    char price[16];
    float magnitude = q.price < 0 ? -q.price : q.price;
    std::snprintf(price, sizeof price, "%6.2f", magnitude > 999.99f ? 999.99f : magnitude);
    return Pad(q.customer, 6) + Pad(q.item, 12) + Pad(q.unit, 3) + id + " " + "    " + price +
           (q.price < 0 ? "-" : " ") + Pad(q.code, 4) + "\n";
}

std::string ControlLine(const CatalogSetting& s) {
    return Pad(s.key, 30) + s.type + s.value + "\n";
}

std::string CustomerLine(const CatalogCustomer& cc) {
    return CCustomerDB::WriteLine(CustomerRecord(cc));
}

std::string HistoryLine(const CatalogHistory& ch) {
    return CVelocityDB::WriteLine(HistoryRecord(ch));
}

// A download of one line per entry of the catalogue.
template <class Entry, class ToLine>
void WriteLines(const fs::path& path, const std::vector<Entry>& entries, ToLine toLine) {
    Writer out(path);
    for (const Entry& e : entries)
        out.Line(toLine(e));
}

void WriteItemsAndUnits(const fs::path& base, const Catalog& catalog) {
    Writer items(base / "items.txt");
    Writer units(base / "units.txt");
    for (const CatalogItem& ci : catalog.items) {
        items.Line(CItemDB::WriteLine(ItemRecord(ci), kItemVersion));
        for (const CatalogUnit& cu : ci.units)
            units.Line(CItemUnitDB::WriteLine(UnitRecord(ci, cu), kUnitVersion));
    }
}

// The dictionary: every word of the descriptions with the items that carry it; common words keep
// their items in the lookup file, the others in an inline list.
void WriteDictionary(const fs::path& base, const Catalog& catalog) {
    std::map<std::string, std::vector<std::string>> words;
    for (const CatalogItem& ci : catalog.items)
        for (const std::string& w : DescriptionWords(ci.description))
            words[w].push_back(Pad(ci.number, 12));
    Writer dict(base / "dictionary.txt");
    Writer lookup(base / "lookup.txt");
    char count[16];
    for (const auto& [word, items] : words) {
        std::string list;
        if (items.size() <= catalog.inlineLimit && items.size() * 13 <= CItemDict::kMaxItems) {
            for (size_t i = 0; i < items.size(); ++i)
                list += (i ? "," : "") + items[i];
        } else {
            for (const std::string& item : items)
                lookup.Line("A" + Pad(word, 20) + item + "\n");
        }
        std::snprintf(count, sizeof count, "%5d ",
                      static_cast<int>(items.size() > 99999 ? 99999 : items.size()));
        dict.Line(count + std::string(20, ' ') + Pad(word, 20) + list + "\n");
    }
    for (const auto& [word, replacement] : catalog.replacements)
        if (!words.count(word)) dict.Line("    0 " + Pad(replacement, 20) + Pad(word, 20) + "\n");
}

void WriteManifest(const fs::path& base, const std::vector<Download>& downloads) {
    std::ofstream manifest(base / "MANIFEST", std::ios::binary);
    manifest << "# FILE.DB download version header-length, in reload order\n";
    for (const Download& d : downloads)
        manifest << d.fileName << ' ' << fs::path(d.path).filename().string() << ' ' << d.version << ' '
                 << d.headerLength << '\n';
}

} // namespace

std::vector<std::string> DescriptionWords(const std::string& description) {
    std::vector<std::string> words;
    std::string word;
    auto flush = [&] {
        bool digitsOnly = word.find_first_not_of("0123456789./") == std::string::npos;
        if (word.size() >= 2 && !digitsOnly && word.size() <= 20) words.push_back(word);
        word.clear();
    };
    for (char c : description) {
        char u = fields::UpperChar(c);
        if ((u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '&' || u == '/' || u == '.')
            word += u;
        else
            flush();
    }
    flush();
    // Each word once per item.
    std::vector<std::string> unique;
    std::set<std::string> seen;
    for (auto& w : words)
        if (seen.insert(w).second) unique.push_back(w);
    return unique;
}

std::vector<Download> WriteDownloads(const std::string& dir, const Catalog& catalog) {
    fs::create_directories(dir);
    fs::path base(dir);
    WriteLines(base / "control.txt", catalog.settings, ControlLine);
    WriteItemsAndUnits(base, catalog);
    WriteLines(base / "customers.txt", catalog.customers, CustomerLine);
    WriteLines(base / "history.txt", catalog.history, HistoryLine);
    WriteLines(base / "quotes.txt", catalog.quotes, QuoteLine);
    WriteDictionary(base, catalog);
    // In reload order.
    std::vector<Download> downloads;
    for (auto [fileName, name, version] : {std::tuple{"CONTROL.DB", "control.txt", kControlVersion},
                                           {"ITEM.DB", "items.txt", kItemVersion},
                                           {"ITEMUNIT.DB", "units.txt", kUnitVersion},
                                           {"CUST.DB", "customers.txt", kCustomerVersion},
                                           {"VELOCITY.DB", "history.txt", kHistoryVersion},
                                           {"MNPRICE.DB", "quotes.txt", kQuoteVersion},
                                           {"ITEMDICT.DB", "dictionary.txt", kDictVersion},
                                           {"ITEMLKUP.DB", "lookup.txt", kLookupVersion}})
        downloads.push_back({fileName, (base / name).string(), version, 0});
    WriteManifest(base, downloads);
    return downloads;
}

} // namespace kdb
