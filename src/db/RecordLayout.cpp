#include "RecordLayout.h"

#include "RecordFields.h"

#include <ctime>

using namespace fields;

namespace rec {

namespace {
std::string& Str(void* m) {
    return *static_cast<std::string*>(m);
}
// A number stored as D for a member of type M.
template <class D, class M = D> void Number(bool write, uint8_t* r, size_t at, void* m) {
    if (write)
        PutLE<D>(r, at, static_cast<D>(*static_cast<M*>(m)));
    else
        *static_cast<M*>(m) = static_cast<M>(GetLE<D>(r, at));
}
// A text filled with fill, upper-cased in the object before it is written (onWrite) or after it is
// read (onRead).
void Text(bool write, uint8_t* r, size_t at, size_t width, void* m, char fill, bool onWrite, bool onRead) {
    if (write && onWrite) MakeUpper(Str(m));
    if (write) return PutText(r, at, Str(m), width, fill);
    Str(m) = GetText(r, at, width);
    if (onRead) MakeUpper(Str(m));
}

// Each encoding both ways: the member written into the record, or read from it.
void Transcode(Enc enc, bool write, uint8_t* r, size_t at, size_t width, void* m) {
    switch (enc) {
    case Enc::Text:
        return Text(write, r, at, width, m, '\0', false, false);
    case Enc::Upper:
        return Text(write, r, at, width, m, '\0', true, true);
    case Enc::UpperBlank:
        return Text(write, r, at, width, m, ' ', true, true);
    case Enc::UpperOnRead:
        return Text(write, r, at, width, m, '\0', false, true);
    case Enc::UpperOnWrite:
        return Text(write, r, at, width, m, '\0', true, false);
    case Enc::Flag:
    case Enc::FlagY: {
        bool& b = *static_cast<bool*>(m);
        if (write)
            r[at] = b ? 'Y' : 'N';
        else
            b = r[at] == 'Y' || (enc == Enc::FlagY && r[at] == 'y');
        return;
    }
    case Enc::Code:
    case Enc::Byte:
    case Enc::CodeOnWrite: {
        // A code reads and writes upper case; the other form upper-cases the member when written.
        char& c = *static_cast<char*>(m);
        if (write && enc == Enc::CodeOnWrite) c = UpperChar(c);
        if (write)
            r[at] = static_cast<uint8_t>(enc == Enc::Code ? UpperChar(c) : c);
        else
            c = enc == Enc::Code ? UpperChar(static_cast<char>(r[at])) : static_cast<char>(r[at]);
        return;
    }
    case Enc::I32:
        return Number<int32_t>(write, r, at, m);
    case Enc::F32:
        return Number<float>(write, r, at, m);
    case Enc::F64:
        return Number<double>(write, r, at, m);
    case Enc::Time:
        return Number<int32_t, int64_t>(write, r, at, m);
    case Enc::Float:
        return Number<float, double>(write, r, at, m);
    case Enc::Postal:
    case Enc::PostalDigits:
    case Enc::Phone:
    case Enc::PhoneDigits: {
        // Digits alone on disk; the plain forms show them with their punctuation in memory.
        bool phone = enc == Enc::Phone || enc == Enc::PhoneDigits;
        if (write) return PutText(r, at, ichg::Without(Str(m), phone ? " -()" : " -"), width, ' ');
        std::string& text = Str(m);
        if (enc == Enc::Postal) {
            text = GetText(r, at, 5) + "-" + GetText(r, at + 5, 4);
        } else if (enc == Enc::Phone) {
            text = "(" + GetText(r, at, 3) + ") " + GetText(r, at + 3, 3) + "-" + GetText(r, at + 6, 4);
        } else {
            text = GetText(r, at, width);
            text.erase(text.find_last_not_of(' ') + 1);
        }
        return;
    }
    case Enc::Blanks:
    case Enc::Zeros:
        if (write) std::memset(r + at, enc == Enc::Blanks ? ' ' : 0, width);
        return;
    case Enc::Notes:
    case Enc::UpperNotes:
        // Unpack gives the width to read; a write fills the whole field.
        if (write && enc == Enc::UpperNotes) MakeUpper(Str(m));
        if (write)
            return PutText(r, at, Str(m).substr(0, std::min(Str(m).find('\0'), width - kNotesEnd)), width,
                           '\0');
        Str(m) = GetText(r, at, width);
        if (enc == Enc::UpperNotes) MakeUpper(Str(m));
        return;
    case Enc::BDate: {
        if (!write) return;
        int64_t t = *static_cast<int64_t*>(m);
        std::time_t tt = static_cast<std::time_t>(t);
        std::tm local{};
        if (t != -1 && localtime_r(&tt, &local)) {
            r[at] = static_cast<uint8_t>(local.tm_mday);
            r[at + 1] = static_cast<uint8_t>(local.tm_mon + 1);
            PutLE<int16_t>(r, at + 2, static_cast<int16_t>(local.tm_year + 1900));
        } else {
            std::memset(r + at, 0, 4);
        }
        return;
    }
    }
}
} // namespace

void PackField(Enc enc, uint8_t* record, size_t offset, size_t width, void* member) {
    Transcode(enc, true, record, offset, width, member);
}

// Only a write changes the record.
void UnpackField(Enc enc, const uint8_t* record, size_t offset, size_t width, void* member) {
    Transcode(enc, false, const_cast<uint8_t*>(record), offset, width, member);
}

std::string ShowField(Enc enc, const void* m) {
    switch (Of(enc).member) {
    case Member::Bool:
        return *static_cast<const bool*>(m) ? "Y" : "N";
    case Member::Char:
        return std::string(1, *static_cast<const char*>(m));
    case Member::I32:
        return std::to_string(*static_cast<const int32_t*>(m));
    case Member::F32:
        return std::to_string(*static_cast<const float*>(m));
    case Member::F64:
        return std::to_string(*static_cast<const double*>(m));
    case Member::I64:
        return std::to_string(*static_cast<const int64_t*>(m));
    case Member::String:
        return *static_cast<const std::string*>(m);
    case Member::None:
        break;
    }
    return {};
}

} // namespace rec
