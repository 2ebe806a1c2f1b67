#include "app/toolkit/gbk_text.h"

#include "net/text_encodings.h"

namespace lumaru {

QString FromGbk(std::string_view gbk) {
    const std::u16string wide = GbkToUtf16(gbk);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

std::string ToGbk(const QString& text) {
    return Utf16ToGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace lumaru
