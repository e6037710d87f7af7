// The plug-in's sources keep their layers: the wiring on top, the controls under it,
// the memory core under those and the adapters to the platform and the host at the
// bottom. A file includes only its own layer and those below, so the core and the
// adapters build without anything above them (the database tool links only those).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

// Top first.
const std::map<std::string, int> LAYER = {{"plugin", 0}, {"controls", 1}, {"memory", 2}, {"adapters", 3}};

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
            EXPECT_GE(target->second, own->second) << entry.path().filename() << " reaches up: " << line;
        }
    }
    EXPECT_GT(filesRead, 30);
}

}  // namespace
