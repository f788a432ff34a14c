#pragma once

#include <QString>

namespace tamariko {

// The user's own temporary folder, ending in '/'. Never a folder other users can write:
// $XDG_RUNTIME_DIR when it is a real directory owned by the user with mode 0700; otherwise
// a folder "tamariko" under $XDG_CACHE_HOME or ~/.cache, or ${TMPDIR:-/tmp}/tamariko-<uid>,
// created with mode 0700 and checked the same way. Throws Error when none can be had.
QString TempPath();

}  // namespace tamariko
