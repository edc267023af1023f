#include "MeshTestSupport.h"

#include <tuple>

// Sorts faces named 1, 2, 3... in file order under the given changes; returns
// the faces' names in their new order and the changes after. Sorting again must
// change nothing.
static std::pair<std::vector<int>, Changes> sorted(int materials, int faces, const Changes& list) {
    auto obj = std::make_unique<MyOBJ>();
    obj->mMaterialPropertyCount = materials;
    obj->mFaceCount = faces;
    for (int i = 0; i < faces; ++i)
        obj->mFaces[i] = Face{3, {i + 1}, {}, {}};
    for (const auto& [face, material] : list)
        obj->mMtlChanges[obj->mMtlChangeCount++] = MtlChange{face, material};
    std::pair<std::vector<int>, Changes> result[2];
    for (auto& [order, after] : result) {
        obj->sortFaces();
        for (int i = 0; i < obj->mFaceCount; ++i)
            order.push_back(obj->mFaces[i].v[0]);
        after = changes(*obj);
    }
    EXPECT_EQ(result[1], result[0]); // sorting again changes nothing
    return result[0];
}

TEST(Sorting, RegroupsFacesAndRebuildsTheChangeList) {
    std::vector<int> halves; // beyond fifty thousand faces: the second half, under material 0
    for (int i = 0; i < 120000; ++i)
        halves.push_back((i + 60000) % 120000 + 1);
    // Name, loaded materials, faces, changes; then the faces' order and the changes after sorting.
    const std::tuple<const char*, int, int, Changes, std::vector<int>, Changes> cases[] = {
        // clang-format off
        {"EmptyGroupStartsAtNext", 3, 4, {{0, 0}, {2, 2}}, {1, 2, 3, 4}, {{0, 0}, {2, 1}, {2, 2}}},
        {"LastOfSeveralChangesAtOneFaceDecides", 2, 2, {{0, 1}, {0, 0}}, {1, 2}, {{0, 0}, {2, 1}}},
        // By index, in file order within a group, the unmatched first, before any change.
        {"UnmatchedGoFirstBeforeAnyChange", 2, 5, {{1, 1}, {2, -1}, {3, 0}}, {1, 3, 4, 5, 2}, {{2, 0}, {4, 1}}},
        {"IndexBeyondLoadedCountsAsNone", 2, 3, {{0, 5}, {1, 1}}, {1, 2, 3}, {{1, 0}, {1, 1}}},
        {"NoLoadedMaterialKeepsEveryFace", -1, 3, {{0, -1}, {1, 0}}, {1, 2, 3}, {}},
        {"NoChangesKeepsFileOrder", 2, 3, {}, {1, 2, 3}, {}},
        {"ChangeAfterTheLastFaceAddsNoFace", 1, 2, {{0, 0}, {2, 0}}, {1, 2}, {{0, 0}}},
        {"LargeModelSortsWhole", 2, 120000, {{0, 1}, {60000, 0}}, halves, {{0, 0}, {60000, 1}}},
        // clang-format on
    };
    for (const auto& [name, materials, faces, list, order, after] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(sorted(materials, faces, list), std::pair(order, after));
    }
}
