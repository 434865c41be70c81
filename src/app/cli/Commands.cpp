#include "Command.h"

namespace parlowind::cli {

// One factory per command, each in its own file.
Command versionCommand();
Command historyCommand();
Command settingsCommand();
Command cleanCommand();
Command dictionaryCommand();
Command pttCommand();
Command polishCommand();
Command llmCommand();
Command transcribeCommand();
Command modelsCommand();

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> commands = {
        versionCommand(),
        historyCommand(),
        settingsCommand(),
        cleanCommand(),
        dictionaryCommand(),
        pttCommand(),
        polishCommand(),
        llmCommand(),
        transcribeCommand(),
        modelsCommand(),
    };
    return commands;
}

} // namespace parlowind::cli
