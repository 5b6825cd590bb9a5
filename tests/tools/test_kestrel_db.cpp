// kestrel-db run as a new user would: help, the demo database, imports with mistakes, export.
#include <gtest/gtest.h>

#include "btrieve/files.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string output; // standard output and error together
};

ToolRun Tool(const std::string& arguments) {
    ToolRun r;
    std::string command = std::string(KR_TOOL) + " " + arguments + " 2>&1";
    std::FILE* p = popen(command.c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        r.output.append(buffer.data(), n);
    int s = pclose(p);
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return r;
}

class KestrelDb : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("kr-tool-" + std::to_string(::getpid()) + "-" +
                                             std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    fs::path m_dir;
};

TEST_F(KestrelDb, EveryCommandExplainsItself) {
    ToolRun all = Tool("--help");
    EXPECT_EQ(all.status, 0);
    for (const char* command : {"import", "export", "dump", "stat", "demo", "generate"}) {
        EXPECT_NE(all.output.find(command), std::string::npos) << command;
        ToolRun help = Tool(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.output.find("usage: kestrel-db " + std::string(command)), std::string::npos) << help.output;
    }
    EXPECT_EQ(Tool("frobnicate").status, 2);
}

TEST_F(KestrelDb, DemoFillsEveryFileAndTheFilesReadBack) {
    ToolRun demo = Tool("demo " + Path("db") + " --data " + KR_DEMO_DATA);
    ASSERT_EQ(demo.status, 0) << demo.output;
    EXPECT_NE(demo.output.find("CUST.DB"), std::string::npos);
    for (const char* name : {"ITEM.DB", "ITEMUNIT.DB", "CUST.DB", "VELOCITY.DB", "CONTROL.DB", "ITEMDICT.DB",
                             "ITEMLKUP.DB", "MNPRICE.DB", "MENUHDR.DB", "PTNSIZE.DB"})
        EXPECT_TRUE(btr::RecordFileExists((m_dir / "db" / name).string())) << name;
    for (const char* sub : {"DBTEXT", "TEMP", "CONFS"})
        EXPECT_TRUE(fs::is_directory(m_dir / "db" / sub)) << sub;
    ToolRun stat = Tool("stat " + Path("db/ITEM.DB"));
    EXPECT_EQ(stat.status, 0);
    EXPECT_NE(stat.output.find("records"), std::string::npos);
    ToolRun dump = Tool("dump " + Path("db/CUST.DB") + " --key 1 --limit 2");
    EXPECT_EQ(dump.status, 0) << dump.output;
    EXPECT_NE(dump.output.find("2 records shown"), std::string::npos) << dump.output;
    EXPECT_NE(dump.output.find("BLUE HERON BISTRO"), std::string::npos) << dump.output;
    // Export the customers and load them into a fresh file: no messages.
    ASSERT_EQ(Tool("export " + Path("db/CUST.DB") + " " + Path("cust.txt")).status, 0);
    ToolRun back = Tool("import " + Path("CUST.DB") + " " + Path("cust.txt"));
    EXPECT_EQ(back.status, 0) << back.output;
    EXPECT_NE(back.output.find("12 lines"), std::string::npos) << back.output;
}

TEST_F(KestrelDb, MistakesGetClearMessages) {
    ToolRun r = Tool("import " + Path("ITEM.DB") + " " + Path("missing.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("download not found"), std::string::npos) << r.output;
    std::ofstream(Path("items.txt")) << "1\n";
    r = Tool("import " + Path("NOTES.DB") + " " + Path("items.txt"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("not a record file"), std::string::npos) << r.output;
    r = Tool("import " + Path("PTNSIZE.DB") + " " + Path("items.txt"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("cannot be reloaded"), std::string::npos) << r.output;
    r = Tool("import " + Path("ITEM.DB") + " " + Path("items.txt") + " --version 7x");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("bad version"), std::string::npos) << r.output;
    r = Tool("export " + Path("ITEM.DB") + " " + Path("out.txt"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("cannot be exported"), std::string::npos) << r.output;
    r = Tool("dump " + Path("CUST.DB"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("file not found"), std::string::npos) << r.output;
    // A malformed line: the message, a non-zero status, the file left usable.
    r = Tool("import " + Path("ITEM.DB") + " " + Path("items.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find("Invalid Record Format at offset 0"), std::string::npos) << r.output;
    EXPECT_EQ(Tool("stat " + Path("ITEM.DB")).status, 0);
}

TEST_F(KestrelDb, GeneratedDownloadsLoadWithoutMessages) {
    ToolRun gen = Tool("generate " + Path("gen") + " --items 500 --customers 5 --seed 7");
    ASSERT_EQ(gen.status, 0) << gen.output;
    ToolRun again = Tool("generate " + Path("gen2") + " --items 500 --customers 5 --seed 7");
    ASSERT_EQ(again.status, 0);
    std::ifstream a(Path("gen/items.txt")), b(Path("gen2/items.txt"));
    std::string ta((std::istreambuf_iterator<char>(a)), {}), tb((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(ta, tb);
    ToolRun demo = Tool("demo " + Path("db") + " --data " + Path("gen"));
    EXPECT_EQ(demo.status, 0) << demo.output;
    EXPECT_EQ(Tool("generate " + Path("x") + " --items lots --customers 1").status, 2);
}

} // namespace
