#include "CustomerDB.h"

using namespace fields;

const std::vector<BtrKeySegment>& CCustomerDB::KeySegments() {
    const auto& f = Fields();
    // Key 4 runs on from the code at 33 over the code at 37.
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(f, "m_strNumber", 0, btr::KT_STRING), rec::Segment(f, "m_strName", 3, btr::KT_STRING),
        rec::Segment(f, "m_strCode33", 3, btr::KT_STRING), rec::Segment(f, "m_strCode37", 3, btr::KT_STRING),
        rec::Segment(f, "m_strCode33", 3, btr::KT_STRING, "m_strCode37")};
    return segments;
}

bool CCustomerDB::KeepOnPurge(const uint8_t* record, uint16_t length) const {
    static const size_t keep = rec::Find(Fields(), "m_bKeepOnReload")->offset;
    return length >= kRecordLength && GetFlag(record, keep);
}

void CCustomerDB::ImportLine(int firstChar) {
    // The number sits inside the line; a customer on file keeps what the line does not carry
    // (the keep-on-reload flag, and the last fields in the older version).
    std::string line;
    CCustomer customer;
    ImportRecordLine(
        firstChar, line,
        {rec::LineWidth(Fields(), "m_strNumber", "m_strNumber"), "Error %d Deleting Customer %s",
         "Error %d Writing to Database", [this](const std::string& key) { return DeleteRecord(key); },
         [&](const std::string& l) { return GetRecord(customer, rec::LineText(Fields(), l, "m_strNumber")); },
         [&](const std::string& l, size_t length, std::string& error) {
             return rec::ReadLine(Fields(), l, length, customer, error);
         },
         [&](bool found) { return found ? UpdateRead(customer, 0) : InsertRecord(customer); }});
}

#define KR_RECORD CCustomer
using ichg::Kind;
// The record, field by field in offset order.
const rec::Layout<CCustomer>& CCustomerDB::Fields() {
    static const rec::Layout<CCustomer> layout = {
        KR_AT(m_strCode0, 0, 2, Text, 198, Kind::RText),
        KR_AT(m_strNumber, 2, 6, Upper, 237, Kind::Key),
        KR_AT(m_strName, 8, 25, Text, 333, Kind::RText),
        KR_AT(m_strCode33, 33, 4, Upper, 164, Kind::RText),
        KR_AT(m_strCode37, 37, 8, Upper, 572, Kind::RText),
        KR_AT(m_arrAddress[0], 45, 25, Text, 0, Kind::RText),
        KR_AT(m_arrAddress[1], 70, 25, Text, 25, Kind::RText),
        KR_AT(m_arrAddress[2], 95, 25, Text, 50, Kind::RText),
        KR_AT(m_strCity, 120, 15, Text, 168, Kind::RText),
        KR_AT(m_strState, 135, 2, Text, 489, Kind::RText),
        KR_AT(m_strPostal, 137, 9, Postal, 518, Kind::RText, 10),
        KR_AT(m_strText146, 146, 20, Text, 141, Kind::RText),
        KR_AT(m_strPhone1, 166, 10, Phone, 434),
        KR_AT(m_strPhone2, 176, 10, Phone, 444),
        KR_AT(m_strPhone1Text, 186, 20, Text, 394, Kind::RText),
        KR_AT(m_strPhone2Text, 206, 20, Text, 414, Kind::RText),
        KR_AT(m_strPhone3, 226, 10, Phone, 268),
        KR_AT(m_strCode236, 236, 6, Upper, 601, Kind::RText),
        KR_AT(m_strCode242, 242, 3, Text, 479, Kind::RText),
        KR_AT(m_cRaw245, 245, 1, Byte, 493),
        KR_AT(m_n248, 248, 4, I32, 231),
        KR_AT(m_f252, 252, 4, F32, 503),
        KR_AT(m_strCode256, 256, 2, Upper, 515, Kind::RText),
        KR_AT(m_strText258, 258, 10, Text, 250, Kind::RText),
        KR_AT(m_strText268, 268, 8, Text, 260, Kind::RText),
        KR_AT(m_b276, 276, 1, Flag, 230),
        KR_AT(m_n280, 280, 4, I32, 243),
        KR_AT(m_cRaw284, 284, 1, Byte, 492),
        KR_AT(m_strText285, 285, 8, Text, 314, Kind::RText),
        KR_AT(m_arrAmounts296[0], 296, 4, F32, 130),
        KR_AT(m_arrAmounts296[1], 300, 4, F32, 119),
        KR_AT(m_arrAmounts296[2], 304, 4, F32, 75),
        KR_AT(m_arrAmounts296[3], 308, 4, F32, 86),
        KR_AT(m_arrAmounts296[4], 312, 4, F32, 97),
        KR_AT(m_arrAmounts296[5], 316, 4, F32, 108),
        KR_AT(m_b320, 320, 1, Flag, 392),
        KR_AT(m_bKeepOnReload, 321, 1, Flag),
        KR_AT(m_b322, 322, 1, Flag, 162),
        KR_AT(m_strCode323, 323, 4, Upper, 597, Kind::RText),
        KR_AT(m_b327, 327, 1, Flag, 221),
        KR_AT(m_strCode328, 328, 3, Text, 607, Kind::RText, 8),
        KR_AT(m_c331, 331, 1, Code, 469),
        KR_AT(m_n332, 332, 4, I32, 470),
        KR_AT(m_c336, 336, 1, Code, 482),
        KR_AT(m_n340, 340, 4, I32, 215),
        KR_AT(m_c344, 344, 1, Code, 514),
        KR_AT(m_strText345, 345, 8, Text, 222, Kind::RText),
        KR_AT(m_c353, 353, 1, Code, 580),
        KR_AT(m_strText354, 354, 14, Text, 583, Kind::RText),
        KR_AT(m_f368, 368, 4, F32, 322),
        KR_AT(m_f372, 372, 4, F32, 454),
        KR_AT(m_b376, 376, 1, Flag, 488),
        KR_AT(m_c377, 377, 1, Code, 581),
        KR_AT(m_c378, 378, 1, Code, 582),
        KR_AT(m_b379, 379, 1, Flag, 517),
        KR_AT(m_b380, 380, 1, Flag, 161),
        KR_AT(m_strText381, 381, 8, Text, 306, Kind::RText),
        KR_AT(m_b389, 389, 1, Flag, 465),
        KR_AT(m_f392, 392, 4, F32, 366),
        KR_AT(m_b396, 396, 1, Flag, 502),
        KR_AT(m_b397, 397, 1, Flag, 163),
        KR_AT(m_strText398, 398, 8, Text, 494, Kind::RText),
        KR_AT(m_b406, 406, 1, Flag, 249),
        KR_AT(m_strText407, 407, 8, Text, 358, Kind::RText),
        KR_AT(m_strCode415, 415, 3, Text, 476, Kind::RText),
        KR_AT(m_c418, 418, 1, Code, 483),
        KR_AT(m_c419, 419, 1, Code, 213),
        KR_AT(m_strText420, 420, 8, Text, 295, Kind::RText),
        KR_AT(m_f428, 428, 4, F32, 200),
        KR_AT(m_c432, 432, 1, Code, 211),
        KR_AT(m_b433, 433, 1, Flag, 212),
        KR_AT(m_strText434, 434, 8, Text, 287, Kind::RText),
        KR_AT(m_strText442, 442, 8, Text, 279, Kind::RText),
        KR_AT(m_b450, 450, 1, Flag, 491),
        KR_AT(m_c451, 451, 1, Code, 214),
        KR_AT(m_b452, 452, 1, Flag, 393),
        KR_AT(m_b453, 453, 1, Flag, 278),
        KR_AT(m_arrCodes454[0], 454, 4, Text, 377, Kind::RText, 5),
        KR_AT(m_arrCodes454[1], 458, 4, Text, 183, Kind::RText, 5),
        KR_AT(m_arrCodes454[2], 462, 4, Text, 382, Kind::RText, 5),
        KR_AT(m_arrCodes454[3], 466, 4, Text, 188, Kind::RText, 5),
        KR_AT(m_arrCodes454[4], 470, 4, Text, 387, Kind::RText, 5),
        KR_AT(m_arrCodes454[5], 474, 4, Text, 193, Kind::RText, 5),
        KR_AT(m_b478, 478, 1, Flag, 468),
        KR_AT(m_arrAmounts480[0], 480, 4, F32, 528),
        KR_AT(m_arrAmounts480[1], 484, 4, F32, 539),
        KR_AT(m_arrAmounts480[2], 488, 4, F32, 550),
        KR_AT(m_arrAmounts480[3], 492, 4, F32, 561),
        KR_AT(m_n496, 496, 4, I32, 616),
        KR_AT(m_b500, 500, 1, Flag, 615),
    };
    return layout;
}
#undef KR_RECORD
