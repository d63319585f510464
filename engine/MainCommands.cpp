#include "engine/MainCommands.h"

namespace vorlaxis {

bool CommandEnabled(MainCommand command, bool testing) {
    switch (command) {
        case MainCommand::Exit:
        case MainCommand::HelpContents:
        case MainCommand::HelpOnHelp:
        case MainCommand::WhatsNew:
        case MainCommand::About:
        case MainCommand::StartButton:  // hidden instead: the cancel button takes its place
            return true;
        case MainCommand::CancelButton:
            return false;
        default:
            return !testing;
    }
}

bool CommandShown(MainCommand command, bool testing) {
    switch (command) {
        case MainCommand::StartButton:
            return !testing;
        case MainCommand::CancelButton:
            return testing;
        default:
            return true;
    }
}

}  // namespace vorlaxis
