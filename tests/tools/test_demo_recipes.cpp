// The demo database opens on real work: recipes of two customers with categories, an overridden
// cost and a custom ingredient; building it again never adds to recipes already there.
#include "CDefaultItemInfo.h"
#include "Costing.h"
#include "MenuCategoryDB.h"
#include "MenuHdrDB.h"
#include "MenuItemDB.h"
#include "dbtool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

namespace fs = std::filesystem;

namespace {

// A folder of its own, the current one while it lives.
struct Cwd {
    fs::path dir, previous = fs::current_path();
    explicit Cwd(const fs::path& d) : dir(d) {
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    ~Cwd() {
        std::error_code ec;
        fs::current_path(previous, ec);
        fs::remove_all(dir, ec);
    }
};

std::vector<CMenuHdr> Recipes(const std::string& customer) {
    CMenuHdrDB headers;
    std::vector<CMenuHdr> found;
    if (headers.OpenFile() != 0) return found;
    CMenuHdr header;
    for (int s = headers.FindFirstRecipe(header, customer);
         s == 0 && header.m_cRecordType == 'C' && TrimRight(header.m_strCustomer) == customer;
         s = headers.FindNextRecipe(header))
        found.push_back(header);
    return found;
}

std::vector<CMenuItem> Lines(const std::string& key) {
    CMenuItemDB lines;
    std::vector<CMenuItem> found;
    if (lines.OpenFile() != 0) return found;
    CMenuItem line;
    for (int s = lines.FindFirstLine(line, key); s == 0 && TrimRight(line.m_strRecipeKey) == TrimRight(key);
         s = lines.FindNextLine(line))
        found.push_back(line);
    return found;
}

} // namespace

TEST(DemoRecipes, TwoCustomersWithCategoriesAnOverriddenCostAndACustomIngredient) {
    Cwd cwd(fs::temp_directory_path() / ("kr-recipes-" + std::to_string(std::random_device{}())));
    ASSERT_TRUE(kdb::BuildDemo(cwd.dir.string(), KR_DEMO_DATA));

    std::vector<CMenuHdr> first = Recipes("100210");
    std::vector<CMenuHdr> second = Recipes("100355");
    EXPECT_GE(first.size() + second.size(), 3u);
    EXPECT_LE(first.size() + second.size(), 5u);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());

    // Every recipe's category is one of its own customer's categories.
    std::map<std::string, std::string> categoryOwner;
    {
        CMenuCategoryDB categories;
        ASSERT_EQ(categories.OpenFile(), 0);
        for (const char* customer : {"100210", "100355"}) {
            CMenuCategory category;
            for (int s = categories.FindFirstCategory(category, customer);
                 s == 0 && TrimRight(category.m_strCustomer) == customer;
                 s = categories.FindNextCategory(category))
                categoryOwner[TrimRight(category.m_strCategoryKey)] = customer;
        }
    }
    int overridden = 0, custom = 0, priced = 0;
    for (const auto& recipes : {first, second}) {
        for (const CMenuHdr& header : recipes) {
            EXPECT_EQ(header.m_strRecipeKey.substr(0, 2), "AA");
            EXPECT_EQ(categoryOwner[TrimRight(header.m_strCategoryKey)], TrimRight(header.m_strCustomer))
                << header.m_strRecipeName;
            std::vector<CMenuItem> lines = Lines(header.m_strRecipeKey);
            EXPECT_FALSE(lines.empty()) << header.m_strRecipeName;
            for (const CMenuItem& line : lines) {
                EXPECT_EQ(line.m_strItem.size(), 12u);
                EXPECT_GT(line.m_dItemCost, 0) << line.m_strItem;
                EXPECT_GT(line.m_dPtnPerItem, 0) << line.m_strItem;
                CDefaultItemInfo defaults;
                if (!defaults.Load(TrimRight(header.m_strCustomer), line.m_strItem, line.m_strUnit)) {
                    ++custom;
                    EXPECT_FALSE(line.m_strDescription.empty());
                } else if (std::abs(defaults.m_dCost - line.m_dItemCost) > 0.005) {
                    ++overridden;
                } else {
                    ++priced;
                }
            }
        }
    }
    EXPECT_GE(custom, 1);
    EXPECT_GE(overridden, 1);
    EXPECT_GE(priced, 5);

    // A second build over the same folder keeps the recipes as they are.
    long before = kdb::CountRecords("MENUHDR.DB");
    EXPECT_GT(before, 0);
    EXPECT_EQ(kdb::AddDemoRecipes(cwd.dir.string()), 0);
    EXPECT_EQ(kdb::CountRecords("MENUHDR.DB"), before);
}
