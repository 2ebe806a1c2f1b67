#pragma once

#include "app/toolkit/layout.h"

namespace lumaru {

// The main window's controls, as laid out at design time.
// Rows go from the bottom of the stack up: the start picture and its label cover the main
// browser, and the top bar, side panel and panel toggle lie above all three.
inline constexpr ControlSpec kMainWindowLayout[] = {
    {"超文本浏览框1", ControlKind::Browser, nullptr, 0, 0, 952, 480},
    {"标签1", ControlKind::Label, nullptr, 0, 3, 952, 501},
    {"图片框1", ControlKind::Picture, nullptr, -8, -2, 960, 498},
    {"超文本浏览框2", ControlKind::Browser, "图片框1", 640, 24, 88, 32},
    {"外形框2", ControlKind::Container, nullptr, 0, 0, 960, 40},
    {"超级按钮1", ControlKind::Button, "外形框2", 16, 8, 96, 32, "Lumaru：3.00"},
    {"透明标签3", ControlKind::TransparentLabel, "外形框2", 136, 8, 56, 24, "选择线路："},
    {"组合框1", ControlKind::ComboList, "外形框2", 200, 8, 88, 20},
    {"透明标签2", ControlKind::TransparentLabel, "外形框2", 296, 8, 56, 24, "输入地址：："},
    {"编辑框1", ControlKind::EditBox, "外形框2", 360, 8, 200, 24},
    {"按钮2", ControlKind::Button, "外形框2", 568, 8, 48, 24, "播放"},
    {"透明标签1", ControlKind::TransparentLabel, "外形框2", 632, 8, 56, 24, "视频名字："},
    {"编辑框2", ControlKind::EditBox, "外形框2", 696, 8, 80, 24, "绝地逃亡"},
    {"按钮7", ControlKind::Button, "外形框2", 792, 8, 40, 24, "搜索"},
    {"按钮3", ControlKind::Button, "外形框2", 848, 8, 48, 24, "清空"},
    {"选择框1", ControlKind::CheckBox, "外形框2", 904, 8, 48, 24, "置顶"},
    {"外形框1", ControlKind::Container, nullptr, 0, 40, 110, 520},
    {"组合框2", ControlKind::ComboEdit, "外形框1", 24, 16, 64, 20},
    {"标签2", ControlKind::Label, "外形框1", 32, 48, 48, 24, "皮肤选择"},
    {"超级链接框3", ControlKind::Link, "外形框1", 16, 72, 64, 40, "首页"},
    {"超级链接框2", ControlKind::Link, "外形框1", 8, 112, 80, 40, " 视频搜索"},
    {"超级链接框1", ControlKind::Link, "外形框1", 0, 152, 88, 32, "  YY直播"},
    {"超级链接框6", ControlKind::Link, "外形框1", 8, 184, 80, 40, " C值视频"},
    {"超级链接框5", ControlKind::Link, "外形框1", 16, 224, 72, 32, "音乐随心听"},
    {"超级链接框4", ControlKind::Link, "外形框1", 16, 256, 72, 40, "Lumaru影院"},
    {"超级链接框7", ControlKind::Link, "外形框1", 16, 296, 72, 32, "电视直播"},
    {"按钮5", ControlKind::Button, "外形框1", 16, 352, 72, 24, "线路测试"},
    {"按钮4", ControlKind::Button, "外形框1", 16, 400, 72, 40, "问题反馈"},
    {"按钮1", ControlKind::Button, nullptr, 110, 184, 24, 104, "L\n\nu\n\nm\n\na\n\nr\n\nu"},
    {"版本控制", ControlKind::EditBox, nullptr, 280, 496, 56, 88},
};

}  // namespace lumaru
