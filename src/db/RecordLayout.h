// A record file's layout: each field of the record described once (where it sits, how wide,
// how it is encoded, which member of the record object holds it and where it sits on the
// interchange line). Pack, Unpack, key segments, the line's reader and writer and the dump are
// all driven by it.
#pragma once

#include "BtrieveDB.h"
#include "Interchange.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace rec {

enum class Enc : uint8_t {
    Text,         // zero-filled text, read up to the first zero byte
    Upper,        // zero-filled text, upper-cased both ways
    UpperBlank,   // blank-filled text, upper-cased both ways
    UpperOnRead,  // zero-filled text written as given, upper-cased when read
    UpperOnWrite, // zero-filled text upper-cased when written, read as stored
    Flag,         // one byte, 'Y' or 'N'
    FlagY,        // the same, a lower-case 'y' also read as true
    Code,         // one byte, upper-cased both ways
    Byte,         // one byte, copied as it is
    I32,          // little-endian whole numbers
    F32,          // little-endian IEEE floats
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
    Notes,        // a text that runs to the record's end: up to its first zero byte, zero-filled,
                  // kNotesEnd bytes of the width kept for its terminating zero
    UpperNotes,   // the same, upper-cased both ways
};

// What a field of an encoding keeps in the record object: the type of its member.
enum class Member : uint8_t { None, String, Bool, Char, I32, F32, F64, I64 };

// Each encoding's fixed width on disk (0: the field gives it), its member, and how the
// interchange line holds it when the field does not say (Blank: not a value a line holds).
struct Encoding {
    uint16_t width;
    Member member;
    ichg::Kind line;
};
inline constexpr Encoding kEncodings[] = {
    {0, Member::String, ichg::Kind::Text},   // Text
    {0, Member::String, ichg::Kind::Text},   // Upper
    {0, Member::String, ichg::Kind::Text},   // UpperBlank
    {0, Member::String, ichg::Kind::Text},   // UpperOnRead
    {0, Member::String, ichg::Kind::Text},   // UpperOnWrite
    {1, Member::Bool, ichg::Kind::Flag},     // Flag
    {1, Member::Bool, ichg::Kind::Flag},     // FlagY
    {1, Member::Char, ichg::Kind::Char},     // Code
    {1, Member::Char, ichg::Kind::Char},     // Byte
    {4, Member::I32, ichg::Kind::Number},    // I32
    {4, Member::F32, ichg::Kind::Amount},    // F32
    {8, Member::F64, ichg::Kind::Blank},     // F64
    {4, Member::I64, ichg::Kind::Date},      // Time
    {9, Member::String, ichg::Kind::Text},   // Postal
    {10, Member::String, ichg::Kind::Phone}, // Phone
    {9, Member::String, ichg::Kind::Text},   // PostalDigits
    {10, Member::String, ichg::Kind::Phone}, // PhoneDigits
    {4, Member::F64, ichg::Kind::Blank},     // Float
    {1, Member::Char, ichg::Kind::Char},     // CodeOnWrite
    {0, Member::None, ichg::Kind::Blank},    // Blanks
    {0, Member::None, ichg::Kind::Blank},    // Zeros
    {4, Member::I64, ichg::Kind::Blank},     // BDate
    {0, Member::String, ichg::Kind::Blank},  // Notes
    {0, Member::String, ichg::Kind::Blank},  // UpperNotes
};
static_assert(std::size(kEncodings) == static_cast<size_t>(Enc::UpperNotes) + 1);
// The bytes of a notes field past its longest text.
inline constexpr size_t kNotesEnd = 4;
constexpr const Encoding& Of(Enc enc) {
    return kEncodings[static_cast<size_t>(enc)];
}
constexpr bool IsText(Enc enc) {
    return Of(enc).member == Member::String;
}
constexpr bool IsNotes(Enc enc) {
    return enc == Enc::Notes || enc == Enc::UpperNotes;
}
// Whether a member of type T holds a field of the encoding.
template <class T> constexpr bool Holds(Enc enc) {
    constexpr Member m = std::is_same_v<T, std::string> ? Member::String
                         : std::is_same_v<T, bool>      ? Member::Bool
                         : std::is_same_v<T, char>      ? Member::Char
                         : std::is_same_v<T, int32_t>   ? Member::I32
                         : std::is_same_v<T, float>     ? Member::F32
                         : std::is_same_v<T, double>    ? Member::F64
                         : std::is_same_v<T, int64_t>   ? Member::I64
                                                        : Member::None;
    return m != Member::None && m == Of(enc).member;
}

// Where a field sits on the interchange line: its first column (-1: not on the line), how the
// line holds it, and its width there (texts; the other kinds have fixed widths).
struct LineSpot {
    int at = -1;
    ichg::Kind kind = ichg::Kind::Blank;
    int width = 0;
};
constexpr LineSpot OnLine(Enc, int) {
    return {};
}
// Amounts take their usual width on the line unless the field gives another.
constexpr LineSpot OnLine(Enc, int width, int at, ichg::Kind kind, int lineWidth = 0) {
    return {at, kind, lineWidth ? lineWidth : kind == ichg::Kind::Amount ? 0 : width};
}
constexpr LineSpot OnLine(Enc enc, int width, int at) {
    return OnLine(enc, width, at, Of(enc).line);
}

template <class R> struct Field {
    const char* name;
    uint16_t offset;
    uint16_t width; // bytes on disk
    Enc enc;
    void* (*member)(R&);
    LineSpot line{};
};

template <class R> using Layout = std::vector<Field<R>>;

void PackField(Enc enc, uint8_t* record, size_t offset, size_t width, void* member);
void UnpackField(Enc enc, const uint8_t* record, size_t offset, size_t width, void* member);
// The field's value as one line of text, for the dump.
std::string ShowField(Enc enc, const void* member);

// Upper-cased fields are upper-cased in the record object too: a key looked up afterwards finds
// the record as stored.
template <class R> void Pack(const Layout<R>& layout, R& object, uint8_t* record) {
    for (const Field<R>& f : layout)
        PackField(f.enc, record, f.offset, f.width, f.member ? f.member(object) : nullptr);
}

// Notes are read no further than length (the record's end); other fields that end beyond it (a
// short variable-length record) are left as they are.
template <class R>
void Unpack(const Layout<R>& layout, const uint8_t* record, R& object, size_t length = SIZE_MAX) {
    for (const Field<R>& f : layout) {
        size_t room = length > f.offset ? length - f.offset : 0;
        size_t width = IsNotes(f.enc) ? std::min(f.width - kNotesEnd, room) : f.width;
        if (f.member && width <= room) UnpackField(f.enc, record, f.offset, width, f.member(object));
    }
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
// A key segment from the first field through the last one.
template <class R>
BtrKeySegment Segment(const Layout<R>& layout, const char* first, uint16_t flags, uint8_t type,
                      const char* last) {
    const Field<R>* from = Find(layout, first);
    const Field<R>* to = Find(layout, last);
    if (!from || !to || to->offset < from->offset) return {0, 0, flags, type};
    return Segment(layout, first, flags, type, static_cast<uint16_t>(to->offset + to->width - from->offset));
}

// The fields on the interchange line, in line order.
template <class R> std::vector<const Field<R>*> OnTheLine(const Layout<R>& layout) {
    std::vector<const Field<R>*> on;
    for (const Field<R>& f : layout)
        if (f.line.at >= 0) on.push_back(&f);
    std::stable_sort(on.begin(), on.end(), [](auto* a, auto* b) { return a->line.at < b->line.at; });
    return on;
}

// The fields on the line in line order, made once: a record class has one table.
template <class R> const std::vector<const Field<R>*>& LineFields(const Layout<R>& layout) {
    static const std::vector<const Field<R>*> fields = OnTheLine(layout);
    return fields;
}

// The columns of a line from the first field's through the last one's (the key part of a line).
template <class R> size_t LineWidth(const Layout<R>& layout, const char* first, const char* last) {
    const Field<R>* from = Find(layout, first);
    const Field<R>* to = Find(layout, last);
    if (!from || !to || to->line.at < from->line.at) return 0;
    return static_cast<size_t>(to->line.at + ichg::ColumnWidth(to->line.kind, to->line.width) -
                               from->line.at);
}

// The columns of a line the named field takes (through the last one's, when given), as they stand:
// a key looked up before the line is read.
template <class R>
std::string LineText(const Layout<R>& layout, const std::string& line, const char* first,
                     const char* last = nullptr) {
    const Field<R>* f = Find(layout, first);
    if (!f || f->line.at < 0 || static_cast<size_t>(f->line.at) >= line.size()) return {};
    return line.substr(static_cast<size_t>(f->line.at), LineWidth(layout, first, last ? last : first));
}

// Reads the values of the columns a line of length characters (line feed left out) carries: a
// version's shorter line carries the leading columns that fit it. False with the reason when a
// value cannot be used.
template <class R>
bool ReadLine(const Layout<R>& layout, const std::string& line, size_t length, R& object,
              std::string& error) {
    error.clear();
    for (const Field<R>* f : LineFields(layout)) {
        int width = ichg::ColumnWidth(f->line.kind, f->line.width);
        if (static_cast<size_t>(f->line.at + width) > length) break;
        if (!ichg::ReadValue(f->line.kind, line.data() + f->line.at, width, f->member(object), error))
            return false;
    }
    return true;
}

// The line of length characters, line feed included, for a record object; blanks where no field
// sits.
template <class R> std::string WriteLine(const Layout<R>& layout, const R& object, size_t length) {
    std::string line;
    line.reserve(length);
    for (const Field<R>* f : LineFields(layout)) {
        int width = ichg::ColumnWidth(f->line.kind, f->line.width);
        if (static_cast<size_t>(f->line.at + width) >= length) break;
        line.resize(static_cast<size_t>(f->line.at), ' ');
        ichg::WriteValue(f->line.kind, width, f->member(const_cast<R&>(object)), line);
    }
    // No byte of a value may end the line early or hide its end.
    for (char& c : line)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    line.resize(length - 1, ' ');
    line += '\n';
    return line;
}

// The line of length characters for a stored record: what the export writes.
template <class R> std::string FormatLine(const Layout<R>& layout, const uint8_t* record, size_t length) {
    R object;
    Unpack(layout, record, object);
    return WriteLine(layout, object, length);
}

} // namespace rec

// A record class describes each stored field where it declares the member, in its public part:
//   class CCustomer {
//   public:
//       KR_RECORD(CCustomer);
//       KR_FIELD(std::string, m_strName, 8, 25, Text, 333, Kind::RText); // key 1
//       KR_FIELD(char, m_c331, 331, 1, Code, 469) = ' ';
//       KR_ARRAY(float, 6, m_arrAmounts, 296, 4, F32, {130, 119, 75, 86, 97, 108}){};
//   };
// A field gives its offset, width and encoding; one on the interchange line adds its first
// column there and, where the encoding does not say, the line's kind and width. Each field
// stands on a line of its own: the line number tells the fields apart. The member's type is
// checked against the encoding when the class is compiled.
namespace rec {
template <int Line> struct At {};
// Lines a record class may span from KR_RECORD to its last field.
inline constexpr int kRecordLines = 256;

// The elements of an array member M of N values: one field each, laid one after the other from
// offset, and on the line from the first's column every step columns.
template <class R, auto M, size_t I> void* ElementOf(R& r) {
    return &(r.*M)[I];
}
template <class R, auto M, size_t N>
Layout<R> Elements(const char* name, uint16_t offset, uint16_t width, Enc enc, LineSpot line = {},
                   int step = 0) {
    static const std::array<std::string, N> names = [&] {
        std::array<std::string, N> out;
        for (size_t i = 0; i < N; ++i)
            out[i] = std::string(name) + "[" + std::to_string(i) + "]";
        return out;
    }();
    Layout<R> out;
    [&]<size_t... I>(std::index_sequence<I...>) {
        (out.push_back(
             {names[I].c_str(), static_cast<uint16_t>(offset + I * width), width, enc, &ElementOf<R, M, I>,
              line.at < 0 ? line : LineSpot{line.at + static_cast<int>(I) * step, line.kind, line.width}}),
         ...);
    }
    (std::make_index_sequence<N>{});
    return out;
}
// The same from the column of the first element on the line and the columns between elements.
template <class R, auto M, size_t N>
Layout<R> Elements(const char* name, uint16_t offset, uint16_t width, Enc enc, int at, int step,
                   auto... kindAndWidth) {
    return Elements<R, M, N>(name, offset, width, enc, OnLine(enc, width, at, kindAndWidth...), step);
}
// The same at the line column of each element.
template <class R, auto M, size_t N>
Layout<R> Elements(const char* name, uint16_t offset, uint16_t width, Enc enc, const int (&at)[N],
                   auto... kindAndWidth) {
    Layout<R> out = Elements<R, M, N>(name, offset, width, enc, OnLine(enc, width, at[0], kindAndWidth...));
    for (size_t i = 0; i < N; ++i)
        out[i].line.at = at[i];
    return out;
}

// The fields a record class describes, in offset order.
template <class R> Layout<R> Describe() {
    Layout<R> layout;
    [&]<int... I>(std::integer_sequence<int, I...>) {
        (
            [&] {
                if constexpr (requires { R::KrField(At<R::kKrFirstLine + I>{}); }) {
                    auto fields = R::KrField(At<R::kKrFirstLine + I>{});
                    if constexpr (std::is_same_v<decltype(fields), Layout<R>>)
                        layout.insert(layout.end(), fields.begin(), fields.end());
                    else
                        layout.push_back(fields);
                }
            }(),
            ...);
    }
    (std::make_integer_sequence<int, kRecordLines>{});
    std::stable_sort(layout.begin(), layout.end(), [](auto& a, auto& b) { return a.offset < b.offset; });
    return layout;
}
} // namespace rec

// A field of Record as a layout entry (see KR_FIELD for the arguments).
#define KR_FIELD_OF(Record, member, offset, width, enc, ...)                                                 \
    rec::Field<Record> {                                                                                     \
#member, offset, width, rec::Enc::enc,                                                               \
            [](Record & r) -> void* { return &r.member; }, rec::OnLine(rec::Enc::enc,                        \
                                                                       width __VA_OPT__(, ) __VA_ARGS__)     \
    }
#define KR_RECORD(Class)                                                                                     \
    using KrRecord = Class;                                                                                  \
    using Kind = ichg::Kind;                                                                                 \
    static constexpr int kKrFirstLine = __LINE__
#define KR_ROW(check, ...)                                                                                   \
    static rec::Field<KrRecord> KrField(rec::At<__LINE__>) {                                                 \
        static_assert(__LINE__ - kKrFirstLine < rec::kRecordLines, "record class too long");                 \
        static_assert(check, "not a member this encoding holds");                                            \
        return __VA_ARGS__;                                                                                  \
    }
#define KR_HOLDS(member, enc)                                                                                \
    rec::Holds<std::remove_cvref_t<decltype(std::declval<KrRecord&>().member)>>(rec::Enc::enc)
#define KR_DESCRIBE(member, offset, width, enc, ...)                                                         \
    KR_ROW(KR_HOLDS(member, enc),                                                                            \
           KR_FIELD_OF(KrRecord, member, offset, width, enc __VA_OPT__(, ) __VA_ARGS__))
// A stored field and its member; an initializer may follow (KR_FIELD(...) = -1;).
#define KR_FIELD(type, member, ...) KR_DESCRIBE(member, __VA_ARGS__) type member
// An array member of count values, one stored after the other; on the line from column at every
// step columns (KR_ARRAY(float, 10, m_arrAmounts, 224, 4, F32, 349, 19){};) or at the columns
// given one by one.
#define KR_ARRAY(type, count, member, offset, width, enc, ...)                                               \
    static rec::Layout<KrRecord> KrField(rec::At<__LINE__>) {                                                \
        static_assert(__LINE__ - kKrFirstLine < rec::kRecordLines, "record class too long");                 \
        static_assert(rec::Holds<type>(rec::Enc::enc), "not a member this encoding holds");                  \
        return rec::Elements<KrRecord, &KrRecord::member, count>(#member, offset, width,                     \
                                                                 rec::Enc::enc __VA_OPT__(, ) __VA_ARGS__);  \
    }                                                                                                        \
    std::array<type, count> member
// A field named apart from its member (a second encoding of the same value).
#define KR_ALSO(name, member, offset, width, enc)                                                            \
    KR_ROW(KR_HOLDS(member, enc),                                                                            \
           {name, offset, width, rec::Enc::enc, [](KrRecord& r) -> void* { return &r.member; }})             \
    static_assert(true)
// Bytes of the record no member holds, always written the same way.
#define KR_FILL(name, offset, width, enc)                                                                    \
    KR_ROW(true, {name, offset, width, rec::Enc::enc, nullptr}) static_assert(true)
