// GetEnvironmentVariableA's answers: a value that fits, one that does not, a missing one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform.h"

namespace {

TEST(SimEnvironment, AnswersTheLengthOrTheSizeNeededOrNotFound) {
    sim::reset(::testing::TempDir() + "sim_environment");
    const std::string appData = "C:\\Users\\listener\\AppData\\Roaming";
    EXPECT_EQ(GetFileAttributesA(appData.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    std::vector<char> buffer(appData.size() + 1, 'u');
    EXPECT_EQ(GetEnvironmentVariableA("AppData", buffer.data(), static_cast<DWORD>(buffer.size())), appData.size());
    EXPECT_EQ(std::string(buffer.data()), appData);
    // One short: no room for the terminator, so the size needed, and the buffer untouched.
    std::vector<char> tight(appData.size(), 'u');
    tight.back() = '\0';
    EXPECT_EQ(GetEnvironmentVariableA("APPDATA", tight.data(), static_cast<DWORD>(tight.size())), appData.size() + 1);
    EXPECT_EQ(std::string(tight.data()), std::string(appData.size() - 1, 'u'));

    sim::setEnvironmentVariable("APPDATA", "");
    SetLastError(0);
    EXPECT_EQ(GetEnvironmentVariableA("APPDATA", buffer.data(), static_cast<DWORD>(buffer.size())), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

}  // namespace
