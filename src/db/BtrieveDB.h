// The base of every record file: one object = one open file with its own position block.
#pragma once

#include "DbContext.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The one function through which every record manager call passes. The key buffer length
// handed on is always 255; a null data length reaches the record manager as 0.
int BtrvCall(int operation, void* positionBlock, void* dataBuffer, uint16_t* dataLength, void* keyBuffer,
             int keyNumber);

// One segment of a key in a file specification.
struct BtrKeySegment {
    uint16_t position; // from 1
    uint16_t length;
    uint16_t flags;
    uint8_t type;
};

class CBtrieveDB {
public:
    CBtrieveDB() = default;
    virtual ~CBtrieveDB();
    CBtrieveDB(const CBtrieveDB&) = delete;
    CBtrieveDB& operator=(const CBtrieveDB&) = delete;

    // Virtual operations, in slot order. The raw record manager operations (buffers as void*) are
    // for the file classes; the rest of the program reads and writes through the typed ones.
protected:
    virtual int Open(void* data, uint16_t* length, const char* name, int mode);

public:
    virtual int OpenFile(const char* path = nullptr) { return OpenFile(path, 0); }
    virtual int Close();
    virtual int AbortTran();
    virtual int BeginTran();
    virtual int EndTran();
    virtual const char* GetFileName() const { return "BTRIEVE.DB"; }
    virtual const char* GetDescription() const { return "EMPTY"; }
    virtual bool BeginReload(const char* textPath, int64_t headerLength, int version, int purge);
    // Whether the records can be written as interchange lines (ExportFirst), and whether the file
    // can be reloaded from a download (BeginReload); each file class says so.
    virtual bool CanExport() { return GetRecordLength() != 0; }
    virtual bool CanReload() const { return GetLineLength() != 0; }
    virtual int ExportFirst(std::string& output);
    virtual int ExportNext(std::string& output);
    virtual int FormatLine(const uint8_t* raw, std::string& output);
    virtual uint32_t GetRecordLength() const { return 0; }
    // The longest record of a variable-length file (whose GetRecordLength is its fixed part).
    virtual uint32_t GetLongestRecord() const { return GetRecordLength(); }
    virtual int GetLineLength() const { return 0; }
    virtual uint32_t GetRecordCount();
    virtual int ClearOwner();
    virtual int Create(const char* path) = 0;

protected:
    virtual int CreateFile(void* spec, uint16_t length, const char* path, int mode);
    virtual int CreateIndex(void* spec, uint16_t length);

public:
    // Deletes the record last read.
    virtual int Delete();

protected:
    virtual int DropIndex(int keyNumber);
    virtual int Extend(char* extensionName, int keyNumber);
    virtual int GetDirectory(char* pathBuffer, int drive);
    virtual int GetDirect(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetEqual(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetFirst(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetGreater(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetGreaterOrEqual(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetLast(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetLess(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetLessOrEqual(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetNext(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int GetPosition(void* data, uint16_t* length);
    virtual int GetPrevious(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int Insert(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int Reset(void* key, int keyNumber);
    virtual int SetDirectory(char* path);
    virtual int SetOwner(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int Stat(void* data, uint16_t* length, void* key);
    virtual int StepFirst(void* data, uint16_t* length);
    virtual int StepLast(void* data, uint16_t* length);
    virtual int StepNext(void* data, uint16_t* length);
    virtual int StepPrevious(void* data, uint16_t* length);
    virtual int Stop();
    virtual int Unlock(void* data, uint16_t* length, int keyNumber);
    virtual int Update(void* data, uint16_t* length, void* key, int keyNumber);
    virtual int Version(void* data, uint16_t* length);

public:
    // One line of a reload; a file that is not reloaded reads none.
    virtual void ImportLine(int) {}
    // A stored record field by field, for the dump: "offset name" and the value; empty for a file
    // without a record layout.
    struct ShownField {
        std::string name;
        std::string value;
        bool text; // a text, whose blank padding the dump shows
    };
    virtual std::vector<ShownField> ShowRecord(const std::vector<uint8_t>&) { return {}; }

    // Opens path with an open mode of the record manager (btr::kOpenExclusive...).
    int OpenFile(const char* path, int mode);
    // Opens the file's own name in the database folder.
    int OpenIn(const CDbContext& folder, int mode = 0);
    // Creates the file at path from a file specification (BuildFileSpec) without opening it.
    int CreateFile(std::vector<uint8_t> spec, const char* path, int mode);
    // Whole records as bytes, for the tools that handle every file alike (dump, stat, copy) and
    // for checks on the stored bytes: operation is a get or step operation (btr::B_GET_EQUAL,
    // B_STEP_NEXT...) on keyNumber, key the key value for those that take one.
    int ReadBytes(int operation, std::vector<uint8_t>& record, int keyNumber = 0,
                  const std::string& key = {});
    int InsertBytes(std::vector<uint8_t> record, int keyNumber = 0);
    // The file's specification and record count as the record manager's Stat gives them.
    int StatBytes(std::vector<uint8_t>& spec);

    void AddError(const std::string& text) { m_arrMessages.push_back(text); }

    // Ends a reload. A purging reload holds the purge and every line in one transaction: it is
    // committed here when every write went through (and commit is set), and rolled back
    // otherwise, so the file keeps the records it had. Closes the download. Returns 0, or the
    // status that kept the reload from being committed. Closing the file ends a purging reload
    // as EndReload(true) does.
    int EndReload(bool commit = true);
    // The first write of the running reload that failed for want of storage (disk full, an I/O
    // error, a file or record held by another program...), or 2 (I/O error) when the download
    // could not be read; 0 while every write went through or failed only for its own line's data
    // (a missing record, a duplicate key). Also the status that kept BeginReload from starting.
    int GetReloadFailure() const { return m_nReloadFailure; }
    // Whether the reload holds its changes in one transaction until EndReload (a purge).
    bool HoldsReloadTransaction() const { return m_bReloadTran; }

    bool IsOpen() const { return m_bOpen; }
    const std::string& GetOpenFileName() const { return m_strOpenName; }
    const std::vector<std::string>& GetErrors() const { return m_arrMessages; }
    int GetMessageCount() const { return static_cast<int>(m_arrMessages.size()); }
    uint64_t GetProgressTotal() const { return m_nProgressTotal; }
    uint64_t GetProgressPosition() const { return m_nProgressPos; }
    int GetInterchangeVersion() const { return m_nVersion; }
    // The download a reload reads; null when none is open.
    std::FILE* GetReloadFile() const { return m_fileText; }
    // The next character of the reload text, read as ReadReload reads; EOF at the end.
    int ReadReloadChar();

protected:
    // Reads up to n bytes of the reload text, adding the bytes read to the progress position.
    // A carriage return before a line feed is counted but not handed out: downloads may end
    // their lines in CR LF.
    size_t ReadReload(char* buffer, size_t n);
    // Goes back to offset from of the reload text and on past its next line feed; false (and the
    // position at the end) when no line feed follows.
    bool SkipPastLineFeed(uint64_t from);
    // Whether a purging reload keeps this record (base: none is kept).
    virtual bool KeepOnPurge(const uint8_t*, uint16_t) const { return false; }
    void CloseReloadFile();

    // The common shape of an interchange line. The reload loop has read (and counted) the line's
    // first character, so the line starts one byte before the progress position.
    enum class LineStart { Record, Deletion, Malformed };
    int64_t LineOffset() const { return static_cast<int64_t>(m_nProgressPos) - 1; }
    // Reads the rest of the key (keyWidth characters with the first) and one more character into
    // line. A line feed there makes the line a deletion; a line feed inside the key, or the end of
    // the text, makes it malformed (the caller reports it).
    LineStart ReadKeyPart(int firstChar, size_t keyWidth, std::string& line);
    // The key part of a line with what follows from it: a malformed line is reported, and a
    // deletion line carried out through deleteRecord (given the key), a failure other than a
    // missing record being reported with deletionFormat ("Error %d Deleting Item %s"). Returns
    // Record when the caller goes on to the record's columns; the line is done otherwise.
    // reject, when given, reports a malformed line in place of RejectFormat.
    LineStart StartLine(int firstChar, size_t keyWidth, std::string& line,
                        const std::function<int(const std::string& key)>& deleteRecord,
                        const char* deletionFormat, const std::function<void(int64_t offset)>& reject = {});
    // Reads on until line holds lineLength characters; true when the last one is the line feed.
    bool ReadLineRest(std::string& line, size_t lineLength);
    // "Invalid Record Format at offset %ld" for the line at offset, and the end of the reload.
    void RejectFormat(int64_t offset);
    // A message for one line whose values cannot be used; the line is skipped, the run goes on.
    void AddLineError(const std::string& what, int64_t offset);
    // The steps of a record line, each file giving its own: the key part (a deletion carried out
    // through erase), the rest of the line (GetLineLength characters), the stored record looked up
    // by find so that a shorter line keeps what it does not carry, the line's values read into it,
    // then write (update or insert; found says whether find found it). A failed lookup or write
    // is reported with writeFormat ("Error %d Writing to Database", the offset after the status).
    struct RecordLine {
        size_t keyWidth;
        const char* deletionFormat;
        const char* writeFormat;
        std::function<int(const std::string& key)> erase;
        std::function<int(const std::string& line)> find; // 0, 4 when not on file, or a failure
        // false with the reason when a value cannot be used; length leaves out the line feed
        std::function<bool(const std::string& line, size_t length, std::string& error)> read;
        std::function<int(bool found)> write;
        std::function<void(int64_t offset)> reject = {}; // a malformed line; RejectFormat if none
    };
    // True when the line's record was written.
    bool ImportRecordLine(int firstChar, std::string& line, const RecordLine& steps);
    // The path of another file of the suite in the directory this file was opened from.
    std::string SiblingFile(const char* name) const;

    // Creates the file at path (the file's own name when none is given) from its record length,
    // file flags and key segments, replacing one that exists, and opens it.
    int CreateAndOpen(const char* path, uint16_t recordLength, uint16_t keys, uint16_t fileFlags,
                      const std::vector<BtrKeySegment>& segments);

    // One get or step operation (btr::B_GET_EQUAL, B_STEP_NEXT...) through its virtual slot.
    int Read(int operation, void* data, uint16_t* length, void* key, int keyNumber);
    // One record manager call on this file's position block; B_FILE_NOT_OPEN when it is closed.
    int Call(int operation, void* data, uint16_t* length, void* key, int keyNumber);

    uint8_t m_posBlock[128] = {};
    bool m_bOpen = false;
    std::FILE* m_fileText = nullptr;
    uint64_t m_nProgressTotal = 0;
    uint64_t m_nProgressPos = 0;
    int32_t m_nVersion = 0;
    std::string m_strOpenName;
    uint8_t m_scratch[128] = {};
    uint16_t m_wLength = 0;
    std::vector<std::string> m_arrMessages;
    // The running reload's transaction (a purge) and its first storage failure.
    bool m_bReloadTran = false;
    int m_nReloadFailure = 0;
    // The key buffer of ReadBytes, kept for the next record in key order.
    std::vector<uint8_t> m_bytesKey = std::vector<uint8_t>(256);

private:
    // A call that carries no data of its own.
    int Call(int operation, int keyNumber = 0) {
        return Call(operation, m_scratch, &m_wLength, m_scratch, keyNumber);
    }
    int NoteWrite(int status);
    void NoteReadError();
    int PurgeRecords();
    // Commits (or rolls back) a purging reload's transaction; 0 when none is held.
    int EndReloadTransaction(bool commit = true);
    // Reads the next record (operation B_STEP_FIRST or B_STEP_NEXT) as an interchange line.
    int ExportRecord(int operation, std::string& output);
};

// Fills a file specification buffer for Create: writes the header and segments into spec (size 16 + 16 *
// segments); returns the length to pass.
uint16_t BuildFileSpec(std::vector<uint8_t>& spec, uint16_t recordLength, uint16_t numberOfKeys,
                       uint16_t fileFlags, const std::vector<BtrKeySegment>& segments,
                       uint16_t pageSize = 1024);
