// A thousand exchanges in a row: every one opens and closes the port, so a descriptor or a buffer
// kept per exchange would show here as growth.
#include <gtest/gtest.h>

#include "fault_host.h"
#include "process_probe.h"
#include "pty_pair.h"
#include "sim_module.h"

namespace {

TEST(FaultEndurance, AThousandExchangesKeepDescriptorsAndMemoryFlat) {
    SimOptions options;
    options.pace = false;
    SimModule sim(options);
    ASSERT_EQ(sim.Start(), 0);
    LogPaneScope log;
    FaultHost host;
    host.log = &log.pane;
    host.link = {sim.SlavePath(), 115200};
    const auto run = [&](int count) {
        int answered = 0;
        for (int i = 0; i < count; ++i)
            answered += host.Run([](const ExchangeContext& context) {
                                return SendScript(context, "at+netmode=2\r\n");
                            })
                            .outcome == ExchangeOutcome::kReplied;
        sim.ClearReceived();
        return answered;
    };
    run(100);  // settles the allocator and the pane at its cap
    const int fdsBefore = OpenFdCount();
    const std::size_t residentBefore = ResidentKiB();

    const int answered = run(1000);

    EXPECT_EQ(host.errors, 0);
    // Every exchange reaches the module and none fails; on a loaded machine a good share of the
    // answers may miss the shortened wait, so only that answers came back is held here.
    EXPECT_GT(answered, 0);
    EXPECT_EQ(OpenFdCount(), fdsBefore);
    EXPECT_LT(ResidentKiB() - std::min(ResidentKiB(), residentBefore),
              ResidentGrowthAllowanceKiB());
    EXPECT_LE(log.pane.LineCount(), kPaneLineCap + 1);
}

}  // namespace
