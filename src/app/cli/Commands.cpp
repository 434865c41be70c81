#include "Command.h"

namespace parlowind::cli {

// One factory per command, each in its own file.
Command versionCommand();
Command pttCommand();

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> commands = {
        pttCommand(),
        versionCommand(),
    };
    return commands;
}

} // namespace parlowind::cli
