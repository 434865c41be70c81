#include "Command.h"

namespace parlowind::cli {

// One factory per command, each in its own file.
Command versionCommand();
Command transcribeCommand();
Command modelsCommand();

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> commands = {
        versionCommand(),
        transcribeCommand(),
        modelsCommand(),
    };
    return commands;
}

} // namespace parlowind::cli
