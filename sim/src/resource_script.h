// The resource script the module is built from, read the small way the simulated
// platform needs: `#include "x.h"` (searched beside the including file, then in the
// given folders, then beside and below the script's parent folder), `#define NAME
// number`, and one `ICON` statement per line. Other statements are kept as lines for
// whoever reads them (the dialogs). Never seen by tests or the plug-in.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace sim {
namespace resources {

struct ScriptLine {
    std::string file;  // the file it came from, with includes expanded
    int number;        // from 1
    std::string text;  // comments removed
};

struct Script {
    bool loaded = false;
    std::string path;
    std::map<std::string, long> defines;
    std::map<int, std::string> iconsByNumber;       // resource number -> icon file
    std::map<std::string, std::string> iconsByName;  // upper-cased name -> icon file
    std::vector<ScriptLine> lines;                   // the script's own lines
};

const Script& current();
void clear();

// A resource identifier as written in the script: a number (decimal or 0x hex, maybe
// in parentheses) or a #define'd name. False when it is neither.
bool resolveNumber(const std::string& token, long* value);

}  // namespace resources
}  // namespace sim
