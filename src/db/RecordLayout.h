// A record file's layout: each field of the record described once (where it sits, how wide,
// how it is encoded and which member of the record object holds it). Pack, Unpack, key
// segments and the dump are all driven by it.
#pragma once

#include "BtrieveDB.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rec {

enum class Enc : uint8_t {
    Text,         // zero-filled text, read up to the first zero byte
    Upper,        // zero-filled text, upper-cased both ways
    Blank,        // blank-filled text
    UpperBlank,   // blank-filled text, upper-cased both ways
    UpperOnRead,  // zero-filled text written as given, upper-cased when read
    UpperOnWrite, // zero-filled text upper-cased when written, read as stored
    Flag,         // one byte, 'Y' or 'N'
    FlagY,        // the same, a lower-case 'y' also read as true
    Code,         // one byte, upper-cased both ways
    Byte,         // one byte, copied as it is
    I16,          // little-endian whole numbers
    I32,
    F32, // little-endian IEEE floats
    F64,
    Time,         // 32-bit seconds since 1970 (int64_t member)
    Postal,       // "12345-6789" in memory, nine digits blank-filled on disk
    Phone,        // "(555) 123-4567" in memory, ten digits blank-filled on disk
    PostalDigits, // the postal code's digits in memory and on disk (blanks and hyphens dropped)
    PhoneDigits,  // the phone number's digits in memory and on disk
    Float,        // a double in memory, a 32-bit float on disk
    CodeOnWrite,  // one byte, upper-cased when written, read as stored
    Blanks,       // no member: written as blanks, never read
    Zeros,        // no member: written as zero bytes, never read
    BDate,        // day, month and 16-bit year of the int64_t member in local time; all zero for
                  // none. Written only: the member is read from its own time field.
};

// The member a field lives in: std::string for the texts, bool for flags, char for Code and
// Byte, int16_t, int32_t, float, double, int64_t for Time and BDate.
template <class R> struct Field {
    const char* name;
    uint16_t offset;
    uint16_t width; // bytes on disk
    Enc enc;
    void* (*member)(R&);
};

template <class R> using Layout = std::vector<Field<R>>;

// The fixed width an encoding takes, or 0 for the texts (width given by the field).
uint16_t EncodedWidth(Enc enc);
void PackField(Enc enc, uint8_t* record, size_t offset, size_t width, void* member);
void UnpackField(Enc enc, const uint8_t* record, size_t offset, size_t width, void* member);
// Whether the member of an encoding is a std::string.
bool IsText(Enc enc);
// The field's value as one line of text, for the dump.
std::string ShowField(Enc enc, const void* member);

// Upper-cased fields are upper-cased in the record object too: a key looked up afterwards finds
// the record as stored.
template <class R> void Pack(const Layout<R>& layout, R& object, uint8_t* record) {
    for (const Field<R>& f : layout)
        PackField(f.enc, record, f.offset, f.width, f.member ? f.member(object) : nullptr);
}

// Fields that end beyond length (a short variable-length record) are left as they are.
template <class R>
void Unpack(const Layout<R>& layout, const uint8_t* record, R& object, size_t length = SIZE_MAX) {
    for (const Field<R>& f : layout)
        if (f.member && static_cast<size_t>(f.offset) + f.width <= length)
            UnpackField(f.enc, record, f.offset, f.width, f.member(object));
}

template <class R> const Field<R>* Find(const Layout<R>& layout, const std::string& name) {
    for (const Field<R>& f : layout)
        if (name == f.name) return &f;
    return nullptr;
}

// A key segment over a field (and, with span, the fields that follow it up to span bytes).
template <class R>
BtrKeySegment Segment(const Layout<R>& layout, const char* name, uint16_t flags, uint8_t type,
                      uint16_t span = 0) {
    const Field<R>* f = Find(layout, name);
    if (!f) return {0, 0, flags, type};
    return {static_cast<uint16_t>(f->offset + 1), span ? span : f->width, flags, type};
}

// "name=value" lines of every field, in record order.
template <class R> std::vector<std::string> Show(const Layout<R>& layout, R& object) {
    std::vector<std::string> out;
    for (const Field<R>& f : layout)
        if (f.member && f.enc != Enc::BDate)
            out.push_back(std::string(f.name) + "=" + ShowField(f.enc, f.member(object)));
    return out;
}

// What is wrong with a layout: a field wider or narrower than its encoding, past the record's
// end, or overlapping the one before it (fields in offset order). Empty when sound.
template <class R> std::string Check(const Layout<R>& layout, size_t recordLength) {
    size_t end = 0;
    for (const Field<R>& f : layout) {
        uint16_t fixed = EncodedWidth(f.enc);
        std::string name = f.name;
        if (f.width == 0 || (fixed != 0 && f.width != fixed))
            return name + ": width " + std::to_string(f.width);
        if (f.offset < end) return name + ": overlaps the field before it";
        end = static_cast<size_t>(f.offset) + f.width;
        if (end > recordLength) return name + ": beyond the record's end";
    }
    return {};
}

} // namespace rec

// One field of a layout: #define KR_RECORD to the record class before using it.
#define KR_AT(member, offset, width, enc)                                                                    \
    {                                                                                                        \
#member, offset, width, rec::Enc::enc, [](KR_RECORD & r) -> void* { return &r.member; }              \
    }
// A field named apart from its member (a second encoding of the same value).
#define KR_AT_AS(name, member, offset, width, enc)                                                           \
    {                                                                                                        \
        name, offset, width, rec::Enc::enc, [](KR_RECORD& r) -> void* { return &r.member; }                  \
    }
// Bytes of the record no member holds, always written the same way.
#define KR_FILL(name, offset, width, enc)                                                                    \
    { name, offset, width, rec::Enc::enc, nullptr }
