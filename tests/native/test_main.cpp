// Every test process gets a scratch folder of its own. CTest runs the cases in parallel,
// one process each, and cases of one fixture would otherwise share (and wipe) the same
// folder under /tmp while another is still using it.
//
// A test that ends with a dialog script or a message-box answer still queued fails: it
// scripted the listener for something that never appeared, so what it checked after
// proves nothing about that dialog or box.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sim/dialogs.h"
#include "sim/platform.h"

namespace {

class UnusedScripts : public ::testing::EmptyTestEventListener {
    // Runs before the result printer's own OnTestEnd, so the failure is counted and shown.
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (size_t left = sim::dialogScriptsWaiting()) {
            ADD_FAILURE() << left << " dialog script(s) never ran: the dialog they were written for never opened";
        }
        if (size_t left = sim::messageBoxAnswersWaiting()) {
            ADD_FAILURE() << left << " scripted message-box answer(s) never used: the box never appeared";
        }
        for (const std::string& error : sim::dialogErrors()) ADD_FAILURE() << "sim dialogs: " << error;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") + "/loudmark-test-XXXXXX";
    std::string folder;
    if (mkdtemp(pattern.data()) != nullptr) {
        folder = pattern;
        setenv("TEST_TMPDIR", folder.c_str(), 1);  // what ::testing::TempDir() answers from now on
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnusedScripts);
    int result = RUN_ALL_TESTS();
    if (!folder.empty() && std::getenv("LOUDMARK_KEEP_TEST_FILES") == nullptr) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    return result;
}
