// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program's dialog templates in the binary form Windows' dialog manager runs.
#pragma once

// Before <windows.h>, whose IDOK and IDCANCEL macros (of the same values) would hide these.
#include "zandrel_rc.h"
#include "zandrelIds.h"

#include <string>
#include <vector>
#include <windows.h>

// One of the program's dialog templates as an in-memory extended dialog template, the form that
// Windows' dialog manager runs: it then gives dialog units from the template's font, the tab
// order, the radio group's arrow keys, the default button, Enter and Escape.
class CWinTemplate {
public:
    explicit CWinTemplate(const rc::DialogTemplate& tpl);

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }
    // The face the template's text is shown in on this system.
    const std::wstring& Face() const { return m_strFace; }

private:
    std::vector<WORD> m_words;
    std::wstring m_strFace;
};

// Every Japanese face this system has, proportional ones first: a look-up that takes milliseconds.
std::vector<std::wstring> JapaneseFaces();

// The template's face where this system shows every character of text in it. Elsewhere (most
// Windows outside Japan lack "ＭＳ Ｐゴシック") a face that does, so that no text shows as empty
// boxes: first the Japanese faces every Windows 10 and 11 has, then any Japanese face at all.
std::wstring FaceShowing(const std::wstring& strFace, const std::wstring& text,
                         std::vector<std::wstring> (*pfnJapaneseFaces)() = JapaneseFaces);

// The window style bits that a control's kind stands for in a resource script.
DWORD KindStyle(rc::Kind kind);
