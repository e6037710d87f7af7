// The plug-in's sources keep their layers: the wiring on top, the controls under it,
// the memory core under those and the adapters to the platform and the host at the
// bottom. A file includes only its own layer and those below, so the core and the
// adapters build without anything above them. The database tool sits beside the wiring
// and uses the core alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// Top first; the tool shares the top with the wiring but reaches only the core.
const std::map<std::string, int> LAYER = {{"plugin", 0}, {"tool", 0}, {"controls", 1}, {"memory", 2}, {"adapters", 3}};

bool mayInclude(const std::string& from, const std::string& to) {
    if (from == "tool") return to == "tool" || to == "memory" || to == "adapters";
    if (to == "tool") return false;
    return LAYER.at(to) >= LAYER.at(from);
}

TEST(SourceLayers, EveryIncludePointsToTheSameLayerOrOneBelow) {
    std::filesystem::path src = std::filesystem::path(LOUDMARK_SOURCE_DIR) / "src";
    const std::regex include("^\\s*#include \"([a-z_]+)/[^\"]+\"");
    int filesRead = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        std::string folder = entry.path().parent_path().filename().string();
        auto own = LAYER.find(folder);
        if (own == LAYER.end()) continue;
        ++filesRead;
        std::ifstream file(entry.path());
        std::string line;
        while (std::getline(file, line)) {
            std::smatch match;
            if (!std::regex_search(line, match, include)) continue;
            auto target = LAYER.find(match[1].str());
            ASSERT_NE(target, LAYER.end()) << entry.path() << " includes from an unknown folder: " << line;
            EXPECT_TRUE(mayInclude(folder, target->first)) << entry.path().filename() << " reaches out: " << line;
        }
    }
    EXPECT_GT(filesRead, 30);
}

}  // namespace
