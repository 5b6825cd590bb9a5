// The 152-byte price request handed to DefaultPrice. Built and read by byte offset: the layout
// is the pricing library's, whatever the compiler would do with a struct.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CPriceRequest {
public:
    static constexpr size_t kSize = 152;

    // Offsets of the fields.
    static constexpr size_t kItem = 0;            // 12 characters, blank-padded, zero byte
    static constexpr size_t kUnit = 13;           // 3 characters, blank-padded, zero byte
    static constexpr size_t kCustomer = 17;       // 6 characters, blank-padded, zero byte
    static constexpr size_t kHistoryAmount1 = 28; // single
    static constexpr size_t kHistoryAmount2 = 32; // single
    static constexpr size_t kItemFlag8 = 52;      // boolean byte
    static constexpr size_t kItemFlag7 = 53;      // boolean byte
    static constexpr size_t kHistoryPresent = 69; // boolean byte
    static constexpr size_t kZero70 = 70;
    static constexpr size_t kPricing1 = 76; // single: unit record offset 116
    static constexpr size_t kPricing2 = 80; // single: unit record offset 272
    static constexpr size_t kPricing3 = 84; // single: unit record offset 60
    static constexpr size_t kPrice = 112;   // single: -1 in, the default price out
    static constexpr size_t kZero120 = 120; // single 0
    static constexpr size_t kZero124 = 124; // single 0
    static constexpr size_t kZero133 = 133;
    static constexpr size_t kZero134 = 134;
    static constexpr size_t kZero148 = 148; // 32-bit 0

    static constexpr size_t kItemWidth = 12;
    static constexpr size_t kUnitWidth = 3;
    static constexpr size_t kCustomerWidth = 6;

    // All bytes zero and the price -1: the state a caller starts from.
    CPriceRequest();
    // A copy of a request held elsewhere (kSize bytes).
    static CPriceRequest FromBytes(const void* bytes);

    uint8_t* Data() { return m_bytes.data(); }
    const uint8_t* Data() const { return m_bytes.data(); }

    // Each text is cut to its width, blank-padded and followed by a zero byte.
    void SetItem(const std::string& item) { PutPadded(kItem, item, kItemWidth); }
    void SetUnit(const std::string& unit) { PutPadded(kUnit, unit, kUnitWidth); }
    void SetCustomer(const std::string& customer) { PutPadded(kCustomer, customer, kCustomerWidth); }
    std::string GetItem() const { return GetPadded(kItem, kItemWidth); }
    std::string GetUnit() const { return GetPadded(kUnit, kUnitWidth); }
    std::string GetCustomer() const { return GetPadded(kCustomer, kCustomerWidth); }

    void SetHistory(bool present, float amount1, float amount2);
    bool GetHistoryPresent() const { return m_bytes[kHistoryPresent] != 0; }
    float GetHistoryAmount1() const { return GetFloat(kHistoryAmount1); }
    float GetHistoryAmount2() const { return GetFloat(kHistoryAmount2); }

    void SetItemFlags(bool flag7, bool flag8);
    bool GetItemFlag7() const { return m_bytes[kItemFlag7] != 0; }
    bool GetItemFlag8() const { return m_bytes[kItemFlag8] != 0; }

    // The unit record's three pricing figures, in the request's order.
    void SetPricingFigures(float first, float second, float third);
    float GetPricingFigure(int n) const; // n = 1, 2 or 3; 0 otherwise

    void SetPrice(float price) { PutFloat(kPrice, price); }
    float GetPrice() const { return GetFloat(kPrice); }

    float GetFloat(size_t offset) const;
    void PutFloat(size_t offset, float value);

private:
    void PutPadded(size_t offset, const std::string& text, size_t width);
    std::string GetPadded(size_t offset, size_t width) const;

    std::array<uint8_t, kSize> m_bytes{};
};
