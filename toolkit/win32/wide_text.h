// The toolkit's text is UTF-8; Windows' wide calls want UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace toolkit::win32 {

std::wstring widen_utf8(std::string_view utf8);

}  // namespace toolkit::win32
