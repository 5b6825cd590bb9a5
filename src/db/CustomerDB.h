// CUST.DB: the distributor's customer accounts, shared with the order-entry programs.
#pragma once

#include "RecordFile.h"

#include <array>

// Fields without a meaning in this program are named by their record offset.
class CCustomer {
public:
    KR_RECORD(CCustomer);
    KR_FIELD(std::string, m_strCode0, 0, 2, Text, 198, Kind::RText);
    KR_FIELD(std::string, m_strNumber, 2, 6, Upper, 237, Kind::Key);    // key 0
    KR_FIELD(std::string, m_strName, 8, 25, Text, 333, Kind::RText);    // key 1
    KR_FIELD(std::string, m_strCode33, 33, 4, Upper, 164, Kind::RText); // key 2
    KR_FIELD(std::string, m_strCode37, 37, 8, Upper, 572, Kind::RText); // key 3
    KR_ARRAY(std::string, 3, m_arrAddress, 45, 25, Text, 0, 25, Kind::RText);
    KR_FIELD(std::string, m_strCity, 120, 15, Text, 168, Kind::RText);
    KR_FIELD(std::string, m_strState, 135, 2, Text, 489, Kind::RText);
    // "12345-6789" in memory, 9 digits stored.
    KR_FIELD(std::string, m_strPostal, 137, 9, Postal, 518, Kind::RText, 10);
    KR_FIELD(std::string, m_strText146, 146, 20, Text, 141, Kind::RText);
    KR_FIELD(std::string, m_strPhone1, 166, 10, Phone, 434); // "(555) 123-4567" in memory, 10 digits stored
    KR_FIELD(std::string, m_strPhone2, 176, 10, Phone, 444);
    KR_FIELD(std::string, m_strPhone1Text, 186, 20, Text, 394, Kind::RText);
    KR_FIELD(std::string, m_strPhone2Text, 206, 20, Text, 414, Kind::RText);
    KR_FIELD(std::string, m_strPhone3, 226, 10, Phone, 268);
    KR_FIELD(std::string, m_strCode236, 236, 6, Upper, 601, Kind::RText);
    KR_FIELD(std::string, m_strCode242, 242, 3, Text, 479, Kind::RText);
    KR_FIELD(char, m_cRaw245, 245, 1, Byte, 493) = ' ';
    KR_FIELD(int32_t, m_n248, 248, 4, I32, 231) = 0;
    KR_FIELD(float, m_f252, 252, 4, F32, 503) = 0;
    KR_FIELD(std::string, m_strCode256, 256, 2, Upper, 515, Kind::RText);
    KR_FIELD(std::string, m_strText258, 258, 10, Text, 250, Kind::RText);
    KR_FIELD(std::string, m_strText268, 268, 8, Text, 260, Kind::RText);
    KR_FIELD(bool, m_b276, 276, 1, Flag, 230) = false;
    KR_FIELD(int32_t, m_n280, 280, 4, I32, 243) = 0;
    KR_FIELD(char, m_cRaw284, 284, 1, Byte, 492) = ' ';
    KR_FIELD(std::string, m_strText285, 285, 8, Text, 314, Kind::RText);
    KR_ARRAY(float, 6, m_arrAmounts296, 296, 4, F32, {130, 119, 75, 86, 97, 108}){};
    KR_FIELD(bool, m_b320, 320, 1, Flag, 392) = false;
    KR_FIELD(bool, m_bKeepOnReload, 321, 1, Flag) = false;
    KR_FIELD(bool, m_b322, 322, 1, Flag, 162) = false;
    KR_FIELD(std::string, m_strCode323, 323, 4, Upper, 597, Kind::RText);
    KR_FIELD(bool, m_b327, 327, 1, Flag, 221) = false;
    KR_FIELD(std::string, m_strCode328, 328, 3, Text, 607, Kind::RText, 8);
    KR_FIELD(char, m_c331, 331, 1, Code, 469) = ' ';
    KR_FIELD(int32_t, m_n332, 332, 4, I32, 470) = 0;
    KR_FIELD(char, m_c336, 336, 1, Code, 482) = ' ';
    KR_FIELD(int32_t, m_n340, 340, 4, I32, 215) = 0;
    KR_FIELD(char, m_c344, 344, 1, Code, 514) = ' ';
    KR_FIELD(std::string, m_strText345, 345, 8, Text, 222, Kind::RText);
    KR_FIELD(char, m_c353, 353, 1, Code, 580) = ' ';
    KR_FIELD(std::string, m_strText354, 354, 14, Text, 583, Kind::RText);
    KR_FIELD(float, m_f368, 368, 4, F32, 322) = 0;
    KR_FIELD(float, m_f372, 372, 4, F32, 454) = 0;
    KR_FIELD(bool, m_b376, 376, 1, Flag, 488) = false;
    KR_FIELD(char, m_c377, 377, 1, Code, 581) = ' ';
    KR_FIELD(char, m_c378, 378, 1, Code, 582) = ' ';
    KR_FIELD(bool, m_b379, 379, 1, Flag, 517) = false;
    KR_FIELD(bool, m_b380, 380, 1, Flag, 161) = false;
    KR_FIELD(std::string, m_strText381, 381, 8, Text, 306, Kind::RText);
    KR_FIELD(bool, m_b389, 389, 1, Flag, 465) = false;
    KR_FIELD(float, m_f392, 392, 4, F32, 366) = 0;
    KR_FIELD(bool, m_b396, 396, 1, Flag, 502) = false;
    KR_FIELD(bool, m_b397, 397, 1, Flag, 163) = false;
    KR_FIELD(std::string, m_strText398, 398, 8, Text, 494, Kind::RText);
    KR_FIELD(bool, m_b406, 406, 1, Flag, 249) = false;
    KR_FIELD(std::string, m_strText407, 407, 8, Text, 358, Kind::RText);
    KR_FIELD(std::string, m_strCode415, 415, 3, Text, 476, Kind::RText);
    KR_FIELD(char, m_c418, 418, 1, Code, 483) = ' ';
    KR_FIELD(char, m_c419, 419, 1, Code, 213) = ' ';
    KR_FIELD(std::string, m_strText420, 420, 8, Text, 295, Kind::RText);
    KR_FIELD(float, m_f428, 428, 4, F32, 200) = 0;
    KR_FIELD(char, m_c432, 432, 1, Code, 211) = ' ';
    KR_FIELD(bool, m_b433, 433, 1, Flag, 212) = false;
    KR_FIELD(std::string, m_strText434, 434, 8, Text, 287, Kind::RText);
    KR_FIELD(std::string, m_strText442, 442, 8, Text, 279, Kind::RText);
    KR_FIELD(bool, m_b450, 450, 1, Flag, 491) = false;
    KR_FIELD(char, m_c451, 451, 1, Code, 214) = ' ';
    KR_FIELD(bool, m_b452, 452, 1, Flag, 393) = false;
    KR_FIELD(bool, m_b453, 453, 1, Flag, 278) = false;
    KR_ARRAY(std::string, 6, m_arrCodes454, 454, 4, Text, {377, 183, 382, 188, 387, 193}, Kind::RText, 5);
    KR_FIELD(bool, m_b478, 478, 1, Flag, 468) = false;
    KR_ARRAY(float, 4, m_arrAmounts480, 480, 4, F32, 528, 11){};
    KR_FIELD(int32_t, m_n496, 496, 4, I32, 616) = 0;
    KR_FIELD(bool, m_b500, 500, 1, Flag, 615) = false;
};

class CCustomerDB : public CRecordFile<CCustomer, CCustomerDB> {
public:
    static constexpr uint16_t kRecordLength = 504;

    static constexpr rec::FileFacts kFacts{"CUST.DB", "Customer", true, true};
    static constexpr rec::LineVersion kLines[] = {{777, 616}, {INT_MAX, 623}};
    void ImportLine(int firstChar) override;

    static std::vector<BtrKeySegment> KeySegments();

protected:
    // A purge keeps the customers marked "keep on reload".
    bool KeepOnPurge(const uint8_t* record, uint16_t length) const override;
};
