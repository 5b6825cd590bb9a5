#include "OrderDB.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "RecordFields.h"
#include "RecordLayout.h"
#include "btrieve/btrcall.h"

namespace {

// Another program of the suite may take a number between the search and the insert: search
// again, a bounded number of times.
constexpr int kNumberTries = 16;

// Key-only Get Equal: 0 when a record with this key exists, 4 when none does.
int KeyOnlyEqual(bool open, uint8_t* posBlock, void* key, int keyNumber) {
    if (!open) return btr::B_FILE_NOT_OPEN;
    uint8_t data[COrderDB::kRecordSize] = {};
    uint16_t length = sizeof data;
    return BtrvCall(btr::B_GET_EQUAL + btr::kKeyOnlyBias, posBlock, data, &length, key, keyNumber);
}

void PutLineKey(uint8_t* key, int32_t order, int32_t line) {
    fields::PutI32(key, 0, order);
    fields::PutI32(key, 4, line);
}

} // namespace

const std::vector<BtrKeySegment>& COrderDB::KeySegments() {
    static const std::vector<BtrKeySegment> segments = {
        rec::Segment(Fields(), "m_nOrderNumber", btr::KF_EXTENDED_TYPE, btr::KT_INTEGER),
        rec::Segment(Fields(), "m_strKey1", 0, btr::KT_STRING),
        rec::Segment(Fields(), "m_strKey2", 0, btr::KT_STRING)};
    return segments;
}

#define KR_RECORD COrder
const rec::Layout<COrder>& COrderDB::Fields() {
    static const rec::Layout<COrder> layout = {
        KR_AT(m_nOrderNumber, 0, 4, I32),
        KR_AT(m_strKey1, 4, 14, UpperOnWrite),
        KR_AT(m_strKey2, 18, 14, UpperOnWrite),
        KR_AT(m_strCustomer, 32, 6, UpperOnWrite),
        KR_AT(m_strText14, 38, 14, Text),
        KR_AT(m_cChar1, 52, 1, Byte),
        KR_AT(m_strText42, 53, 42, Text),
        KR_AT(m_strText25, 95, 25, Text),
        KR_AT(m_nNumber2, 120, 4, I32),
        KR_AT(m_bFlag, 124, 1, Flag),
        KR_AT(m_nNumber1, 128, 4, I32),
        KR_AT(m_dAmount5, 136, 8, F64),
        KR_AT(m_dAmount1, 144, 8, F64),
        KR_AT(m_dAmount2, 152, 8, F64),
        KR_AT(m_dAmount3, 160, 8, F64),
        KR_AT(m_dAmount4, 168, 8, F64),
        KR_AT(m_strName, 176, 25, Text),
        KR_AT(m_arrTexts[0], 201, 25, Text),
        KR_AT(m_arrTexts[1], 226, 25, Text),
        KR_AT(m_arrTexts[2], 251, 25, Text),
        KR_AT(m_arrTexts[3], 276, 25, Text),
        KR_AT(m_strText15a, 301, 15, Text),
        KR_AT(m_strText2a, 316, 2, Text),
        KR_AT(m_strPostalCode, 318, 9, PostalDigits),
        KR_AT(m_strText15b, 327, 15, Text),
        KR_AT(m_strText6, 342, 6, Text),
        KR_AT(m_strPhone1, 348, 10, PhoneDigits),
        KR_AT(m_strPhone2, 358, 10, PhoneDigits),
        KR_AT(m_strText2b, 368, 2, Text),
        KR_AT(m_strText20, 370, 20, Text),
        KR_AT(m_cChar2, 390, 1, Byte),
        KR_AT(m_cChar3, 391, 1, Byte),
        KR_AT(m_strText15c, 392, 15, Text),
    };
    return layout;
}
#undef KR_RECORD

std::unique_ptr<COrderItemDB> COrderDB::NewOrderItemDB() {
    return std::unique_ptr<COrderItemDB>(new (std::nothrow) COrderItemDB());
}

int COrderDB::OpenItemDB(std::unique_ptr<COrderItemDB>& items) {
    items = NewOrderItemDB();
    if (!items) return kNoMemory;
    // The lines live in the same directory as the headers.
    std::filesystem::path dir = std::filesystem::path(m_strOpenName).parent_path();
    if (dir.empty()) return items->OpenFile();
    std::string path = (dir / items->GetFileName()).string();
    return items->OpenFile(path.c_str());
}

int COrderDB::NextOrderNumber(int32_t& number) {
    uint8_t key[4];
    for (int64_t n = 1; n <= INT32_MAX; ++n) {
        fields::PutI32(key, 0, static_cast<int32_t>(n));
        int status = KeyOnlyEqual(m_bOpen, m_posBlock, key, 0);
        if (status == btr::B_KEY_VALUE_NOT_FOUND) {
            number = static_cast<int32_t>(n);
            return 0;
        }
        if (status != 0) return status;
    }
    return btr::B_DUPLICATE_KEY_VALUE;
}

int COrderDB::NextLineNumber(COrderItemDB& items, int32_t order, int32_t& line) {
    uint8_t key[8];
    for (int64_t n = 0; n <= INT32_MAX; ++n) {
        PutLineKey(key, order, static_cast<int32_t>(n));
        int status = KeyOnlyEqual(items.m_bOpen, items.m_posBlock, key, 0);
        if (status == btr::B_KEY_VALUE_NOT_FOUND) {
            line = static_cast<int32_t>(n);
            return 0;
        }
        if (status != 0) return status;
    }
    return btr::B_DUPLICATE_KEY_VALUE;
}

int COrderDB::AddOrder(COrder& order) {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    const int32_t previous = order.m_nOrderNumber;
    int status = 0;
    for (int attempt = 0; attempt < kNumberTries; ++attempt) {
        int32_t number = 0;
        status = NextOrderNumber(number);
        if (status != 0) break;
        order.m_nOrderNumber = number;
        uint8_t record[kRecordSize] = {};
        Pack(order, record);
        fields::PutI32(KeyBuffer(0), 0, number);
        uint16_t length = kRecordSize;
        status = Insert(record, &length, KeyBuffer(0), 0);
        if (status != btr::B_DUPLICATE_KEY_VALUE) break;
        // Only a number taken meanwhile is worth another search; a duplicate of
        // another key stays a duplicate.
        fields::PutI32(KeyBuffer(0), 0, number);
        if (KeyOnlyEqual(m_bOpen, m_posBlock, KeyBuffer(0), 0) != 0) break;
    }
    if (status != 0) {
        order.m_nOrderNumber = previous;
        return status;
    }
    for (COrderItem& line : order.m_arrLines)
        line.m_nOrderNumber = order.m_nOrderNumber;
    return 0;
}

int COrderDB::InsertOrder(COrder& order) {
    uint8_t record[kRecordSize] = {};
    Pack(order, record);
    fields::PutI32(KeyBuffer(0), 0, order.m_nOrderNumber);
    uint16_t length = kRecordSize;
    return Insert(record, &length, KeyBuffer(0), 0);
}

int COrderDB::UpdateOrder(COrder& order) {
    fields::PutI32(KeyBuffer(0), 0, order.m_nOrderNumber);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetEqual(record, &length, KeyBuffer(0), 0);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    Pack(order, record);
    length = kRecordSize;
    status = Update(record, &length, KeyBuffer(0), 0);
    if (status != 0) return status;

    std::unique_ptr<COrderItemDB> items;
    status = OpenItemDB(items);
    if (status != 0) return status;
    for (const COrderItem& removed : order.m_arrRemoved) {
        if (removed.m_nLineNumber < 0) continue; // never stored
        status = DeleteLineFrom(*items, order.m_nOrderNumber, removed.m_nLineNumber);
        if (status != 0) return status;
    }
    order.m_arrRemoved.clear();
    for (COrderItem& line : order.m_arrLines) {
        line.m_nOrderNumber = order.m_nOrderNumber;
        if (line.m_nLineNumber == -1) {
            status = AddLineTo(*items, line);
        } else {
            status = RewriteLine(*items, line);
            if (status == btr::B_KEY_VALUE_NOT_FOUND) status = AddLineTo(*items, line);
        }
        if (status != 0) return status;
    }
    return 0;
}

int COrderDB::AddLineTo(COrderItemDB& items, COrderItem& line) {
    const int32_t previous = line.m_nLineNumber;
    const bool assign = previous == -1;
    int status = 0;
    for (int attempt = 0; attempt < kNumberTries; ++attempt) {
        if (assign) {
            int32_t number = 0;
            status = NextLineNumber(items, line.m_nOrderNumber, number);
            if (status != 0) break;
            line.m_nLineNumber = number;
        }
        uint8_t record[COrderItemDB::kRecordSize] = {};
        COrderItemDB::Pack(line, record);
        PutLineKey(items.KeyBuffer(0), line.m_nOrderNumber, line.m_nLineNumber);
        uint16_t length = COrderItemDB::kRecordSize;
        status = items.Insert(record, &length, items.KeyBuffer(0), 0);
        if (!assign || status != btr::B_DUPLICATE_KEY_VALUE) break;
        PutLineKey(items.KeyBuffer(0), line.m_nOrderNumber, line.m_nLineNumber);
        if (KeyOnlyEqual(items.m_bOpen, items.m_posBlock, items.KeyBuffer(0), 0) != 0) break;
    }
    if (status != 0) line.m_nLineNumber = previous;
    return status;
}

int COrderDB::RewriteLine(COrderItemDB& items, COrderItem& line) {
    PutLineKey(items.KeyBuffer(0), line.m_nOrderNumber, line.m_nLineNumber);
    uint8_t record[COrderItemDB::kRecordSize] = {};
    uint16_t length = COrderItemDB::kRecordSize;
    int status = items.GetEqual(record, &length, items.KeyBuffer(0), 0);
    if (status != 0) return status;
    if (length != COrderItemDB::kRecordSize) return btr::B_DATALENGTH_ERROR;
    COrderItemDB::Pack(line, record);
    length = COrderItemDB::kRecordSize;
    return items.Update(record, &length, items.KeyBuffer(0), 0);
}

int COrderDB::DeleteLineFrom(COrderItemDB& items, int32_t order, int32_t line) {
    PutLineKey(items.KeyBuffer(0), order, line);
    uint8_t record[COrderItemDB::kRecordSize] = {};
    uint16_t length = COrderItemDB::kRecordSize;
    int status = items.GetEqual(record, &length, items.KeyBuffer(0), 0);
    if (status == btr::B_KEY_VALUE_NOT_FOUND) return 0;
    if (status != 0) return status;
    return items.Delete();
}

int COrderDB::UpdateOrderLine(COrderItem& line) {
    std::unique_ptr<COrderItemDB> items;
    int status = OpenItemDB(items);
    if (status != 0) return status;
    return RewriteLine(*items, line);
}

int COrderDB::AddOrderLine(COrderItem& line) {
    std::unique_ptr<COrderItemDB> items;
    int status = OpenItemDB(items);
    if (status != 0) return status;
    return AddLineTo(*items, line);
}

int COrderDB::ReadHeader(int status, uint16_t length, const uint8_t* record, COrder& order, bool bLines) {
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    Unpack(record, order);
    return bLines ? LoadLines(order) : 0;
}

int COrderDB::GetFirstOrder(COrder& order, bool bLines) {
    fields::PutI32(KeyBuffer(0), 0, 0);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetGreaterOrEqual(record, &length, KeyBuffer(0), 0);
    return ReadHeader(status, length, record, order, bLines);
}

int COrderDB::GetNextOrder(COrder& order, bool bLines) {
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetNext(record, &length, KeyBuffer(0), 0);
    return ReadHeader(status, length, record, order, bLines);
}

int COrderDB::GetOrderByKey(COrder& order, const std::string& key1, bool bLines) {
    // Stored upper-case and zero-filled.
    fields::PutText(KeyBuffer(1), 0, fields::Upper(key1), 14, '\0');
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetEqual(record, &length, KeyBuffer(1), 1);
    return ReadHeader(status, length, record, order, bLines);
}

int COrderDB::GetOrder(COrder& order, int32_t number, bool bLines) {
    fields::PutI32(KeyBuffer(0), 0, number);
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetEqual(record, &length, KeyBuffer(0), 0);
    return ReadHeader(status, length, record, order, bLines);
}

int COrderDB::GetFirstOrderOfDate(COrder& order, int year, int month, int day) {
    char date[40];
    int n = std::snprintf(date, sizeof date, "%4.4d%2.2d%2.2d", year, month, day);
    // A date that does not make eight digits cannot begin a stored key.
    if (n != 8) return btr::B_KEY_VALUE_NOT_FOUND;
    m_strDate = date;
    fields::PutText(KeyBuffer(2), 0, m_strDate, 14, '\0');
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetGreaterOrEqual(record, &length, KeyBuffer(2), 2);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    if (std::memcmp(KeyBuffer(2), m_strDate.data(), m_strDate.size()) != 0) return btr::B_KEY_VALUE_NOT_FOUND;
    Unpack(record, order);
    return 0;
}

int COrderDB::GetNextOrderOfDate(COrder& order) {
    uint8_t record[kRecordSize] = {};
    uint16_t length = kRecordSize;
    int status = GetNext(record, &length, KeyBuffer(2), 2);
    if (status != 0) return status;
    if (length != kRecordSize) return btr::B_DATALENGTH_ERROR;
    if (std::memcmp(KeyBuffer(2), m_strDate.data(), m_strDate.size()) != 0) return kEndOfDate;
    Unpack(record, order);
    return 0;
}

int COrderDB::DeleteOrder(int32_t number) {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    std::unique_ptr<COrderItemDB> items;
    int status = OpenItemDB(items);
    if (status != 0) return status;
    uint8_t line[COrderItemDB::kRecordSize] = {};
    uint16_t length = sizeof line;
    PutLineKey(items->KeyBuffer(0), number, INT32_MIN);
    status = items->GetGreaterOrEqual(line, &length, items->KeyBuffer(0), 0);
    while (status == 0 && fields::GetI32(items->KeyBuffer(0), 0) == number) {
        status = items->Delete();
        if (status != 0) return status;
        length = sizeof line;
        status = items->GetNext(line, &length, items->KeyBuffer(0), 0);
    }
    if (status != 0 && status != btr::B_END_OF_FILE) return status;

    std::string key(4, '\0');
    fields::PutI32(reinterpret_cast<uint8_t*>(key.data()), 0, number);
    return DeleteRecord(key);
}

int COrderDB::LoadLines(COrder& order) {
    std::unique_ptr<COrderItemDB> items;
    int status = OpenItemDB(items);
    if (status != 0) return status;
    order.m_arrLines.clear();
    order.m_arrRemoved.clear();
    PutLineKey(items->KeyBuffer(0), order.m_nOrderNumber, INT32_MIN);
    uint8_t record[COrderItemDB::kRecordSize] = {};
    uint16_t length = sizeof record;
    status = items->GetGreaterOrEqual(record, &length, items->KeyBuffer(0), 0);
    while (status == 0) {
        if (length != COrderItemDB::kRecordSize) return btr::B_DATALENGTH_ERROR;
        COrderItem line;
        COrderItemDB::Unpack(record, line);
        if (line.m_nOrderNumber != order.m_nOrderNumber) break;
        order.m_arrLines.push_back(line);
        length = sizeof record;
        status = items->GetNext(record, &length, items->KeyBuffer(0), 0);
    }
    return (status == 0 || status == btr::B_END_OF_FILE) ? 0 : status;
}
