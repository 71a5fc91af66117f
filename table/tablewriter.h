#pragma once

#include "files/filereplacement.h"
#include "table/filefacts.h"

#include <vector>

class ListBox;
struct OutputFile;

// Writes a result list with its files' facts as a table that spreadsheet programs open
// as they are: UTF-8 with a byte-order mark (without it they guess the code page), ';'
// between fields (what they expect where ',' is the decimal comma), CR LF, and fields in
// quotes where they hold ';', '"' or a line end. A header, then one row per entry in the
// list's order: the path and its folder as the list shows them, the name, the size in
// bytes and the local time it was last changed; a file without facts has those two empty.
// A name that begins as a formula does ('=', '+', '-', '@', a tab) gets a "'" before it,
// so no spreadsheet runs it. However the write ends, the old file stays whole or the new
// one is complete (see FileReplacement).
namespace TableWriter {

struct Outcome {
    bool written = false;
    WriteFailure failure = WriteFailure::None;
};

// facts holds one fact per entry.
Outcome write(const OutputFile& target, ListBox& entries, const std::vector<FileFact>& facts);

} // namespace TableWriter
