// CUST.DB: the distributor's customer accounts, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

// Fields without a meaning in this program are named by their record offset.
class CCustomer {
public:
    std::string m_strCode0;
    std::string m_strNumber; // key 0
    std::string m_strName;   // key 1
    std::string m_strCode33; // key 2
    std::string m_strCode37; // key 3
    std::array<std::string, 3> m_arrAddress;
    std::string m_strCity;
    std::string m_strState;
    std::string m_strPostal; // "12345-6789" in memory, 9 digits stored
    std::string m_strText146;
    std::string m_strPhone1; // "(555) 123-4567" in memory, 10 digits stored
    std::string m_strPhone2;
    std::string m_strPhone1Text;
    std::string m_strPhone2Text;
    std::string m_strPhone3;
    std::string m_strCode236;
    std::string m_strCode242;
    char m_cRaw245 = ' ';
    int32_t m_n248 = 0;
    float m_f252 = 0;
    std::string m_strCode256;
    std::string m_strText258;
    std::string m_strText268;
    bool m_b276 = false;
    int32_t m_n280 = 0;
    char m_cRaw284 = ' ';
    std::string m_strText285;
    std::array<float, 6> m_arrAmounts296{};
    bool m_b320 = false;
    bool m_bKeepOnReload = false;
    bool m_b322 = false;
    std::string m_strCode323;
    bool m_b327 = false;
    std::string m_strCode328;
    char m_c331 = ' ';
    int32_t m_n332 = 0;
    char m_c336 = ' ';
    int32_t m_n340 = 0;
    char m_c344 = ' ';
    std::string m_strText345;
    char m_c353 = ' ';
    std::string m_strText354;
    float m_f368 = 0;
    float m_f372 = 0;
    bool m_b376 = false;
    char m_c377 = ' ';
    char m_c378 = ' ';
    bool m_b379 = false;
    bool m_b380 = false;
    std::string m_strText381;
    bool m_b389 = false;
    float m_f392 = 0;
    bool m_b396 = false;
    bool m_b397 = false;
    std::string m_strText398;
    bool m_b406 = false;
    std::string m_strText407;
    std::string m_strCode415;
    char m_c418 = ' ';
    char m_c419 = ' ';
    std::string m_strText420;
    float m_f428 = 0;
    char m_c432 = ' ';
    bool m_b433 = false;
    std::string m_strText434;
    std::string m_strText442;
    bool m_b450 = false;
    char m_c451 = ' ';
    bool m_b452 = false;
    bool m_b453 = false;
    std::array<std::string, 6> m_arrCodes454;
    bool m_b478 = false;
    std::array<float, 4> m_arrAmounts480{};
    int32_t m_n496 = 0;
    bool m_b500 = false;
};

class CCustomerDB : public CRecordFile<CCustomer, CCustomerDB> {
public:
    static constexpr uint16_t kRecordLength = 504;
    static constexpr int kKeys = 5;

    static constexpr rec::FileFacts kFacts{"CUST.DB", "Customer", true, true};
    int GetLineLength() const override { return m_nVersion < 777 ? 616 : 623; }
    // The newest version's line.
    int FormatLine(const uint8_t* raw, std::string& output) override {
        output = rec::FormatLine(Fields(), raw, 623);
        return 0;
    }
    void ImportLine(int firstChar) override;

    static const rec::Layout<CCustomer>& Fields();
    static const std::vector<BtrKeySegment>& KeySegments();

protected:
    // A purge keeps the customers marked "keep on reload".
    bool KeepOnPurge(const uint8_t* record, uint16_t length) const override;
};
