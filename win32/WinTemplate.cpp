// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#include "WinTemplate.h"

#include "Wide.h"
#include "zandrelIds.h"

namespace {

// The predefined window classes, by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

class CWordWriter {
public:
    explicit CWordWriter(std::vector<WORD>& words) : m_words(words) {}
    void Word(WORD n) { m_words.push_back(n); }
    void Dword(DWORD n)
    {
        Word(LOWORD(n));
        Word(HIWORD(n));
    }
    void Text(const std::wstring& text)
    {
        m_words.insert(m_words.end(), text.begin(), text.end());
        Word(0);
    }
    void Ordinal(WORD n)
    {
        Word(0xFFFF);
        Word(n);
    }
    // Each item of a template starts on a DWORD boundary.
    void AlignDword()
    {
        if (m_words.size() % 2 != 0) {
            Word(0);
        }
    }

private:
    std::vector<WORD>& m_words;
};

bool FaceInstalled(const std::wstring& strFace, BYTE nCharSet)
{
    LOGFONTW lf{};
    lf.lfCharSet = nCharSet;
    if (strFace.size() >= LF_FACESIZE) {
        return false;
    }
    strFace.copy(lf.lfFaceName, strFace.size());
    HDC hdc = GetDC(nullptr);
    bool bFound = false;
    EnumFontFamiliesExW(
        hdc, &lf,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM lParam) -> int {
            *reinterpret_cast<bool*>(lParam) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&bFound), 0);
    ReleaseDC(nullptr, hdc);
    return bFound;
}

} // namespace

std::wstring FaceWithJapanese(const std::wstring& strFace)
{
    if (FaceInstalled(strFace, SHIFTJIS_CHARSET)) {
        return strFace;
    }
    for (const wchar_t* pszFace : {L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"}) {
        if (FaceInstalled(pszFace, SHIFTJIS_CHARSET)) {
            return pszFace;
        }
    }
    LOGFONTW lf{};
    lf.lfCharSet = SHIFTJIS_CHARSET;
    std::wstring strAny;
    HDC hdc = GetDC(nullptr);
    EnumFontFamiliesExW(
        hdc, &lf,
        [](const LOGFONTW* pFont, const TEXTMETRICW*, DWORD, LPARAM lParam) -> int {
            // Vertical faces ("@...") lay text on its side.
            if (pFont->lfFaceName[0] == L'@') {
                return 1;
            }
            *reinterpret_cast<std::wstring*>(lParam) = pFont->lfFaceName;
            return 0;
        },
        reinterpret_cast<LPARAM>(&strAny), 0);
    ReleaseDC(nullptr, hdc);
    return strAny.empty() ? strFace : strAny;
}

DWORD KindStyle(rc::Kind kind)
{
    switch (kind) {
    case rc::Kind::PushButton:
        return BS_PUSHBUTTON;
    case rc::Kind::RadioButton:
        return BS_AUTORADIOBUTTON;
    case rc::Kind::CheckBox:
        return BS_AUTOCHECKBOX;
    case rc::Kind::GroupBox:
        return BS_GROUPBOX;
    case rc::Kind::Edit:
        return ES_LEFT;
    case rc::Kind::Static:
        return SS_LEFT;
    case rc::Kind::Icon:
        return SS_ICON;
    }
    return 0;
}

CWinTemplate::CWinTemplate(const rc::DialogTemplate& tpl) : m_strFace(FaceWithJapanese(Widen(tpl.face)))
{
    CWordWriter out(m_words);
    out.Word(1);      // version
    out.Word(0xFFFF); // extended template
    out.Dword(0);     // help id
    out.Dword(tpl.exStyle);
    out.Dword(tpl.style);
    out.Word(static_cast<WORD>(tpl.items.size()));
    for (const short n : {short{0}, short{0}, tpl.cx, tpl.cy}) {
        out.Word(static_cast<WORD>(n));
    }
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(Widen(tpl.caption));
    out.Word(static_cast<WORD>(tpl.pointSize));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, then the character set
    out.Text(m_strFace);
    for (const rc::ItemTemplate& item : tpl.items) {
        out.AlignDword();
        out.Dword(0); // help id
        out.Dword(0); // extended style
        out.Dword(WS_CHILD | WS_VISIBLE | KindStyle(item.kind) | item.style);
        for (const short n : {item.x, item.y, item.cx, item.cy}) {
            out.Word(static_cast<WORD>(n));
        }
        out.Dword(static_cast<DWORD>(item.id));
        switch (item.kind) {
        case rc::Kind::Edit:
            out.Ordinal(kEditClass);
            break;
        case rc::Kind::Static:
        case rc::Kind::Icon:
            out.Ordinal(kStaticClass);
            break;
        default:
            out.Ordinal(kButtonClass);
            break;
        }
        if (item.kind == rc::Kind::Icon) {
            out.Ordinal(zandrel::IDR_MAINFRAME);
        } else {
            out.Text(Widen(item.text));
        }
        out.Word(0); // no creation data
    }
}
