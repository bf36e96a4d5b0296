// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program's dialog templates in the binary form Windows' dialog manager runs.
#include "WinTemplate.h"

#include "Wide.h"
#include "zandrelIds.h"

#include <algorithm>

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

// Whether the face, or what this system shows in its place, has a glyph for every character.
bool FaceShows(const std::wstring& strFace, const std::wstring& text)
{
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = DEFAULT_CHARSET;
    if (strFace.size() >= LF_FACESIZE) {
        return false;
    }
    strFace.copy(lf.lfFaceName, strFace.size());
    const HFONT hFont = CreateFontIndirectW(&lf);
    HDC hdc = CreateCompatibleDC(nullptr);
    const HGDIOBJ hOld = SelectObject(hdc, hFont);
    std::vector<WORD> glyphs(text.size());
    const bool bShows = GetGlyphIndicesW(hdc, text.c_str(), static_cast<int>(text.size()),
                                         glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR &&
                        std::find(glyphs.begin(), glyphs.end(), 0xFFFF) == glyphs.end();
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    DeleteObject(hFont);
    return bShows;
}

} // namespace

std::vector<std::wstring> JapaneseFaces()
{
    // Vertical faces ("@...") lay text on its side. Proportional faces before fixed ones: the
    // template's face is one, and its texts are sized for one.
    struct CFound {
        std::vector<std::wstring> m_proportional, m_fixed;
    } found;
    LOGFONTW lf{};
    lf.lfCharSet = SHIFTJIS_CHARSET;
    HDC hdc = GetDC(nullptr);
    EnumFontFamiliesExW(
        hdc, &lf,
        [](const LOGFONTW* pFont, const TEXTMETRICW*, DWORD, LPARAM lParam) -> int {
            auto& faces = *reinterpret_cast<CFound*>(lParam);
            if (pFont->lfFaceName[0] != L'@') {
                ((pFont->lfPitchAndFamily & 0x3) == FIXED_PITCH ? faces.m_fixed
                                                                : faces.m_proportional)
                    .push_back(pFont->lfFaceName);
            }
            return 1;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, hdc);
    found.m_proportional.insert(found.m_proportional.end(), found.m_fixed.begin(),
                                found.m_fixed.end());
    return found.m_proportional;
}

std::wstring FaceShowing(const std::wstring& strFace, const std::wstring& text,
                         std::vector<std::wstring> (*pfnJapaneseFaces)())
{
    // The face found for one template serves the next (the version box after the main dialog)
    // where it shows that one's texts too; the list of every face, the dearest look-up, last.
    static std::wstring s_strFound;
    for (const std::wstring& strCandidate :
         {strFace, s_strFound, std::wstring(L"Yu Gothic UI"), std::wstring(L"Meiryo UI"),
          std::wstring(L"MS UI Gothic")}) {
        if (!strCandidate.empty() && FaceShows(strCandidate, text)) {
            return strCandidate == strFace ? strFace : (s_strFound = strCandidate);
        }
    }
    for (const std::wstring& strCandidate : pfnJapaneseFaces()) {
        if (FaceShows(strCandidate, text)) {
            return s_strFound = strCandidate;
        }
    }
    return strFace;
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

namespace {

// Every text the template shows, to choose a face that has all of it.
std::wstring TextsOf(const rc::DialogTemplate& tpl)
{
    std::wstring text = Widen(tpl.caption) + Widen(rc::String(zandrel::IDS_ABOUTBOX));
    for (const rc::ItemTemplate& item : tpl.items) {
        text += Widen(item.text);
    }
    std::erase(text, L' ');
    return text;
}

} // namespace

CWinTemplate::CWinTemplate(const rc::DialogTemplate& tpl)
    : m_strFace(FaceShowing(Widen(tpl.face), TextsOf(tpl)))
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
