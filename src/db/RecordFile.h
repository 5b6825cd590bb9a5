// Typed access to the records of a file, written once for every file class. The file class
// (File) derives from CRecordFile<Record, File> and gives:
//   kFacts          its name, description and whether it is exported and reloaded;
//   kLines          (a file that is reloaded) its interchange versions' line lengths;
//   KeySegments()   its key segments, as the file is created with them;
//   kRecordLength   the record length (the fixed part of a variable-length record).
// A variable-length file also gives kBufferSize (its longest record) and kPastNotes: its record
// ends that many bytes past the text of its notes, the layout's last field.
// Writes go through kUniqueKey (key 0 unless the file says otherwise).
#pragma once

#include "BtrieveDB.h"
#include "RecordFields.h"
#include "RecordLayout.h"

#include "btrieve/btrcall.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace rec {
// What a file class says of itself: its file name, its description, whether its records can be
// written as interchange lines (export) and whether it takes downloads (reload).
struct FileFacts {
    const char* name;
    const char* description;
    bool exportable;
    bool reloadable;
};
// An interchange version's line: versions below `below` write lines of `length` characters, the
// line feed included. A file lists them oldest first, the newest below INT_MAX.
struct LineVersion {
    int below;
    int length;
};
} // namespace rec

template <class R, class File> class CRecordFile : public CBtrieveDB {
public:
    using Record = R;

    // The record layout, as the record class describes its fields.
    static const rec::Layout<R>& Fields() {
        static const rec::Layout<R> layout = rec::Describe<R>();
        return layout;
    }

    const char* GetFileName() const override { return File::kFacts.name; }
    const char* GetDescription() const override { return File::kFacts.description; }
    bool CanExport() override { return File::kFacts.exportable; }
    bool CanReload() const override { return File::kFacts.reloadable; }
    // The record length the export reads check: 0 for a file that is not exported.
    uint32_t GetRecordLength() const override { return File::kFacts.exportable ? File::kRecordLength : 0; }
    uint32_t GetLongestRecord() const override {
        return GetRecordLength() ? static_cast<uint32_t>(BufferSize()) : 0;
    }

    // The line length of an interchange version; the newest by default.
    static int LineLength(int version = INT_MAX) {
        if constexpr (requires { File::kLines; }) {
            for (const rec::LineVersion& v : File::kLines)
                if (version < v.below) return v.length;
            return std::end(File::kLines)[-1].length;
        } else {
            return 0;
        }
    }
    int GetLineLength() const override { return LineLength(m_nVersion); }
    // A record object as the line of an interchange version, and a stored record as the newest.
    static std::string WriteLine(const R& record, int version = INT_MAX) {
        return rec::WriteLine(File::Fields(), record, static_cast<size_t>(LineLength(version)));
    }
    int FormatLine(const uint8_t* raw, std::string& output) override {
        if (LineLength() == 0) return CBtrieveDB::FormatLine(raw, output);
        output = rec::FormatLine(File::Fields(), raw, static_cast<size_t>(LineLength()));
        return 0;
    }

    int Create(const char* path) override {
        uint16_t flags = Variable() ? btr::kFileVariableLength : 0;
        return CreateAndOpen(path, File::kRecordLength, static_cast<uint16_t>(Keys().size()), flags,
                             File::KeySegments());
    }

    // The record whose key keyNumber is keyValue, the value laid over the key's fields as each
    // field is stored (cut at its width, filled with zeros or blanks, upper-cased where the field
    // is), one field after the other.
    int GetRecord(R& record, const std::string& keyValue, int keyNumber = 0) {
        if (int status = FillKey(keyNumber, keyValue)) return status;
        return ReadRecord(btr::B_GET_EQUAL, record, keyNumber);
    }
    // The stored record whose key keyNumber equals the one of record (its key fields set).
    int GetSame(R& record, int keyNumber = 0) {
        if (int status = FillKeyFrom(keyNumber, record)) return status;
        return ReadRecord(btr::B_GET_EQUAL, record, keyNumber);
    }
    // The same into record, found by the key fields of keyed; record is left as it was when none is.
    int GetSame(R keyed, R& record, int keyNumber) {
        int status = GetSame(keyed, keyNumber);
        if (status == 0) record = std::move(keyed);
        return status;
    }
    int GetFirstRecord(R& record, int keyNumber = 0) {
        return ReadRecord(btr::B_GET_FIRST, record, keyNumber);
    }
    int GetLastRecord(R& record, int keyNumber = 0) { return ReadRecord(btr::B_GET_LAST, record, keyNumber); }
    int GetNextRecord(R& record, int keyNumber = 0) { return ReadRecord(btr::B_GET_NEXT, record, keyNumber); }
    int GetPreviousRecord(R& record, int keyNumber = 0) {
        return ReadRecord(btr::B_GET_PREVIOUS, record, keyNumber);
    }

    // Writes take the key fields of the record object as they are stored (upper-cased in the
    // object too, so a later read by them finds the record).
    int InsertRecord(R& record) {
        std::vector<uint8_t> data(BufferSize(), 0);
        uint16_t length = File::Pack(record, data.data());
        uint8_t* key = KeyBuffer(UniqueKey());
        if (!key) return btr::B_INVALID_KEYNUMBER;
        return Insert(data.data(), &length, key, UniqueKey());
    }
    // Rewrites the stored record with the same unique key, over its stored bytes (bytes no field
    // describes keep what the file holds); previous, when given, gets the record as it was.
    // 4 when no record has the key.
    int UpdateRecord(R& record, R* previous = nullptr) {
        int key = UniqueKey();
        if (int status = FillKeyFrom(key, record)) return status;
        std::vector<uint8_t> data(BufferSize(), 0);
        uint16_t length = static_cast<uint16_t>(data.size());
        int status = GetEqual(data.data(), &length, KeyBuffer(key), key);
        if (status != 0) return status;
        if (previous) UnpackFrom(data.data(), length, *previous);
        length = File::Pack(record, data.data());
        return Update(data.data(), &length, KeyBuffer(key), key);
    }
    // Rewrites the stored record, or inserts it when none has its unique key.
    int UpdateOrInsert(R& record) {
        int status = UpdateRecord(record);
        return status == btr::B_KEY_VALUE_NOT_FOUND ? InsertRecord(record) : status;
    }
    // Deletes the (first) record whose key keyNumber is keyValue; a missing record counts as
    // deleted.
    int DeleteRecord(const std::string& keyValue, int key = UniqueKey()) {
        if (int status = FillKey(key, keyValue)) return status;
        std::vector<uint8_t> data(BufferSize(), 0);
        uint16_t length = static_cast<uint16_t>(data.size());
        int status = GetEqual(data.data(), &length, KeyBuffer(key), key);
        if (status == btr::B_KEY_VALUE_NOT_FOUND) return 0;
        if (status != 0) return status;
        return Delete();
    }

    // The record object over a record buffer by the layout (returning the length to write), and
    // back; a file may give its own.
    static uint16_t Pack(R& record, uint8_t* data) {
        rec::Pack(File::Fields(), record, data);
        if constexpr (Variable()) {
            // Never past the longest record a reader takes: full notes keep their zero, not all after it.
            const rec::Field<R>& notes = File::Fields().back();
            size_t text =
                strnlen(reinterpret_cast<const char*>(data) + notes.offset, notes.width - rec::kNotesEnd);
            return static_cast<uint16_t>(std::min(notes.offset + text + File::kPastNotes, BufferSize()));
        }
        return File::kRecordLength;
    }
    static void Unpack(const uint8_t* data, R& record) { rec::Unpack(File::Fields(), data, record); }

    // The record object from the bytes the file stores; a fixed-length record of another length is
    // refused.
    static int UnpackFrom(const uint8_t* data, uint16_t length, R& record) {
        if constexpr (Variable()) {
            rec::Unpack(File::Fields(), data, record, length);
        } else {
            if (length != File::kRecordLength) return btr::B_DATALENGTH_ERROR;
            File::Unpack(data, record);
        }
        return 0;
    }

    // Every field the layout describes, in record order.
    std::vector<ShownField> ShowRecord(const std::vector<uint8_t>& bytes) override {
        std::vector<uint8_t> data = bytes;
        data.resize(std::max(data.size(), BufferSize()), 0); // a short record reads as zeros
        R record;
        UnpackFrom(data.data(), static_cast<uint16_t>(Variable() ? bytes.size() : File::kRecordLength),
                   record);
        std::vector<ShownField> out;
        for (const rec::Field<R>& f : File::Fields()) {
            if (!f.member || f.enc == rec::Enc::BDate) continue;
            std::string value = rec::ShowField(f.enc, f.member(record));
            if (f.enc == rec::Enc::Time) {
                int64_t t = *static_cast<int64_t*>(f.member(record));
                value = (t == -1 ? std::string("none") : ichg::FormatDate(t)) + " (" + value + ")";
            }
            out.push_back({std::to_string(f.offset) + " " + f.name, value, rec::IsText(f.enc)});
        }
        return out;
    }

    // A key segment over the named field of the layout (see rec::Segment).
    template <class... Rest> static BtrKeySegment Segment(const char* field, Rest... rest) {
        return rec::Segment(File::Fields(), field, rest...);
    }
    // The key segments of each key, in key order.
    static const std::vector<std::vector<BtrKeySegment>>& Keys() {
        static const std::vector<std::vector<BtrKeySegment>> keys = [] {
            std::vector<std::vector<BtrKeySegment>> out(1);
            for (const BtrKeySegment& s : File::KeySegments()) {
                out.back().push_back(s);
                if (!(s.flags & btr::KF_SEGMENTED)) out.emplace_back();
            }
            out.pop_back();
            return out;
        }();
        return keys;
    }
    static size_t KeyLength(int keyNumber) {
        size_t n = 0;
        for (const BtrKeySegment& s : Keys()[static_cast<size_t>(keyNumber)])
            n += s.length;
        return n;
    }
    // Whether the records are of variable length: a fixed part, then notes up to kBufferSize.
    static constexpr bool Variable() {
        return requires {
            File::kPastNotes;
        };
    }
    static constexpr size_t BufferSize() {
        if constexpr (requires { File::kBufferSize; })
            return File::kBufferSize;
        else
            return File::kRecordLength;
    }
    static constexpr int UniqueKey() {
        if constexpr (requires { File::kUniqueKey; })
            return File::kUniqueKey;
        else
            return 0;
    }

protected:
    // Where a field of the layout starts, for the few changes made on the stored bytes themselves
    // (fields the record object would otherwise rewrite in its own form).
    static size_t At(const char* field) { return rec::Find(File::Fields(), field)->offset; }
    // The key buffer of a key (null for a key number the file lacks); the record manager leaves
    // the key of the record found there.
    uint8_t* KeyBuffer(int keyNumber) {
        if (keyNumber < 0 || keyNumber >= static_cast<int>(Keys().size())) return nullptr;
        if (m_keys.size() < Keys().size()) m_keys.assign(Keys().size(), std::vector<uint8_t>(256, 0));
        return m_keys[static_cast<size_t>(keyNumber)].data();
    }

    // Lays keyValue over the fields of the key (see GetRecord) in its key buffer.
    int FillKey(int keyNumber, const std::string& keyValue) {
        uint8_t* key = KeyBuffer(keyNumber);
        if (!key) return btr::B_INVALID_KEYNUMBER;
        const rec::Layout<R>& layout = File::Fields();
        size_t used = 0;
        for (const BtrKeySegment& s : Keys()[static_cast<size_t>(keyNumber)]) {
            size_t end = s.position - 1u + s.length;
            for (size_t at = s.position - 1u; at < end;) {
                auto f = std::find_if(layout.begin(), layout.end(), [&](const rec::Field<R>& x) {
                    return x.offset == at && at + x.width <= end;
                });
                size_t width = f != layout.end() ? f->width : 1;
                std::string piece = keyValue.substr(std::min(used, keyValue.size()), width);
                used += width;
                std::memset(key, 0, width);
                if (f != layout.end() && rec::IsText(f->enc))
                    rec::PackField(f->enc, key, 0, width, &piece);
                else if (f != layout.end() && f->enc == rec::Enc::Code)
                    std::memcpy(key, fields::Upper(piece).data(), piece.size());
                else
                    std::memcpy(key, piece.data(), piece.size());
                key += width;
                at += width;
            }
        }
        return 0;
    }
    // The key of the record object, as it is stored, in the key's buffer.
    int FillKeyFrom(int keyNumber, R& record) {
        uint8_t* key = KeyBuffer(keyNumber);
        if (!key) return btr::B_INVALID_KEYNUMBER;
        std::vector<uint8_t> data(BufferSize(), 0);
        File::Pack(record, data.data());
        CopyKey(keyNumber, data.data(), key);
        return 0;
    }
    static void CopyKey(int keyNumber, const uint8_t* data, uint8_t* key) {
        for (const BtrKeySegment& s : Keys()[static_cast<size_t>(keyNumber)]) {
            std::memcpy(key, data + s.position - 1, s.length);
            key += s.length;
        }
    }

    // Whether a record has the key value: 0, or 4 when none has. Key only: the record is not
    // transferred.
    int KeyOnlyEqual(int keyNumber, const std::string& keyValue) {
        if (int status = FillKey(keyNumber, keyValue)) return status;
        std::vector<uint8_t> data(BufferSize(), 0);
        uint16_t length = static_cast<uint16_t>(data.size());
        return Call(btr::B_GET_EQUAL + btr::kKeyOnlyBias, data.data(), &length, KeyBuffer(keyNumber),
                    keyNumber);
    }

    // The first record on key 0 at or after value (cut at the key's length, filled with fill) whose
    // key starts with the value's first prefixLength bytes; 4 when the record found lacks them.
    int GetFirstWithPrefix(R& record, const std::string& value, char fill, size_t prefixLength = SIZE_MAX) {
        std::string key = fields::Padded(value, KeyLength(0), fill);
        std::memcpy(KeyBuffer(0), key.data(), key.size());
        return ReadWithPrefix(btr::B_GET_GE, record, 0, key.substr(0, prefixLength));
    }
    // One get operation on the key that takes the record found only while its key begins with
    // prefix; otherwise notFound, the record left as it was.
    int ReadWithPrefix(int operation, R& record, int keyNumber, const std::string& prefix,
                       int notFound = btr::B_KEY_VALUE_NOT_FOUND) {
        R found = record;
        int status = ReadRecord(operation, found, keyNumber);
        if (status != 0) return status;
        if (std::memcmp(KeyBuffer(keyNumber), prefix.data(), prefix.size()) != 0) return notFound;
        record = std::move(found);
        return 0;
    }

    // One get operation on the key, into the record object. Nothing past the length returned
    // belongs to the record.
    int ReadRecord(int operation, R& record, int keyNumber) {
        uint8_t* key = KeyBuffer(keyNumber);
        if (!key) return btr::B_INVALID_KEYNUMBER;
        m_read.resize(BufferSize());
        uint16_t length = static_cast<uint16_t>(m_read.size());
        m_readLength = 0;
        int status = Read(operation, m_read.data(), &length, key, keyNumber);
        if (status != 0) return status;
        m_readLength = length;
        std::fill(m_read.begin() + std::min<size_t>(length, m_read.size()), m_read.end(), 0);
        return UnpackFrom(m_read.data(), length, record);
    }

    // The usual record line: keyed by its columns of the unique key's fields, first to last, which
    // a deletion line holds alone. A record on file keeps what the line does not carry. True when
    // the line's record was written.
    bool ImportKeyedLine(int firstChar, std::string& line, R& record, const char* first, const char* last,
                         const char* deletionFormat, const char* writeFormat) {
        const rec::Layout<R>& f = File::Fields();
        return ImportRecordLine(
            firstChar, line,
            {rec::LineWidth(f, first, last), deletionFormat, writeFormat,
             [this](const std::string& key) { return DeleteRecord(key); },
             [&](const std::string& l) {
                 return GetRecord(record, rec::LineText(f, l, first, last), UniqueKey());
             },
             [&](const std::string& l, size_t length, std::string& error) {
                 return rec::ReadLine(f, l, length, record, error);
             },
             [&](bool found) { return found ? UpdateRead(record, UniqueKey()) : InsertRecord(record); }});
    }

    // Writes back the record last read (on keyNumber) with change made on its stored bytes: the
    // other fields keep the form they are stored in, which the record object might not give back
    // (a lower-case code, a date written in another zone). 8 when no record was read.
    int UpdateStored(int keyNumber, const std::function<void(uint8_t* record)>& change) {
        return RewriteRead(keyNumber, [&] {
            change(m_read.data());
            return m_readLength;
        });
    }
    // Rewrites the record last read (on keyNumber) from the record object, over its stored bytes
    // as UpdateRecord does, without reading it again. 8 when no record was read.
    int UpdateRead(R& record, int keyNumber) {
        return RewriteRead(keyNumber, [&] { return File::Pack(record, m_read.data()); });
    }

private:
    // Updates the record last read with the bytes write leaves in its buffer (write returns their
    // length).
    template <class Write> int RewriteRead(int keyNumber, Write write) {
        uint8_t* key = KeyBuffer(keyNumber);
        if (!key) return btr::B_INVALID_KEYNUMBER;
        if (m_readLength == 0) return btr::B_POSITION_NOT_SET;
        uint16_t length = write();
        return Update(m_read.data(), &length, key, keyNumber);
    }

    std::vector<std::vector<uint8_t>> m_keys;
    std::vector<uint8_t> m_read;
    uint16_t m_readLength = 0; // of the record last read, 0 when the last read failed
};
