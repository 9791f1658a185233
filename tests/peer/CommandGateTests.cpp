#include "peer/CommandGate.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
// "busy wait retry" as three letters, B/b, W/w, R/r, upper case for true.
std::string State(const CCommandGate& gate)
{
    return std::string(gate.Busy() ? "B" : "b") + (gate.LoopMayWait() ? "W" : "w") + (gate.RetryRead() ? "R" : "r");
}

using Step = std::function<void(CCommandGate&)>;

TEST(CommandGate, Transitions)
{
    const Step tick = [](CCommandGate& gate) { gate.OnIdleTick(); };
    const Step post7 = [](CCommandGate& gate) { gate.OnPosted(7); };
    struct
    {
        const char* name;
        std::vector<Step> steps;
        const char* state;
    } const rows[] = {
        {"at the start", {}, "bWr"},
        {"a command read and removed, then posted", {[](CCommandGate& g) { g.OnRead(false, true, true, true); }, post7}, "Bwr"},
        {"a wake that found no file", {[](CCommandGate& g) { g.OnRead(false, false, false, true); }}, "bwr"},
        {"a tick that found no file", {[](CCommandGate& g) { g.OnRead(false, false, false, false); }}, "bWr"},
        {"the next tick arms again", {[](CCommandGate& g) { g.OnRead(false, false, false, true); }, tick}, "bWr"},
        {"a command whose file stays, read at a tick",
         {[](CCommandGate& g) { g.OnRead(false, false, true, false); }}, "bwr"},
        {"a file its writer holds open", {[](CCommandGate& g) { g.OnRead(true, false, false, true); }}, "bwR"},
        {"read again, it is gone", {[](CCommandGate& g) { g.OnRead(true, false, false, true); },
                                    [](CCommandGate& g) { g.OnRead(false, true, false, false); }}, "bwr"},
        {"a read that finds nothing clears the retry", {[](CCommandGate& g) { g.OnRead(true, false, false, false); },
                                                         [](CCommandGate& g) { g.OnRead(false, false, false, false); }}, "bWr"},
        {"a tick while posted arms nothing", {[](CCommandGate& g) { g.OnRead(false, false, true, true); }, post7, tick},
         "Bwr"},
        {"another token is not taken", {post7, [](CCommandGate& g) { EXPECT_FALSE(g.TakePosted(8)); }}, "Bwr"},
        {"token 0 is never taken", {[](CCommandGate& g) { EXPECT_FALSE(g.TakePosted(0)); }}, "bWr"},
        {"the posted token is taken once",
         {post7, [](CCommandGate& g) { EXPECT_TRUE(g.TakePosted(7)); }, [](CCommandGate& g) { EXPECT_FALSE(g.TakePosted(7)); }},
         "bWr"},
    };
    for (const auto& row : rows)
    {
        CCommandGate gate;
        for (const Step& step : row.steps)
            step(gate);
        EXPECT_EQ(State(gate), row.state) << row.name;
    }
}

// A handler keeps the gate busy for its scope, nested ones too, and a tick meanwhile arms nothing.
TEST(CommandGate, HandlingScope)
{
    CCommandGate gate;
    gate.OnRead(false, false, false, true);
    {
        CCommandGate::CHandling outer(gate);
        {
            CCommandGate::CHandling inner(gate);
        }
        EXPECT_EQ(State(gate), "Bwr");
        gate.OnIdleTick();
        EXPECT_EQ(State(gate), "Bwr");
    }
    EXPECT_EQ(State(gate), "bwr");
    gate.OnIdleTick();
    EXPECT_EQ(State(gate), "bWr");
}
} // namespace
