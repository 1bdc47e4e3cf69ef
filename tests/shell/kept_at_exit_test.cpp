// The game's owning pointer frees an object where the game lets it go and
// never by its own destruction: the static application object is destroyed at
// process exit, after the layer is gone, and must leave its objects alone.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "shell/kept_at_exit.h"

namespace {

struct Tracked {
    explicit Tracked(int* freed) : freed(freed) {}
    ~Tracked() { ++*freed; }
    int* freed;
};

TEST(KeptAtExit, FreesOnResetAndWhenAnotherObjectTakesItsPlace) {
    int freed = 0;
    KeptAtExit<Tracked> slot;
    EXPECT_TRUE(slot == nullptr);
    slot.reset();
    EXPECT_EQ(freed, 0);

    slot = std::make_unique<Tracked>(&freed);
    ASSERT_TRUE(slot != nullptr);
    EXPECT_EQ(slot->freed, &freed);
    slot = std::make_unique<Tracked>(&freed);
    EXPECT_EQ(freed, 1);
    slot.reset();
    EXPECT_EQ(freed, 2);
    EXPECT_FALSE(slot);
}

TEST(KeptAtExit, LastEntryMovesIntoAFreedSlotAndTheLastSlotIntoItself) {
    int freed = 0;
    KeptAtExit<Tracked> list[2];
    int count = 2;
    list[0] = std::make_unique<Tracked>(&freed);
    list[1] = std::make_unique<Tracked>(&freed);
    Tracked* last = list[1].get();

    // As the play frame takes entry i: free it, then move the last one in.
    const auto take = [&](int i) {
        --count;
        list[i].reset();
        list[i] = std::move(list[count]);
    };
    take(0);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(list[0].get(), last);
    EXPECT_EQ(list[1].get(), nullptr);

    // Taking the last entry: it is freed once and nothing moves.
    take(0);
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(list[0].get(), nullptr);
}

TEST(KeptAtExit, ItsOwnDestructionLeavesTheObjectAlive) {
    int freed = 0;
    Tracked* object = nullptr;
    {
        KeptAtExit<Tracked> held;
        held = std::make_unique<Tracked>(&freed);
        object = held.get();
    }
    EXPECT_EQ(freed, 0);
    // Here the test plays the end of the process.
    delete object;
    EXPECT_EQ(freed, 1);
}

}  // namespace
