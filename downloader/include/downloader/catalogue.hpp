#pragma once
// The fixed song catalogues of the three builds and every other difference
// between Songhaul1, Songhaul2 and Songhaul3.

#include <string>
#include <vector>

namespace downloader {

// The catalogue of build 1, 2 or 3: its lines in order (UTF-8), exactly as
// they are listed, numbers, leading blanks and no-break spaces included.
const std::vector<std::string>& catalogue(int build);

// What sets the builds apart.
struct BuildTraits {
    int number;
    const char* caption;      // "Songhaul1" ...
    bool fixedSize;           // Form_Resize restores 11385 x 8505 twips
    bool countMessage;        // Label3_Click shows the downloaded count
    int clientWidth;          // twips
    int clientHeight;         // twips
    int shiftLeft;            // twips every control but the banner stands further left
    bool downloadFirstInTab;  // tab order Command1 ... cmdRun (else cmdRun ... Command1)
};
// Error 5 for a build number other than 1, 2 or 3.
const BuildTraits& buildTraits(int build);

}  // namespace downloader
