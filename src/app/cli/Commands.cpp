#include "Command.h"

namespace parlowind::cli {

// One factory per command, each in its own file.
Command versionCommand();
Command polishCommand();
Command llmCommand();

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> commands = {
        versionCommand(),
        polishCommand(),
        llmCommand(),
    };
    return commands;
}

} // namespace parlowind::cli
