// Whole-file reads and writes for the Wine host and demo, through the platform's own
// file functions (the same paths the plug-in sees).
#pragma once

#include <string>

namespace HostFiles {

std::string read(const std::string& path);  // empty when absent
void write(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);

}  // namespace HostFiles
