// The parts of a directory handle that every host shares: its state and
// how it is closed are each backend's own.
#include "host/directory_listing.h"

namespace qorv {

HostDirectory::HostDirectory() = default;
HostDirectory::HostDirectory(State *state) : state_(state) {}
HostDirectory::HostDirectory(HostDirectory &&) noexcept = default;
HostDirectory &HostDirectory::operator=(HostDirectory &&) noexcept = default;
HostDirectory::~HostDirectory() = default;

}  // namespace qorv
