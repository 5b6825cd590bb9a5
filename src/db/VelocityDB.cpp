#include "VelocityDB.h"

#include "ControlDB.h"
#include "ManualPriceDB.h"

using namespace fields;

namespace {
constexpr uint16_t kMore = 0x13; // duplicates, modifiable, another segment follows
constexpr uint16_t kLast = 3;    // duplicates, modifiable

CVelocity Keyed(const std::string& customer, const std::string& item, const std::string& unit) {
    CVelocity h;
    h.m_strCustomer = customer;
    h.m_strItem = item;
    h.m_strUnit = unit;
    return h;
}
} // namespace

std::vector<BtrKeySegment> CVelocityDB::KeySegments() {
    // Item and unit sit together: one segment of both.
    auto part = [&](const char* name, uint16_t flags, const char* last = nullptr) {
        return Segment(name, flags, btr::KT_STRING, last ? last : name);
    };
    BtrKeySegment date = Segment("last date (key)", btr::KF_EXTENDED_TYPE | kMore, btr::KT_DATE);
    return {// 0: customer, 5-character code, item and unit
            part("m_strCustomer", kMore), part("m_strCode5", kMore), part("m_strItem", kLast, "m_strUnit"),
            // 1: customer, item, unit (unique)
            part("m_strCustomer", 0, "m_strUnit"),
            // 2: item
            part("m_strItem", kLast),
            // 3: customer, 3-character code, item and unit
            part("m_strCustomer", kMore), part("m_strCode3", kMore), part("m_strItem", kLast, "m_strUnit"),
            // 4: customer, both codes, item and unit
            part("m_strCustomer", kMore), part("m_strCode3", kMore), part("m_strCode5", kMore),
            part("m_strItem", kLast, "m_strUnit"),
            // 5: customer, last date, 5-character code, item and unit
            part("m_strCustomer", kMore), date, part("m_strCode5", kMore),
            part("m_strItem", kLast, "m_strUnit")};
}

bool CVelocityDB::BeginReload(const char* textPath, int64_t headerLength, int version, int purge) {
    bool ready = CBtrieveDB::BeginReload(textPath, headerLength, version, purge);
    m_bEditQuote =
        ready && ReadControlFlag("CALL_REMOTE.EDIT_QUOTE", SiblingFile(CControlDB::kFacts.name).c_str());
    return ready;
}

void CVelocityDB::SkipBadLine(long at, bool rescan) {
    char text[96];
    std::snprintf(text, sizeof text, "Error Reading item history file at offset %ld", at);
    AddError(text);
    // Resume after the first line feed from the line's start (what was read of it may have lost
    // its carriage returns, so the text itself is read again), or from here when nothing was.
    if (!SkipPastLineFeed(rescan ? static_cast<uint64_t>(at) : m_nProgressPos))
        AddError("Couldn't recover from previous errors");
}

void CVelocityDB::ImportLine(int firstChar) {
    // A line of customer, item and unit alone withdraws the record. A record on file keeps what
    // this version's line does not carry; a full line is active.
    std::string line;
    CVelocity history;
    auto column = [](const std::string& l, const char* name) { return rec::LineText(Fields(), l, name); };
    ImportRecordLine(firstChar, line,
                     {rec::LineWidth(Fields(), "m_strCustomer", "m_strUnit"),
                      "Error %d Deleting Item History for %s", "Error %d Writing to database at offset %ld",
                      [&](const std::string& key) {
                          return ClearOrDelete(column(key, "m_strCustomer"), column(key, "m_strItem"),
                                               column(key, "m_strUnit"), false);
                      },
                      [&](const std::string& l) {
                          int status = GetHistory(history, column(l, "m_strCustomer"), column(l, "m_strItem"),
                                                  column(l, "m_strUnit"));
                          history.m_bActive = true;
                          return status;
                      },
                      [&](const std::string& l, size_t length, std::string& error) {
                          return rec::ReadLine(Fields(), l, length, history, error);
                      },
                      [&](bool) {
                          int status = MergeHistory(history, false);
                          return status == btr::B_KEY_VALUE_NOT_FOUND ? InsertRecord(history) : status;
                      },
                      // Nothing read yet (the end of the text): nothing to read again.
                      [&](int64_t at) { SkipBadLine(static_cast<long>(at), firstChar != EOF); }});
}

int CVelocityDB::GetHistory(CVelocity& history, const std::string& customer, const std::string& item,
                            const std::string& unit) {
    return GetSame(Keyed(customer, item, unit), history, 1);
}

// Withdrawing changes the active flag alone: the other stored bytes stay as written.
int CVelocityDB::ClearOrDelete(const std::string& customer, const std::string& item, const std::string& unit,
                               bool deleteRecord) {
    CVelocity h;
    int status = GetHistory(h, customer, item, unit);
    if (status != 0 || deleteRecord) return status != 0 ? status : Delete();
    return UpdateStored(1, [](uint8_t* record) { record[At("m_bActive")] = 'N'; });
}

int CVelocityDB::ClearItemUnit(const std::string& item, const std::string& unit) {
    // The item's records follow one another on key 2; item and unit compared as they are read.
    CVelocity wanted = Keyed("", item, unit), h;
    uint8_t stored[kRecordLength] = {};
    Pack(wanted, stored);
    Unpack(stored, wanted);
    int status = GetRecord(h, item, 2);
    for (; status == 0 && h.m_strItem == wanted.m_strItem; status = GetNextRecord(h, 2)) {
        if (h.m_strUnit != wanted.m_strUnit || !h.m_bActive) continue;
        status = UpdateStored(2, [](uint8_t* record) { record[At("m_bActive")] = 'N'; });
        if (status != 0) return status;
    }
    if (status == btr::B_KEY_VALUE_NOT_FOUND || status == btr::B_END_OF_FILE ||
        status == btr::B_FILE_NOT_FOUND)
        return 0;
    return status;
}

int CVelocityDB::MergeHistory(CVelocity& history, bool replace) {
    CVelocity stored;
    int status = GetHistory(stored, history.m_strCustomer, history.m_strItem, history.m_strUnit);
    if (status != 0) return status;
    if (!replace) {
        history.m_strText = stored.m_strText;
        history.m_strCode5 = stored.m_strCode5;
        history.m_strCode3 = stored.m_strCode3;
        history.m_n36 = stored.m_n36;
    }
    std::string prefix = Upper(history.m_strPriceCode.substr(0, 2));
    bool dropQuote =
        history.m_fAmount1 != stored.m_fAmount1 || prefix == "PC" || prefix == "FM" || prefix == "BT";
    if (dropQuote && !m_bEditQuote) {
        CManualPriceDB prices;
        std::string path = SiblingFile(prices.GetFileName());
        if (prices.OpenFile(path.c_str()) == 0)
            prices.WithdrawOrDelete("    ", "        ", history.m_strCustomer, history.m_strItem,
                                    history.m_strUnit, true);
    }
    history.m_fQuotedPrice = dropQuote ? 0 : stored.m_fQuotedPrice;
    history.m_strQuoteCode = dropQuote ? "    " : stored.m_strQuoteCode;
    return UpdateRead(history, 1);
}
