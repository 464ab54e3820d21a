#pragma once

#include <QString>
#include <string>

namespace pelmo {

// The one conversion between the program's Windows-1250 byte strings and Qt text.
QString fromCp1250(const std::string& bytes);
// Characters without a Windows-1250 byte become '?'.
std::string toCp1250(const QString& text);

}  // namespace pelmo
