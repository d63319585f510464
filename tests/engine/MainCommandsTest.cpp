// What a running test locks on the main window, and what stays reachable.
#include <gtest/gtest.h>

#include <iterator>

#include "engine/MainCommands.h"

namespace vorlaxis {
namespace {

TEST(MainCommands, ATestLocksExactlyTheCommandsThatMustNotRunUnderIt) {
    using C = MainCommand;
    const struct {
        MainCommand command;
        bool enabledIdle, enabledTesting, shownIdle, shownTesting;
    } cases[] = {{C::StartTest, true, false, true, true},
                 {C::StartTestBypassMenu, true, false, true, true},
                 {C::StartAllData, true, false, true, true},
                 {C::StartBlocks, true, false, true, true},
                 {C::StartOpenOnly, true, false, true, true},
                 {C::CompareWithSource, true, false, true, true},
                 {C::SaveTempLogs, true, false, true, true},
                 {C::Exit, true, true, true, true},
                 {C::ShowLogsFolder, true, false, true, true},
                 {C::ShowTempLogs, true, false, true, true},
                 {C::ShowSpeedGraph, true, false, true, true},
                 {C::ShowLastComparison, true, false, true, true},
                 {C::Options, true, false, true, true},
                 {C::HelpContents, true, true, true, true},
                 {C::HelpOnHelp, true, true, true, true},
                 {C::WhatsNew, true, true, true, true},
                 {C::About, true, true, true, true},
                 {C::LocationList, true, false, true, true},
                 {C::BrowseLocation, true, false, true, true},
                 {C::RemoveLocation, true, false, true, true},
                 {C::EditLocation, true, false, true, true},
                 {C::ShowLocation, true, false, true, true},
                 {C::AddLocationByHand, true, false, true, true},
                 {C::StartButton, true, true, true, false},
                 // Shown disabled at the start; the run enables it when the reading begins.
                 {C::CancelButton, false, false, false, true},
                 {C::CloseButton, true, false, true, true}};
    static_assert(std::size(cases) == static_cast<size_t>(C::CloseButton) + 1);
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.command);
        EXPECT_EQ(CommandEnabled(c.command, false), c.enabledIdle) << n;
        EXPECT_EQ(CommandEnabled(c.command, true), c.enabledTesting) << n;
        EXPECT_EQ(CommandShown(c.command, false), c.shownIdle) << n;
        EXPECT_EQ(CommandShown(c.command, true), c.shownTesting) << n;
    }
}

}  // namespace
}  // namespace vorlaxis
