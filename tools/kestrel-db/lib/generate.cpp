// Synthetic downloads of any size, for benchmarks and load tests.
#include "catalog.h"

#include <cstdio>
#include <random>

namespace kdb {

namespace {

// Draws from the engine directly: the same numbers on every platform for the same seed.
class Draw {
public:
    explicit Draw(uint32_t seed) : m_engine(seed) {}
    size_t Below(size_t n) { return n ? static_cast<size_t>(m_engine() % n) : 0; }
    template <class T, size_t N> const T& Pick(const T (&list)[N]) { return list[Below(N)]; }
    float Price(float low, float high) {
        float cents = low * 100 + static_cast<float>(Below(static_cast<size_t>((high - low) * 100) + 1));
        return cents / 100.0f;
    }

private:
    std::mt19937 m_engine;
};

const char* const kFoods[] = {"CHICKEN", "BEEF",   "PORK",     "TURKEY", "SALMON",   "SHRIMP",  "COD",
                              "CHEESE",  "BUTTER", "CREAM",    "MILK",   "YOGURT",   "TOMATO",  "ONION",
                              "POTATO",  "CARROT", "LETTUCE",  "PEPPER", "MUSHROOM", "SPINACH", "FLOUR",
                              "SUGAR",   "RICE",   "PASTA",    "BEANS",  "OIL",      "VINEGAR", "SAUCE",
                              "BREAD",   "BUN",    "TORTILLA", "COFFEE", "TEA",      "JUICE",   "NAPKIN",
                              "CUP",     "LID",    "GLOVE",    "FOIL",   "CONTAINER"};
const char* const kForms[] = {"DICED",  "SLICED", "WHOLE",  "GROUND",  "SHREDDED", "FROZEN", "FRESH",
                              "CANNED", "DRIED",  "SMOKED", "ROASTED", "BREADED",  "PLAIN",  "ORGANIC"};
const char* const kCuts[] = {"BREAST", "THIGH", "FILLET", "STRIP", "PATTY", "LOIN", "CHUNK", "BLEND",
                             "MIX",    "BASE",  "PUREE",  "PIECE", "WEDGE", "HALF", "CUBE",  "BULK"};
const char* const kBrands[] = {"HARBOR FARMS", "GOLDEN MEADOW", "RIVERSTONE", "BLUE PEAK",
                               "PRAIRIE SUN",  "COASTAL CATCH", "MAPLE HILL", "KESTREL SELECT"};
const char* const kCategories[] = {"PROT", "DAIRY", "PROD", "DRY", "SPICE", "OIL", "BEV", "DISP"};
const char* const kPortions[] = {"OZ", "EA", "SL", "LB", "CUP", "PC"};
const char* const kCities[] = {"SPRINGFIELD", "RIVERTON", "LAKEWOOD", "FAIRVIEW", "MILLBROOK", "OAK HARBOR"};

// Draws are taken in a fixed order (item by item, then each customer with its history), so the
// steps below must keep theirs.
CatalogItem SyntheticItem(Draw& draw, int i) {
    char text[64];
    CatalogItem it;
    std::snprintf(text, sizeof text, "%07d", 1000000 + i);
    it.number = text;
    std::snprintf(text, sizeof text, "%s %s %s %d/%dLB", draw.Pick(kForms), draw.Pick(kFoods),
                  draw.Pick(kCuts), static_cast<int>(1 + draw.Below(12)),
                  static_cast<int>(1 + draw.Below(10)));
    it.description = text;
    it.brand = draw.Pick(kBrands);
    it.category = draw.Pick(kCategories);
    it.group = it.category + "-" + std::to_string(draw.Below(100));
    it.portionType = draw.Pick(kPortions);
    it.packQuantity = static_cast<int>(1 + draw.Below(96));
    float price = draw.Price(8, 140);
    size_t units = 1 + draw.Below(3);
    static const char* const kCodes[] = {"CS", "EA", "LB"};
    for (size_t u = 0; u < units; ++u) {
        CatalogUnit unit;
        unit.code = kCodes[u];
        unit.factor = u == 0 ? 1.0f : static_cast<float>(2 + draw.Below(48));
        unit.price = u == 0 ? price : price / unit.factor;
        unit.weight = u == 2 ? 1.0f : draw.Price(1, 40);
        unit.text = u == 0 ? "CASE" : (u == 1 ? "EACH" : "POUND");
        unit.sold = draw.Below(50) != 0;
        it.units.push_back(unit);
    }
    return it;
}

CatalogCustomer SyntheticCustomer(Draw& draw, int i) {
    char text[64];
    CatalogCustomer cu;
    std::snprintf(text, sizeof text, "S%05d", i + 1);
    cu.number = text;
    std::snprintf(text, sizeof text, "TEST KITCHEN %d", i + 1);
    cu.name = text;
    cu.address1 = std::to_string(100 + draw.Below(9800)) + " COMMERCE ST";
    cu.city = draw.Pick(kCities);
    cu.state = "OH";
    std::snprintf(text, sizeof text, "%05d", static_cast<int>(43000 + draw.Below(900)));
    cu.postal = text;
    std::snprintf(text, sizeof text, "614555%04d", static_cast<int>(draw.Below(10000)));
    cu.phone = text;
    cu.route = "R" + std::to_string(1 + draw.Below(9));
    cu.salesman = "REP" + std::to_string(1 + draw.Below(20));
    return cu;
}

// Twenty items of history for the customer, and a quote for the first of them.
void AddSyntheticHistory(Draw& draw, Catalog& c, const std::string& customer) {
    char text[64];
    for (int h = 0; h < 20 && !c.items.empty(); ++h) {
        const CatalogItem& item = c.items[draw.Below(c.items.size())];
        CatalogHistory hist;
        hist.customer = customer;
        hist.item = item.number;
        hist.unit = item.units[0].code;
        std::snprintf(text, sizeof text, "%02d/%02d/2024", static_cast<int>(1 + draw.Below(12)),
                      static_cast<int>(1 + draw.Below(28)));
        hist.lastDate = text;
        hist.lastPrice = item.units[0].price;
        hist.quantity = static_cast<float>(1 + draw.Below(20));
        hist.averagePrice = hist.lastPrice;
        hist.cost = hist.lastPrice * 0.8f;
        for (int& w : hist.weekly)
            w = static_cast<int>(draw.Below(12));
        c.history.push_back(hist);
        if (h == 0) {
            CatalogQuote quote;
            quote.customer = customer;
            quote.item = hist.item;
            quote.unit = hist.unit;
            quote.stamp = "20240601120000";
            quote.price = hist.lastPrice * 0.95f;
            quote.code = "MGR";
            c.quotes.push_back(quote);
        }
    }
}

} // namespace

Catalog SyntheticCatalog(int items, int customers, uint32_t seed) {
    Draw draw(seed);
    Catalog c;
    c.items.reserve(static_cast<size_t>(items > 0 ? items : 0));
    for (int i = 0; i < items; ++i)
        c.items.push_back(SyntheticItem(draw, i));
    for (int i = 0; i < customers; ++i) {
        c.customers.push_back(SyntheticCustomer(draw, i));
        AddSyntheticHistory(draw, c, c.customers.back().number);
    }
    c.settings = {{"COMPANY.KG_LB&", 'B', "N"}, {"CALL_REMOTE.EDIT_QUOTE", 'B', "N"}};
    c.replacements = {{"CHIX", "CHICKEN"}, {"BF", "BEEF"}, {"TOM", "TOMATO"}};
    return c;
}

std::vector<Download> GenerateDownloads(const std::string& dir, int items, int customers, uint32_t seed) {
    return WriteDownloads(dir, SyntheticCatalog(items, customers, seed));
}

} // namespace kdb
