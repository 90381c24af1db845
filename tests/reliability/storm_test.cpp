// A storm of random events against the real VigilorTaskbar.exe: control
// messages, menu commands and tray icon notifications, in bursts, mixed with
// changes of the stored options. After each burst, once the agent has worked
// through it, the agent must be in a consistent state: the session it reports
// matches "VigilorActive", at most one popup is open, no menu or message box
// is left behind, a query is answered, and its windows, handles and memory do
// not pile up. How fast the queries are answered is the benchmark's business.
//
// The events come from a generator with a fixed seed, printed with the
// results; VIGILOR_STORM_SEED=N (or --seed=N) plays other events. Their
// timing against the agent's own timers is not replayed.
#include "agent_driver.h"
#include "process_watch.h"
#include "reliability_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

using namespace vigilor_test;

namespace reliability {
namespace {

// Enough bursts for every kind of event to meet every other in each state of
// the agent, and for the second half of the storm to be compared with the
// first; each burst costs Wine seconds of both cores.
int const kMinimumEvents = 4000;
int const kSmallestBurst = 20;
int const kLargestBurst = 200;
// Each "Configuration" command or double click starts a program: a handful
// over the storm keep it quick under Wine.
double const kLaunchesPerEvent = 1.0 / 600;
// Bursts before the figures count, while Wine settles the agent's first
// popups and menus.
int const kWarmUpBursts = 10;
DWORD const kIdleTimeoutMs = 30000;

UINT const IDC_COUNTDOWN_CANCEL = 0;

enum class Kind {
    Start,
    Cancel,
    Reload,
    Query,
    SessionItem,
    CountdownCancel,
    TrayMouse,
    TrayMenu,
    CancelMode,
    StrayTimer,
    Option,
    Launch,
};

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Start:
        return "start 1724";
    case Kind::Cancel:
        return "cancel 1725";
    case Kind::Reload:
        return "reload 1726";
    case Kind::Query:
        return "query 1727";
    case Kind::SessionItem:
        return "WM_COMMAND 316";
    case Kind::CountdownCancel:
        return "WM_COMMAND 0";
    case Kind::TrayMouse:
        return "1034 mouse";
    case Kind::TrayMenu:
        return "1034 WM_RBUTTONDOWN";
    case Kind::CancelMode:
        return "WM_CANCELMODE";
    case Kind::StrayTimer:
        return "WM_TIMER";
    case Kind::Option:
        return "option write";
    case Kind::Launch:
        return "WM_COMMAND 208 / 1034 WM_LBUTTONDBLCLK";
    }
    return "?";
}

struct Weight {
    Kind kind;
    double weight;
};

// Roughly what a busy user and configuration application would do, with the
// messages that change the session most frequent.
const Weight kWeights[] = {
    {Kind::Start, 14},     {Kind::Cancel, 12},      {Kind::Reload, 8},
    {Kind::Query, 12},     {Kind::SessionItem, 12}, {Kind::CountdownCancel, 8},
    {Kind::TrayMouse, 12}, {Kind::TrayMenu, 1.5},   {Kind::CancelMode, 3},
    {Kind::StrayTimer, 4}, {Kind::Option, 6},       {Kind::Launch, 92.5 / 600},
};

// Tray notifications other than the two that act: moves, single clicks,
// other buttons, keyboard selection, and values that mean nothing.
const LPARAM kIdleMouse[] = {WM_MOUSEMOVE,     WM_LBUTTONDOWN, WM_LBUTTONUP,  WM_RBUTTONUP,
                             WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,  WM_MBUTTONDBLCLK,
                             WM_CONTEXTMENU,   NIN_SELECT,     NIN_KEYSELECT, 0};

struct OptionValues {
    const wchar_t* name;
    std::vector<DWORD> values;
};

// Never "shutdownWindows": the countdown's end would shut down the whole Wine
// session. Lengths stay short so that end minutes remain easy to bound.
const OptionValues kOptions[] = {
    {L"duration", {1, 2, 3}},
    {L"durationUnit", {0, 1}},
    {L"monitorOn", {0, 1, 2}},
    {L"powerSchemeOn", {0, 1}},
    {L"powerSchemeIndex", {0, 1, 2, 3}},
    {L"simulatePress", {0, 1}},
    {L"simulatePressTimeOut", {1, 2}},
};
DWORD const kLongestSessionMinutes = 3 * 60;

void deleteSetting(const wchar_t* name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name);
}

// Windows of the agent not belonging to a popup (which comes and goes).
size_t windowsBesidesPopups(DWORD processId) {
    std::vector<HWND> popups = findPopups(processId);
    size_t count = 0;
    for (HWND window : processWindows(processId)) {
        HWND root = GetAncestor(window, GA_ROOT);
        if (std::find(popups.begin(), popups.end(), root == nullptr ? window : root) ==
            popups.end()) {
            ++count;
        }
    }
    return count;
}

struct BurstFigures {
    size_t windows;
    DWORD handles;
    uint64_t privateBytes;
    DWORD gdiObjects;
    DWORD userObjects;
};

class Storm {
  public:
    Storm(uint64_t seed, AgentProcess& agent) : random_(seed), agent_(agent) {
        std::vector<double> weights;
        for (const Weight& w : kWeights) {
            weights.push_back(w.weight);
        }
        pick_ = std::discrete_distribution<size_t>(weights.begin(), weights.end());
    }

    int burst() {
        int size = std::uniform_int_distribution<int>(kSmallestBurst, kLargestBurst)(random_);
        for (int i = 0; i < size; ++i) {
            fire(kWeights[pick_(random_)].kind);
            // Now and then let the agent catch up, so that events also meet
            // its popups and menus at other moments.
            if (std::bernoulli_distribution(0.02)(random_)) {
                DWORD pause = std::uniform_int_distribution<DWORD>(0, 30)(random_);
                pumpUntil([] { return false; }, pause);
            }
        }
        return size;
    }

    const std::map<Kind, int>& counts() const { return counts_; }

  private:
    // A control message or command reaches the agent window, or sometimes
    // the open popup, which shares its window procedure.
    HWND target() {
        bool toPopup = std::bernoulli_distribution(0.2)(random_);
        if (toPopup) {
            std::vector<HWND> popups = findPopups(agent_.id());
            if (!popups.empty()) {
                return popups.front();
            }
        }
        return agent_.window();
    }

    WPARAM command(UINT id) {
        // The notification code in the high word must not matter.
        return MAKEWPARAM(id, std::uniform_int_distribution<int>(0, 1)(random_));
    }

    void fire(Kind kind) {
        ++counts_[kind];
        switch (kind) {
        case Kind::Start:
            PostMessageW(target(), WM_VIGILOR_START, 0, 0);
            break;
        case Kind::Cancel:
            PostMessageW(target(), WM_VIGILOR_CANCEL, 0, 0);
            break;
        case Kind::Reload:
            PostMessageW(target(), WM_VIGILOR_RELOAD, 0, 0);
            break;
        case Kind::Query:
            PostMessageW(target(), WM_VIGILOR_QUERY, 0, 0);
            break;
        case Kind::SessionItem:
            PostMessageW(target(), WM_COMMAND, command(IDM_SESSION), 0);
            break;
        case Kind::CountdownCancel:
            PostMessageW(target(), WM_COMMAND, command(IDC_COUNTDOWN_CANCEL), 0);
            break;
        case Kind::TrayMouse: {
            size_t index =
                std::uniform_int_distribution<size_t>(0, std::size(kIdleMouse) - 1)(random_);
            agent_.post(WM_TRAY_CALLBACK, TRAY_ICON, kIdleMouse[index]);
            break;
        }
        case Kind::TrayMenu:
            agent_.post(WM_TRAY_CALLBACK, TRAY_ICON, WM_RBUTTONDOWN);
            break;
        case Kind::CancelMode:
            agent_.post(WM_CANCELMODE);
            break;
        case Kind::StrayTimer: {
            // A timer message without a callback, as a program could post it
            // to any window: the agent's ids must not confuse it.
            const WPARAM ids[] = {2000, 3000, 3001, 1};
            agent_.post(WM_TIMER, ids[std::uniform_int_distribution<int>(0, 3)(random_)]);
            break;
        }
        case Kind::Option: {
            const OptionValues& option = kOptions[std::uniform_int_distribution<size_t>(
                0, std::size(kOptions) - 1)(random_)];
            size_t index = std::uniform_int_distribution<size_t>(0, option.values.size())(random_);
            if (index == option.values.size()) {
                deleteSetting(option.name);
            } else {
                writeSetting(option.name, option.values[index]);
            }
            break;
        }
        case Kind::Launch:
            if (std::bernoulli_distribution(0.5)(random_)) {
                agent_.post(WM_COMMAND, IDM_CONFIGURATION);
            } else {
                agent_.post(WM_TRAY_CALLBACK, TRAY_ICON, WM_LBUTTONDBLCLK);
            }
            break;
        }
    }

    static WPARAM const TRAY_ICON = 1010;

    std::mt19937_64 random_;
    std::discrete_distribution<size_t> pick_;
    AgentProcess& agent_;
    std::map<Kind, int> counts_;
};

struct Distribution {
    double median, p99, max;
};

Distribution describe(const std::vector<double>& values) {
    return {quantile(values, 0.5), quantile(values, 0.99), quantile(values, 1.0)};
}

class MessageStorm : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(findAgentWindow(0), nullptr) << "another VigilorTaskbar is running";
        deleteSettings();
        ASSERT_TRUE(writeSetting(L"Path", configFolder.path()));
        ASSERT_TRUE(writeSetting(L"shutdownWindows", DWORD{0}));
        ASSERT_TRUE(writeSetting(L"duration", DWORD{1}));
        ASSERT_NE(config.handle(), nullptr);
    }

    void TearDown() override {
        agent.terminate();
        deleteSettings();
    }

    // Settles the state after a burst: the query is answered, and its answer
    // agrees with "VigilorActive". A session timer may end the session
    // between the two readings, so a disagreement is read once more.
    void checkSession(int burst, std::vector<double>& roundTrips) {
        for (int reading = 0; reading < 2; ++reading) {
            std::optional<std::pair<WPARAM, double>> answer = config.query(agent.window(), 5000);
            ASSERT_TRUE(answer) << "burst " << burst << ": no answer to a query";
            roundTrips.push_back(answer->second);
            DWORD end = static_cast<DWORD>(answer->first);
            DWORD active = readSetting(L"VigilorActive").value_or(0);
            if ((end == 0) != (active == 0) && reading == 0) {
                continue;
            }
            EXPECT_EQ(end == 0, active == 0)
                << "burst " << burst << ": end minute " << end << " but VigilorActive " << active;
            if (end != 0) {
                EXPECT_LE(end, minuteOfDay() + kLongestSessionMinutes)
                    << "burst " << burst << ": end minute out of reach of any session";
            }
            return;
        }
    }

    ConfigStandInFolder configFolder;
    StateRecorder config;
    AgentProcess agent;
};

// The figures of the storm's bursts after the warm-up, for the tests that
// follow it in the same run.
std::vector<BurstFigures> stormFigures;

// Skips when the storm left no figures, or when every reading of `field` is
// 0: that is what a system that does not count them answers, and a check
// against it could not fail. Otherwise the second half of the storm may not
// need more than `slack` above the first half's most.
template <typename Field> void expectNoPileUp(Field field, DWORD slack, const char* what) {
    if (stormFigures.empty()) {
        GTEST_SKIP() << "the storm did not run to its end";
    }
    DWORD earlier = 0;
    DWORD later = 0;
    auto half = stormFigures.begin() + stormFigures.size() / 2;
    for (auto it = stormFigures.begin(); it != stormFigures.end(); ++it) {
        (it < half ? earlier : later) = std::max(it < half ? earlier : later, field(*it));
    }
    if (earlier == 0 && later == 0) {
        GTEST_SKIP() << what << " read 0 throughout: this system does not count them";
    }
    EXPECT_LE(later, earlier + slack) << what << " pile up";
}

TEST_F(MessageStorm, AgentStaysConsistentAndDoesNotPileUp) {
    std::printf("storm seed %llu (replay with VIGILOR_STORM_SEED=%llu)\n",
                static_cast<unsigned long long>(stormSeed),
                static_cast<unsigned long long>(stormSeed));
    std::fflush(stdout);
    ASSERT_TRUE(agent.start(agentProgram())) << "VigilorTaskbar.exe did not show its window";
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, agent.id());
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(waitUntilIdle(agent, kIdleTimeoutMs));
    ProcessFigures start = measure(process, agent.id());

    Storm storm(stormSeed, agent);
    std::vector<double> roundTrips;
    std::vector<BurstFigures> figures;
    int events = 0;
    int bursts = 0;
    size_t mostPopups = 0;
    while (events < kMinimumEvents && !HasFailure()) {
        events += storm.burst();
        ++bursts;
        // Sample the popups while the agent is still busy with the burst.
        mostPopups = std::max(mostPopups, findPopups(agent.id()).size());
        // A menu the burst left open ends as a click elsewhere would end it.
        agent.post(WM_CANCELMODE);
        ASSERT_TRUE(waitUntilIdle(agent, kIdleTimeoutMs))
            << "burst " << bursts << ": the agent did not come back to its message loop; "
            << "open: "
            << std::string(strayWindows(agent.id()).begin(), strayWindows(agent.id()).end());
        ASSERT_TRUE(agent.running()) << "burst " << bursts << ": the agent ended";

        std::wstring stray = strayWindows(agent.id());
        EXPECT_TRUE(stray.empty())
            << "burst " << bursts << ": left open: " << std::string(stray.begin(), stray.end());
        size_t popups = findPopups(agent.id()).size();
        mostPopups = std::max(mostPopups, popups);
        EXPECT_LE(popups, 1u) << "burst " << bursts;
        checkSession(bursts, roundTrips);

        ProcessFigures now = measure(process, agent.id());
        figures.push_back({windowsBesidesPopups(agent.id()), now.handles, now.privateBytes,
                           now.gdiObjects, now.userObjects});
    }
    ASSERT_GT(bursts, 2 * kWarmUpBursts);
    EXPECT_EQ(storm.counts().size(), std::size(kWeights)) << "a kind of event was never played";

    // Nothing grows from burst to burst: after the warm-up, the second half
    // of the storm needs no more than the first half did.
    auto half = figures.begin() + kWarmUpBursts + (figures.size() - kWarmUpBursts) / 2;
    auto most = [](auto from, auto to, auto field) {
        decltype(field(*from)) m = 0;
        for (auto it = from; it != to; ++it) {
            m = std::max(m, field(*it));
        }
        return m;
    };
    auto windowsOf = [](const BurstFigures& f) { return f.windows; };
    auto memoryOf = [](const BurstFigures& f) { return f.privateBytes; };
    auto early = figures.begin() + kWarmUpBursts;
    EXPECT_LE(most(half, figures.end(), windowsOf), most(early, half, windowsOf))
        << "windows pile up";
    EXPECT_LE(most(half, figures.end(), memoryOf), most(early, half, memoryOf) + (1u << 20))
        << "private memory grows";
    EXPECT_LE(mostPopups, 1u) << "more than one popup at a time";
    // Handles and GUI objects are judged by the tests below, which say so
    // when this system cannot count them.
    stormFigures.assign(early, figures.end());

    std::printf("storm: %d events in %d bursts, %zu states received\n", events, bursts,
                config.count());
    for (const auto& [kind, count] : storm.counts()) {
        std::printf("  %-40s %6d\n", kindName(kind), count);
    }
    Distribution trips = describe(roundTrips);
    std::printf("query round trip after a burst: median %.1f ms, p99 %.1f ms, max %.1f ms "
                "(%zu queries)\n",
                trips.median, trips.p99, trips.max, roundTrips.size());
    const BurstFigures& last = figures.back();
    std::printf("agent windows %zu -> %zu, handles %lu -> %lu, private KiB %llu -> %llu, "
                "GetGuiResources GDI %lu -> %lu, USER %lu -> %lu, most popups at once %zu\n",
                start.windows, last.windows, start.handles, last.handles,
                static_cast<unsigned long long>(start.privateBytes / 1024),
                static_cast<unsigned long long>(last.privateBytes / 1024), start.gdiObjects,
                last.gdiObjects, start.userObjects, last.userObjects, mostPopups);
    std::printf("the configuration stand-in was started: %s\n",
                configFolder.started() ? "yes" : "no");
    std::fflush(stdout);
    EXPECT_EQ(configFolder.started(), storm.counts().count(Kind::Launch) != 0);

    // Last, with the agent idle, a session that its own timers end: the key
    // press fires and the session timer reports the end unasked.
    ASSERT_TRUE(writeSetting(L"duration", DWORD{1}));
    ASSERT_TRUE(writeSetting(L"durationUnit", DWORD{0}));
    ASSERT_TRUE(writeSetting(L"simulatePress", DWORD{1}));
    ASSERT_TRUE(writeSetting(L"simulatePressTimeOut", DWORD{1}));
    size_t before = config.count();
    ASSERT_TRUE(agent.post(WM_VIGILOR_START));
    ASSERT_TRUE(config.waitForStates(before + 1, 5000));
    EXPECT_NE(config.states()[before], 0u);
    EXPECT_EQ(readSetting(L"VigilorActive"), 1u);
    ASSERT_TRUE(config.waitForStates(before + 2, 75000)) << "the session timer did not end it";
    EXPECT_EQ(config.states()[before + 1], 0u);
    EXPECT_EQ(readSetting(L"VigilorActive"), 0u);

    // WM_CLOSE ends the agent, which takes its windows with it.
    ASSERT_TRUE(agent.post(WM_CLOSE));
    EXPECT_TRUE(agent.waitForExit(10000)) << "WM_CLOSE did not end the agent";
    EXPECT_EQ(agent.exitCode(), 0u);
    EXPECT_TRUE(processWindows(agent.id()).empty());
    CloseHandle(process);
}

// Wine keeps a few handles of its own for a while (timers, X events).
TEST_F(MessageStorm, HandlesDoNotPileUp) {
    expectNoPileUp([](const BurstFigures& f) { return f.handles; }, 16,
                   "process handles (GetProcessHandleCount)");
}

TEST_F(MessageStorm, GdiObjectsDoNotPileUp) {
    expectNoPileUp([](const BurstFigures& f) { return f.gdiObjects; }, 4,
                   "GDI objects (GetGuiResources)");
}

TEST_F(MessageStorm, UserObjectsDoNotPileUp) {
    expectNoPileUp([](const BurstFigures& f) { return f.userObjects; }, 4,
                   "USER objects (GetGuiResources)");
}

} // namespace
} // namespace reliability
