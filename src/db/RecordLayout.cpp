#include "RecordLayout.h"

#include "RecordFields.h"

#include <ctime>

using namespace fields;

namespace rec {

namespace {
std::string Digits(const std::string& text, const char* drop) {
    std::string out;
    for (char c : text)
        if (!std::strchr(drop, c) || c == '\0') out += c;
    return out;
}
std::string& Str(void* m) {
    return *static_cast<std::string*>(m);
}
} // namespace

void PackField(Enc enc, uint8_t* r, size_t at, size_t width, void* m) {
    switch (enc) {
    case Enc::Text:
    case Enc::UpperOnRead:
        PutText(r, at, Str(m), width, '\0');
        return;
    case Enc::Blanks:
        std::memset(r + at, ' ', width);
        return;
    case Enc::Zeros:
        std::memset(r + at, 0, width);
        return;
    case Enc::Upper:
    case Enc::UpperOnWrite:
        MakeUpper(Str(m));
        PutText(r, at, Str(m), width, '\0');
        return;
    case Enc::UpperBlank:
        MakeUpper(Str(m));
        PutText(r, at, Str(m), width, ' ');
        return;
    case Enc::Flag:
    case Enc::FlagY:
        r[at] = *static_cast<bool*>(m) ? 'Y' : 'N';
        return;
    case Enc::Code:
        r[at] = static_cast<uint8_t>(UpperChar(*static_cast<char*>(m)));
        return;
    case Enc::Byte:
        r[at] = static_cast<uint8_t>(*static_cast<char*>(m));
        return;
    case Enc::I32:
        PutLE<int32_t>(r, at, *static_cast<int32_t*>(m));
        return;
    case Enc::F32:
        PutLE<float>(r, at, *static_cast<float*>(m));
        return;
    case Enc::F64:
        PutLE<double>(r, at, *static_cast<double*>(m));
        return;
    case Enc::Time:
        PutLE(r, at, static_cast<int32_t>(*static_cast<int64_t*>(m)));
        return;
    case Enc::Postal:
    case Enc::PostalDigits:
        PutText(r, at, Digits(Str(m), " -"), width, ' ');
        return;
    case Enc::Phone:
    case Enc::PhoneDigits:
        PutText(r, at, Digits(Str(m), " -()"), width, ' ');
        return;
    case Enc::Float:
        PutLE<float>(r, at, static_cast<float>(*static_cast<double*>(m)));
        return;
    case Enc::CodeOnWrite:
        *static_cast<char*>(m) = UpperChar(*static_cast<char*>(m));
        r[at] = static_cast<uint8_t>(*static_cast<char*>(m));
        return;
    case Enc::BDate: {
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

void UnpackField(Enc enc, const uint8_t* r, size_t at, size_t width, void* m) {
    switch (enc) {
    case Enc::Text:
    case Enc::UpperOnWrite:
        Str(m) = GetText(r, at, width);
        return;
    case Enc::Upper:
    case Enc::UpperBlank:
    case Enc::UpperOnRead:
        Str(m) = Upper(GetText(r, at, width));
        return;
    case Enc::Blanks:
    case Enc::Zeros:
        return;
    case Enc::Flag:
        *static_cast<bool*>(m) = r[at] == 'Y';
        return;
    case Enc::FlagY:
        *static_cast<bool*>(m) = r[at] == 'Y' || r[at] == 'y';
        return;
    case Enc::Code:
        *static_cast<char*>(m) = UpperChar(static_cast<char>(r[at]));
        return;
    case Enc::Byte:
    case Enc::CodeOnWrite:
        *static_cast<char*>(m) = static_cast<char>(r[at]);
        return;
    case Enc::Float:
        *static_cast<double*>(m) = GetLE<float>(r, at);
        return;
    case Enc::PostalDigits:
    case Enc::PhoneDigits: {
        std::string text = GetText(r, at, width);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        Str(m) = text;
        return;
    }
    case Enc::I32:
        *static_cast<int32_t*>(m) = GetLE<int32_t>(r, at);
        return;
    case Enc::F32:
        *static_cast<float*>(m) = GetLE<float>(r, at);
        return;
    case Enc::F64:
        *static_cast<double*>(m) = GetLE<double>(r, at);
        return;
    case Enc::Time:
        *static_cast<int64_t*>(m) = GetLE<int32_t>(r, at);
        return;
    case Enc::Postal:
        Str(m) = GetText(r, at, 5) + "-" + GetText(r, at + 5, 4);
        return;
    case Enc::Phone:
        Str(m) = "(" + GetText(r, at, 3) + ") " + GetText(r, at + 3, 3) + "-" + GetText(r, at + 6, 4);
        return;
    case Enc::BDate:
        return;
    }
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
