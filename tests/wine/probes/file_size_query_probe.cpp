// Checks the maintenance pass's cheap size query against the song key's open, under the
// real platform, over every kind of playlist entry probes.sh lays out: plain files,
// folders, links to files, folders and nothing, a pipe, device names, names the platform
// refuses, paths near and beyond the length limit. Prints both answers for each.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "memory/database_maintenance_size.h"
#include "memory/song_key.h"

int main() {
    const std::string dir = "C:\\loudmark-size-probe\\";
    std::vector<std::string> paths = {"file5.mp3", "folder.mp3", "folder.mp3\\", "link.mp3", "dirlink.mp3",
                                      "dangling.mp3", "fifo.mp3", "nul.mp3", "con", "com1.mp3", "aux.mp3", "lpt1",
                                      "missing.mp3", "nofolder\\x.mp3", "file5.mp3\\x", "file5.mp3\\", "a*b.mp3",
                                      "a?b.mp3", "file5.mp3.", "file5.mp3 ", "file5.mp3:stream", "FILE5.MP3"};
    for (std::string& path : paths) path = dir + path;
    paths.push_back("http://radio/stream.mp3");
    paths.push_back("file5.mp3");  // relative to the probe's folder
    std::string deep = dir + std::string(230, 'x') + "\\f.mp3";
    paths.push_back(deep);
    std::string longest = dir;
    while (longest.size() < 300) longest += "y";
    paths.push_back(longest + ".mp3");

    int disagreements = 0;
    for (const std::string& path : paths) {
        int byOpen = SongKey::fileSize(path.c_str());
        int quick = DatabaseMaintenance::quickFileSize(path.c_str());
        printf("%-4s %.70s (%zu): open %d, quick %d\n", byOpen == quick ? "ok" : "DIFF", path.c_str(), path.size(),
               byOpen, quick);
        if (byOpen != quick) ++disagreements;
    }
    printf("%zu paths, %d disagreements\n", paths.size(), disagreements);
    return disagreements == 0 ? 0 : 1;
}
