#include "platform/event.h"

#include <gtest/gtest.h>

#include "platform/processors.h"
#include "platform/thread.h"

namespace {

struct PingPong {
    platform::Event ping;
    platform::Event pong;
    int rounds = 0;
};

void answerPings(void* argument) {
    auto& game = *static_cast<PingPong*>(argument);
    for (int round = 0; round < 100; ++round) {
        game.ping.wait();
        ++game.rounds;
        game.pong.set();
    }
}

}  // namespace

TEST(Event, AutoResetEventsPassTurnsBetweenThreads) {
    PingPong game;
    platform::Thread thread;
    ASSERT_TRUE(thread.start(answerPings, &game, 1u << 20));
    EXPECT_TRUE(thread.running());
    for (int round = 0; round < 100; ++round) {
        game.ping.set();
        game.pong.wait();
        EXPECT_EQ(round + 1, game.rounds);
    }
    EXPECT_TRUE(thread.join());
    EXPECT_FALSE(thread.running());
    EXPECT_FALSE(thread.join());
}

TEST(Thread, RunsItsEntryWithAnyStackSizeAndRefusesASecondStart) {
    int value = 0;
    platform::Thread thread;
    ASSERT_TRUE(thread.start([](void* argument) { *static_cast<int*>(argument) = 42; }, &value, 1));
    EXPECT_FALSE(thread.start([](void*) {}, nullptr, 1u << 20));
    EXPECT_TRUE(thread.join());
    EXPECT_EQ(42, value);
}

TEST(ProcessorCount, IsAtLeastOne) { EXPECT_GE(platform::processorCount(), 1); }
