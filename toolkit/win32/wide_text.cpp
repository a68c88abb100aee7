#include "toolkit/win32/wide_text.h"

namespace toolkit::win32 {

std::wstring widen(std::string_view text, UINT code_page) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string narrow(std::wstring_view text, UINT code_page) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n =
        WideCharToMultiByte(code_page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace toolkit::win32
