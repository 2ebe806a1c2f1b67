#include "skin/native_skin_engine.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <array>
#include <string_view>
#include <utility>

#include "skin/skin_file.h"

namespace lumaru {
namespace {

constexpr std::array<std::pair<SkinRole, QPalette::ColorRole>, 20> kPaletteRoles{{
    {SkinRole::Window, QPalette::Window},
    {SkinRole::WindowText, QPalette::WindowText},
    {SkinRole::Base, QPalette::Base},
    {SkinRole::AlternateBase, QPalette::AlternateBase},
    {SkinRole::Text, QPalette::Text},
    {SkinRole::Button, QPalette::Button},
    {SkinRole::ButtonText, QPalette::ButtonText},
    {SkinRole::BrightText, QPalette::BrightText},
    {SkinRole::Highlight, QPalette::Highlight},
    {SkinRole::HighlightedText, QPalette::HighlightedText},
    {SkinRole::Link, QPalette::Link},
    {SkinRole::LinkVisited, QPalette::LinkVisited},
    {SkinRole::ToolTipBase, QPalette::ToolTipBase},
    {SkinRole::ToolTipText, QPalette::ToolTipText},
    {SkinRole::PlaceholderText, QPalette::PlaceholderText},
    {SkinRole::Light, QPalette::Light},
    {SkinRole::Midlight, QPalette::Midlight},
    {SkinRole::Mid, QPalette::Mid},
    {SkinRole::Dark, QPalette::Dark},
    {SkinRole::Shadow, QPalette::Shadow},
}};

QPalette::ColorRole PaletteRole(SkinRole role) {
    for (const auto& [skinRole, paletteRole] : kPaletteRoles) {
        if (skinRole == role) {
            return paletteRole;
        }
    }
    return QPalette::Window;
}

// Starts from the style's own palette, so nothing of the previous skin is left behind.
QPalette SkinPalette(const SkinFile& skin) {
    QPalette palette = QApplication::style()->standardPalette();
    for (const SkinPaletteEntry& entry : skin.palette) {
        palette.setColor(PaletteRole(entry.role),
                         QColor(entry.colour.red, entry.colour.green, entry.colour.blue));
    }
    return palette;
}

}  // namespace

void NativeSkinEngine::AttachRes(const char* skin, std::uint32_t length, const char*, std::int32_t,
                                 std::int32_t, std::int32_t) {
    if (!skin || !qApp) {
        return;
    }
    const auto parsed = ParseSkinFile(std::string_view(skin, length));
    if (!parsed) {
        return;
    }
    QApplication::setPalette(SkinPalette(*parsed));
    qApp->setStyleSheet(QString::fromStdString(parsed->styleSheet));
}

NativeSkinEngine& ProgramSkinEngine() {
    static NativeSkinEngine engine;
    return engine;
}

}  // namespace lumaru
