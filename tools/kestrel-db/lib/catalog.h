// A distributor's catalogue in memory, and the interchange downloads written from it: the item
// master with units, the item dictionary and lookup built from the descriptions, customers,
// item history, quotes and control settings. The demo data and the synthetic downloads both
// come from here.
#pragma once

#include "dbtool.h"

#include <string>
#include <utility>
#include <vector>

namespace kdb {

struct CatalogUnit {
    std::string code; // "CS", "LB", "EA"
    std::string text; // "CASE 4/5 LB"
    float factor = 1; // units of the item's smallest unit in this one
    float weight = 0; // pounds per unit
    float volume = 0; // fluid ounces per unit
    float price = 0;  // list price per unit
    bool sold = true;
};

struct CatalogItem {
    std::string number;             // up to 12 characters; written blank-padded
    std::string description;        // up to 50
    std::string brand;              // up to 15
    std::string category;           // 5-character code (key 1)
    std::string group;              // 10-character code (key 2)
    std::string portionType;        // "OZ", "EA", "SL", ...
    int packQuantity = 1;           // portions per item
    std::vector<CatalogUnit> units; // one to three
};

struct CatalogCustomer {
    std::string number; // 6 characters
    std::string name;   // up to 25
    std::string address1, address2, city, state, postal, phone, contact;
    std::string route;    // 4-character code (key 2)
    std::string salesman; // 8-character code (key 3)
    bool keepOnReload = false;
};

struct CatalogHistory {
    std::string customer, item, unit;
    std::string lastDate; // "mm/dd/yyyy"
    float lastPrice = 0, quantity = 0, averagePrice = 0, cost = 0;
    std::string priceCode;
    int weekly[6] = {0, 0, 0, 0, 0, 0};
};

struct CatalogQuote {
    std::string customer, item, unit;
    std::string stamp; // 14 digits, yyyymmddhhmmss
    float price = 0;
    std::string code;
};

struct CatalogSetting {
    std::string key;
    char type = 'B';
    std::string value; // as the line holds it
};

struct Catalog {
    std::vector<CatalogItem> items;
    std::vector<CatalogCustomer> customers;
    std::vector<CatalogHistory> history;
    std::vector<CatalogQuote> quotes;
    std::vector<CatalogSetting> settings;
    // Replacement words of the dictionary: CHIX stands for CHICKEN.
    std::vector<std::pair<std::string, std::string>> replacements;
    // A word carried by more items than this goes to the lookup file instead of an inline list.
    size_t inlineLimit = 40;
};

// The words of a description as the dictionary holds them: upper case, split at blanks and
// punctuation, at most 20 characters, single letters and bare numbers left out.
std::vector<std::string> DescriptionWords(const std::string& description);

// Writes the downloads of the catalogue and a MANIFEST into dir (created when missing).
std::vector<Download> WriteDownloads(const std::string& dir, const Catalog& catalog);

// The curated demo catalogue of a food-service distributor.
Catalog DemoCatalog();
// A synthetic catalogue of any size, the same for the same seed.
Catalog SyntheticCatalog(int items, int customers, uint32_t seed);

} // namespace kdb
