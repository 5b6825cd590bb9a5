// A throw-away PostgreSQL cluster: initdb and pg_ctl from the server package, a Unix socket in a
// temporary folder, run by an unprivileged user when this program runs as root. Removed when it
// goes out of scope. Used by the tests and the benchmarks.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace bt {

class ThrowawayCluster {
public:
    bool usable = false;
    bool binariesMissing = false;
    std::string why; // when not usable
    std::string conninfo;

    ThrowawayCluster() {
        std::string bin = "/usr/lib/postgresql/15/bin";
        if (const char* b = std::getenv("KR_PG_BIN")) bin = b;
        if (!std::filesystem::exists(bin + "/initdb") || !std::filesystem::exists(bin + "/pg_ctl")) {
            why = "no PostgreSQL server binaries in " + bin;
            binariesMissing = true;
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
            return;
        }
        conninfo = "host=" + sock + " port=5432 user=kestrel dbname=postgres";
        usable = true;
    }
    ~ThrowawayCluster() {
        if (usable) std::system(m_stop.c_str());
        std::error_code ec;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
    }
    ThrowawayCluster(const ThrowawayCluster&) = delete;
    ThrowawayCluster& operator=(const ThrowawayCluster&) = delete;

private:
    std::filesystem::path m_root;
    std::string m_stop;
};

} // namespace bt
