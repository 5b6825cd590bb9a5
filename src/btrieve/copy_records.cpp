// Copying records between record files on whichever store keeps each, with their stored keys.
#include "btrcall.h"
#include "store.h"

namespace btr {

namespace {
struct Pinned {
    std::shared_ptr<FileStore> store;
    ~Pinned() {
        if (store) store->Unpin();
    }
};
} // namespace

int16_t CopyStore(const std::string& from, const std::string& to, bool inTx,
                  std::shared_ptr<Transactional>& joined, uint32_t& copied) {
    copied = 0;
    Pinned src, dst;
    if (int16_t s = OpenStore(from, src.store)) return s;
    if (int16_t s = CreateStore(to, src.store->spec(), true, inTx, joined)) return s;
    if (int16_t s = OpenStore(to, dst.store)) return s;
    auto write = [&](auto&& body) -> int16_t {
        if (int16_t b = dst.store->BeginWrite()) return b;
        int16_t w = body();
        int16_t e = dst.store->EndWrite(w == 0);
        return w != 0 ? w : e;
    };
    std::string owner;
    int mode = -1;
    src.store->GetOwner(owner, mode);
    if (mode >= 0)
        if (int16_t s = write([&] { return dst.store->SetOwner(owner, mode); })) return s;
    Row row;
    std::vector<std::optional<std::string>> keys;
    int16_t s = src.store->StepFind(true, 0, row);
    while (s == 0) {
        if (int16_t k = src.store->StoredKeys(row.id, keys)) return k;
        int64_t id = 0;
        if (int16_t w = write([&] { return dst.store->InsertStored(row.data, keys, id); })) return w;
        ++copied;
        s = src.store->StepFind(true, row.id, row);
    }
    return s == B_END_OF_FILE ? 0 : s;
}

} // namespace btr
