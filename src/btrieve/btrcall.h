// The record manager's single entry point and its named constants.
#pragma once

#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

// One call into the record manager. The position block is 128 bytes owned by the caller;
// the data length carries the buffer size in and the returned length out.
int16_t BTRCALL(uint16_t operation, void* positionBlock, void* dataBuffer, uint32_t* dataLength,
                void* keyBuffer, uint8_t keyLength, int8_t keyNumber);

#ifdef __cplusplus
}
#endif

namespace btr {

constexpr int kPositionBlockSize = 128;
constexpr int kMaxKeys = 119;
constexpr int kMaxKeyLength = 255;

// Operation codes.
enum Op : uint16_t {
    B_OPEN = 0,
    B_CLOSE = 1,
    B_INSERT = 2,
    B_UPDATE = 3,
    B_DELETE = 4,
    B_GET_EQUAL = 5,
    B_GET_NEXT = 6,
    B_GET_PREVIOUS = 7,
    B_GET_GREATER = 8,
    B_GET_GE = 9,
    B_GET_LESS = 10,
    B_GET_LE = 11,
    B_GET_FIRST = 12,
    B_GET_LAST = 13,
    B_CREATE = 14,
    B_STAT = 15,
    B_EXTEND = 16,
    B_SET_DIR = 17,
    B_GET_DIR = 18,
    B_BEGIN_TRAN = 19,
    B_END_TRAN = 20,
    B_ABORT_TRAN = 21,
    B_GET_POSITION = 22,
    B_GET_DIRECT = 23,
    B_STEP_NEXT = 24,
    B_STOP = 25,
    B_VERSION = 26,
    B_UNLOCK = 27,
    B_RESET = 28,
    B_SET_OWNER = 29,
    B_CLEAR_OWNER = 30,
    B_BUILD_INDEX = 31,
    B_DROP_INDEX = 32,
    B_STEP_FIRST = 33,
    B_STEP_LAST = 34,
    B_STEP_PREVIOUS = 35,
};

// Added to a Get operation (5 to 13): return the key only, no record.
constexpr uint16_t kKeyOnlyBias = 50;
// Lock biases (single/multiple record, wait/no wait) that may be added to Get and Step operations.
constexpr uint16_t kLockBiases[] = {100, 200, 300, 400};

// Status codes.
enum Status : int16_t {
    B_NO_ERROR = 0,
    B_INVALID_FUNCTION = 1,
    B_IO_ERROR = 2,
    B_FILE_NOT_OPEN = 3,
    B_KEY_VALUE_NOT_FOUND = 4,
    B_DUPLICATE_KEY_VALUE = 5,
    B_INVALID_KEYNUMBER = 6,
    B_DIFFERENT_KEYNUMBER = 7,
    B_POSITION_NOT_SET = 8,
    B_END_OF_FILE = 9,
    B_MODIFIABLE_KEYVALUE_ERROR = 10,
    B_FILENAME_BAD = 11,
    B_FILE_NOT_FOUND = 12,
    B_DISK_FULL = 18,
    B_UNRECOVERABLE_ERROR = 19,
    B_KEY_BUFFER_TOO_SHORT = 21,
    B_DATALENGTH_ERROR = 22,
    B_POSITIONBLOCK_LENGTH = 23,
    B_PAGE_SIZE_ERROR = 24,
    B_CREATE_IO_ERROR = 25,
    B_NUMBER_OF_KEYS = 26,
    B_INVALID_KEY_POSITION = 27,
    B_INVALID_RECORD_LENGTH = 28,
    B_INVALID_KEYLENGTH = 29,
    B_NOT_A_BTRIEVE_FILE = 30,
    B_DIRECTORY_ERROR = 35,
    B_TRANSACTION_ERROR = 36,
    B_TRANSACTION_IS_ACTIVE = 37,
    B_END_TRANSACTION_ERROR = 39,
    B_OPERATION_NOT_ALLOWED = 41,
    B_INVALID_RECORD_ADDRESS = 43,
    B_INCONSISTENT_KEY_FLAGS = 45,
    B_ACCESS_TO_FILE_DENIED = 46,
    B_MAXIMUM_OPEN_FILES = 47,
    B_INVALID_EXT_KEY_TYPE = 49,
    B_OWNER_ALREADY_SET = 50,
    B_INCORRECT_OWNER = 51,
    B_FILE_ALREADY_EXISTS = 59,
    B_CONFLICT = 80,
    B_RECORD_INUSE = 84,
    B_FILE_INUSE = 85,
    B_INCOMPATIBLE_MODE_ERROR = 88,
};

// Key flags of a key segment in the file specification.
enum KeyFlag : uint16_t {
    KF_DUPLICATES = 0x0001,
    KF_MODIFIABLE = 0x0002,
    KF_BINARY = 0x0004,
    KF_NULL = 0x0008,
    KF_SEGMENTED = 0x0010,
    KF_ALT_COLLATE = 0x0020,
    KF_DESCENDING = 0x0040,
    KF_SUPPLEMENTAL = 0x0080,
    KF_EXTENDED_TYPE = 0x0100,
    KF_MANUAL_NULL = 0x0200,
    KF_NOCASE = 0x0400,
};

// Extended key types understood by the record manager.
enum KeyType : uint8_t {
    KT_STRING = 0,
    KT_INTEGER = 1,
    KT_DATE = 3,
    KT_LSTRING = 10,
    KT_ZSTRING = 11,
    KT_UNSIGNED_BINARY = 14,
};

// File flags.
constexpr uint16_t kFileVariableLength = 0x0001;

// Open modes (passed as the key number of Open).
constexpr int8_t kOpenNormal = 0;
constexpr int8_t kOpenAccelerated = -1;
constexpr int8_t kOpenReadOnly = -2;
constexpr int8_t kOpenVerify = -3;
constexpr int8_t kOpenExclusive = -4;

// Create modes (passed as the key number of Create).
constexpr int8_t kCreateReplace = 0;
constexpr int8_t kCreateNoReplace = -1;

} // namespace btr
