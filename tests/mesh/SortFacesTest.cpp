#include "MeshTestSupport.h"

#include <vector>

using meshtest::newModel;

namespace {

struct SortCase {
    const char* name;
    int materials;
    int faces;
    std::vector<MtlChange> changes;
    std::vector<int> order;
    std::vector<MtlChange> sortedChanges;
};

// Faces are named 1, 2, 3... in file order.
// clang-format off
const SortCase kSortCases[] = {
    {"GroupsByMaterialIndex", 2, 4, {{0, 1}, {2, 0}}, {3, 4, 1, 2}, {{0, 0}, {2, 1}}},
    {"KeepsFileOrderWithinAGroup", 2, 3, {{0, 0}, {1, 1}, {2, 0}}, {1, 3, 2}, {{0, 0}, {2, 1}}},
    {"MaterialWithoutFacesStartsWhereTheNextDoes", 3, 4, {{0, 0}, {2, 2}}, {1, 2, 3, 4}, {{0, 0}, {2, 1}, {2, 2}}},
    {"LastOfSeveralChangesAtOneFaceDecides", 2, 2, {{0, 1}, {0, 0}}, {1, 2}, {{0, 0}, {2, 1}}},
    {"FacesWithoutMaterialFollowAllGroups", 2, 5, {{1, 1}, {2, -1}, {3, 0}}, {4, 5, 2, 1, 3}, {{0, 0}, {2, 1}}},
    {"IndexBeyondTheLoadedMaterialsCountsAsNone", 2, 3, {{0, 5}, {1, 1}}, {2, 3, 1}, {{0, 0}, {0, 1}}},
    {"NoLoadedMaterialKeepsEveryFace", -1, 3, {{0, -1}, {1, 0}}, {1, 2, 3}, {}},
    {"NoChangesKeepsFileOrder", 2, 3, {}, {1, 2, 3}, {}},
    {"ChangeAfterTheLastFaceAddsNoFace", 1, 2, {{0, 0}, {2, 0}}, {1, 2}, {{0, 0}}},
};
// clang-format on

class SortFaces : public testing::TestWithParam<SortCase> {};

TEST_P(SortFaces, RegroupsFacesAndRebuildsTheChangeList) {
    const SortCase& c = GetParam();
    auto obj = newModel();
    obj->mMaterialPropertyCount = c.materials;
    obj->mFaceCount = c.faces;
    for (int i = 0; i < c.faces; ++i) {
        obj->mFaces[i].verts = 3;
        obj->mFaces[i].v[0] = i + 1;
    }
    obj->mMtlChangeCount = static_cast<int32_t>(c.changes.size());
    for (size_t i = 0; i < c.changes.size(); ++i) {
        obj->mMtlChanges[i] = c.changes[i];
    }
    for (int round = 0; round < 2; ++round) { // sorting again changes nothing
        obj->sortFaces();
        ASSERT_EQ(obj->mFaceCount, static_cast<int32_t>(c.order.size()));
        for (size_t i = 0; i < c.order.size(); ++i) {
            EXPECT_EQ(obj->mFaces[i].v[0], c.order[i]) << "position " << i << " round " << round;
        }
        ASSERT_EQ(obj->mMtlChangeCount, static_cast<int32_t>(c.sortedChanges.size()));
        for (size_t i = 0; i < c.sortedChanges.size(); ++i) {
            EXPECT_EQ(obj->mMtlChanges[i].startingFace, c.sortedChanges[i].startingFace) << i;
            EXPECT_EQ(obj->mMtlChanges[i].materialIndex, c.sortedChanges[i].materialIndex) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sorting, SortFaces, testing::ValuesIn(kSortCases),
                         [](const auto& info) { return info.param.name; });

TEST(Sorting, ModelsBeyondFiftyThousandFacesSortWhole) {
    auto obj = newModel();
    constexpr int kFaces = 120000;
    obj->mMaterialPropertyCount = 2;
    obj->mFaceCount = kFaces;
    for (int i = 0; i < kFaces; ++i) {
        obj->mFaces[i].verts = 4;
        obj->mFaces[i].v[0] = i;
    }
    // Material 1, then 0, alternating every 1,000 faces.
    obj->mMtlChangeCount = kFaces / 1000;
    for (int k = 0; k < kFaces / 1000; ++k) {
        obj->mMtlChanges[k] = MtlChange{k * 1000, 1 - k % 2};
    }
    obj->sortFaces();
    ASSERT_EQ(obj->mFaceCount, kFaces);
    ASSERT_EQ(obj->mMtlChangeCount, 2);
    EXPECT_EQ(obj->mMtlChanges[1].startingFace, kFaces / 2);
    int previous = -1;
    for (int i = 0; i < kFaces; ++i) {
        const int original = obj->mFaces[i].v[0];
        const int material = 1 - (original / 1000) % 2;
        ASSERT_EQ(material, i < kFaces / 2 ? 0 : 1) << i;
        if (i != kFaces / 2) {
            ASSERT_GT(original, previous) << i; // stable within a group
        }
        previous = original;
    }
}

} // namespace
