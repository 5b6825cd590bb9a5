// kestrel-db run as a new user would: help, the demo database, imports with mistakes, export;
// and as an unlucky one would: a disk that fills up, hostile bytes, Windows line ends, 4 GiB.
#include "CustomerDB.h"
#include "ItemDB.h"
#include "RecordFields.h"
#include "btrieve/btrcall.h"
#include "dbtool.h"
#include "escaped.h"

#include "tool_run.h"

#include <gtest/gtest.h>

#include "btrieve/files.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using kt::Tool;
using kt::ToolRun;

// A small file system of its own at dir, when the tests may mount one (as root); unmounted
// with the last copy of what this returns, null when there is none.
std::shared_ptr<fs::path> SmallDisk(const fs::path& dir, const std::string& size) {
    std::string options = "size=" + size;
    if (::geteuid() != 0 || ::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) return nullptr;
    return std::shared_ptr<fs::path>(new fs::path(dir), [](fs::path* d) {
        ::umount2(d->c_str(), MNT_DETACH);
        delete d;
    });
}

// Lets go of the record files this process has used, so that only the tool holds them.
void ReleaseRecordFiles() {
    uint8_t scratch[128] = {};
    uint16_t length = 0;
    BtrvCall(btr::B_RESET, scratch, scratch, &length, scratch, 0);
}

std::string Pad(const std::string& s, size_t n) {
    return fields::Padded(s, n, ' ');
}

// The run ended with status and said text.
void ExpectRun(const ToolRun& r, int status, const std::string& text) {
    EXPECT_EQ(r.status, status) << r.output;
    EXPECT_NE(r.output.find(text), std::string::npos) << r.output;
}

bool HasControlBytes(const std::string& text) {
    for (char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F) return true;
    return false;
}

class KestrelDb : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("kr-tool-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    // The tool run on a disk that fills up: under a file-size limit, and on a small file system
    // when the tests may mount one. prepare fills the folder first; check reads a copy of it, away
    // from the full disk.
    void OnFullDisks(const std::string& file, const std::vector<std::string>& args, rlim_t limit,
                     const std::string& diskSize, const std::function<void(const fs::path&)>& prepare,
                     const std::function<void(const ToolRun&, const fs::path&)>& check) {
        for (const char* how : {"limited", "small"}) {
            SCOPED_TRACE(how);
            fs::path folder = m_dir / how;
            fs::create_directories(folder);
            std::shared_ptr<fs::path> disk = how[0] == 's' ? SmallDisk(folder, diskSize) : nullptr;
            if (how[0] == 's' && !disk) continue;
            prepare(folder);
            std::vector<std::string> all = {"import", (folder / file).string()};
            all.insert(all.end(), args.begin(), args.end());
            ToolRun r = Tool(all, how[0] == 'l' ? limit : RLIM_INFINITY);
            fs::path copy = m_dir / (std::string("copy-") + how);
            fs::copy(folder, copy, fs::copy_options::recursive);
            check(r, copy);
        }
    }
    fs::path m_dir;
};

// Every command explains itself; every mistake gets its message and status, and a malformed
// download leaves the file usable.
TEST_F(KestrelDb, HelpAndMistakesGetClearMessagesAndStatuses) {
    ToolRun all = Tool("--help");
    EXPECT_EQ(all.status, 0);
    for (const std::string command : {"import", "export", "dump", "stat", "demo", "generate"}) {
        EXPECT_NE(all.output.find(command), std::string::npos) << command;
        ExpectRun(Tool(command + " --help"), 0, "usage: kestrel-db " + command);
    }
    std::ofstream(Path("items.txt")) << "1\n";
    const struct {
        std::string arguments;
        int status;
        const char* text;
    } mistakes[] = {
        {"frobnicate", 2, ""},
        {"generate " + Path("x") + " --items lots --customers 1", 2, ""},
        {"import " + Path("ITEM.DB") + " " + Path("missing.txt"), 1, "download not found"},
        {"import " + Path("NOTES.DB") + " " + Path("items.txt"), 2, "not a record file"},
        {"import " + Path("PTNSIZE.DB") + " " + Path("items.txt"), 2, "cannot be reloaded"},
        {"import " + Path("ITEM.DB") + " " + Path("items.txt") + " --version 7x", 2, "bad version"},
        {"export " + Path("MNPRICE.DB") + " " + Path("out.txt"), 2, "cannot be exported"},
        {"dump " + Path("CUST.DB"), 1, "file not found"},
        {"import " + Path("ITEM.DB") + " " + Path("items.txt"), 1, "Invalid Record Format at offset 0"},
    };
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.arguments);
        ExpectRun(Tool(m.arguments), m.status, m.text);
    }
    EXPECT_EQ(Tool("stat " + Path("ITEM.DB")).status, 0);
}

// The demo from the shipped downloads and from generated ones (the same for the same seed).
TEST_F(KestrelDb, DemoAndGeneratedDownloadsFillEveryFileAndTheFilesReadBack) {
    ToolRun demo = Tool("demo " + Path("db") + " --data " + KR_DEMO_DATA);
    ASSERT_EQ(demo.status, 0) << demo.output;
    EXPECT_NE(demo.output.find("CUST.DB"), std::string::npos);
    for (const char* name : {"ITEM.DB", "ITEMUNIT.DB", "CUST.DB", "VELOCITY.DB", "CONTROL.DB", "ITEMDICT.DB",
                             "ITEMLKUP.DB", "MNPRICE.DB", "MENUHDR.DB", "PTNSIZE.DB"})
        EXPECT_TRUE(btr::RecordFileExists((m_dir / "db" / name).string())) << name;
    for (const char* sub : {"DBTEXT", "TEMP", "CONFS"})
        EXPECT_TRUE(fs::is_directory(m_dir / "db" / sub)) << sub;
    ExpectRun(Tool("stat " + Path("db/ITEM.DB")), 0, "records");
    ToolRun dump = Tool("dump " + Path("db/CUST.DB") + " --key 1 --limit 2");
    ExpectRun(dump, 0, "2 records shown");
    EXPECT_NE(dump.output.find("BLUE HERON BISTRO"), std::string::npos) << dump.output;
    // Export the customers and load them into a fresh file: no messages.
    ASSERT_EQ(Tool("export " + Path("db/CUST.DB") + " " + Path("cust.txt")).status, 0);
    ExpectRun(Tool("import " + Path("CUST.DB") + " " + Path("cust.txt")), 0, "12 lines");

    for (const char* folder : {"gen", "gen2"})
        ASSERT_EQ(Tool("generate " + Path(folder) + " --items 500 --customers 5 --seed 7").status, 0);
    std::ifstream a(Path("gen/items.txt")), b(Path("gen2/items.txt"));
    std::string ta((std::istreambuf_iterator<char>(a)), {}), tb((std::istreambuf_iterator<char>(b)), {});
    EXPECT_EQ(ta, tb);
    ExpectRun(Tool("demo " + Path("gendb") + " --data " + Path("gen")), 0, "");
}

// A reload onto a disk that fills up stops with a message and a non-zero exit, and says how many
// lines are on file; the file holds exactly those.
TEST_F(KestrelDb, AFullDiskStopsTheImportAndSaysWhatIsOnFile) {
    ASSERT_EQ(Tool("generate " + Path("gen") + " --items 6000 --customers 1").status, 0);
    auto check = [&](const ToolRun& r, const fs::path& copy) {
        ExpectRun(r, 3, "stopped after");
        EXPECT_EQ(r.output.find("6000 lines in"), std::string::npos) << r.output;
        std::smatch m;
        long applied = std::regex_search(r.output, m, std::regex("lines 1 to ([0-9]+) were applied"))
                           ? std::stol(m[1].str())
                           : 0;
        if (applied == 0) {
            EXPECT_NE(r.output.find("no line was written"), std::string::npos) << r.output;
        }
        EXPECT_LT(applied, 6000);
        ToolRun stat = Tool("stat " + (copy / "ITEM.DB").string());
        EXPECT_NE(stat.output.find("records        " + std::to_string(applied) + "\n"), std::string::npos)
            << stat.output;
    };
    OnFullDisks(
        "ITEM.DB", {Path("gen/items.txt")}, 2 << 20, "2m", [](const fs::path&) {}, check);
}

// A purge that cannot be written leaves every record, the "keep on reload" customers and the
// others, where it was.
TEST_F(KestrelDb, APurgeWithoutRoomLeavesTheFileAsItWas) {
    ASSERT_EQ(Tool("generate " + Path("gen") + " --items 10 --customers 6000").status, 0);
    const char* const names[] = {"CAMP WILDWOOD", "RED BARN GRILL", "SUNRISE DINER"};
    auto prepare = [&](const fs::path& folder) {
        CCustomerDB db;
        ASSERT_EQ(db.Create((folder / "CUST.DB").string().c_str()), 0);
        int number = 900001;
        for (const char* name : names) {
            CCustomer c;
            c.m_strNumber = std::to_string(number++);
            c.m_strName = name;
            c.m_bKeepOnReload = name[0] == 'C';
            ASSERT_EQ(db.InsertRecord(c), 0);
        }
        db.Close();
        ReleaseRecordFiles();
    };
    auto check = [&](const ToolRun& r, const fs::path& copy) {
        ExpectRun(r, 3, "keeps the records it had");
        ToolRun dump = Tool("dump " + (copy / "CUST.DB").string());
        ExpectRun(dump, 0, "3 records shown");
        for (const char* name : names)
            EXPECT_NE(dump.output.find(name), std::string::npos) << name;
    };
    OnFullDisks("CUST.DB", {Path("gen/customers.txt"), "--purge"}, 1 << 20, "1m", prepare, check);
}

// A download that ends short of its size while it is read (cut off, or unreadable) fails the run;
// a purge then changes nothing.
TEST_F(KestrelDb, ADownloadCutShortWhileReadFailsAndThePurgeChangesNothing) {
    CItem item;
    item.m_tTime = -1;
    item.m_strItemNumber = Pad("OLD", 12);
    {
        CItemDB db;
        ASSERT_EQ(db.Create(Path("ITEM.DB").c_str()), 0);
        ASSERT_EQ(db.InsertRecord(item), 0);
    }
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        item.m_strItemNumber = Pad(std::to_string(100000 + i), 12);
        text += CItemDB::WriteLine(item, 1025);
    }
    std::ofstream(Path("items.txt"), std::ios::binary) << text;
    auto cut = [&](uint64_t, uint64_t, uint64_t) { fs::resize_file(Path("items.txt"), text.size() / 2); };
    kdb::ImportResult r = kdb::ImportDownload(Path("ITEM.DB"), Path("items.txt"), 1025, 0, true, cut);
    EXPECT_TRUE(r.failed());
    EXPECT_NE(r.failureText.find("reading"), std::string::npos) << r.failureText;
    EXPECT_NE(r.failureText.find("keeps the records it had"), std::string::npos) << r.failureText;
    CItemDB db;
    ASSERT_EQ(db.OpenFile(Path("ITEM.DB").c_str()), 0);
    EXPECT_EQ(db.GetRecordCount(), 1u);
    EXPECT_EQ(db.GetRecord(item, Pad("OLD", 12)), 0);
}

// Bytes of a download or a file that a terminal would obey are shown escaped, in every output.
TEST_F(KestrelDb, ControlBytesFromFilesAreShownEscaped) {
    EXPECT_EQ(kdb::Escaped("A\\B\x1b[2J\x80\x81\xe9\t"), "A\\\\B\\x1b[2J\u20ac\\x81\u00e9\\x09");
    std::ofstream(Path("control.txt"), std::ios::binary)
        << Pad("COMPANY.NAME", 30) << "T\x1b]0;OWNED\x07KESTREL\n"
        << Pad("BAD.NUMBER", 30)
        << "I  \x1b"
           "3 \n";
    CItem item;
    item.m_strItemNumber = Pad("10101", 12);
    item.m_strDescription = "RED\x1b[31mALERT";
    item.m_tTime = -1;
    std::ofstream(Path("items.txt"), std::ios::binary) << CItemDB::WriteLine(item, 1025);
    std::vector<ToolRun> runs = {
        Tool("import " + Path("CONTROL.DB") + " " + Path("control.txt")),
        Tool("import " + Path("ITEM.DB") + " " + Path("items.txt")),
        Tool("dump " + Path("CONTROL.DB")),
        Tool("search " + m_dir.string() + " 10101"),
        Tool("dump " + Path("ITEM.DB")),
    };
    ExpectRun(runs[0], 1, "Invalid Number \"  \\x1b3 \"");
    EXPECT_NE(runs[2].output.find("\\x1b]0;OWNED\\x07KESTREL"), std::string::npos) << runs[2].output;
    EXPECT_NE(runs[3].output.find("RED\\x1b[31mALERT"), std::string::npos) << runs[3].output;
    for (const ToolRun& r : runs)
        EXPECT_FALSE(HasControlBytes(r.output)) << r.output;
}

// Downloads from the Windows side end their lines in CR LF: the demo loads from them without a
// message and every file holds what the LF downloads give.
TEST_F(KestrelDb, CrLfDownloadsLoadLikeLfOnes) {
    fs::create_directories(m_dir / "crlf");
    for (const auto& entry : fs::directory_iterator(KR_DEMO_DATA)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ofstream out(m_dir / "crlf" / entry.path().filename(), std::ios::binary);
        for (char c; in.get(c);)
            out << (c == '\n' ? "\r\n" : std::string(1, c));
    }
    ToolRun lf = Tool("demo " + Path("lf") + " --data " + KR_DEMO_DATA);
    ToolRun crlf = Tool("demo " + Path("crlfdb") + " --data " + Path("crlf"));
    ASSERT_EQ(lf.status, 0) << lf.output;
    ASSERT_EQ(crlf.status, 0) << crlf.output;
    for (const char* name : {"CONTROL.DB", "ITEM.DB", "ITEMUNIT.DB", "CUST.DB", "VELOCITY.DB", "MNPRICE.DB",
                             "ITEMDICT.DB", "ITEMLKUP.DB"}) {
        ToolRun a = Tool("dump " + Path("lf/") + name), b = Tool("dump " + Path("crlfdb/") + name);
        EXPECT_EQ(a.status, 0) << name;
        EXPECT_EQ(a.output, b.output) << name;
        EXPECT_EQ(b.output.find("\\x0d"), std::string::npos) << name;
    }
}

// A download past 4 GiB: offsets and sizes are not cut to 32 bits. The header is a hole of a
// sparse file, so the test writes a few hundred bytes.
TEST_F(KestrelDb, ADownloadPastFourGibibytesIsReadToItsEnd) {
    const uint64_t header = (uint64_t{1} << 32) - 100;
    std::string good = Pad("COMPANY.A", 30) + "TONE\n" + Pad("COMPANY.B", 30) + "TTWO\n";
    {
        std::ofstream out(Path("big.txt"), std::ios::binary);
        out.seekp(static_cast<std::streamoff>(header));
        out << good << Pad("COMPANY.C", 30) << "T" << std::string(300, 'X');
        ASSERT_TRUE(out.good());
    }
    ASSERT_GT(fs::file_size(Path("big.txt")), uint64_t{1} << 32);
    ToolRun r = Tool("import " + Path("CONTROL.DB") + " " + Path("big.txt") + " --header-length " +
                     std::to_string(header));
    ExpectRun(r, 1, "3 lines");
    EXPECT_NE(r.output.find("Invalid Record Format at offset " + std::to_string(header + good.size())),
              std::string::npos)
        << r.output;
    EXPECT_NE(Tool("dump " + Path("CONTROL.DB")).output.find("2 records shown"), std::string::npos);
}

} // namespace
