// kestrel-db on a database directory whose record files live on a database server: the demo built
// there, a copy to the server and back that changes no byte, stat and dump on both sides.
#include "../btrieve/pg_cluster.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const auto* g_cluster = ::testing::AddGlobalTestEnvironment(new bt::PgCluster);

struct ToolRun {
    int status = -1;
    std::string output;
};

ToolRun Tool(const std::string& arguments) {
    ToolRun r;
    std::string command = std::string(KR_TOOL) + " " + arguments + " 2>&1";
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        r.output.append(buffer.data(), n);
    int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

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

// What dump and stat show of a file, the directory it was read from left out.
std::string Shown(const fs::path& dir, const std::string& file) {
    std::string out;
    for (const char* key : {"0", "1"}) {
        ToolRun d = Tool("dump " + (dir / file).string() + " --key " + key);
        out += std::to_string(d.status) + "\n" + d.output;
    }
    ToolRun s = Tool("stat " + (dir / file).string());
    out += std::to_string(s.status) + "\n" + s.output;
    for (size_t at; (at = out.find(dir.string())) != std::string::npos;)
        out.replace(at, dir.string().size(), "DIR");
    return out;
}

TEST(ServerDirectory, CopiedToTheServerAndBackEveryFileShowsTheSame) {
    KR_REQUIRE_SERVER();
    Dirs dirs;
    fs::path local = dirs.Make("local", false), server = dirs.Make("server", true),
             back = dirs.Make("back", false);
    ASSERT_EQ(Tool("demo " + local.string() + " --data " + KR_DEMO_DATA).status, 0);
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
    }
}

TEST(ServerDirectory, TheDemoBuildsOnTheServerAsItDoesLocally) {
    KR_REQUIRE_SERVER();
    Dirs dirs;
    fs::path local = dirs.Make("local", false), server = dirs.Make("server", true);
    ToolRun l = Tool("demo " + local.string() + " --data " + KR_DEMO_DATA);
    ToolRun s = Tool("demo " + server.string() + " --data " + KR_DEMO_DATA);
    ASSERT_EQ(l.status, 0) << l.output;
    ASSERT_EQ(s.status, 0) << s.output;
    // The same import from the same downloads (the demo reloads items through import).
    ToolRun again = Tool("import " + (server / "ITEM.DB").string() + " " + KR_DEMO_DATA + "/items.txt");
    ToolRun againLocal = Tool("import " + (local / "ITEM.DB").string() + " " + KR_DEMO_DATA + "/items.txt");
    EXPECT_EQ(again.status, againLocal.status) << again.output;
    EXPECT_EQ(Shown(server, "ITEM.DB"), Shown(local, "ITEM.DB"));
    EXPECT_EQ(Shown(server, "CUST.DB"), Shown(local, "CUST.DB"));
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
    {
        std::FILE* f = std::fopen((nowhere / "kestrel-server.conf").c_str(), "w");
        std::fprintf(
            f, "connection = host=%s port=1 user=kestrel dbname=postgres connect_timeout=2\nschema = x\n",
            (dirs.root).c_str());
        std::fclose(f);
    }
    ToolRun r = Tool("copy " + local.string() + " " + nowhere.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("nothing copied"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("cannot reach the database server"), std::string::npos) << r.output;
}

} // namespace
