#include "OrderItemDB.h"

std::vector<BtrKeySegment> COrderItemDB::KeySegments() {
    using namespace btr;
    constexpr uint16_t kInt = KF_EXTENDED_TYPE;
    // 0: order and line; 1: order and item; 2: order and the item's first 12 characters;
    // 3: those 12 characters
    return {Segment("m_nOrderNumber", kInt | KF_SEGMENTED | KF_MODIFIABLE, KT_INTEGER),
            Segment("m_nLineNumber", kInt | KF_MODIFIABLE, KT_INTEGER),
            Segment("m_nOrderNumber", kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER),
            Segment("m_strItemID", KF_DUPLICATES, KT_STRING),
            Segment("m_nOrderNumber", kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER),
            Segment("m_strItemID", KF_DUPLICATES, KT_STRING, 12),
            Segment("m_strItemID", KF_DUPLICATES, KT_STRING, 12)};
}
