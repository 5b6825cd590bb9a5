#include "keys.h"

#include "btrcall.h"

#include <cstring>

namespace btr {

size_t FileSpec::segmentCount() const {
    size_t n = 0;
    for (const Key& k : keys)
        n += k.segments.size();
    return n;
}

namespace {

uint16_t Rd16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int16_t CheckSegmentType(Segment& s) {
    switch (s.type) {
    case KT_STRING:
    case KT_LSTRING:
    case KT_ZSTRING:
        return 0;
    case KT_INTEGER:
        return (s.length == 1 || s.length == 2 || s.length == 4 || s.length == 8) ? 0 : B_INVALID_KEYLENGTH;
    case KT_DATE:
        return s.length == 4 ? 0 : B_INVALID_KEYLENGTH;
    case KT_UNSIGNED_BINARY:
        return 0;
    default:
        return B_INVALID_EXT_KEY_TYPE;
    }
}

// Appends the order-preserving form of one segment's bytes.
void EncodeSegment(const Segment& s, const uint8_t* v, std::string& out) {
    size_t start = out.size();
    switch (s.type) {
    case KT_INTEGER: // little-endian two's complement: big-endian with the sign bit flipped
        for (int i = s.length - 1; i >= 0; --i)
            out.push_back(static_cast<char>(v[i]));
        out[start] = static_cast<char>(static_cast<uint8_t>(out[start]) ^ 0x80);
        break;
    case KT_UNSIGNED_BINARY:
        for (int i = s.length - 1; i >= 0; --i)
            out.push_back(static_cast<char>(v[i]));
        break;
    case KT_DATE: // day, month, 16-bit year
        out.push_back(static_cast<char>(v[3]));
        out.push_back(static_cast<char>(v[2]));
        out.push_back(static_cast<char>(v[1]));
        out.push_back(static_cast<char>(v[0]));
        break;
    case KT_ZSTRING: {
        size_t n = 0;
        while (n < s.length && v[n] != 0)
            ++n;
        out.append(reinterpret_cast<const char*>(v), n);
        out.append(s.length - n, '\0');
        break;
    }
    case KT_LSTRING: {
        size_t n = s.length > 0 ? v[0] : 0;
        if (n > static_cast<size_t>(s.length) - 1) n = s.length - 1;
        out.append(reinterpret_cast<const char*>(v + 1), n);
        out.append(s.length - 1 - n, '\0');
        break;
    }
    default:
        out.append(reinterpret_cast<const char*>(v), s.length);
        break;
    }
    if (s.noCase)
        for (size_t i = start; i < out.size(); ++i)
            if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    if (s.descending)
        for (size_t i = start; i < out.size(); ++i)
            out[i] = static_cast<char>(~static_cast<uint8_t>(out[i]));
}

bool SegmentIsNull(const Segment& s, const uint8_t* v) {
    for (size_t i = 0; i < s.length; ++i)
        if (v[i] != s.nullValue) return false;
    return true;
}

} // namespace

int16_t ParseSpec(const uint8_t* data, uint32_t length, FileSpec& spec) {
    if (!data || length < 16) return B_DATALENGTH_ERROR;
    spec = FileSpec{};
    spec.recordLength = Rd16(data);
    spec.pageSize = Rd16(data + 2);
    unsigned keyCount = data[4];
    spec.fileFlags = Rd16(data + 10);
    if (spec.pageSize < 512 || spec.pageSize > 16384 || spec.pageSize % 512 != 0) return B_PAGE_SIZE_ERROR;
    if (spec.recordLength < 4) return B_INVALID_RECORD_LENGTH;
    if (keyCount > kMaxKeys) return B_NUMBER_OF_KEYS;
    uint32_t at = 16;
    for (unsigned k = 0; k < keyCount; ++k) {
        Key key;
        for (;;) {
            if (at + 16 > length) return B_DATALENGTH_ERROR;
            const uint8_t* p = data + at;
            at += 16;
            Segment s;
            s.position = Rd16(p);
            s.length = Rd16(p + 2);
            s.flags = Rd16(p + 4);
            s.nullValue = p[11];
            if (s.flags & KF_EXTENDED_TYPE)
                s.type = p[10];
            else
                s.type = (s.flags & KF_BINARY) ? KT_UNSIGNED_BINARY : KT_STRING;
            s.descending = (s.flags & KF_DESCENDING) != 0;
            s.noCase = (s.flags & KF_NOCASE) != 0;
            if (s.flags & KF_ALT_COLLATE) return 48; // alternate collating sequences are not kept
            if (s.length == 0 || s.length > kMaxKeyLength) return B_INVALID_KEYLENGTH;
            if (s.position == 0 || static_cast<uint32_t>(s.position) + s.length - 1 > spec.recordLength)
                return B_INVALID_KEY_POSITION;
            if (int16_t st = CheckSegmentType(s)) return st;
            if (key.segments.empty()) {
                key.duplicates = (s.flags & KF_DUPLICATES) != 0;
                key.modifiable = (s.flags & KF_MODIFIABLE) != 0;
                key.nullAll = (s.flags & KF_NULL) != 0;
                key.nullAny = (s.flags & KF_MANUAL_NULL) != 0;
            } else if (key.duplicates != ((s.flags & KF_DUPLICATES) != 0) ||
                       key.modifiable != ((s.flags & KF_MODIFIABLE) != 0)) {
                return B_INCONSISTENT_KEY_FLAGS;
            }
            key.length = static_cast<uint16_t>(key.length + s.length);
            if (key.length > kMaxKeyLength) return B_INVALID_KEYLENGTH;
            key.segments.push_back(s);
            if (!(s.flags & KF_SEGMENTED)) break;
        }
        spec.keys.push_back(std::move(key));
    }
    spec.raw.assign(data, data + at);
    // Reserved bytes of the record count are the record manager's own.
    std::memset(spec.raw.data() + 6, 0, 4);
    return 0;
}

std::optional<std::string> EncodeRecordKey(const Key& key, const uint8_t* record, size_t recordLength) {
    bool allNull = true, anyNull = false;
    std::string out;
    out.reserve(key.length + 8);
    for (const Segment& s : key.segments) {
        if (static_cast<size_t>(s.position) - 1 + s.length > recordLength) return std::nullopt;
        const uint8_t* v = record + s.position - 1;
        if (key.nullAll || key.nullAny) {
            bool isNull = SegmentIsNull(s, v);
            allNull = allNull && isNull;
            anyNull = anyNull || isNull;
        }
        EncodeSegment(s, v, out);
    }
    if ((key.nullAll && allNull) || (key.nullAny && anyNull)) return std::nullopt;
    return out;
}

std::string EncodeKeyValue(const Key& key, const uint8_t* value) {
    std::string out;
    out.reserve(key.length + 8);
    size_t off = 0;
    for (const Segment& s : key.segments) {
        EncodeSegment(s, value + off, out);
        off += s.length;
    }
    return out;
}

void ExtractKeyValue(const Key& key, const uint8_t* record, uint8_t* out) {
    size_t off = 0;
    for (const Segment& s : key.segments) {
        std::memcpy(out + off, record + s.position - 1, s.length);
        off += s.length;
    }
}

} // namespace btr
