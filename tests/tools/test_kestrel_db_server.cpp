// kestrel-db on a database directory whose record files live on a database server: the demo built
// there, a copy to the server and back that changes no byte, stat and dump on both sides.
#include "../btrieve/pg_cluster.h"
#include "btrieve/btrcall.h"

#include "tool_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new bt::PgCluster);

using kt::Tool;
using kt::ToolRun;

struct Dirs {
    fs::path root;
    Dirs() {
        std::random_device rd;
        root =
            fs::temp_directory_path() / ("kr-dbsrv-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
        fs::create_directories(root);
    }
    ~Dirs() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path Make(const std::string& name, bool server) {
        fs::path d = root / name;
        fs::create_directories(d);
        if (server) bt::UseServer(d);
        return d;
    }
};

const char* const kFiles[] = {"ITEM.DB",     "ITEMUNIT.DB", "CUST.DB",    "VELOCITY.DB",
                              "ITEMDICT.DB", "ITEMLKUP.DB", "MNPRICE.DB", "CONTROL.DB"};

// What dump (by the given keys) and stat show of a file, the directory it was read from left out.
std::string Shown(const fs::path& dir, const std::string& file, std::vector<std::string> keys = {"0", "1"},
                  bool stat = true) {
    std::string out;
    for (const std::string& key : keys) {
        ToolRun d = Tool("dump " + (dir / file).string() + " --key " + key);
        out += std::to_string(d.status) + "\n" + d.output;
    }
    ToolRun s = stat ? Tool("stat " + (dir / file).string()) : ToolRun{};
    out += std::to_string(s.status) + "\n" + s.output;
    for (size_t at; (at = out.find(dir.string())) != std::string::npos;)
        out.replace(at, dir.string().size(), "DIR");
    return out;
}

// The demo built on the server, or copied there and back, shows the same as the one built locally.
TEST(ServerDirectory, BuiltOnTheServerOrCopiedThereAndBackEveryFileShowsTheSame) {
    KR_REQUIRE_SERVER();
    Dirs dirs;
    fs::path local = dirs.Make("local", false), server = dirs.Make("server", true),
             back = dirs.Make("back", false), built = dirs.Make("built", true);
    ASSERT_EQ(Tool("demo " + local.string() + " --data " + KR_DEMO_DATA).status, 0);
    ToolRun demo = Tool("demo " + built.string() + " --data " + KR_DEMO_DATA);
    ASSERT_EQ(demo.status, 0) << demo.output;
    ToolRun up = Tool("copy " + local.string() + " " + server.string());
    ASSERT_EQ(up.status, 0) << up.output;
    EXPECT_NE(up.output.find("ITEM.DB"), std::string::npos) << up.output;
    ToolRun down = Tool("copy " + server.string() + " " + back.string());
    ASSERT_EQ(down.status, 0) << down.output;
    EXPECT_EQ(up.output, down.output); // the same files with the same counts
    EXPECT_FALSE(fs::exists(server / ".kestrel-records.sqlite"));
    for (const char* file : kFiles) {
        SCOPED_TRACE(file);
        std::string original = Shown(local, file);
        EXPECT_NE(original.find("record 1 "), std::string::npos);
        EXPECT_EQ(Shown(server, file), original);
        EXPECT_EQ(Shown(back, file), original);
        EXPECT_EQ(Shown(built, file), original);
    }
    // The same import from the same downloads (the demo reloads items through import).
    auto reload = [](const fs::path& dir) {
        return Tool("import " + (dir / "ITEM.DB").string() + " " + KR_DEMO_DATA + "/items.txt");
    };
    ToolRun again = reload(built);
    EXPECT_EQ(again.status, reload(local).status) << again.output;
    EXPECT_EQ(Shown(built, "ITEM.DB"), Shown(local, "ITEM.DB"));
}

// A position block on one record file, through the record manager in this process.
struct Opened {
    uint8_t pb[128] = {};
    std::vector<uint8_t> rec = std::vector<uint8_t>(4096);
    uint8_t key[255] = {};
    uint32_t len = 0;
    int16_t status;
    Opened(const fs::path& file, const std::string& owner = {}) {
        std::string name = file.string();
        name.resize(255, '\0');
        std::string o = owner;
        len = static_cast<uint32_t>(o.size());
        status = BTRCALL(btr::B_OPEN, pb, o.empty() ? nullptr : o.data(), &len, name.data(), 255, 0);
    }
    ~Opened() {
        uint32_t l = 0;
        BTRCALL(btr::B_CLOSE, pb, nullptr, &l, nullptr, 0, 0);
    }
    int16_t Call(uint16_t op, int8_t keyNum) {
        len = static_cast<uint32_t>(rec.size());
        return BTRCALL(op, pb, rec.data(), &len, key, 255, keyNum);
    }
    int16_t Owner(uint16_t op, const std::string& owner, int8_t mode) {
        std::string o = owner, k = owner;
        k.resize(255, '\0');
        uint32_t l = static_cast<uint32_t>(o.size());
        return BTRCALL(op, pb, o.data(), &l, k.data(), 255, mode);
    }
};

TEST(ServerDirectory, ACopyKeepsTheOwnerAndTheOrderOfDuplicatesAfterUpdates) {
    KR_REQUIRE_SERVER();
    Dirs dirs;
    fs::path local = dirs.Make("local", false), server = dirs.Make("server", true),
             back = dirs.Make("back", false);
    ASSERT_EQ(Tool("demo " + local.string() + " --data " + KR_DEMO_DATA).status, 0);
    {
        // Every other item, latest first, joins one group of the duplicate key 2 (the code at 20):
        // the group's order is then neither the order of key 0 nor the order of storing.
        Opened items(local / "ITEM.DB");
        ASSERT_EQ(items.status, 0);
        int moved = 0;
        for (int16_t s = items.Call(btr::B_GET_LAST, 0); s == 0; s = items.Call(btr::B_GET_PREVIOUS, 0)) {
            if (++moved % 2) continue;
            std::memcpy(items.rec.data() + 20, "ZZZ", 3);
            ASSERT_EQ(items.Call(btr::B_UPDATE, 0), 0);
        }
        ASSERT_GT(moved, 4);
        ASSERT_EQ(items.Owner(btr::B_SET_OWNER, "SECRET", 1), 0); // read without the name, write with it
    }
    ASSERT_EQ(Tool("copy " + local.string() + " " + server.string()).status, 0);
    ASSERT_EQ(Tool("copy " + server.string() + " " + back.string()).status, 0);
    auto dump = [](const fs::path& dir) { return Shown(dir, "ITEM.DB", {"0", "2"}, false); };
    std::string original = dump(local);
    EXPECT_NE(original.find("ZZZ"), std::string::npos);
    for (const fs::path& dir : {server, back}) {
        SCOPED_TRACE(dir.filename().string());
        EXPECT_EQ(dump(dir), original);
        Opened plain(dir / "ITEM.DB");
        ASSERT_EQ(plain.status, 0);
        EXPECT_EQ(plain.Owner(btr::B_CLEAR_OWNER, "", 0), btr::B_ACCESS_TO_FILE_DENIED);
        Opened owner(dir / "ITEM.DB", "SECRET");
        ASSERT_EQ(owner.status, 0);
        EXPECT_EQ(owner.Owner(btr::B_SET_OWNER, "OTHER", 1), btr::B_OWNER_ALREADY_SET);
    }
}

TEST(ServerDirectory, CopyRefusesWhatItCannotDoAndCopiesNothingHalfway) {
    KR_REQUIRE_SERVER();
    Dirs dirs;
    fs::path local = dirs.Make("local", false), server = dirs.Make("server", true);
    EXPECT_EQ(Tool("copy " + local.string()).status, 2);
    EXPECT_EQ(Tool("copy " + local.string() + " " + local.string()).status, 2);
    EXPECT_EQ(Tool("copy " + local.string() + " " + (dirs.root / "missing").string()).status, 2);
    ASSERT_EQ(Tool("demo " + local.string() + " --data " + KR_DEMO_DATA).status, 0);
    // A server that cannot be reached: a status and the reason, never a half copy.
    fs::path nowhere = dirs.Make("nowhere", false);
    std::ofstream(nowhere / "kestrel-server.conf")
        << "connection = host=" << dirs.root.string()
        << " port=1 user=kestrel dbname=postgres connect_timeout=2\nschema = x\n";
    ToolRun r = Tool("copy " + local.string() + " " + nowhere.string());
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("nothing copied"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("cannot reach the database server"), std::string::npos) << r.output;
}

} // namespace
