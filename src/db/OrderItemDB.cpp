#include "OrderItemDB.h"

#include <cstring>
#include <vector>

#include "RecordFields.h"
#include "btrieve/btrcall.h"

COrderItemDB::COrderItemDB() {
    m_bReload = false;
    std::memset(m_key0, 0, sizeof m_key0);
    std::memset(m_key1, 0, sizeof m_key1);
    std::memset(m_key2, 0, sizeof m_key2);
    std::memset(m_key3, 0, sizeof m_key3);
}

// Not reloaded from an interchange download.
void COrderItemDB::ImportLine(int) {}

int COrderItemDB::Create(const char* path) {
    // No path: the default name, as for OpenFile.
    if (!path) path = GetFileName();
    using namespace btr;
    constexpr uint16_t kInt = KF_EXTENDED_TYPE;
    std::vector<uint8_t> spec;
    uint16_t length = BuildFileSpec(spec, kRecordSize, 4, 0,
                                    {{1, 4, kInt | KF_SEGMENTED | KF_MODIFIABLE, KT_INTEGER},
                                     {5, 4, kInt | KF_MODIFIABLE, KT_INTEGER},
                                     {1, 4, kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER},
                                     {9, 15, KF_DUPLICATES, KT_STRING},
                                     {1, 4, kInt | KF_SEGMENTED | KF_DUPLICATES, KT_INTEGER},
                                     {9, 12, KF_DUPLICATES, KT_STRING},
                                     {9, 12, KF_DUPLICATES, KT_STRING}});
    int status = CreateFile(spec.data(), length, path, kCreateReplace);
    if (status != 0) return status;
    return OpenFile(path);
}

void COrderItemDB::Pack(COrderItem& line, uint8_t* record) {
    fields::MakeUpper(line.m_strItemID);
    fields::MakeUpper(line.m_strUnit);
    fields::MakeUpper(line.m_strCode1);
    fields::MakeUpper(line.m_strCode2);
    fields::MakeUpper(line.m_strCode3);
    if (line.m_cCode >= 'a' && line.m_cCode <= 'z')
        line.m_cCode = static_cast<char>(line.m_cCode - 'a' + 'A');
    fields::PutI32(record, 0, line.m_nOrderNumber);
    fields::PutI32(record, 4, line.m_nLineNumber);
    fields::PutText(record, 8, line.m_strItemID, 15, '\0');
    fields::PutText(record, 23, line.m_strDescription, 30, '\0');
    fields::PutText(record, 53, line.m_strUnit, 3, '\0');
    fields::PutI32(record, 56, line.m_nNumber1);
    for (size_t i = 0; i < line.m_arrNumbers.size(); ++i)
        fields::PutI32(record, 60 + 4 * i, line.m_arrNumbers[i]);
    fields::PutF32(record, 72, static_cast<float>(line.m_dAmount1));
    fields::PutF32(record, 76, static_cast<float>(line.m_dAmount2));
    fields::PutF32(record, 80, static_cast<float>(line.m_dAmount3));
    fields::PutF32(record, 84, static_cast<float>(line.m_dAmount4));
    fields::PutText(record, 88, line.m_strCode1, 4, '\0');
    fields::PutText(record, 92, line.m_strComment, 60, '\0');
    fields::PutI32(record, 152, line.m_nNumber2);
    fields::PutFlag(record, 156, line.m_bFlag1);
    record[157] = static_cast<uint8_t>(line.m_cCode);
    fields::PutFlag(record, 158, line.m_bFlag2);
    fields::PutFlag(record, 159, line.m_bFlag3);
    fields::PutText(record, 160, line.m_strCode2, 2, '\0');
    fields::PutI32(record, 164, line.m_nNumber3);
    fields::PutF32(record, 168, static_cast<float>(line.m_dAmount5));
    fields::PutText(record, 172, line.m_strCode3, 4, '\0');
}

void COrderItemDB::Unpack(COrderItem& line, const uint8_t* record) {
    line.m_nOrderNumber = fields::GetI32(record, 0);
    line.m_nLineNumber = fields::GetI32(record, 4);
    line.m_strItemID = fields::GetText(record, 8, 15);
    line.m_strDescription = fields::GetText(record, 23, 30);
    line.m_strUnit = fields::GetText(record, 53, 3);
    line.m_nNumber1 = fields::GetI32(record, 56);
    for (size_t i = 0; i < line.m_arrNumbers.size(); ++i)
        line.m_arrNumbers[i] = fields::GetI32(record, 60 + 4 * i);
    line.m_dAmount1 = fields::GetF32(record, 72);
    line.m_dAmount2 = fields::GetF32(record, 76);
    line.m_dAmount3 = fields::GetF32(record, 80);
    line.m_dAmount4 = fields::GetF32(record, 84);
    line.m_strCode1 = fields::GetText(record, 88, 4);
    line.m_strComment = fields::GetText(record, 92, 60);
    line.m_nNumber2 = fields::GetI32(record, 152);
    line.m_bFlag1 = fields::GetFlag(record, 156);
    line.m_cCode = static_cast<char>(record[157]);
    line.m_bFlag2 = fields::GetFlag(record, 158);
    line.m_bFlag3 = fields::GetFlag(record, 159);
    line.m_strCode2 = fields::GetText(record, 160, 2);
    line.m_nNumber3 = fields::GetI32(record, 164);
    line.m_dAmount5 = fields::GetF32(record, 168);
    line.m_strCode3 = fields::GetText(record, 172, 4);
}
