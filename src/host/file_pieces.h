// Reading an input file of a known size piece by piece, so that copying it
// into an output costs a fixed amount of memory whatever its size.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qorv {

enum class PieceRead {
  Done,
  CannotOpen,
  OtherSize,   // the file holds more or fewer bytes than expected
  ReadFailed,  // a read failed, or the file ended early while being read
  Stopped,     // the receiver of a piece returned false
};

// Reads the file at `path`, which must hold exactly `size` bytes, and hands
// its bytes in order to `take`, at most 1 MiB at a time.
PieceRead read_in_pieces(const std::string &path, uint64_t size,
                         const std::function<bool(const void *bytes, uint32_t length)> &take);

}  // namespace qorv
