// Names as the platform compares them: letter case aside, and a folder's name standing
// for everything below it (file paths and registry keys alike).
#include <cctype>
#include <string>

#include "core_internal.h"

namespace sim {
namespace core {

std::string lowerCase(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool atOrBelow(const std::string& path, const std::string& folder, char separator) {
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == separator);
}

}  // namespace core
}  // namespace sim
