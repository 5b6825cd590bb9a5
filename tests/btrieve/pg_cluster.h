// A throw-away PostgreSQL cluster for the tests of one program: started once, on a Unix socket
// in a temporary folder, by an unprivileged user when the tests run as root; removed at the end.
#pragma once

#include "btrieve/pg_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace bt {

class PgCluster : public ::testing::Environment {
public:
    static PgCluster*& Instance() {
        static PgCluster* p = nullptr;
        return p;
    }
    bool usable = false;
    std::string why; // when not usable
    std::string conninfo;

    void SetUp() override {
        Instance() = this;
        std::string bin = "/usr/lib/postgresql/15/bin";
        if (const char* b = std::getenv("KR_PG_BIN")) bin = b;
        if (!std::filesystem::exists(bin + "/initdb") || !std::filesystem::exists(bin + "/pg_ctl")) {
            why = "no PostgreSQL server binaries in " + bin;
            if (std::getenv("CI") && std::string(std::getenv("CI")) == "true") ADD_FAILURE() << why;
            return;
        }
        m_root = std::filesystem::temp_directory_path() / ("kr-pg-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_root / "sock");
        std::string run;
        if (::geteuid() == 0) {
            // The server refuses to run as root.
            passwd* pw = ::getpwnam("nobody");
            if (!pw || ::chown(m_root.c_str(), pw->pw_uid, pw->pw_gid) != 0 ||
                ::chown((m_root / "sock").c_str(), pw->pw_uid, pw->pw_gid) != 0) {
                why = "cannot hand the cluster's folder to the user nobody";
                ADD_FAILURE() << why;
                return;
            }
            run = "runuser -u nobody -- ";
        }
        std::string data = (m_root / "data").string(), sock = (m_root / "sock").string();
        std::string log = (m_root / "log").string();
        m_stop = run + bin + "/pg_ctl -D " + data + " -m immediate -w stop >/dev/null 2>&1";
        std::string init = run + bin + "/initdb -D " + data + " -U kestrel --auth=trust --no-sync -E UTF8 >" +
                           (m_root / "initdb.log").string() + " 2>&1";
        std::string start =
            run + bin + "/pg_ctl -D " + data + " -l " + log + " -w -o \"-k " + sock +
            " -c listen_addresses='' -c fsync=off -c max_connections=60\" start >/dev/null 2>&1";
        if (std::system(init.c_str()) != 0 || std::system(start.c_str()) != 0) {
            why = "the test cluster did not start; see " + log;
            ADD_FAILURE() << why;
            return;
        }
        conninfo = "host=" + sock + " port=5432 user=kestrel dbname=postgres";
        usable = true;
    }

    void TearDown() override {
        if (!m_stop.empty()) std::system(m_stop.c_str());
        std::error_code ec;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
    }

private:
    std::filesystem::path m_root;
    std::string m_stop;
};

// Sends the record files of dir to a fresh schema of the test cluster.
inline void UseServer(const std::filesystem::path& dir) {
    static std::atomic<int> n{0};
    std::ofstream out(dir / btr::kServerSettingsName);
    out << "# record files on the test cluster\nconnection = " << PgCluster::Instance()->conninfo
        << "\nschema = t" << ::getpid() << "_" << ++n << "\n";
}

// Skips a server case where no cluster could start outside CI (inside CI its start failed already).
#define KR_REQUIRE_SERVER()                                                                                  \
    do {                                                                                                     \
        if (!bt::PgCluster::Instance() || !bt::PgCluster::Instance()->usable)                                \
            GTEST_SKIP() << (bt::PgCluster::Instance() ? bt::PgCluster::Instance()->why : "no cluster");     \
    } while (0)

} // namespace bt
