#include "BtrieveDB.h"

#include "DbContext.h"

#include "btrieve/btrcall.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <sys/types.h>
#include <utility>

// File classes keep line offsets in a long and print them with %ld: it must hold any offset.
static_assert(sizeof(long) >= sizeof(int64_t), "reload offsets need 64 bits");

int BtrvCall(int operation, void* positionBlock, void* dataBuffer, uint16_t* dataLength, void* keyBuffer,
             int keyNumber) {
    uint32_t length = dataLength ? *dataLength : 0;
    int16_t status = BTRCALL(static_cast<uint16_t>(operation), positionBlock, dataBuffer, &length, keyBuffer,
                             255, static_cast<int8_t>(keyNumber));
    if (dataLength) *dataLength = static_cast<uint16_t>(length & 0xFFFF);
    return status;
}

CBtrieveDB::~CBtrieveDB() {
    // Not through the virtual slot: the derived part is already gone.
    if (m_bOpen) CBtrieveDB::Close();
    CloseReloadFile();
}

int CBtrieveDB::Open(void* data, uint16_t* length, const char* name, int mode) {
    if (!name) return btr::B_FILENAME_BAD;
    int closeStatus = 0;
    if (m_bOpen && m_strOpenName != name) closeStatus = Close();
    if (m_bOpen) return 0;
    if (closeStatus != 0) return closeStatus;
    int status = BtrvCall(btr::B_OPEN, m_posBlock, data, length, const_cast<char*>(name), mode);
    if (status == 0) {
        m_bOpen = true;
        m_strOpenName = name;
    }
    return status;
}

int CBtrieveDB::Close() {
    // A purging reload still running ends first: committed when sound, else rolled back.
    int ended = EndReloadTransaction();
    int status = Call(btr::B_CLOSE);
    m_bOpen = false;
    m_strOpenName.clear();
    return ended != 0 ? ended : status;
}

int CBtrieveDB::Call(int operation, void* data, uint16_t* length, void* key, int keyNumber) {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    return BtrvCall(operation, m_posBlock, data, length, key, keyNumber);
}

int CBtrieveDB::AbortTran() {
    return Call(btr::B_ABORT_TRAN);
}
int CBtrieveDB::BeginTran() {
    return Call(btr::B_BEGIN_TRAN);
}
int CBtrieveDB::EndTran() {
    return Call(btr::B_END_TRAN);
}

bool CBtrieveDB::BeginReload(const char* textPath, int64_t headerLength, int version, int purge) {
    m_nVersion = version;
    if (!CanReload() || GetLineLength() == 0) return false;
    // A reload left running by its caller ends before the next one starts.
    EndReloadTransaction();
    CloseReloadFile();
    m_nReloadFailure = 0;
    if (!textPath) return false;
    m_fileText = std::fopen(textPath, "rb");
    if (!m_fileText) return false;
    off_t length = -1;
    if (::fseeko(m_fileText, 0, SEEK_END) == 0) length = ::ftello(m_fileText);
    if (headerLength < 0 || length <= headerLength ||
        ::fseeko(m_fileText, static_cast<off_t>(headerLength), SEEK_SET) != 0) {
        CloseReloadFile();
        return false;
    }
    m_nProgressTotal = static_cast<uint64_t>(length) - 1;
    m_nProgressPos = static_cast<uint64_t>(headerLength);
    m_arrMessages.clear();
    if (!purge) return true;

    // The purge and the lines that follow are one transaction: the old records go only when the
    // new ones are on file, and a failure anywhere leaves the file as it was.
    std::string path = (m_bOpen && !m_strOpenName.empty()) ? m_strOpenName : GetFileName();
    int status = OpenFile(path.c_str());
    if (status == btr::B_FILE_NOT_FOUND) status = Create(path.c_str());
    if (status == 0) status = BeginTran();
    if (status == 0) {
        m_bReloadTran = true;
        status = PurgeRecords();
    }
    if (status == 0) return true;
    EndReloadTransaction(false);
    m_nReloadFailure = status;
    CloseReloadFile();
    return false;
}

int CBtrieveDB::PurgeRecords() {
    std::vector<uint8_t> record(0xFFFF);
    uint16_t length = static_cast<uint16_t>(record.size());
    int status = StepFirst(record.data(), &length);
    while (status == 0) {
        bool deleted = false;
        if (!KeepOnPurge(record.data(), length)) {
            status = Delete();
            if (status != 0) return status;
            deleted = true;
        }
        length = static_cast<uint16_t>(record.size());
        status = StepNext(record.data(), &length);
        // A record manager that loses the position with the record starts over; the records
        // kept are passed over again, every other one is gone.
        if (deleted && status == btr::B_POSITION_NOT_SET) {
            length = static_cast<uint16_t>(record.size());
            status = StepFirst(record.data(), &length);
        }
    }
    return status == btr::B_END_OF_FILE ? 0 : status;
}

int CBtrieveDB::EndReloadTransaction(bool commit) {
    if (!m_bReloadTran) return 0;
    m_bReloadTran = false;
    if (m_nReloadFailure != 0 || !commit) {
        AbortTran();
        return m_nReloadFailure;
    }
    int status = EndTran();
    if (status != 0) {
        // The record manager has rolled back a commit that failed; make sure nothing stays open.
        AbortTran();
        m_nReloadFailure = status;
    }
    return status;
}

int CBtrieveDB::EndReload(bool commit) {
    int status = EndReloadTransaction(commit);
    CloseReloadFile();
    return status;
}

int CBtrieveDB::NoteWrite(int status) {
    bool ownData = status == 0 || status == btr::B_KEY_VALUE_NOT_FOUND ||
                   status == btr::B_DUPLICATE_KEY_VALUE || status == btr::B_DATALENGTH_ERROR;
    if (m_fileText && !ownData && m_nReloadFailure == 0) m_nReloadFailure = status;
    return status;
}

void CBtrieveDB::CloseReloadFile() {
    if (m_fileText) {
        std::fclose(m_fileText);
        m_fileText = nullptr;
    }
}

size_t CBtrieveDB::ReadReload(char* buffer, size_t n) {
    if (!m_fileText) return 0;
    size_t have = 0;
    while (have < n) {
        size_t want = n - have;
        size_t got = std::fread(buffer + have, 1, want, m_fileText);
        m_nProgressPos += got;
        char* end = buffer + have + got;
        // Pass over each carriage return that stands before a line feed.
        char* out = static_cast<char*>(std::memchr(buffer + have, '\r', got));
        if (!out) out = end;
        for (char* in = out; in < end; ++in) {
            if (*in == '\r') {
                int next = in + 1 < end ? *(in + 1) : std::fgetc(m_fileText);
                if (in + 1 == end && next != EOF) std::ungetc(next, m_fileText);
                if (next == '\n') continue;
            }
            *out++ = *in;
        }
        have = static_cast<size_t>(out - buffer);
        if (got < want) {
            NoteReadError();
            break;
        }
    }
    return have;
}

void CBtrieveDB::NoteReadError() {
    // A download that cannot be read to its end must not look like one that ends there.
    if (std::ferror(m_fileText) && m_nReloadFailure == 0) m_nReloadFailure = btr::B_IO_ERROR;
}

bool CBtrieveDB::SkipPastLineFeed(uint64_t from) {
    if (m_fileText && ::fseeko(m_fileText, static_cast<off_t>(from), SEEK_SET) == 0) {
        m_nProgressPos = from;
        int c;
        while ((c = std::fgetc(m_fileText)) != EOF) {
            ++m_nProgressPos;
            if (c == '\n') return true;
        }
    }
    m_nProgressPos = m_nProgressTotal + 1;
    return false;
}

CBtrieveDB::LineStart CBtrieveDB::ReadKeyPart(int firstChar, size_t keyWidth, std::string& line) {
    line.clear();
    if (firstChar == EOF || firstChar == '\n') return LineStart::Malformed;
    line += static_cast<char>(firstChar);
    bool deletion = ReadLineRest(line, 1 + keyWidth);
    if (line.size() < 1 + keyWidth || line.find('\n') < keyWidth) return LineStart::Malformed;
    return deletion ? LineStart::Deletion : LineStart::Record;
}

CBtrieveDB::LineStart CBtrieveDB::StartLine(int firstChar, size_t keyWidth, std::string& line,
                                            const std::function<int(const std::string& key)>& deleteRecord,
                                            const char* deletionFormat,
                                            const std::function<void(int64_t offset)>& reject) {
    int64_t at = LineOffset();
    LineStart start = ReadKeyPart(firstChar, keyWidth, line);
    if (start == LineStart::Malformed) {
        reject ? reject(at) : RejectFormat(at);
    } else if (start == LineStart::Deletion) {
        std::string key = line.substr(0, keyWidth);
        int status = deleteRecord(key);
        if (status != 0 && status != btr::B_KEY_VALUE_NOT_FOUND) {
            char text[160];
            std::snprintf(text, sizeof text, deletionFormat, status, key.c_str());
            AddError(text);
        }
    }
    return start;
}

bool CBtrieveDB::ImportRecordLine(int firstChar, std::string& line, const RecordLine& steps) {
    int64_t at = LineOffset();
    if (StartLine(firstChar, steps.keyWidth, line, steps.erase, steps.deletionFormat, steps.reject) !=
        LineStart::Record)
        return false;
    size_t length = static_cast<size_t>(GetLineLength());
    if (!ReadLineRest(line, length)) {
        steps.reject ? steps.reject(at) : RejectFormat(at);
        return false;
    }
    int status = steps.find(line);
    if (status == 0 || status == btr::B_KEY_VALUE_NOT_FOUND) {
        std::string error;
        if (!steps.read(line, length - 1, error)) {
            AddLineError(error, at);
            return false;
        }
        status = steps.write(status == 0);
    }
    if (status == 0) return true;
    char text[160];
    std::snprintf(text, sizeof text, steps.writeFormat, status, static_cast<long>(at));
    AddError(text);
    return false;
}

bool CBtrieveDB::ReadLineRest(std::string& line, size_t lineLength) {
    size_t have = line.size();
    if (have < lineLength) {
        line.resize(lineLength);
        line.resize(have + ReadReload(line.data() + have, lineLength - have));
    }
    return line.size() == lineLength && line.back() == '\n';
}

void CBtrieveDB::RejectFormat(int64_t offset) {
    char text[80];
    std::snprintf(text, sizeof text, "Invalid Record Format at offset %" PRId64, offset);
    AddError(text);
    m_nProgressPos = m_nProgressTotal + 1;
}

void CBtrieveDB::AddLineError(const std::string& what, int64_t offset) {
    AddError(what + " at offset " + std::to_string(offset));
}

std::string CBtrieveDB::SiblingFile(const char* name) const {
    return CDbContext::OfOpenFile(m_strOpenName).PathOf(name);
}

int CBtrieveDB::ReadReloadChar() {
    char c;
    return ReadReload(&c, 1) == 1 ? static_cast<unsigned char>(c) : EOF;
}

int CBtrieveDB::ExportFirst(std::string& output) {
    if (!CanExport()) return btr::B_FILE_NOT_FOUND;
    m_nProgressTotal = GetRecordCount();
    m_nProgressPos = 0;
    return ExportRecord(btr::B_STEP_FIRST, output);
}

int CBtrieveDB::ExportNext(std::string& output) {
    if (!CanExport()) return btr::B_FILE_NOT_FOUND;
    return ExportRecord(btr::B_STEP_NEXT, output);
}

int CBtrieveDB::ExportRecord(int operation, std::string& output) {
    std::vector<uint8_t> record;
    int status = ReadBytes(operation, record);
    if (status != 0) return status;
    if (record.size() < GetRecordLength() || record.size() > GetLongestRecord())
        return btr::B_DATALENGTH_ERROR;
    record.resize(GetLongestRecord(), 0); // notes end within the record
    status = FormatLine(record.data(), output);
    if (status == 0) ++m_nProgressPos;
    return status;
}

int CBtrieveDB::FormatLine(const uint8_t*, std::string&) {
    return btr::B_FILE_NOT_FOUND;
}

uint32_t CBtrieveDB::GetRecordCount() {
    std::vector<uint8_t> stat;
    if (StatBytes(stat) != 0 || stat.size() < 10) return 1;
    uint32_t count;
    std::memcpy(&count, stat.data() + 6, 4);
    return count;
}

int CBtrieveDB::ClearOwner() {
    return Call(btr::B_CLEAR_OWNER);
}

int CBtrieveDB::CreateFile(void* spec, uint16_t length, const char* path, int mode) {
    if (m_bOpen) Close();
    return BtrvCall(btr::B_CREATE, m_posBlock, spec, &length, const_cast<char*>(path), mode);
}

int CBtrieveDB::CreateAndOpen(const char* path, uint16_t recordLength, uint16_t keys, uint16_t fileFlags,
                              const std::vector<BtrKeySegment>& segments) {
    if (!path) path = GetFileName();
    std::vector<uint8_t> spec;
    BuildFileSpec(spec, recordLength, keys, fileFlags, segments);
    int status = CreateFile(std::move(spec), path, btr::kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}

int CBtrieveDB::CreateIndex(void* spec, uint16_t length) {
    return Call(btr::B_BUILD_INDEX, spec, &length, m_scratch, 0);
}
int CBtrieveDB::Delete() {
    return NoteWrite(Call(btr::B_DELETE));
}
int CBtrieveDB::DropIndex(int keyNumber) {
    return Call(btr::B_DROP_INDEX, keyNumber);
}
int CBtrieveDB::Extend(char* extensionName, int keyNumber) {
    return Call(btr::B_EXTEND, m_scratch, &m_wLength, extensionName, keyNumber);
}
int CBtrieveDB::GetDirectory(char* pathBuffer, int drive) {
    return Call(btr::B_GET_DIR, m_scratch, &m_wLength, pathBuffer, drive);
}

#define KEYED_OP(Name, Code)                                                                                 \
    int CBtrieveDB::Name(void* data, uint16_t* length, void* key, int keyNumber) {                           \
        return Call(Code, data, length, key, keyNumber);                                                     \
    }
KEYED_OP(GetDirect, btr::B_GET_DIRECT)
KEYED_OP(GetEqual, btr::B_GET_EQUAL)
KEYED_OP(GetFirst, btr::B_GET_FIRST)
KEYED_OP(GetGreater, btr::B_GET_GREATER)
KEYED_OP(GetGreaterOrEqual, btr::B_GET_GE)
KEYED_OP(GetLast, btr::B_GET_LAST)
KEYED_OP(GetLess, btr::B_GET_LESS)
KEYED_OP(GetLessOrEqual, btr::B_GET_LE)
KEYED_OP(GetNext, btr::B_GET_NEXT)
KEYED_OP(GetPrevious, btr::B_GET_PREVIOUS)
KEYED_OP(SetOwner, btr::B_SET_OWNER)
#undef KEYED_OP

int CBtrieveDB::Insert(void* data, uint16_t* length, void* key, int keyNumber) {
    return NoteWrite(Call(btr::B_INSERT, data, length, key, keyNumber));
}
int CBtrieveDB::Update(void* data, uint16_t* length, void* key, int keyNumber) {
    return NoteWrite(Call(btr::B_UPDATE, data, length, key, keyNumber));
}

#define STEP_OP(Name, Code)                                                                                  \
    int CBtrieveDB::Name(void* data, uint16_t* length) {                                                     \
        return Call(Code, data, length, m_scratch, 0);                                                       \
    }
STEP_OP(GetPosition, btr::B_GET_POSITION)
STEP_OP(StepFirst, btr::B_STEP_FIRST)
STEP_OP(StepLast, btr::B_STEP_LAST)
STEP_OP(StepNext, btr::B_STEP_NEXT)
STEP_OP(StepPrevious, btr::B_STEP_PREVIOUS)
#undef STEP_OP

// Reset, SetDirectory, Stop and Version concern the record manager, not this file's position.
int CBtrieveDB::Reset(void* key, int keyNumber) {
    return BtrvCall(btr::B_RESET, m_scratch, m_scratch, &m_wLength, key, keyNumber);
}
int CBtrieveDB::SetDirectory(char* path) {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    return BtrvCall(btr::B_SET_DIR, m_scratch, m_scratch, &m_wLength, path, 0);
}
int CBtrieveDB::Stat(void* data, uint16_t* length, void* key) {
    return Call(btr::B_STAT, data, length, key, 0);
}
int CBtrieveDB::Stop() {
    if (!m_bOpen) return btr::B_FILE_NOT_OPEN;
    return BtrvCall(btr::B_STOP, m_scratch, m_scratch, &m_wLength, m_scratch, 0);
}
int CBtrieveDB::Unlock(void* data, uint16_t* length, int keyNumber) {
    return Call(btr::B_UNLOCK, data, length, m_scratch, keyNumber);
}
int CBtrieveDB::Version(void* data, uint16_t* length) {
    return BtrvCall(btr::B_VERSION, m_scratch, data, length, m_scratch, 0);
}

int CBtrieveDB::OpenFile(const char* path, int mode) {
    return Open(m_scratch, &m_wLength, path ? path : GetFileName(), mode);
}

int CBtrieveDB::OpenIn(const CDbContext& folder, int mode) {
    return OpenFile(folder.PathOf(GetFileName()).c_str(), mode);
}

int CBtrieveDB::CreateFile(std::vector<uint8_t> spec, const char* path, int mode) {
    return CreateFile(spec.data(), static_cast<uint16_t>(spec.size()), path, mode);
}

int CBtrieveDB::Read(int operation, void* data, uint16_t* length, void* key, int keyNumber) {
    using Keyed = int (CBtrieveDB::*)(void*, uint16_t*, void*, int);
    using Step = int (CBtrieveDB::*)(void*, uint16_t*);
    static const std::pair<int, Keyed> keyed[] = {
        {btr::B_GET_EQUAL, &CBtrieveDB::GetEqual},       {btr::B_GET_NEXT, &CBtrieveDB::GetNext},
        {btr::B_GET_PREVIOUS, &CBtrieveDB::GetPrevious}, {btr::B_GET_GREATER, &CBtrieveDB::GetGreater},
        {btr::B_GET_GE, &CBtrieveDB::GetGreaterOrEqual}, {btr::B_GET_LESS, &CBtrieveDB::GetLess},
        {btr::B_GET_LE, &CBtrieveDB::GetLessOrEqual},    {btr::B_GET_FIRST, &CBtrieveDB::GetFirst},
        {btr::B_GET_LAST, &CBtrieveDB::GetLast}};
    static const std::pair<int, Step> steps[] = {{btr::B_STEP_FIRST, &CBtrieveDB::StepFirst},
                                                 {btr::B_STEP_LAST, &CBtrieveDB::StepLast},
                                                 {btr::B_STEP_NEXT, &CBtrieveDB::StepNext},
                                                 {btr::B_STEP_PREVIOUS, &CBtrieveDB::StepPrevious}};
    for (const auto& [code, op] : keyed)
        if (code == operation) return (this->*op)(data, length, key, keyNumber);
    for (const auto& [code, op] : steps)
        if (code == operation) return (this->*op)(data, length);
    return btr::B_INVALID_FUNCTION;
}

int CBtrieveDB::ReadBytes(int operation, std::vector<uint8_t>& record, int keyNumber,
                          const std::string& key) {
    record.assign(0xFFFF, 0);
    uint16_t length = 0xFFFF;
    if (!key.empty()) {
        std::fill(m_bytesKey.begin(), m_bytesKey.end(), 0);
        std::memcpy(m_bytesKey.data(), key.data(), std::min(key.size(), m_bytesKey.size()));
    }
    int status = Read(operation, record.data(), &length, m_bytesKey.data(), keyNumber);
    record.resize(status == 0 ? length : 0);
    return status;
}

int CBtrieveDB::InsertBytes(std::vector<uint8_t> record, int keyNumber) {
    uint16_t length = static_cast<uint16_t>(record.size());
    return Insert(record.data(), &length, m_bytesKey.data(), keyNumber);
}

int CBtrieveDB::StatBytes(std::vector<uint8_t>& spec) {
    spec.assign(4096, 0);
    std::vector<uint8_t> key(1024, 0);
    uint16_t length = static_cast<uint16_t>(spec.size());
    int status = Stat(spec.data(), &length, key.data());
    spec.resize(status == 0 ? length : 0);
    return status;
}

uint16_t BuildFileSpec(std::vector<uint8_t>& spec, uint16_t recordLength, uint16_t numberOfKeys,
                       uint16_t fileFlags, const std::vector<BtrKeySegment>& segments, uint16_t pageSize) {
    size_t length = 16 + 16 * segments.size();
    spec.assign(length, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        spec[at] = static_cast<uint8_t>(v & 0xFF);
        spec[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, recordLength);
    put16(2, pageSize);
    put16(4, numberOfKeys);
    put16(10, fileFlags);
    for (size_t i = 0; i < segments.size(); ++i) {
        size_t at = 16 + 16 * i;
        put16(at, segments[i].position);
        put16(at + 2, segments[i].length);
        put16(at + 4, segments[i].flags);
        spec[at + 10] = segments[i].type;
    }
    return static_cast<uint16_t>(length);
}
