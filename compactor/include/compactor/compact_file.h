// Compacting one open script file into another, piece by piece.
#pragma once

#include "compactor/script_files.h"

namespace compactor {

enum class CompactFileResult {
    Compacted,  // the whole output was written and closed
    ReadFailed, // reading the input failed part way
    WriteFailed // a write or the closing of the output failed
};

// Streams the input through the compactor into the output and closes the output; memory stays the
// same whatever the size of the input.
CompactFileResult compactFile(InputFile& input, OutputFile& output);

} // namespace compactor
