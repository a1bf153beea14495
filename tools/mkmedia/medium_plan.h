#pragma once
// What a medium holds, read from its install script with the installer's own
// line routines: every file a copy line takes from the medium (under the
// chdir in force), whether it is written compressed, and the page pictures.
// Portable: the vendor's tool runs natively and on Windows.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct MediumFile {
    int32_t line = 0;         // the first script line that names it
    std::string medium;       // its path on the medium, folders joined by '\' ("DATA\SAMPLE.DA_")
    std::string product;      // the product folder's file it is made of; blank: the file whose compressed name it is
    bool compressed = false;  // the product's bytes packed, under the name the script gives
    char replacedChar = 0;    // what the compressed name lost, kept in its header
    bool picture = false;     // a page picture: it must be drawable
    int32_t copies = 0;       // copy lines naming it: the progress bar counts its size once for each
};

struct PlanMessage {
    int32_t line = 0;
    bool error = false;  // else a warning
    std::string text;
};

struct MediumPlan {
    std::vector<MediumFile> files;  // each medium path once, in the order the script first names them
    std::vector<PlanMessage> messages;
    bool readError = false;
};

// Reads the open script from its start to its end (or an end-of-file mark).
MediumPlan PlanMedium(std::FILE* script);
