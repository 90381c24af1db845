// The messages between the configuration application and the agent, as the
// configuration application sees them: it posts 1724 to 1727 and records the
// 1728 that come back.
#include "agent_program_fixture.h"

#include "peer_window.h"

namespace vigilor_test {
namespace {

using ControlMessages = AgentProgram;

TEST_F(ControlMessages, QueryWhileIdleIsAnsweredWithZero) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), WPARAM{0});
    // Nothing ran, so nothing was recorded.
    EXPECT_EQ(readSetting(L"VigilorActive"), std::nullopt);
}

TEST_F(ControlMessages, StartIsAnsweredWithTheEndMinuteAndMarksTheSession) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    DWORD before = minuteOfDay();
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(end) << "no answer to the start";
    // Nothing stored: the default of 60 minutes.
    EXPECT_TRUE(isEndMinute(*end, before, after, 60));
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), end);
}

TEST_F(ControlMessages, StartDuringASessionRestartsItWithTheNewLength) {
    ASSERT_TRUE(writeSetting(L"duration", 5));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    DWORD before = minuteOfDay();
    std::optional<WPARAM> first = exchange(WM_VIGILOR_START);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(first);
    EXPECT_TRUE(isEndMinute(*first, before, after, 5));

    ASSERT_TRUE(writeSetting(L"duration", 30));
    before = minuteOfDay();
    std::optional<WPARAM> second = exchange(WM_VIGILOR_START);
    after = minuteOfDay();
    ASSERT_TRUE(second);
    EXPECT_TRUE(isEndMinute(*second, before, after, 30));
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), second);
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});
}

TEST_F(ControlMessages, ReloadKeepsTheRunningSessionAndTheNextStartUsesNewOptions) {
    ASSERT_TRUE(writeSetting(L"duration", 10));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    DWORD before = minuteOfDay();
    std::optional<WPARAM> first = exchange(WM_VIGILOR_START);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(first);
    EXPECT_TRUE(isEndMinute(*first, before, after, 10));

    // Two hours, as the form stores them.
    ASSERT_TRUE(writeSetting(L"duration", 2));
    ASSERT_TRUE(writeSetting(L"durationUnit", 1));
    ASSERT_TRUE(agent.post(WM_VIGILOR_RELOAD));
    // The reload itself reports nothing, so the answer to the query is the
    // next state, and the running session keeps its end.
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), first);
    EXPECT_EQ(config->states().size(), 2u);

    before = minuteOfDay();
    std::optional<WPARAM> second = exchange(WM_VIGILOR_START);
    after = minuteOfDay();
    ASSERT_TRUE(second);
    EXPECT_TRUE(isEndMinute(*second, before, after, 120));
}

TEST_F(ControlMessages, AnyDurationUnitButZeroCountsHours) {
    // Only another tool writes a unit of 2; the session still counts hours.
    ASSERT_TRUE(writeSetting(L"duration", 3));
    ASSERT_TRUE(writeSetting(L"durationUnit", 2));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    DWORD before = minuteOfDay();
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(end);
    EXPECT_TRUE(isEndMinute(*end, before, after, 180));
}

TEST_F(ControlMessages, CancelIsAnsweredWithZeroWithOrWithoutASession) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    EXPECT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    // A cancel runs the end steps in full even when nothing ran.
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});

    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    EXPECT_NE(*end, WPARAM{0});
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});

    EXPECT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});
    EXPECT_EQ(exchange(WM_VIGILOR_QUERY), WPARAM{0});
}

TEST_F(ControlMessages, SessionItemStartsAndEndsASessionAndReportsItUnasked) {
    ASSERT_TRUE(writeSetting(L"duration", 45));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    DWORD before = minuteOfDay();
    std::optional<WPARAM> end = exchange(WM_COMMAND, IDM_SESSION);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(end) << "the start from the menu was not reported";
    EXPECT_TRUE(isEndMinute(*end, before, after, 45));
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});

    EXPECT_EQ(exchange(WM_COMMAND, IDM_SESSION), WPARAM{0})
        << "the end from the menu was not reported";
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{0});
    EXPECT_EQ(config->states().size(), 2u);
}

TEST_F(ControlMessages, NothingIsPostedWhileTheConfigurationWindowIsAbsent) {
    ASSERT_TRUE(writeSetting(L"duration", 7));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    config.reset();
    otherClass.reset();

    DWORD before = minuteOfDay();
    for (UINT message : {WM_VIGILOR_QUERY, WM_VIGILOR_START, WM_VIGILOR_RELOAD, WM_VIGILOR_CANCEL,
                         WM_VIGILOR_START}) {
        ASSERT_TRUE(agent.post(message));
    }
    ASSERT_TRUE(agent.post(WM_COMMAND, IDM_SESSION)); // cancels
    ASSERT_TRUE(agent.post(WM_COMMAND, IDM_SESSION)); // starts again
    ASSERT_NO_FATAL_FAILURE(waitUntilAgentIdle());

    // Whatever the agent did meanwhile went nowhere; the new window receives
    // the answer to its own query alone, and the session runs.
    config = std::make_unique<StateRecorder>(VIGILOR_CONFIG_WINDOW_CLASS, kConfigTitle);
    std::optional<WPARAM> end = exchange(WM_VIGILOR_QUERY);
    DWORD after = minuteOfDay();
    ASSERT_TRUE(end);
    EXPECT_TRUE(isEndMinute(*end, before, after, 7));
    ASSERT_NO_FATAL_FAILURE(waitUntilAgentIdle());
    pumpPending();
    EXPECT_EQ(config->states().size(), 1u);
    EXPECT_EQ(readSetting(L"VigilorActive"), DWORD{1});
}

// A configuration application built with Qt 6.5.0 follows the agent too: its
// window class is the one the agent looks for when ours is absent, and a
// window of our class with another title is still left alone.
TEST_F(ControlMessages, WithoutOurClassTheQt650WindowIsAnswered) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    config.reset();
    otherClass.reset();
    StateRecorder qt650(L"Qt650QWindowIcon", kConfigTitle);
    ASSERT_TRUE(agent.post(WM_VIGILOR_QUERY));
    ASSERT_TRUE(qt650.waitForStates(1, 5000)) << "the query was not answered";
    EXPECT_EQ(qt650.states()[0], WPARAM{0});
}

} // namespace
} // namespace vigilor_test
