// The price request's bytes and the standard pricing rule.
#include "Pricing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

float FloatAt(const uint8_t* p, size_t at) {
    uint32_t u = static_cast<uint32_t>(p[at]) | (static_cast<uint32_t>(p[at + 1]) << 8) |
                 (static_cast<uint32_t>(p[at + 2]) << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

std::string TextAt(const uint8_t* p, size_t at, size_t n) {
    return std::string(reinterpret_cast<const char*>(p + at), n);
}

// The pricing library reads the request by its own layout: texts blank-padded and
// zero-ended, cut to their width, and no amounts left behind when there is no history.
TEST(PriceRequest, TextsArePaddedOrCutAndNoHistoryClearsTheAmounts) {
    CPriceRequest r;
    r.SetItem("abc123");
    r.SetUnit("CS");
    r.SetCustomer("C1");
    r.SetHistory(true, 1.5f, 2.5f);
    r.SetItemFlags(true, false);
    r.SetPricingFigures(3.0f, 4.0f, 5.0f);
    const uint8_t* p = r.Data();
    EXPECT_EQ(TextAt(p, 0, 13), std::string("abc123      \0", 13));
    EXPECT_EQ(TextAt(p, 13, 4), std::string("CS \0", 4));
    EXPECT_EQ(TextAt(p, 17, 7), std::string("C1    \0", 7));
    EXPECT_EQ(FloatAt(p, 28), 1.5f);
    EXPECT_EQ(FloatAt(p, 32), 2.5f);
    EXPECT_EQ(p[53], 1);
    EXPECT_EQ(FloatAt(p, 84), 5.0f);
    EXPECT_EQ(FloatAt(p, 112), -1.0f); // no price until a rule sets one

    r.SetItem("1234567890123456");
    r.SetUnit("CASE");
    r.SetCustomer("CUSTOMER9");
    r.SetHistory(false, 7.0f, 8.0f);
    EXPECT_EQ(r.GetItem(), "123456789012");
    EXPECT_EQ(r.GetUnit(), "CAS");
    EXPECT_EQ(r.GetCustomer(), "CUSTOM");
    EXPECT_EQ(p[12], 0);
    EXPECT_EQ(p[16], 0);
    EXPECT_EQ(p[23], 0);
    EXPECT_FALSE(r.GetHistoryPresent());
    EXPECT_EQ(FloatAt(p, 28), 0.0f);
}

// The standard rule: the first non-zero history amount, else the first positive unit figure
// (negative and NaN figures skipped), else no price.
TEST(DefaultPrice, ChoosesHistoryThenUnitFigures) {
    const float nan = std::nanf("");
    struct {
        const char* name;
        bool history;
        float h1, h2, p1, p2, p3;
        int result;
        float price;
    } cases[] = {{"first history amount", true, 9.5f, 8.0f, 3.0f, 4.0f, 5.0f, 0, 9.5f},
                 {"second history amount", true, 0.0f, 8.0f, 3.0f, 4.0f, 5.0f, 0, 8.0f},
                 {"history of zeroes", true, 0.0f, 0.0f, 3.0f, 4.0f, 5.0f, 0, 3.0f},
                 {"history not present", false, 9.5f, 8.0f, 3.0f, 4.0f, 5.0f, 0, 3.0f},
                 {"second unit figure", false, 0, 0, 0.0f, 4.0f, 5.0f, 0, 4.0f},
                 {"negative and NaN skipped", false, 0, 0, -1.0f, nan, 5.0f, 0, 5.0f},
                 {"negative history", true, -2.0f, 0, 0, 0, 0, -1, -1.0f},
                 {"nothing to price", false, 0, 0, 0, 0, 0, -1, -1.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPriceRequest r;
        r.SetHistory(c.history, c.h1, c.h2);
        r.SetPricingFigures(c.p1, c.p2, c.p3);
        EXPECT_EQ(DefaultPrice(r.Data()), c.result);
        EXPECT_EQ(r.GetPrice(), c.price);
    }
}

// The rule writes the price field alone; a replaced rule is used until the standard one is back.
TEST(DefaultPrice, WritesOnlyThePriceFieldAndCanBeReplacedAndRestored) {
    uint8_t bytes[CPriceRequest::kSize];
    std::memset(bytes, 0xAB, sizeof bytes);
    CPriceRequest r;
    r.SetPricingFigures(6.25f, 0, 0);
    std::memcpy(bytes + 76, r.Data() + 76, 12);
    bytes[69] = 0;
    ASSERT_EQ(DefaultPrice(bytes), 0);
    EXPECT_EQ(FloatAt(bytes, 112), 6.25f);
    EXPECT_EQ(bytes[111], 0xAB);
    EXPECT_EQ(bytes[116], 0xAB);
    EXPECT_EQ(DefaultPrice(nullptr), -1);

    auto previous = SetDefaultPriceFunction([](void*) { return -1; });
    EXPECT_EQ(DefaultPrice(r.Data()), -1);
    EXPECT_EQ(r.GetPrice(), -1.0f);
    SetDefaultPriceFunction(previous);
    EXPECT_EQ(DefaultPrice(r.Data()), 0);
    SetDefaultPriceFunction(nullptr);
    EXPECT_EQ(DefaultPrice(r.Data()), 0);
    EXPECT_EQ(FilterDllMsg(nullptr), 0);
}

} // namespace
