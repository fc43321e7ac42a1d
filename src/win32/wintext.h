#pragma once

#include <string>
#include <string_view>

// UTF-16 for the Windows API from the UTF-8 texts of the layout table and the readouts.
std::wstring Widen(std::string_view utf8);

// UTF-8 from a UTF-16 text of the Windows API.
std::string Narrow(std::wstring_view utf16);

// The decimal separator of the user's locale, whole and in UTF-8 ("." when the locale has none).
std::string UserDecimalPoint();
