#include "tool/command_line.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "tool/text_encoding.h"

namespace CommandLine {

namespace {

// Which commands an option applies to, one bit per command.
constexpr unsigned bit(Command command) { return 1u << static_cast<unsigned>(command); }
constexpr unsigned EVERY = ~0u;
constexpr unsigned WRITERS =
    bit(Command::Set) | bit(Command::Remove) | bit(Command::Undo) | bit(Command::Clean) | bit(Command::Trim);
constexpr unsigned PASSES = bit(Command::Clean) | bit(Command::Trim);

struct CommandName {
    const char* word;
    Command command;
};
const CommandName COMMANDS[] = {
    {"help", Command::Help},   {"list", Command::List},   {"show", Command::Show},   {"set", Command::Set},
    {"remove", Command::Remove}, {"undo", Command::Undo},   {"clean", Command::Clean}, {"trim", Command::Trim},
    {"stats", Command::Stats},
};

enum class OptionId { Help, Database, Key, Reference, Sort, Format, Band, DryRun, Force, PlayerPlaylist, Verbose };

struct Option {
    const char* word;
    OptionId id;
    bool takesValue;
    unsigned commands;
};
const Option OPTIONS[] = {
    {"--help", OptionId::Help, false, EVERY},
    {"-h", OptionId::Help, false, EVERY},
    {"/?", OptionId::Help, false, EVERY},
    {"--database", OptionId::Database, true, EVERY},
    {"--key", OptionId::Key, true, bit(Command::Set) | bit(Command::Remove)},
    {"--reference", OptionId::Reference, true, bit(Command::List) | bit(Command::Show) | bit(Command::Set)},
    {"--sort", OptionId::Sort, true, bit(Command::List)},
    {"--format", OptionId::Format, true, bit(Command::List)},
    {"--band", OptionId::Band, true, PASSES},
    {"--dry-run", OptionId::DryRun, false, PASSES},
    {"--force", OptionId::Force, false, WRITERS},
    {"--player-playlist", OptionId::PlayerPlaylist, false, PASSES | bit(Command::Stats)},
    {"--verbose", OptionId::Verbose, false, EVERY},
};

const Option* findOption(const char* word) {
    for (const Option& option : OPTIONS) {
        if (strcmp(option.word, word) == 0) return &option;
    }
    return nullptr;
}

Command findCommand(const char* word) {
    for (const CommandName& name : COMMANDS) {
        if (strcmp(name.word, word) == 0) return name.command;
    }
    return Command::None;
}

bool fail(char* error, size_t capacity, const char* format, const char* detail) {
    snprintf(error, capacity, format, detail);
    return false;
}

// The trim choices 1, 2, 3 by name; --band takes each with its '%' or without.
const char* const BAND_NAMES[] = {"12%", "18%", "24%"};
constexpr size_t BAND_DIGITS = 2;

bool band(const char* text, int* choice) {
    for (int i = 0; i < 3; ++i) {
        const char* name = BAND_NAMES[i];
        bool bare = strncmp(text, name, BAND_DIGITS) == 0 && text[BAND_DIGITS] == '\0';
        if (bare || strcmp(text, name) == 0) {
            *choice = i + 1;
            return true;
        }
    }
    return false;
}

bool applyValue(const Option& option, const char* value, ToolArguments* arguments, char* error, size_t capacity) {
    switch (option.id) {
        case OptionId::Database: arguments->database = value; return true;
        case OptionId::Key: arguments->keys.push_back(value); return true;
        case OptionId::Reference:
            if (number(value, 0, 255, &arguments->reference)) return true;
            return fail(error, capacity, "--reference takes a volume from 0 to 255, not \"%s\"", value);
        case OptionId::Sort:
            if (strcmp(value, "name") == 0) arguments->sort = SortOrder::Name;
            else if (strcmp(value, "value") == 0) arguments->sort = SortOrder::Value;
            else if (strcmp(value, "distance") == 0) arguments->sort = SortOrder::Distance;
            else return fail(error, capacity, "--sort takes name, value or distance, not \"%s\"", value);
            return true;
        case OptionId::Format:
            if (strcmp(value, "table") == 0) arguments->format = ListFormat::Table;
            else if (strcmp(value, "csv") == 0) arguments->format = ListFormat::Csv;
            else if (strcmp(value, "json") == 0) arguments->format = ListFormat::Json;
            else return fail(error, capacity, "--format takes table, csv or json, not \"%s\"", value);
            return true;
        case OptionId::Band:
            if (band(value, &arguments->bandChoice)) return true;
            return fail(error, capacity, "--band takes 12, 18 or 24, not \"%s\"", value);
        default: return true;
    }
}

void applyFlag(const Option& option, ToolArguments* arguments) {
    switch (option.id) {
        case OptionId::Help: arguments->help = true; break;
        case OptionId::DryRun: arguments->dryRun = true; break;
        case OptionId::Force: arguments->force = true; break;
        case OptionId::PlayerPlaylist: arguments->playerPlaylist = true; break;
        case OptionId::Verbose: arguments->verbose = true; break;
        default: break;
    }
}

// A word of the command line in the ANSI code page: a path as the player would hand it
// out (its short form where the code page cannot hold it), anything else with stand-ins.
const char* ansiWord(ToolArguments* arguments, const WCHAR* word, bool asPath) {
    char ansi[MAX_PATH * 4];
    bool lossy = false;
    bool converted = asPath ? TextEncoding::playerPath(word, ansi, sizeof ansi, &lossy)
                            : TextEncoding::wideToAnsi(word, ansi, sizeof ansi, &lossy);
    arguments->ansiWords.push_back(converted ? ansi : "");
    return arguments->ansiWords.back().c_str();
}

}  // namespace

const char* nameOf(Command command) {
    for (const CommandName& name : COMMANDS) {
        if (name.command == command) return name.word;
    }
    return "";
}

bool number(const char* text, int lowest, int highest, int* value) {
    char* end = nullptr;
    long parsed = strtol(text, &end, 10);
    if (text[0] == '\0' || end == nullptr || *end != '\0' || parsed < lowest || parsed > highest) return false;
    *value = static_cast<int>(parsed);
    return true;
}

const char* bandName(int choice) { return choice >= 1 && choice <= 3 ? BAND_NAMES[choice - 1] : BAND_NAMES[0]; }

bool parse(int argc, const WCHAR* const* argv, ToolArguments* arguments, char* error, size_t capacity) {
    *arguments = ToolArguments();
    error[0] = '\0';
    bool optionsEnded = false;
    // Options are checked against the command once it is known, wherever they stand.
    std::vector<const Option*> seen;
    for (int i = 1; i < argc; ++i) {
        const char* word = ansiWord(arguments, argv[i], false);
        if (!optionsEnded && strcmp(word, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        // "-5" is a number (a volume), not an option.
        bool number = word[0] == '-' && word[1] >= '0' && word[1] <= '9';
        if (!optionsEnded && !number && ((word[0] == '-' && word[1] != '\0') || strcmp(word, "/?") == 0)) {
            // --name=value as well as --name value.
            const char* equals = strncmp(word, "--", 2) == 0 ? strchr(word, '=') : nullptr;
            std::string name = equals != nullptr ? std::string(word, equals) : std::string(word);
            const Option* option = findOption(name.c_str());
            if (option == nullptr) return fail(error, capacity, "unknown option %s", name.c_str());
            for (const Option* before : seen) {
                // Only remove takes several keys; a second value of anything else would
                // silently win over the first.
                if (before->id == option->id && option->id != OptionId::Key) {
                    return fail(error, capacity, "%s is given twice", option->word);
                }
            }
            if (option->takesValue) {
                const char* value = nullptr;
                if (equals != nullptr) {
                    value = ansiWord(arguments, argv[i] + (equals - word) + 1, option->id == OptionId::Database);
                } else if (i + 1 < argc) {
                    value = ansiWord(arguments, argv[++i], option->id == OptionId::Database);
                } else {
                    return fail(error, capacity, "%s needs a value", option->word);
                }
                if (!applyValue(*option, value, arguments, error, capacity)) return false;
            } else if (equals != nullptr) {
                return fail(error, capacity, "%s takes no value", option->word);
            } else {
                applyFlag(*option, arguments);
            }
            seen.push_back(option);
            continue;
        }
        if (arguments->command == Command::None) {
            arguments->command = findCommand(word);
            if (arguments->command == Command::None) return fail(error, capacity, "unknown command \"%s\"", word);
            continue;
        }
        arguments->wideWords.push_back(argv[i]);
        arguments->wideOperands.push_back(arguments->wideWords.back().c_str());
        arguments->operands.push_back(word);
    }

    if (arguments->command == Command::Help) {
        arguments->help = true;
        if (arguments->operands.size() > 1) return fail(error, capacity, "%s", "help takes one command at most");
        if (!arguments->operands.empty()) {
            arguments->helpFor = findCommand(arguments->operands[0]);
            if (arguments->helpFor == Command::None || arguments->helpFor == Command::Help) {
                return fail(error, capacity, "unknown command \"%s\"", arguments->operands[0]);
            }
        }
        return true;
    }
    if (arguments->help) {
        arguments->helpFor = arguments->command;
        return true;
    }
    if (arguments->command == Command::None) return fail(error, capacity, "%s", "no command given");
    for (const Option* option : seen) {
        if ((option->commands & bit(arguments->command)) == 0) {
            char detail[64];
            snprintf(detail, sizeof detail, "%s does not apply to %s", option->word, nameOf(arguments->command));
            return fail(error, capacity, "%s", detail);
        }
    }
    if (arguments->keys.size() > 1 && arguments->command != Command::Remove) {
        return fail(error, capacity, "%s", "--key is given twice");
    }
    return true;
}

std::vector<const char*> optionsOf(Command command) {
    std::vector<const char*> words;
    for (const Option& option : OPTIONS) {
        if (option.commands & bit(command)) words.push_back(option.word);
    }
    return words;
}

}  // namespace CommandLine
