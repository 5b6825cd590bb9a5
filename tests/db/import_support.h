// The reload loop for the import tests (writes a download into the current directory and feeds
// it line by line to a file object), the lines of records and the sample records they share.
#pragma once

#include "BtrieveDB.h"
#include "CustomerDB.h"
#include "RecordFields.h"
#include "VelocityDB.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kt {

// A text blank-padded to its column width, as the download writes keys.
inline std::string Pad(const std::string& s, size_t n) {
    return fields::Padded(s, n, ' ');
}

// The interchange line the file class writes for the record as it would store it.
template <class DB> std::string LineOf(typename DB::Record record) {
    std::vector<uint8_t> raw(DB::BufferSize(), 0);
    DB::Pack(record, raw.data());
    std::string line;
    DB probe;
    probe.FormatLine(raw.data(), line);
    return line;
}

// A customer with fields of every kind set.
inline CCustomer MakeCustomer(const std::string& number, const std::string& name) {
    CCustomer c;
    c.m_strNumber = number;
    c.m_strName = name;
    c.m_arrAddress = {"418 WATER ST", "SUITE 2", ""};
    c.m_strCity = "MARIETTA";
    c.m_strState = "OH";
    c.m_strPostal = "45750-1102";
    c.m_strPhone1 = "(740) 555-0142";
    c.m_strPhone1Text = "DANA MORALES";
    c.m_arrAmounts296 = {1.5f, -2, 3, 4, 5, 6};
    c.m_n340 = -12;
    c.m_n496 = 496;
    c.m_b500 = true;
    c.m_c336 = 'Q';
    c.m_strCode37 = "REP07";
    return c;
}

// An active history record of a case of the item, with a last date.
inline CVelocity MakeHistory(const std::string& customer, const std::string& item, float amount1) {
    CVelocity h;
    h.m_strCustomer = customer;
    h.m_strItem = Pad(item, 12);
    h.m_strUnit = "CS ";
    h.m_fAmount1 = amount1;
    h.m_fAmount2 = 3;
    h.m_bActive = true;
    int64_t t = -1;
    ichg::ParseDate("03/14/2025", t);
    h.m_tLastDate = t;
    h.m_arrNumbers = {1, 2, 3, 4, 5, -6};
    h.m_n156 = 156;
    return h;
}

inline bool WriteText(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(text.data(), 1, text.size(), f);
    return std::fclose(f) == 0;
}

// Runs the reload and ends it; the lines handed to ImportLine are counted in lines (when given).
// A reload that could not be committed adds "<end status N>" to the messages.
inline std::vector<std::string> Reload(CBtrieveDB& db, const std::string& text, int version, int purge = 0,
                                       int* lines = nullptr) {
    WriteText("download.txt", text);
    if (!db.BeginReload("download.txt", 0, version, purge)) return {"<not started>"};
    int count = 0;
    while (db.GetProgressPosition() <= db.GetProgressTotal()) {
        int c = db.ReadReloadChar();
        if (c == EOF) break;
        db.ImportLine(c);
        ++count;
    }
    if (lines) *lines = count;
    std::vector<std::string> errors = db.GetErrors();
    if (int status = db.EndReload()) errors.push_back("<end status " + std::to_string(status) + ">");
    return errors;
}

} // namespace kt
