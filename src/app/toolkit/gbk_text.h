#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lumaru {

// The one crossing between the core's GBK texts and the widgets' QStrings.
QString FromGbk(std::string_view gbk);
std::string ToGbk(const QString& text);

}  // namespace lumaru
