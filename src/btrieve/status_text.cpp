#include "btrieve/status_text.h"

#include "btrieve/btrcall.h"

namespace btr {

const char* StatusMeaning(int status) {
    switch (status) {
    case B_INVALID_FUNCTION:
        return "invalid operation";
    case B_IO_ERROR:
        return "I/O error";
    case B_FILE_NOT_OPEN:
        return "file not open";
    case B_KEY_VALUE_NOT_FOUND:
        return "key value not found";
    case B_DUPLICATE_KEY_VALUE:
        return "duplicate key value";
    case B_INVALID_KEYNUMBER:
        return "invalid key number";
    case B_DIFFERENT_KEYNUMBER:
        return "different key number";
    case B_POSITION_NOT_SET:
        return "no current position";
    case B_END_OF_FILE:
        return "end of file";
    case B_MODIFIABLE_KEYVALUE_ERROR:
        return "the key may not be changed";
    case B_FILENAME_BAD:
        return "invalid file name";
    case B_FILE_NOT_FOUND:
        return "file not found";
    case B_DISK_FULL:
        return "disk full";
    case B_UNRECOVERABLE_ERROR:
        return "unrecoverable error";
    case B_KEY_BUFFER_TOO_SHORT:
        return "key buffer too short";
    case B_DATALENGTH_ERROR:
        return "record length does not match";
    case B_POSITIONBLOCK_LENGTH:
        return "position block too short";
    case B_PAGE_SIZE_ERROR:
        return "invalid page size";
    case B_CREATE_IO_ERROR:
        return "the file could not be created";
    case B_NUMBER_OF_KEYS:
        return "invalid number of keys";
    case B_INVALID_KEY_POSITION:
        return "invalid key position";
    case B_INVALID_RECORD_LENGTH:
        return "invalid record length";
    case B_INVALID_KEYLENGTH:
        return "invalid key length";
    case B_NOT_A_BTRIEVE_FILE:
        return "not a record file";
    case B_DIRECTORY_ERROR:
        return "folder not found";
    case B_TRANSACTION_ERROR:
        return "transaction error";
    case B_TRANSACTION_IS_ACTIVE:
        return "a transaction is already active";
    case B_END_TRANSACTION_ERROR:
        return "no transaction to end";
    case B_OPERATION_NOT_ALLOWED:
        return "operation not allowed";
    case B_INVALID_RECORD_ADDRESS:
        return "invalid record address";
    case B_INCONSISTENT_KEY_FLAGS:
        return "inconsistent key flags";
    case B_ACCESS_TO_FILE_DENIED:
        return "access to the file denied";
    case B_MAXIMUM_OPEN_FILES:
        return "too many open files";
    case B_INVALID_EXT_KEY_TYPE:
        return "invalid key type";
    case B_OWNER_ALREADY_SET:
        return "owner already set";
    case B_INCORRECT_OWNER:
        return "wrong owner name";
    case B_FILE_ALREADY_EXISTS:
        return "the file already exists";
    case B_CONFLICT:
        return "changed by another program since it was read";
    case B_RECORD_INUSE:
        return "record in use by another program";
    case B_FILE_INUSE:
        return "file in use by another program";
    case B_INCOMPATIBLE_MODE_ERROR:
        return "opened in an incompatible mode";
    default:
        return "";
    }
}

std::string StatusText(int status) {
    std::string meaning = StatusMeaning(status);
    return std::to_string(status) + (meaning.empty() ? "" : " (" + meaning + ")");
}

} // namespace btr
