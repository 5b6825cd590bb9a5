#include "OrderItemDB.h"

const std::vector<BtrKeySegment>& COrderItemDB::KeySegments() {
    using namespace btr;
    constexpr uint16_t kInt = KF_EXTENDED_TYPE;
    // 0: order and line; 1: order and item; 2: order and the item's first 12 characters;
    // 3: those 12 characters
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_nOrderNumber", kInt | KF_SEGMENTED | KF_MODIFIABLE, KT_INTEGER),
        rec::Segment(Fields(), "m_nLineNumber", kInt | KF_MODIFIABLE, KT_INTEGER),
        rec::Segment(Fields(), "m_nOrderNumber", kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER),
        rec::Segment(Fields(), "m_strItemID", KF_DUPLICATES, KT_STRING),
        rec::Segment(Fields(), "m_nOrderNumber", kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER),
        rec::Segment(Fields(), "m_strItemID", KF_DUPLICATES, KT_STRING, 12),
        rec::Segment(Fields(), "m_strItemID", KF_DUPLICATES, KT_STRING, 12)};
    return segments;
}

#define KR_RECORD COrderItem
// Texts and the code are upper-cased when written and read as stored.
const rec::Layout<COrderItem>& COrderItemDB::Fields() {
    static const rec::Layout<COrderItem> layout = {
        KR_AT(m_nOrderNumber, 0, 4, I32),        KR_AT(m_nLineNumber, 4, 4, I32),
        KR_AT(m_strItemID, 8, 15, UpperOnWrite), KR_AT(m_strDescription, 23, 30, Text),
        KR_AT(m_strUnit, 53, 3, UpperOnWrite),   KR_AT(m_nNumber1, 56, 4, I32),
        KR_AT(m_arrNumbers[0], 60, 4, I32),      KR_AT(m_arrNumbers[1], 64, 4, I32),
        KR_AT(m_arrNumbers[2], 68, 4, I32),      KR_AT(m_dAmount1, 72, 4, Float),
        KR_AT(m_dAmount2, 76, 4, Float),         KR_AT(m_dAmount3, 80, 4, Float),
        KR_AT(m_dAmount4, 84, 4, Float),         KR_AT(m_strCode1, 88, 4, UpperOnWrite),
        KR_AT(m_strComment, 92, 60, Text),       KR_AT(m_nNumber2, 152, 4, I32),
        KR_AT(m_bFlag1, 156, 1, Flag),           KR_AT(m_cCode, 157, 1, CodeOnWrite),
        KR_AT(m_bFlag2, 158, 1, Flag),           KR_AT(m_bFlag3, 159, 1, Flag),
        KR_AT(m_strCode2, 160, 2, UpperOnWrite), KR_AT(m_nNumber3, 164, 4, I32),
        KR_AT(m_dAmount5, 168, 4, Float),        KR_AT(m_strCode3, 172, 4, UpperOnWrite),
    };
    return layout;
}
#undef KR_RECORD
