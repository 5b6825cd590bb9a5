// ORDER.DB: the suite's order headers, 408-byte records; the lines live in ORDRITEM.DB.
#pragma once

#include <array>
#include <memory>

#include "OrderItemDB.h"
#include "RecordFile.h"

class COrder {
public:
    KR_RECORD(COrder);
    KR_FIELD(int32_t, m_nOrderNumber, 0, 4, I32) = -1;      // key 0; -1 until assigned
    KR_FIELD(std::string, m_strKey1, 4, 14, UpperOnWrite);  // key 1
    KR_FIELD(std::string, m_strKey2, 18, 14, UpperOnWrite); // key 2: the date "YYYYMMDD" first
    KR_FIELD(std::string, m_strCustomer, 32, 6, UpperOnWrite);
    KR_FIELD(std::string, m_strText14, 38, 14, Text);
    KR_FIELD(char, m_cChar1, 52, 1, Byte) = 'Y';
    KR_FIELD(std::string, m_strText42, 53, 42, Text);
    KR_FIELD(std::string, m_strText25, 95, 25, Text);
    KR_FIELD(int32_t, m_nNumber2, 120, 4, I32) = 0;
    KR_FIELD(bool, m_bFlag, 124, 1, Flag) = true;
    KR_FIELD(int32_t, m_nNumber1, 128, 4, I32) = -1;
    KR_FIELD(double, m_dAmount5, 136, 8, F64) = 0;
    KR_FIELD(double, m_dAmount1, 144, 8, F64) = -1.0;
    KR_FIELD(double, m_dAmount2, 152, 8, F64) = 0;
    KR_FIELD(double, m_dAmount3, 160, 8, F64) = 0;
    KR_FIELD(double, m_dAmount4, 168, 8, F64) = 0;
    KR_FIELD(std::string, m_strName, 176, 25, Text);
    KR_ARRAY(std::string, 4, m_arrTexts, 201, 25, Text);
    KR_FIELD(std::string, m_strText15a, 301, 15, Text);
    KR_FIELD(std::string, m_strText2a, 316, 2, Text);
    KR_FIELD(std::string, m_strPostalCode, 318, 9, PostalDigits); // blanks and hyphens dropped
    KR_FIELD(std::string, m_strText15b, 327, 15, Text);
    KR_FIELD(std::string, m_strText6, 342, 6, Text);
    // Digits only (blanks, hyphens, parentheses dropped).
    KR_FIELD(std::string, m_strPhone1, 348, 10, PhoneDigits);
    KR_FIELD(std::string, m_strPhone2, 358, 10, PhoneDigits);
    KR_FIELD(std::string, m_strText2b, 368, 2, Text);
    KR_FIELD(std::string, m_strText20, 370, 20, Text);
    KR_FIELD(char, m_cChar2, 390, 1, Byte) = 'T';
    KR_FIELD(char, m_cChar3, 391, 1, Byte) = ' ';
    KR_FIELD(std::string, m_strText15c, 392, 15, Text);

    std::vector<COrderItem> m_arrLines;   // the order's lines
    std::vector<COrderItem> m_arrRemoved; // lines removed since the order was read
};

class COrderDB : public CRecordFile<COrder, COrderDB> {
public:
    static constexpr uint16_t kRecordLength = 408;
    // Returned when the order-line file object cannot be made.
    static constexpr int kNoMemory = 1002;
    // End of the orders of one date.
    static constexpr int kEndOfDate = 27;

    static constexpr rec::FileFacts kFacts{"ORDER.DB", "Order", false, false};

    // A new, unopened order-line file object; null when it cannot be made.
    virtual std::unique_ptr<COrderItemDB> NewOrderItemDB();
    // Assigns the first free order number from 1 upward, then inserts the header.
    virtual int AddOrder(COrder& order);
    // Rewrites the stored header, then its lines: removed lines are deleted, lines without a
    // number added, the others rewritten (or added when no longer stored).
    virtual int UpdateOrder(COrder& order);
    virtual int UpdateOrderLine(COrderItem& line);
    // A line numbered -1 gets the first free line number of its order from 0 upward.
    virtual int AddOrderLine(COrderItem& line);
    virtual int GetFirstOrder(COrder& order, bool bLines);
    virtual int GetFirstOrderOfDate(COrder& order, int year, int month, int day);
    virtual int GetNextOrderOfDate(COrder& order);
    // Inserts the header with the order number it carries.
    virtual int InsertOrder(COrder& order);
    virtual int GetNextOrder(COrder& order, bool bLines);
    virtual int GetOrderByKey(COrder& order, const std::string& key1, bool bLines);
    virtual int GetOrder(COrder& order, int32_t number, bool bLines);
    // Deletes the order's lines and then its header; a missing order counts as success.
    virtual int DeleteOrder(int32_t number);
    virtual int LoadLines(COrder& order);

    static std::vector<BtrKeySegment> KeySegments();

protected:
    // Makes and opens the line file beside the order file, then does work(items); the failing
    // status otherwise.
    template <class Work> int WithItemDB(Work work);
    // The first number from first upward that no key 0 starting with prefix holds.
    template <class File>
    static int FreeNumber(File& file, const std::string& prefix, int32_t first, int32_t& number);
    // Inserts the record; when assign, number (a member of the record) first becomes a free one.
    // On failure number keeps what it held.
    template <class File>
    static int InsertNumbered(File& file, typename File::Record& record, int32_t& number,
                              const std::string& prefix, int32_t first, bool assign);
    static int AddLineTo(COrderItemDB& items, COrderItem& line);
    // Calls visit for each line of the order in line order, the line file positioned on it; stops
    // at the first status visit returns.
    template <class Visit> static int ForEachLine(COrderItemDB& items, int32_t order, Visit visit);
    // The header read with status, with its lines when bLines.
    int ReadHeader(int status, COrder& order, bool bLines);
    std::string m_strDate; // the date scanned by GetFirstOrderOfDate / GetNextOrderOfDate
};
