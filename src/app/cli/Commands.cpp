#include "Command.h"

namespace parlowind::cli {

// One factory per command, each in its own file.
Command versionCommand();
Command historyCommand();
Command settingsCommand();
Command cleanCommand();
Command dictionaryCommand();

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> commands = {
        versionCommand(),
        historyCommand(),
        settingsCommand(),
        cleanCommand(),
        dictionaryCommand(),
    };
    return commands;
}

} // namespace parlowind::cli
