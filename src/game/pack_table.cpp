// The fixed tables of the question packs: the pack files, the key and the word dictionary.
#include "game/packs.h"

PackEntry PackTable[PackCount + 1] = {
    {"Questions\\trueorfalse\\Data01.pck", 1, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data02.pck", 1, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data03.pck", 2, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data04.pck", 2, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data05.pck", 3, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data06.pck", 3, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data07.pck", 4, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data08.pck", 4, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data09.pck", 5, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data10.pck", 5, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data11.pck", 6, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data12.pck", 6, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data13.pck", 7, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data14.pck", 7, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data15.pck", 8, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data16.pck", 8, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data17.pck", 9, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data18.pck", 9, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data19.pck", 10, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data20.pck", 10, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data21.pck", 11, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data22.pck", 11, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data23.pck", 12, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data24.pck", 12, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data25.pck", 13, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data26.pck", 13, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data27.pck", 14, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data28.pck", 14, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data29.pck", 15, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data30.pck", 15, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data31.pck", 16, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data32.pck", 16, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data33.pck", 17, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data34.pck", 17, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data35.pck", 18, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data36.pck", 18, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data37.pck", 19, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data38.pck", 19, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data39.pck", 20, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data40.pck", 20, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data41.pck", 21, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data42.pck", 21, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data43.pck", 22, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data44.pck", 22, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data45.pck", 23, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data46.pck", 23, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data47.pck", 24, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data48.pck", 24, " FALSE", 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0},
};

const uint8_t PackKey[] = {
    0x83, 0x2B, 0xAD, 0x09, 0x8A, 0xD7, 0xAD, 0x5E, 0x52, 0x1F, 0x9E, 0x73, 0x3C, 0x9A,
    0x85, 0x88, 0x9A, 0xDD, 0xA6, 0xA8, 0x9F, 0x44, 0x93, 0xE2, 0x71, 0xE9, 0x98, 0xF0,
    0xA2, 0x65, 0x5F, 0x12, 0x0F, 0x85, 0x35, 0x7B, 0x21, 0xB8, 0x55, 0x18, 0xDA, 0xB2,
    0x12, 0x73, 0xC7, 0x52, 0x98, 0xB7, 0xA9, 0x28, 0x0F, 0x2D, 0x08, 0x2D, 0x57, 0x38,
    0xBC, 0x28, 0xD4, 0x31, 0x17, 0xDB, 0x2C, 0x08, 0x6A, 0x42, 0x40, 0x00,
};

const char* const PackWords[PackWordCount] = {
    "Which ", "What ", "Who ", "Where ", "In ", "which ", "what ", "was ",  // 0x80
    "were ",  "the",   "e ",   "he",     "s ",  "th",     "n ",    "er",    // 0x88
    "in",     "an",    "d ",   "t ",     "ic",  "on",     "hi",    "es",    // 0x90
    "ch",     "ar",    "h ",   "Wh",     "re",  " o",     "or",    "as",    // 0x98
    "at",     "r ",    "en",   "st",     " i",  "ha",     "is",    "y ",    // 0xA0
    "f ",     " a",    "of",   "le",     "ri",  "te",     "al",    "nd",    // 0xA8
    "ng",     "se",    "it",   "ed",     "ea",  "ou",     "la",    " f",    // 0xB0
    "wa",     " '",    "me",   " s",     "ll",  "o ",     "ra",    "am",    // 0xB8
    " c",     "li",    "ne",   "nt",     "19",  "ti",     "el",    "to",    // 0xC0
    " S",     " B",    "il",   "ro",     "wh",  "ho",     "rs",    "a ",    // 0xC8
    "l ",     "Th",    " C",   "ve",     " h",  "na",     " d",    "co",    // 0xD0
    "di",     "de",    "ie",   "ta",     " T",  "ma",     "id",    " M",    // 0xD8
    "ur",     "ol",    "rt",   "et",     " m",  " b",     "ia",    "ir",    // 0xE0
    "fi",     "' ",    "un",   " A",     "ce",  "om",     " p",    "ow",    // 0xE8
    "m ",     "ac",    "io",   "ge",     "si",  " 1",     "g ",    "ad",    // 0xF0
    "tr",     "us",    " W",   "ca",     "rd",  "be",     " P",    ", ",    // 0xF8
};
