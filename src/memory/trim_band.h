// The bands of values that are not worth keeping, by trim choice. All are centred on
// 130, the default reference volume.
#pragma once

#include <stdint.h>

struct TrimBand {
    uint32_t lower;  // exclusive
    uint32_t upper;  // exclusive

    // Choices 1, 2, 3 ("12%", "18%", "24%"); any other value selects choice 1.
    static TrimBand forChoice(int choice);
    // Compared unsigned, so a negative value is never inside.
    bool contains(int value) const;
};
