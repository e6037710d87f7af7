#include "memory/trim_band.h"

TrimBand TrimBand::forChoice(int choice) {
    switch (choice) {
        case 2: return {82, 178};
        case 3: return {66, 194};
        default: return {98, 162};
    }
}

bool TrimBand::contains(int value) const {
    uint32_t v = static_cast<uint32_t>(value);
    return lower < v && v < upper;
}
