// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "DialogSurface.h"
#include "zandrelDlgCore.h"
#include "zandrelIds.h"

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
    std::string m_strCaption = zandrel::kCaptionPrefix; // the template's text
    bool m_bSetEnabled = true;
    std::vector<std::pair<std::string, std::string>> m_messages; // text, caption
    int m_nEntryChanges = 0;

    void Bind(CZandrelDlgCore& core) { m_pCore = &core; }

    bool readControls() override
    {
        m_pCore->m_nKind = m_nRadio;
        m_pCore->m_bUsePrev = m_bCheck ? 1 : 0;
        m_pCore->m_strEntry = m_strEntryText;
        return m_strEntryText.size() <= static_cast<std::size_t>(m_pCore->DigitCount());
    }
    void writeControls() override
    {
        m_nRadio = m_pCore->m_nKind;
        m_bCheck = m_pCore->m_bUsePrev != 0;
        m_strEntryText = m_pCore->m_strEntry;
    }
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
    }

    // The user replaces the entry's text.
    void Type(const std::string& text)
    {
        m_strEntryText = text;
        ++m_nEntryChanges;
        m_pCore->OnEntryChange();
    }

private:
    CZandrelDlgCore* m_pCore = nullptr;
};

struct CFakeDialog {
    CFakeSurface surface;
    CZandrelDlgCore core{surface};

    CFakeDialog() { surface.Bind(core); }
};
