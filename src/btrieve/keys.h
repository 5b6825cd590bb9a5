// File specifications and key encoding: a key value becomes bytes whose memcmp order is the
// record manager's key order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace btr {

struct Segment {
    uint16_t position = 0; // from 1
    uint16_t length = 0;
    uint16_t flags = 0;
    uint8_t type = 0; // effective type: string, integer, date, lstring, zstring, unsigned binary
    uint8_t nullValue = 0;
    bool descending = false;
    bool noCase = false;
};

struct Key {
    std::vector<Segment> segments;
    uint16_t length = 0; // sum of the segment lengths: the key value's size in a key buffer
    bool duplicates = false;
    bool modifiable = false;
    bool nullAll = false; // not indexed when every segment holds its null value
    bool nullAny = false; // not indexed when any segment holds its null value
};

struct FileSpec {
    uint16_t recordLength = 0;
    uint16_t pageSize = 0;
    uint16_t fileFlags = 0;
    std::vector<Key> keys;
    std::vector<uint8_t> raw; // the specification as given, returned by Stat
    bool variable() const { return (fileFlags & 1) != 0; }
    size_t segmentCount() const;
};

// Parses and validates a specification buffer. Returns 0 or the record manager's status.
int16_t ParseSpec(const uint8_t* data, uint32_t length, FileSpec& spec);

// Encoded key of a record (without the duplicate sequence); nullopt when the key is null.
std::optional<std::string> EncodeRecordKey(const Key& key, const uint8_t* record, size_t recordLength);
// Encoded form of a key value as held in a key buffer.
std::string EncodeKeyValue(const Key& key, const uint8_t* value);
// The key value of a record as the record manager returns it in the key buffer.
void ExtractKeyValue(const Key& key, const uint8_t* record, uint8_t* out);

} // namespace btr
