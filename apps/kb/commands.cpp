// The table of tovrin-kb's commands: the general help lists them in this order.
#include "command.h"

namespace tovrin::kb {

const Command& checkCommand();
const Command& statsCommand();
const Command& exportCommand();
const Command& importCommand();
const Command& testCommand();
const Command& explainCommand();
const Command& mergeCommand();

std::span<const Command> commands()
{
    static const Command all[] = {checkCommand(),  statsCommand(), exportCommand(),
                                  importCommand(), testCommand(),  explainCommand(),
                                  mergeCommand()};
    return all;
}

} // namespace tovrin::kb
