// kestrel-db dump FILE.DB: records decoded field by field.
#include "command.h"

#include "ControlDB.h"
#include "CustomerDB.h"
#include "Interchange.h"
#include "ItemDB.h"
#include "ItemDictDB.h"
#include "ItemLookupDB.h"
#include "ItemUnitDB.h"
#include "ManualPriceDB.h"
#include "VelocityDB.h"
#include "btrieve/btrcall.h"
#include "btrieve/status_text.h"
#include "dbtool.h"
#include "escaped.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// A text shown with its exact extent, so blank padding stays visible.
std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Every value shown comes from the file: its control bytes are shown escaped.
void Field(const std::string& name, const std::string& value) {
    std::printf("  %-34s %s\n", name.c_str(), kdb::Escaped(value).c_str());
}

template <class R> void ByColumns(const std::vector<ichg::Column<R>>& columns, R& record) {
    for (const ichg::Column<R>& c : columns) {
        if (c.kind == ichg::Kind::Blank) continue;
        void* f = c.field(record);
        std::string value;
        switch (c.kind) {
        case ichg::Kind::Key:
        case ichg::Kind::Text:
        case ichg::Kind::RText:
            value = Quoted(*static_cast<std::string*>(f));
            break;
        case ichg::Kind::Date: {
            int64_t t = *static_cast<int64_t*>(f);
            value = (t == -1 ? std::string("none") : ichg::FormatDate(t)) + " (" + std::to_string(t) + ")";
            break;
        }
        default:
            ichg::WriteValue(c.kind, c.width, f, value);
            value = ichg::TrimText(value);
        }
        Field(c.name, value);
    }
}

std::string Printable(const uint8_t* data, uint16_t length) {
    std::string out;
    for (uint16_t i = 0; i < length; ++i)
        out += (data[i] >= 32 && data[i] < 127) ? static_cast<char>(data[i]) : '.';
    return out;
}

void Show(const std::string& fileName, const uint8_t* data, uint16_t length) {
    if (fileName == "ITEM.DB") {
        CItem item;
        CItemDB::Unpack(data, item);
        ByColumns(CItemDB::LineColumns(), item);
        Field("notes", Quoted(item.m_strNotes));
    } else if (fileName == "ITEMUNIT.DB") {
        CItemUnit unit;
        CItemUnitDB::Unpack(data, unit);
        ByColumns(CItemUnitDB::LineColumns(), unit);
    } else if (fileName == "CUST.DB") {
        CCustomer c;
        CCustomerDB::Unpack(data, c);
        ByColumns(CCustomerDB::LineColumns(), c);
        Field("keep on reload (321)", c.m_bKeepOnReload ? "Y" : "N");
    } else if (fileName == "VELOCITY.DB") {
        CVelocity h;
        CVelocityDB::Unpack(data, h);
        ByColumns(CVelocityDB::LineColumns(), h);
        Field("text at 41", Quoted(h.m_strText));
        Field("second date (108)", std::to_string(h.m_tSecondDate));
    } else if (fileName == "CONTROL.DB") {
        CControl c;
        CControlDB::Unpack(data, c);
        Field("key", Quoted(c.m_strKey));
        Field("type", std::string(1, c.m_cType));
        Field("flag", c.m_bFlag ? "Y" : "N");
        Field("whole number", std::to_string(c.m_nValue));
        Field("amount", std::to_string(c.m_dValue));
        Field("text", Quoted(c.m_strText));
    } else if (fileName == "ITEMDICT.DB") {
        CItemDict e;
        CItemDictDB::Unpack(data, length, e);
        Field("word", Quoted(e.m_strWord));
        Field("replacement", Quoted(e.m_strReplacement));
        Field("item count", std::to_string(e.m_nCount));
        Field("items", e.m_strItems.empty() ? "(in ITEMLKUP.DB)" : Quoted(e.m_strItems));
    } else if (fileName == "ITEMLKUP.DB") {
        CItemLookup l;
        CItemLookupDB::Unpack(data, l);
        Field("word", Quoted(l.m_strWord));
        Field("item number", Quoted(l.m_strItem));
    } else if (fileName == "MNPRICE.DB") {
        CManualPrice q;
        CManualPriceDB::Unpack(data, q);
        Field("selectors", Quoted(q.m_strSelector4) + " " + Quoted(q.m_strSelector8));
        Field("customer", Quoted(q.m_strCustomer));
        Field("item number", Quoted(q.m_strItem));
        Field("unit", Quoted(q.m_strUnit));
        Field("quote identifier", Quoted(q.m_strQuoteId));
        Field("quoted price", std::to_string(q.m_fPrice));
        Field("code at 80", Quoted(q.m_strCode80));
        Field("withdrawn", q.m_bWithdrawn ? "Y" : "N");
    } else {
        Field("bytes", Printable(data, length));
    }
}

bool ParseWhole(const std::string& text, long& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

int Dump(const std::vector<std::string>& args) {
    auto pos = kdb::Positional(args, {"--key", "--limit"});
    if (pos.size() != 1) {
        std::fprintf(stderr, "kestrel-db dump: give one record file (see --help)\n");
        return 2;
    }
    const kdb::FileKind* kind = kdb::FindFileKind(pos[0]);
    if (!kind) {
        std::fprintf(stderr, "kestrel-db dump: %s is not a record file of the system\n",
                     kdb::Escaped(pos[0]).c_str());
        return 2;
    }
    long key = 0, limit = -1;
    std::string text;
    if (kdb::FlagValue(args, "--key", text) && (!ParseWhole(text, key) || key > 127)) {
        std::fprintf(stderr, "kestrel-db dump: bad key number '%s'\n", kdb::Escaped(text).c_str());
        return 2;
    }
    if (kdb::FlagValue(args, "--limit", text) && !ParseWhole(text, limit)) {
        std::fprintf(stderr, "kestrel-db dump: bad limit '%s'\n", kdb::Escaped(text).c_str());
        return 2;
    }
    auto file = kind->make();
    int status = file->OpenFile(pos[0].c_str());
    if (status != 0) {
        std::fprintf(stderr, "kestrel-db dump: cannot open %s (status %s)\n", kdb::Escaped(pos[0]).c_str(),
                     btr::StatusText(status).c_str());
        return 1;
    }
    std::vector<uint8_t> data(16384), keyBuffer(256);
    long shown = 0;
    uint16_t length = static_cast<uint16_t>(data.size());
    status = file->GetFirst(data.data(), &length, keyBuffer.data(), static_cast<int>(key));
    while (status == 0 && (limit < 0 || shown < limit)) {
        std::printf("%s record %ld (%u bytes)\n", kind->fileName.c_str(), shown + 1, length);
        Show(kind->fileName, data.data(), length);
        ++shown;
        length = static_cast<uint16_t>(data.size());
        status = file->GetNext(data.data(), &length, keyBuffer.data(), static_cast<int>(key));
    }
    file->Close();
    if (status != 0 && status != btr::B_END_OF_FILE) {
        std::fprintf(stderr, "kestrel-db dump: status %s reading %s by key %ld\n",
                     btr::StatusText(status).c_str(), kdb::Escaped(pos[0]).c_str(), key);
        return 1;
    }
    std::printf("%ld record%s shown\n", shown, shown == 1 ? "" : "s");
    return 0;
}

kdb::CommandRegistration reg({"dump", "dump FILE.DB [--key N] [--limit N]",
                              "Prints the records of a record file in the order of key N (default 0),\n"
                              "decoded field by field through the file's record class. Texts are shown in\n"
                              "quotes so that blank padding stays visible. --limit stops after N records.",
                              Dump});

} // namespace
