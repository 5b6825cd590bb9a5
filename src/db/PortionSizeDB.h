// PTNSIZE.DB: a shared suite file that this program only makes sure exists.
#pragma once

#include "BtrieveDB.h"

class CPortionSizeDB : public CBtrieveDB {
public:
    static constexpr uint16_t kRecordLength = 36;

    const char* GetFileName() const override { return "PTNSIZE.DB"; }
    const char* GetDescription() const override { return "Portion Sizes"; }
    bool CanExport() override { return false; }
    bool CanReload() const override { return false; }
    int Create(const char* path) override;
};
