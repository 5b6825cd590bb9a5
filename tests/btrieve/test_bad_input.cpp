// Random operations, lengths, key numbers and position blocks never crash the record manager.
#include "harness.h"

#include <gtest/gtest.h>

using namespace bt;
using namespace btr;

TEST(BadInput, SeededRandomCallsAnswerWithStatuses) {
    TempDir dir;
    ASSERT_EQ(Create("F.DB", Spec(40, 2,
                                  {{1, 8, KF_MODIFIABLE},
                                   {9, 4, KF_DUPLICATES | KF_EXTENDED_TYPE | KF_SEGMENTED, KT_INTEGER},
                                   {13, 4, KF_DUPLICATES | KF_EXTENDED_TYPE, KT_DATE}},
                                  kFileVariableLength)),
              0);
    std::mt19937 rng(20261206);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    std::vector<File> files(3);
    std::vector<uint8_t> data(70000);
    uint8_t key[255];
    uint8_t junkPb[128];
    for (int i = 0; i < 30000; ++i) {
        File& f = files[pick(3)];
        if (pick(50) == 0) f.Open("F.DB", static_cast<int8_t>(-static_cast<int>(pick(5))));
        // Any number at all, the plain operations, and the operations with their biases.
        uint32_t kind = pick(4);
        auto op = static_cast<uint16_t>(kind == 0   ? rng()
                                        : kind == 1 ? pick(40)
                                        : kind == 2 ? pick(64)
                                                    : pick(5) * 100 + pick(64));
        for (size_t b = 0; b < 64; ++b)
            data[b] = static_cast<uint8_t>(rng());
        for (auto& b : key)
            b = static_cast<uint8_t>(pick(4) == 0 ? 0 : 'A' + pick(26)); // names stay in this folder
        uint32_t len = pick(3) == 0 ? pick(70000) : pick(80);
        void* pb = f.pb;
        if (pick(10) == 0) {
            for (auto& b : junkPb)
                b = static_cast<uint8_t>(rng());
            pb = junkPb;
        } else if (pick(20) == 0) {
            pb = nullptr;
        }
        uint8_t base = static_cast<uint8_t>(op % 100);
        if (base == B_SET_DIR || base == B_STOP || base == B_RESET)
            continue; // would leave the test's folder or close the files under it
        BTRCALL(op, pb, pick(30) == 0 ? nullptr : data.data(), pick(30) == 0 ? nullptr : &len,
                pick(30) == 0 ? nullptr : key, static_cast<uint8_t>(rng()), static_cast<int8_t>(rng()));
    }
    File f;
    ASSERT_EQ(f.Open("F.DB"), 0);
    uint32_t n = f.Count();
    EXPECT_NE(n, UINT32_MAX);
    // Everything that is stored can still be walked in key order.
    uint32_t walked = 0;
    int16_t s = f.Call(B_STEP_FIRST, 0);
    for (; s == 0 || s == B_DATALENGTH_ERROR; s = f.Call(B_STEP_NEXT, 0))
        ++walked;
    EXPECT_EQ(s, B_END_OF_FILE);
    EXPECT_EQ(walked, n);
}
