// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "DialogSurface.h"
#include "zandrelDlgCore.h"
#include "zandrelIds.h"
#include "zandrelTexts.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Controls held as plain values, with the exchange and the entry's change event behaving as the
// window's do. Messages are recorded instead of shown.
class CFakeSurface : public CDialogSurface {
public:
    int m_nRadio = -1; // index of the checked radio button, -1 none
    bool m_bCheck = false;
    std::string m_strEntryText;
    int m_nEntryLimit = 0;
    std::string m_strCaption = zandrel::kCaptionPrefix; // the template's text
    bool m_bSetEnabled = true;
    std::vector<std::pair<std::string, std::string>> m_messages; // text, caption
    std::vector<std::string> m_warnings;
    std::vector<std::pair<std::string, std::string>> m_questions; // text, caption
    std::function<CCloseAnswer()> m_fnAnswer;                     // none: Stay
    // Runs inside every box while it is open: what reaches the window meanwhile.
    std::function<void()> m_fnWhileBox;
    int m_nEntryChanges = 0;
    int m_nVersionBoxes = 0;
    int m_nEndDialogs = 0;
    std::optional<int> m_nExitStatus;

    void Bind(CZandrelDlgCore& core) { m_pCore = &core; }

    bool isChecked(int id) override
    {
        return id == zandrel::IDC_USEPREV ? m_bCheck : m_nRadio == id - zandrel::IDC_KIND3;
    }
    void setCheck(int id, bool on) override
    {
        if (id == zandrel::IDC_USEPREV) {
            m_bCheck = on;
        } else if (on || m_nRadio == id - zandrel::IDC_KIND3) {
            m_nRadio = on ? id - zandrel::IDC_KIND3 : -1;
        }
    }
    std::string itemText(int) override { return m_strEntryText; }
    void setEntryText(int, const std::string& text) override { m_strEntryText = text; }
    void limitEntry(int, int nBytes) override { m_nEntryLimit = nBytes; }
    void setItemText(int id, const std::string& text) override
    {
        if (id == zandrel::IDC_PREVGROUP) {
            m_strCaption = text;
        } else if (id == zandrel::IDC_ENTRY) {
            m_strEntryText = text;
            Type(text);
        }
    }
    void enableItem(int id, bool on) override
    {
        if (id == zandrel::IDC_SET) {
            m_bSetEnabled = on;
        }
    }
    void showMessage(const std::string& text, const std::string& caption) override
    {
        m_messages.emplace_back(text, caption);
        WhileBox();
    }
    void showWarning(const std::string& text) override
    {
        m_warnings.push_back(text);
        WhileBox();
    }
    CCloseAnswer askClose(const std::string& text, const std::string& caption) override
    {
        m_questions.emplace_back(text, caption);
        WhileBox();
        return m_fnAnswer ? m_fnAnswer() : CCloseAnswer::Stay;
    }
    void showVersionBox() override
    {
        ++m_nVersionBoxes;
        WhileBox();
    }
    void endDialog() override { ++m_nEndDialogs; }
    void endProgram(int nStatus) override { m_nExitStatus = nStatus; }

    // The user clicks a control, enabled or not (automation reaches a disabled one): a radio
    // button is checked first, the check box flips.
    bool Click(int id)
    {
        if (id == zandrel::IDC_KIND3 || id == zandrel::IDC_KIND4) {
            m_nRadio = id - zandrel::IDC_KIND3;
        } else if (id == zandrel::IDC_USEPREV) {
            m_bCheck = !m_bCheck;
        }
        return m_pCore->OnCommand(id, CNotify::Clicked);
    }

    // What the window shows for a kind once the user chooses it: the caption's number.
    std::string Shown(int nKind)
    {
        Click(nKind != 0 ? zandrel::IDC_KIND4 : zandrel::IDC_KIND3);
        return m_strCaption.substr(m_strCaption.find('=') + 2);
    }

    // The user replaces the entry's text.
    void Type(const std::string& text)
    {
        m_strEntryText = text;
        ++m_nEntryChanges;
        m_pCore->OnCommand(zandrel::IDC_ENTRY, CNotify::Changed);
    }

private:
    void WhileBox()
    {
        if (m_fnWhileBox) {
            // Once: what it sends may open a box of its own.
            std::function<void()> fnWhileBox = std::move(m_fnWhileBox);
            m_fnWhileBox = nullptr;
            fnWhileBox();
        }
    }

    CZandrelDlgCore* m_pCore = nullptr;
};

struct CFakeDialog {
    CFakeSurface surface;
    CZandrelDlgCore core{surface};

    CFakeDialog() { surface.Bind(core); }
};
