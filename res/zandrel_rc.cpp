// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The resources as data: the two dialog templates, the string table, the icon and the version.
#include "zandrel_rc.h"

#include "zandrel.xpm"
#include "zandrel_version.h"
#include "zandrelIds.h"

namespace rc {

using namespace zandrel;

namespace {

// The main dialog's controls in template order: the tab order follows it.
constexpr ItemTemplate kMainItems[] = {
    {IDC_GET, "IDC_GET", Kind::PushButton, "get", BS_DEFPUSHBUTTON | WS_TABSTOP, 93, 73, 20, 14},
    {IDCANCEL, "IDCANCEL", Kind::PushButton, "end", WS_TABSTOP, 93, 91, 20, 14},
    {IDC_KIND3, "IDC_KIND3", Kind::RadioButton, "numbers3", WS_GROUP, 17, 24, 44, 10},
    {IDC_KIND4, "IDC_KIND4", Kind::RadioButton, "numbers4", 0, 17, 36, 44, 10},
    {IDC_STATIC, "IDC_KINDGROUP", Kind::GroupBox, "kind", WS_GROUP, 11, 11, 55, 44},
    {IDC_ENTRY, "IDC_ENTRY", Kind::Edit, "",
     WS_BORDER | WS_TABSTOP | 0x80 /* automatic horizontal scroll */, 17, 87, 31, 14},
    {IDC_SET, "IDC_SET", Kind::PushButton, "set", WS_TABSTOP, 53, 86, 16, 14},
    {IDC_USEPREV, "IDC_USEPREV", Kind::CheckBox, "使用", WS_TABSTOP, 17, 72, 30, 10},
    {IDC_PREVGROUP, "IDC_PREVGROUP", Kind::GroupBox, "before-no = ", 0, 11, 60, 68, 51},
};

constexpr DialogTemplate kMainDialog = {
    .id = IDD_ZANDREL_DIALOG,
    // Popup, visible, caption, system menu, minimise box, modal frame, font given.
    .style = 0x90CA00C0,
    .exStyle = WS_EX_APPWINDOW,
    .cx = 139,
    .cy = 135,
    .caption = "zandrel",
    .pointSize = 9,
    .face = "ＭＳ Ｐゴシック",
    .items = kMainItems,
};

constexpr ItemTemplate kVersionItems[] = {
    {IDC_STATIC, "IDC_ICON", Kind::Icon, "", 0, 11, 17, 20, 21},
    {IDC_STATIC, "IDC_VERSION", Kind::Static, "zandrel Version 1.0", 0x80 /* no prefix */, 40, 10,
     64, 8},
    {IDC_STATIC, "IDC_NOTICE", Kind::Static, "(C) 2026", 0, 40, 25, 56, 8},
    {IDOK, "IDOK", Kind::PushButton, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 111, 25, 50, 14},
};

constexpr DialogTemplate kVersionDialog = {
    .id = IDD_ABOUTBOX,
    .style = 0x80C800C0, // popup, caption, system menu, modal frame, font given
    .exStyle = 0,
    .cx = 179,
    .cy = 55,
    .caption = "zandrelのﾊﾞｰｼﾞｮﾝ情報",
    .pointSize = 9,
    .face = "ＭＳ Ｐゴシック",
    .items = kVersionItems,
};

constexpr VersionRecord kVersion = {
    ZANDREL_VERSION_TEXT,     ZANDREL_VERSION_TEXT,    {ZANDREL_VERSION_NUMBERS},
    ZANDREL_FILE_FLAGS,       ZANDREL_FILE_FLAGS_MASK, ZANDREL_LANGUAGE,
    ZANDREL_CODE_PAGE,        ZANDREL_INTERNAL_NAME,   ZANDREL_ORIGINAL_FILENAME,
    ZANDREL_FILE_DESCRIPTION, ZANDREL_PRODUCT_NAME,
};

} // namespace

const DialogTemplate& MainDialog()
{
    return kMainDialog;
}
const DialogTemplate& VersionDialog()
{
    return kVersionDialog;
}

const char* String(int id)
{
    return id == IDS_ABOUTBOX ? "zandrel のﾊﾞｰｼﾞｮﾝ情報(&A)..." : "";
}

const char* const* MainIconXpm()
{
    return zandrel_xpm;
}

const VersionRecord& Version()
{
    return kVersion;
}

} // namespace rc
