#include "tool/db_tool.h"

#include "tool/command_line.h"
#include "tool/commands.h"
#include "tool/console.h"
#include "tool/database_location.h"
#include "tool/exit_codes.h"
#include "tool/tool_help.h"

namespace DbTool {

int run(int argc, const WCHAR* const* argv) {
    ToolArguments arguments;
    char error[256];
    if (!CommandLine::parse(argc, argv, &arguments, error, sizeof error)) {
        Console::err("loudmark-db: %s\n", error);
        ToolHelp::printUsageHint();
        return ExitCode::USAGE;
    }
    if (arguments.help) {
        ToolHelp::print(arguments.helpFor);
        return ExitCode::OK;
    }
    DatabaseLocation::Found location;
    if (!DatabaseLocation::find(arguments.database, &location)) {
        Console::err("loudmark-db: the path of the database is too long\n");
        return ExitCode::USAGE;
    }
    switch (arguments.command) {
        case Command::List: return Commands::list(arguments, location);
        case Command::Show: return Commands::show(arguments, location);
        case Command::Set: return Commands::set(arguments, location);
        case Command::Remove: return Commands::remove(arguments, location);
        case Command::Clean:
        case Command::Trim: return Commands::cleanOrTrim(arguments, location);
        case Command::Stats: return Commands::stats(arguments, location);
        default: break;
    }
    ToolHelp::print(Command::None);
    return ExitCode::USAGE;
}

}  // namespace DbTool
