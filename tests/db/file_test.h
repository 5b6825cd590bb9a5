// The set-up the record file tests share (GoogleTest programs only; support.h is also used by
// the Qt test programs).
#pragma once

#include <gtest/gtest.h>

#include "support.h"

namespace kt {

// A test with a fresh empty file of the class DB, created under its own name in a TempDir.
template <class DB> class FileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(db.Create(nullptr), 0); }
    TempDir dir;
    DB db;
};

// The bytes the file class stores for the record (as long as the record it writes).
template <class DB> std::vector<uint8_t> Packed(typename DB::Record record) {
    std::vector<uint8_t> data(DB::BufferSize(), 0);
    data.resize(DB::PackInto(record, data.data()));
    return data;
}

} // namespace kt
