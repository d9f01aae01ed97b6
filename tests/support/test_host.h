// What the test helpers do differently on each host (test_host_posix.cc,
// test_host_windows.cc).
#pragma once

#include <string>

namespace qorv::test {

// A new, empty directory under the system's temporary directory.
std::string make_temp_directory();

}  // namespace qorv::test
