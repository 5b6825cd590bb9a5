#include "OrderDB.h"

#include <cstdint>
#include <cstdio>
#include <new>

namespace {

// Another program of the suite may take a number between the search and the insert: search
// again, a bounded number of times.
constexpr int kNumberTries = 16;

// A number as a key holds it.
std::string Number(int64_t n) {
    std::string key(4, '\0');
    fields::PutLE(reinterpret_cast<uint8_t*>(key.data()), 0, static_cast<int32_t>(n));
    return key;
}

} // namespace

std::vector<BtrKeySegment> COrderDB::KeySegments() {
    return {Segment("m_nOrderNumber", btr::KF_EXTENDED_TYPE, btr::KT_INTEGER),
            Segment("m_strKey1", 0, btr::KT_STRING), Segment("m_strKey2", 0, btr::KT_STRING)};
}

std::unique_ptr<COrderItemDB> COrderDB::NewOrderItemDB() {
    return std::unique_ptr<COrderItemDB>(new (std::nothrow) COrderItemDB());
}

template <class Work> int COrderDB::WithItemDB(Work work) {
    std::unique_ptr<COrderItemDB> items = NewOrderItemDB();
    if (!items) return kNoMemory;
    // The lines live in the same directory as the headers.
    int status = items->OpenFile(SiblingFile(items->GetFileName()).c_str());
    return status != 0 ? status : work(*items);
}

template <class File>
int COrderDB::FreeNumber(File& file, const std::string& prefix, int32_t first, int32_t& number) {
    for (int64_t n = first; n <= INT32_MAX; ++n) {
        int status = file.KeyOnlyEqual(0, prefix + Number(n));
        if (status == btr::B_KEY_VALUE_NOT_FOUND) number = static_cast<int32_t>(n);
        if (status != 0) return status == btr::B_KEY_VALUE_NOT_FOUND ? 0 : status;
    }
    return btr::B_DUPLICATE_KEY_VALUE; // every number taken
}

template <class File>
int COrderDB::InsertNumbered(File& file, typename File::Record& record, int32_t& number,
                             const std::string& prefix, int32_t first, bool assign) {
    const int32_t previous = number;
    int status = 0;
    for (int attempt = 0; attempt < kNumberTries; ++attempt) {
        if (assign && (status = FreeNumber(file, prefix, first, number)) != 0) break;
        status = file.InsertRecord(record);
        // Only a number taken meanwhile is worth another search; a duplicate of another key
        // stays a duplicate.
        if (!assign || status != btr::B_DUPLICATE_KEY_VALUE ||
            file.KeyOnlyEqual(0, prefix + Number(number)) != 0)
            break;
    }
    if (status != 0) number = previous;
    return status;
}

int COrderDB::AddOrder(COrder& order) {
    int status = InsertNumbered(*this, order, order.m_nOrderNumber, {}, 1, true);
    if (status != 0) return status;
    for (COrderItem& line : order.m_arrLines)
        line.m_nOrderNumber = order.m_nOrderNumber;
    return 0;
}

int COrderDB::InsertOrder(COrder& order) {
    return InsertRecord(order);
}

int COrderDB::AddLineTo(COrderItemDB& items, COrderItem& line) {
    return InsertNumbered(items, line, line.m_nLineNumber, Number(line.m_nOrderNumber), 0,
                          line.m_nLineNumber == -1);
}

int COrderDB::UpdateOrder(COrder& order) {
    if (int status = UpdateRecord(order)) return status;
    return WithItemDB([&](COrderItemDB& items) {
        for (const COrderItem& removed : order.m_arrRemoved) {
            if (removed.m_nLineNumber < 0) continue; // never stored
            int status = items.DeleteRecord(Number(order.m_nOrderNumber) + Number(removed.m_nLineNumber));
            if (status != 0) return status;
        }
        order.m_arrRemoved.clear();
        for (COrderItem& line : order.m_arrLines) {
            line.m_nOrderNumber = order.m_nOrderNumber;
            int status = line.m_nLineNumber == -1 ? btr::B_KEY_VALUE_NOT_FOUND : items.UpdateRecord(line);
            // A line no longer stored is added again.
            if (status == btr::B_KEY_VALUE_NOT_FOUND) status = AddLineTo(items, line);
            if (status != 0) return status;
        }
        return 0;
    });
}

int COrderDB::UpdateOrderLine(COrderItem& line) {
    return WithItemDB([&](COrderItemDB& items) { return items.UpdateRecord(line); });
}

int COrderDB::AddOrderLine(COrderItem& line) {
    return WithItemDB([&](COrderItemDB& items) { return AddLineTo(items, line); });
}

int COrderDB::ReadHeader(int status, COrder& order, bool bLines) {
    return status == 0 && bLines ? LoadLines(order) : status;
}

int COrderDB::GetFirstOrder(COrder& order, bool bLines) {
    if (int status = FillKey(0, Number(0))) return status;
    return ReadHeader(ReadRecord(btr::B_GET_GE, order, 0), order, bLines);
}

int COrderDB::GetNextOrder(COrder& order, bool bLines) {
    return ReadHeader(GetNextRecord(order), order, bLines);
}

int COrderDB::GetOrderByKey(COrder& order, const std::string& key1, bool bLines) {
    return ReadHeader(GetRecord(order, key1, 1), order, bLines);
}

int COrderDB::GetOrder(COrder& order, int32_t number, bool bLines) {
    return ReadHeader(GetRecord(order, Number(number)), order, bLines);
}

int COrderDB::GetFirstOrderOfDate(COrder& order, int year, int month, int day) {
    char date[40];
    int n = std::snprintf(date, sizeof date, "%4.4d%2.2d%2.2d", year, month, day);
    // A date that does not make eight digits cannot begin a stored key.
    if (n != 8) return btr::B_KEY_VALUE_NOT_FOUND;
    m_strDate = date;
    if (int status = FillKey(2, m_strDate)) return status;
    return ReadWithPrefix(btr::B_GET_GE, order, 2, m_strDate);
}

int COrderDB::GetNextOrderOfDate(COrder& order) {
    return ReadWithPrefix(btr::B_GET_NEXT, order, 2, m_strDate, kEndOfDate);
}

template <class Visit> int COrderDB::ForEachLine(COrderItemDB& items, int32_t order, Visit visit) {
    if (int status = items.FillKey(0, Number(order) + Number(INT32_MIN))) return status;
    COrderItem line;
    int status = items.ReadRecord(btr::B_GET_GE, line, 0);
    for (; status == 0 && line.m_nOrderNumber == order; status = items.GetNextRecord(line))
        if (int failed = visit(line)) return failed;
    return status == btr::B_END_OF_FILE ? 0 : status;
}

int COrderDB::DeleteOrder(int32_t number) {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    int status = WithItemDB([&](COrderItemDB& items) {
        return ForEachLine(items, number, [&](const COrderItem&) { return items.Delete(); });
    });
    return status != 0 ? status : DeleteRecord(Number(number));
}

int COrderDB::LoadLines(COrder& order) {
    return WithItemDB([&](COrderItemDB& items) {
        order.m_arrLines.clear();
        order.m_arrRemoved.clear();
        return ForEachLine(items, order.m_nOrderNumber, [&](const COrderItem& line) {
            order.m_arrLines.push_back(line);
            return 0;
        });
    });
}
