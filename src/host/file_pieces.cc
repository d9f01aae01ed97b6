#include "host/file_pieces.h"

#include <algorithm>
#include <vector>

#include "host/host_file.h"

namespace qorv {

PieceRead read_in_pieces(const std::string &path, uint64_t size,
                         const std::function<bool(const void *bytes, uint32_t length)> &take) {
  constexpr uint64_t PIECE = uint64_t{1} << 20;
  HostFile file;
  if (!file.open(path, FileAccess::Read)) return PieceRead::CannotOpen;
  if (file.size() != size) return PieceRead::OtherSize;
  std::vector<char> piece(static_cast<size_t>(std::min(size, PIECE)));
  for (uint64_t left = size; left > 0;) {
    const auto length = static_cast<uint32_t>(std::min(left, PIECE));
    if (!file.read(piece.data(), length)) return PieceRead::ReadFailed;
    if (!take(piece.data(), length)) return PieceRead::Stopped;
    left -= length;
  }
  // A file that grew while it was read ends later than measured.
  char more;
  return file.read(&more, 1) ? PieceRead::OtherSize : PieceRead::Done;
}

}  // namespace qorv
