#pragma once
// The directory browser: a modal dialog in which the user walks the
// directories of the drives and chooses one. The answer is read with
// QStateInfo(4): 1 when a directory was chosen, 0 on Cancel or failure.

#include <cstdint>
#include <span>
#include <string_view>

enum : int32_t {
    kBrowseAcceptMissing = 4,   // a typed directory that does not exist is returned as typed
    kBrowseKeepDirectory = 8,   // the process's current directory is left where the browser went
    kBrowseOfferCreation = 64,  // a typed directory that does not exist may be created
};

// directory: where the browser starts (all blank: the current directory);
// on OK it receives the chosen directory, cut to its length and padded.
// caption: the dialog's caption when not blank.
void QDlgBrowseDir(int32_t flags, std::span<char> directory, std::string_view caption);
