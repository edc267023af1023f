// The thumbnailer's budget: what it counts of a model's bytes is never less
// than what the reader makes of them, in whatever pieces the bytes come, and
// past a limit the reader is handed nothing more.
#include "viewer/ReadingBudget.h"
#include "mesh/ObjModel.h"
#include "tests/support/CapturedOutput.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

TEST(ReadingBudget, CountsAtLeastWhatTheReaderMakesInAnyPiecesAndPastALimitHandsOnNothing) {
    const std::string file = std::filesystem::temp_directory_path() /
                             ("dravin_budget_" + std::to_string(getpid()) + ".obj"),
                      v4 = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const struct {
        std::string obj;
        const char* counted; // vertices and corners, as the reader makes them unless told
    } cases[] = {
        // clang-format off
        {v4 + "vt 0 0\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\nl 1 2\np 1 2 3\n", "6 8"}, {"v 0 0 0\r\nv 1 1 1\r\n\tf\t1 2 1\r\n", "2 3"},
        // Lines joined by a backslash at their end (also before "\r\n").
        {v4 + "f 1 2 \\\n 3 4\n\\\nf 1 2 3\nf 1 2\\\n3 4\n", "4 11"},
        {"v 0 0 0\\\r\nv 1 1 1\nv 0 0 0\\\r\r\nv 1 1 1\nv 2 2 2\\\\\nv\n", "4 0"},
        {v4 + "f 1 2 3\\", "4 3"}, {"v 1 2 3\nv", "2 0"}, // the last line without its end
        {"# f 1 2 3\nf1 2 3\nfo 1 2\nvtx 1\n" + v4, "4 0"}, {v4 + "f 9 9 9\nl 7\np x\n", "4 5 (the reader 4 0)"},
        {v4 + v4 + v4 + "f 1 2 3\n", "12 3 over 9 vertices (the reader 0 0)"},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary) << c.obj;
        BudgetedFiles whole({1 << 20, 9, 1 << 20}), pieces({1 << 20, 9, 1 << 20});
        mesh::ObjModel m;
        test::CapturedOutput quiet;
        mesh::readObjModel(file.c_str(), m, whole.source());
        for (char byte : c.obj) // every byte a boundary between pieces
            pieces.count(&byte, 1);
        pieces.finishFile();
        const auto counts = [](uint64_t vertices, uint64_t corners) {
            return std::to_string(vertices) + " " + std::to_string(corners);
        };
        std::string counted = counts(whole.vertices(), whole.corners());
        const std::string reader =
            counts(m.positions.size() + m.textureCoords.size() + m.normals.size(),
                   m.corners.size() + m.points.size());
        const bool asTheReader = counted == reader;
        if (whole.over().empty())
            EXPECT_EQ(counts(pieces.vertices(), pieces.corners()), counted) << c.obj;
        else
            counted += " over 9 vertices";
        if (!asTheReader)
            counted += " (the reader " + reader + ")";
        EXPECT_EQ(counted, c.counted) << c.obj;
    }
    std::filesystem::remove(file);
}
