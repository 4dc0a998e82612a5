#include "compactor/compact_file.h"

#include <string>

#include "compactor/compactor.h"

namespace compactor {

CompactFileResult compactFile(InputFile& input, OutputFile& output) {
    Compactor compactor;
    std::string piece;
    std::string compacted;
    compacted.reserve(kPieceSize);
    bool written = true;
    while (written && input.ReadPiece(piece)) {
        compacted.clear();
        compactor.Put(piece, compacted);
        written = output.Write(compacted);
    }
    if (input.Failed()) {
        output.Close();
        return CompactFileResult::ReadFailed;
    }
    if (written) {
        compacted.clear();
        compactor.Finish(compacted);
        written = output.Write(compacted);
    }
    const bool closed = output.Close();
    return written && closed ? CompactFileResult::Compacted : CompactFileResult::WriteFailed;
}

} // namespace compactor
