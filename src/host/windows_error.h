// Windows only: the system's error codes as the errno values that the image
// tool's checks and messages use. A code with no errno of its own keeps the
// system's text: it becomes WINDOWS_ERROR_BASE + code, which error_text
// shows with the system's message.
#pragma once

namespace qorv {

inline constexpr int WINDOWS_ERROR_BASE = 0x40000000;

int errno_of_windows_error(unsigned long code);

// GetLastError() as above.
int last_windows_error();

}  // namespace qorv
