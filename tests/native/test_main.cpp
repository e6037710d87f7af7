// Every test process gets a scratch folder of its own. CTest runs the cases in parallel,
// one process each, and cases of one fixture would otherwise share (and wipe) the same
// folder under /tmp while another is still using it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/loudmark-test-XXXXXX";
    std::string folder;
    if (mkdtemp(pattern.data()) != nullptr) {
        folder = pattern;
        setenv("TEST_TMPDIR", folder.c_str(), 1);  // what ::testing::TempDir() answers from now on
    }
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (!folder.empty() && std::getenv("LOUDMARK_KEEP_TEST_FILES") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return result;
}
