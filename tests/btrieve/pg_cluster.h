// The throw-away PostgreSQL cluster of one test program: started once for all its tests.
#pragma once

#include "btrieve/pg_store.h"
#include "pg_throwaway.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
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
        m_cluster = std::make_unique<ThrowawayCluster>();
        usable = m_cluster->usable;
        why = m_cluster->why;
        conninfo = m_cluster->conninfo;
        // In CI the server tests always run: a missing server is a failure there.
        const char* ci = std::getenv("CI");
        if (!usable && (!m_cluster->binariesMissing || (ci && std::string(ci) == "true")))
            ADD_FAILURE() << why;
    }

    void TearDown() override { m_cluster.reset(); }

private:
    std::unique_ptr<ThrowawayCluster> m_cluster;
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
