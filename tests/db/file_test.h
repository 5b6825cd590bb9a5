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
    data.resize(DB::Pack(record, data.data()));
    return data;
}

// The record whose key keyNumber is key, read to check its fields (a failure when there is none).
template <class DB> typename DB::Record Get(DB& db, const std::string& key, int keyNumber = 0) {
    typename DB::Record record;
    EXPECT_EQ(db.GetRecord(record, key, keyNumber), 0) << "key " << keyNumber << " \"" << key << '"';
    return record;
}

} // namespace kt
