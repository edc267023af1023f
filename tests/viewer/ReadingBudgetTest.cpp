// The thumbnailer's budget: what it counts of a model's bytes is never less
// than what the reader makes of them, in whatever pieces the bytes come, and
// past a limit the reader is handed nothing more.
#include "viewer/ReadingBudget.h"
#include "mesh/ObjModel.h"
#include "tests/support/CapturedOutput.h"
#include "viewer/Watchdog.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string& folder() {
    static const std::string path = "/tmp/dravin_budget_test_" + std::to_string(getpid());
    return path;
}

constexpr ReadingLimits kGenerous{1 << 20, 1 << 20, 1 << 20};

struct Counts {
    uint64_t vertices, corners;
};

// Reads the model (and any library it names, from the given texts) through a
// budget; the reader's own vertices and corners, and the budget's.
std::pair<Counts, Counts> readCounted(const std::string& obj, const std::string& mtl,
                                      BudgetedFiles& budget, mesh::ObjModel& m) {
    mkdir(folder().c_str(), 0700);
    EXPECT_EQ(chdir(folder().c_str()), 0); // where the library's name is taken from
    std::ofstream("m.obj", std::ios::binary) << obj;
    std::ofstream("m.mtl", std::ios::binary) << mtl;
    test::CapturedOutput quiet;
    mesh::readObjModel("m.obj", m, budget.source());
    const Counts reader{m.positions.size() + m.textureCoords.size() + m.normals.size(),
                        m.corners.size() + m.points.size()};
    return {reader, {budget.vertices(), budget.corners()}};
}

} // namespace

TEST(ReadingBudget, CountsAtLeastWhatTheReaderMakesAndTheSameInAnyPieces) {
    const std::string v4 = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const struct {
        std::string obj;
        bool exact; // else an upper bound
    } cases[] = {
        {v4 + "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\nl 1 2\np 1 2 3\n", true},
        {"v 0 0 0\r\nv 1 1 1\r\n\tf\t1 2 1\r\n", true},
        // Lines joined by a backslash at their end, also before "\r\n"; a
        // keyword may come after the join.
        {v4 + "f 1 2 \\\n 3 4\n", true},
        {v4 + "\\\nf 1 2 3\n", true},
        {v4 + "f 1 2\\\n3 4\n", true},
        {"v 0 0 0\\\r\nv 1 1 1\nf 1 1 1\n", true},
        {"v 0 0 0\\\r\r\nv 1 1 1\nf 1 2 1\n", true},
        {"v 0 0 0\\\\\nv 1 1 1\n", true},
        {v4 + "f 1 2 3\\", true},
        // The last line without its end.
        {"v 1 2 3\nv", true},
        {"# f 1 2 3\nf1 2 3\nfo 1 2\nvtx 1\n" + v4, true},
        {v4 + "f 9 9 9\nf 1 2\nl 7\np x\n", false},
        {v4 + "mtllib m.mtl\nusemtl a\nf 1 2 3 4\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.obj);
        BudgetedFiles whole(kGenerous);
        mesh::ObjModel m;
        const auto [reader, budget] = readCounted(c.obj, "newmtl a\nKd 1 0 0\n", whole, m);
        EXPECT_GE(budget.vertices, reader.vertices);
        EXPECT_GE(budget.corners, reader.corners);
        if (c.exact) {
            EXPECT_EQ(budget.vertices * 1000 + budget.corners,
                      reader.vertices * 1000 + reader.corners);
        }
        // A byte at a time: every byte a boundary between pieces.
        BudgetedFiles pieces(kGenerous);
        for (char byte : c.obj)
            pieces.count(&byte, 1);
        pieces.finishFile();
        EXPECT_EQ(pieces.vertices() * 1000 + pieces.corners(),
                  budget.vertices * 1000 + budget.corners);
    }
}

TEST(ReadingBudget, PastALimitTheReaderGetsNothingMoreAndOverNamesTheLimit) {
    std::string vertices, corners = "v 0 0 0\nf", bytes = "v 0 0 0\nmtllib m.mtl\n";
    for (int i = 0; i < 100000; ++i) {
        vertices += "v 1 2 3\n";
        corners += " 1";
    }
    const struct {
        ReadingLimits limits;
        std::string obj, mtl;
        const char* over;
    } cases[] = {
        {{1 << 20, 99999, 1 << 20}, vertices, "", "more than 99999 vertices, texture coordinates"},
        {{1 << 20, 1 << 20, 99999}, corners, "", "more than 99999 corners of faces, lines and"},
        {{100, 1 << 20, 1 << 20}, bytes, std::string(100, '#'), "more than 100 bytes in the"},
        {{1 << 20, 100000, 100000}, vertices, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.over);
        BudgetedFiles budget(c.limits);
        mesh::ObjModel m;
        const auto [reader, counted] = readCounted(c.obj, c.mtl, budget, m);
        EXPECT_TRUE(budget.over().starts_with(c.over)) << budget.over();
        EXPECT_EQ(budget.over().empty(), *c.over == '\0');
        // What the reader holds stays within the limits.
        EXPECT_LE(reader.vertices, c.limits.vertices);
        EXPECT_LE(reader.corners, c.limits.corners);
        EXPECT_LE(m.materials.size(), budget.over().empty() ? 1u : 0u);
    }
    // Bytes read elsewhere count too.
    BudgetedFiles budget({100, 1, 1});
    EXPECT_TRUE(budget.addBytes(100));
    EXPECT_FALSE(budget.addBytes(1));
    std::filesystem::remove_all(folder());
}

TEST(Watchdog, ActsOnceTheTimeIsUpUnlessDisarmedFirst) {
    std::atomic<int> expired{0};
    {
        Watchdog early(3600, [&] { ++expired; });
        EXPECT_TRUE(early.disarm());
    } // and its thread ends at once, long before its hour
    EXPECT_EQ(expired, 0);

    Watchdog late(0.001, [&] { ++expired; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (expired == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(expired, 1) << "not met in 60 s: the watchdog has acted";
    EXPECT_FALSE(late.disarm());
    EXPECT_EQ(expired, 1);
}
