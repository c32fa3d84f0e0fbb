#include "exchange/LQuickSort.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Integers sorted through the virtual operations, recording what the sort does.
class IntSort : public TLQuickSort {
public:
    std::vector<int> items;
    int key = 0;
    std::vector<std::pair<int, int>> exchanges;
    std::vector<int> done;

    void SetNumDone(int n) override { done.push_back(n); }
    int SortCompare(int i, int j) override {
        return items.at(static_cast<size_t>(i)) < items.at(static_cast<size_t>(j))   ? -1
               : items.at(static_cast<size_t>(i)) > items.at(static_cast<size_t>(j)) ? 1
                                                                                     : 0;
    }
    int ExChange(int i, int j) override {
        exchanges.emplace_back(i, j);
        std::swap(items.at(static_cast<size_t>(i)), items.at(static_cast<size_t>(j)));
        return 0;
    }
    int FindCompare(int i) override {
        const int v = items.at(static_cast<size_t>(i));
        return key < v ? -1 : key > v ? 1 : 0;
    }
};

}  // namespace

TEST(LQuickSort, SingleElementExchangesWithItselfOnce) {
    IntSort s;
    s.items = {5};
    EXPECT_EQ(s.Sort(0, 0), 0);
    ASSERT_EQ(s.exchanges.size(), 1u);
    EXPECT_EQ(s.exchanges[0], std::make_pair(0, 0));
    EXPECT_EQ(s.done, std::vector<int>{0});
}

TEST(LQuickSort, EmptyRangeIsLeftAlone) {
    IntSort s;
    EXPECT_EQ(s.Sort(0, -1), 0);
    EXPECT_TRUE(s.exchanges.empty());
    EXPECT_TRUE(s.done.empty());
}

TEST(LQuickSort, SortsRandomDataWithDuplicates) {
    std::mt19937 rng(7);
    for (int n : {2, 3, 10, 100, 1000}) {
        IntSort s;
        for (int k = 0; k < n; ++k) s.items.push_back(static_cast<int>(rng() % 50));
        std::vector<int> expected = s.items;
        std::sort(expected.begin(), expected.end());
        s.Sort(0, n - 1);
        EXPECT_EQ(s.items, expected) << n;
        EXPECT_EQ(s.done.back(), n - 1);
    }
}

TEST(LQuickSort, SortsOnlyTheGivenRange) {
    IntSort s;
    s.items = {9, 8, 3, 1, 2, 0};
    s.Sort(1, 4);
    EXPECT_EQ(s.items, (std::vector<int>{9, 1, 2, 3, 8, 0}));
}

TEST(LQuickSort, FindOnEmptyRangeSetsInsertPlace) {
    IntSort s;
    s.Sorted = true;
    EXPECT_EQ(s.Find(0, -1), -1);
    EXPECT_EQ(s.insert_place, 0);
}

TEST(LQuickSort, FindSortsOnceThenSearches) {
    IntSort s;
    s.items = {30, 10, 20};
    s.key = 20;
    EXPECT_EQ(s.Find(0, 2), 1);
    EXPECT_TRUE(s.Sorted);
    s.key = 25;
    EXPECT_EQ(s.Find(0, 2), -1);
    EXPECT_EQ(s.insert_place, 2);
}

TEST(LQuickSort, InsertPlaces) {
    IntSort s;
    s.items = {10, 20, 30};
    s.Sorted = true;
    s.key = 25;
    EXPECT_EQ(s.FindInsertPlace(0, 2), 2);
    s.key = 5;
    EXPECT_EQ(s.FindInsertPlace(0, 2), 0);
    s.key = 35;
    EXPECT_EQ(s.FindInsertPlace(0, 2), 3);
    s.key = 20;
    EXPECT_EQ(s.FindInsertPlace(0, 2), -1);
    s.key = 15;
    EXPECT_EQ(s.FindInsertPlace(0, 2), 1);
}

TEST(LQuickSort, SecondFindDoesNotSortAgainEvenWhenTheCollectionGrew) {
    IntSort s;
    s.items = {3, 1, 2};
    s.key = 1;
    EXPECT_EQ(s.Find(0, 2), 0);
    const size_t exchanges = s.exchanges.size();
    s.items.push_back(0);
    s.key = 0;
    EXPECT_EQ(s.Find(0, 2), -1);
    EXPECT_EQ(s.exchanges.size(), exchanges);
    EXPECT_EQ(s.items.back(), 0);
}

TEST(LQuickSort, BaseOperationsDoNothing) {
    TLQuickSort s;
    EXPECT_EQ(s.SortCompare(0, 1), 0);
    EXPECT_EQ(s.ExChange(0, 1), 0);
    EXPECT_EQ(s.FindCompare(0), 0);
    EXPECT_EQ(s.Sort(0, 3), 0);
}

namespace {

// Integers sorted through the hooks, counting how deep the sort goes.
class DepthCountingSort : public TLQuickSort {
public:
    std::vector<int> v;
    int SortCompare(int i, int j) override {
        char here;
        const auto at = reinterpret_cast<std::uintptr_t>(&here);
        deepest = deepest == 0 || at < deepest ? at : deepest;
        shallowest = at > shallowest ? at : shallowest;
        return v[i] < v[j] ? -1 : v[i] > v[j] ? 1 : 0;
    }
    int ExChange(int i, int j) override {
        std::swap(v[i], v[j]);
        return 0;
    }
    void SetNumDone(int) override { ++done; }
    int done = 0;
    std::uintptr_t deepest = 0, shallowest = 0;  // stack addresses seen in the comparisons
};

TEST(QuickSortDepth, OrganPipeOrderSortsWithoutDeepRecursion) {
    // Ascending then descending: the middle pivot splits off one element at a time, which
    // recursing into both parts would turn into a stack of 50,000 frames.
    DepthCountingSort s;
    const int n = 20000;
    for (int k = 0; k < n / 2; ++k) s.v.push_back(k);
    for (int k = n / 2; k > 0; --k) s.v.push_back(k);
    s.Sort(0, n - 1);
    EXPECT_TRUE(std::is_sorted(s.v.begin(), s.v.end()));
    EXPECT_GT(s.done, 0);
    EXPECT_LT(s.shallowest - s.deepest, 64u * 1024u) << "the sort recursed deeply";
}

}  // namespace
