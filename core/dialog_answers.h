#pragma once

namespace tamariko {

// "OK", with the classic value that both a message box and a printer driver's set-up
// answer with.
inline constexpr int IDOK = 1;

}  // namespace tamariko
