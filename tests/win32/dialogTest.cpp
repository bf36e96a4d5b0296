// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The real Windows dialog, found by identifiers and driven by the messages a user's keys and
// clicks send, with its modal boxes answered by a recording host.
#include "TempDir.h"
#include "Wide.h"
#include "zandrelDlg.h"
#include "zandrelIds.h"
#include "zandrelStore.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using namespace zandrel;

namespace {

class CRecordingHost : public CModalHost {
public:
    std::vector<std::pair<std::string, std::string>> m_messages; // text, caption
    int m_nVersionBoxes = 0;

    void MessageBox(HWND, const std::wstring& text, const std::wstring& caption, UINT) override
    {
        m_messages.emplace_back(Narrow(text), Narrow(caption));
    }
    CCloseAnswer AskClose(HWND, const std::wstring& text, const std::wstring& caption) override
    {
        m_messages.emplace_back(Narrow(text), Narrow(caption));
        return m_answer;
    }
    void RunVersionBox(HWND) override { ++m_nVersionBoxes; }
    CCloseAnswer m_answer = CCloseAnswer::Stay;
};

class WinDialogTest : public ::testing::Test {
protected:
    CTempWorkDir dir;
    CRecordingHost host;
    CZandrelDlg dlg{&host};
    HWND hDlg = nullptr;

    void Start()
    {
        dlg.Core().SetTickSource([] { return 1u; });
        hDlg = dlg.Create();
        ASSERT_NE(hDlg, nullptr);
    }
    HWND Item(int id) const { return GetDlgItem(hDlg, id); }
    std::string Text(int id) const
    {
        wchar_t sz[256] = L"";
        GetDlgItemTextW(hDlg, id, sz, 256);
        return Narrow(sz);
    }
    bool Checked(int id) const { return IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }
    void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    // Keys typed into the entry, each through the edit control's own handling.
    void Type(const std::wstring& keys) const
    {
        for (const wchar_t ch : keys) {
            SendMessageW(Item(IDC_ENTRY), WM_CHAR, ch, 0);
        }
    }
    void Paste(const std::wstring& text) const
    {
        SendMessageW(Item(IDC_ENTRY), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void ClearEntry() const
    {
        SendMessageW(Item(IDC_ENTRY), EM_SETSEL, 0, -1);
        Paste(L"");
    }
};

TEST_F(WinDialogTest, StartsFromTheTemplate)
{
    Start();
    wchar_t szTitle[64] = L"";
    GetWindowTextW(hDlg, szTitle, 64);
    EXPECT_STREQ(szTitle, L"zandrel");
    EXPECT_TRUE(Checked(IDC_KIND3));
    EXPECT_FALSE(Checked(IDC_KIND4));
    EXPECT_TRUE(Checked(IDC_USEPREV));
    EXPECT_EQ(Text(IDC_ENTRY), "");
    EXPECT_EQ(Text(IDC_PREVGROUP), "before-no = ");
    EXPECT_EQ(Text(IDC_USEPREV), "使用");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SET)));
    EXPECT_EQ(SendMessageW(hDlg, DM_GETDEFID, 0, 0), MAKELRESULT(IDC_GET, DC_HASDEFID));
    EXPECT_NE(SendMessageW(hDlg, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0), 0);
    // First shown centred on the work area, not at the screen's corner.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(hDlg, MONITOR_DEFAULTTOPRIMARY), &monitor));
    RECT rect;
    GetWindowRect(hDlg, &rect);
    EXPECT_NEAR(rect.left + rect.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(rect.top + rect.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
    const HMENU hSysMenu = GetSystemMenu(hDlg, FALSE);
    wchar_t szItem[64] = L"";
    ASSERT_GT(GetMenuStringW(hSysMenu, IDM_ABOUTBOX, szItem, 64, MF_BYCOMMAND), 0);
    EXPECT_EQ(Narrow(szItem), "zandrel のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    // The tab stops Windows' dialog manager sees, in the order it visits them: the template's,
    // and the checked radio button, which Windows' buttons make a tab stop of their own accord.
    std::vector<int> stops;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if (GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) {
            stops.push_back(GetDlgCtrlID(h));
        }
    }
    EXPECT_EQ(stops,
              (std::vector<int>{IDC_GET, IDCANCEL, IDC_KIND3, IDC_ENTRY, IDC_SET, IDC_USEPREV}));
}

// Messages as a user's keys and clicks send them reach the core, and what it shows reaches the
// controls and the boxes.
TEST_F(WinDialogTest, MessagesReachTheCore)
{
    Start();
    Type(L"007");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_SET)));
    Click(IDC_SET);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SET)));
    EXPECT_EQ(Text(IDC_PREVGROUP), "before-no = 007");
    Click(IDC_KIND4);
    EXPECT_EQ(Text(IDC_PREVGROUP), "before-no = ");
    Type(L"0042");
    Click(IDC_SET);
    Click(IDC_KIND3);
    EXPECT_EQ(Text(IDC_ENTRY), "007");
    // "get" with the tick count fixed draws what the Linux program draws for it.
    Click(IDC_USEPREV);
    Click(IDC_GET);
    ASSERT_EQ(host.m_messages.size(), 1u);
    EXPECT_EQ(host.m_messages[0], std::make_pair(std::string("041"), std::string("number")));

    // A folder in the file's place. (A read-only file would do on Windows; Wine run as root, as
    // CI runs it, writes one all the same.)
    std::filesystem::remove(dir.Store());
    std::filesystem::create_directory(dir.Store());
    ClearEntry();
    Type(L"123");
    Click(IDC_SET);
    ASSERT_EQ(host.m_messages.size(), 2u);
    EXPECT_EQ(host.m_messages[1].first, "File, \"zandrel.ini\" could not be opened.");
    EXPECT_EQ(host.m_messages[1].second, "error");
    std::filesystem::remove(dir.Store());
}

// No typing or pasting makes a text the exchange refuses; a text the program sets is shown whole,
// and the exchange reports it in its own box.
TEST_F(WinDialogTest, EntryLengthRule)
{
    Start();
    struct Row {
        const char* name;
        std::wstring typed, pasted;
        std::string shown;
    };
    const Row rows[] = {
        {"typing stops at three digits", L"12345", L"", "123"},
        {"a paste is cut to the limit", L"", L"98765", "987"},
        {"a character of three bytes does not fit", L"1", L"あ", "1"},
        {"full-width digits keep what fits", L"", L"１２３", "１"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClearEntry();
        Type(row.typed);
        Paste(row.pasted);
        EXPECT_EQ(Text(IDC_ENTRY), row.shown);
    }
    EXPECT_TRUE(host.m_messages.empty());

    dir.WriteStore(Bytes({4, 0, 0, 0, '9', '9', '9', '9', 0, 0, 0, 0, 0}));
    CZandrelDlg loaded(&host);
    const HWND hLoaded = loaded.Create();
    wchar_t sz[16] = L"";
    GetDlgItemTextW(hLoaded, IDC_ENTRY, sz, 16);
    EXPECT_STREQ(sz, L"9999");
    ASSERT_FALSE(host.m_messages.empty());
    EXPECT_EQ(host.m_messages.back().first, "The entry can hold no more than 3 characters.");
}

TEST_F(WinDialogTest, SystemCommandsAndEnding)
{
    Start();
    SendMessageW(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ(host.m_nVersionBoxes, 1);
    SendMessageW(hDlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(hDlg)) << "the default handling";
    SendMessageW(hDlg, WM_SYSCOMMAND, SC_RESTORE, 0);
    SendMessageW(hDlg, WM_QUERYDRAGICON, 0, 0);
    EXPECT_EQ(dlg.Result(), 0);
    SendMessageW(hDlg, WM_CLOSE, 0, 0);
    EXPECT_EQ(dlg.Result(), IDCANCEL);
    EXPECT_TRUE(dlg.Core().m_pszPrevNo3.IsEmpty()) << "the close released the stored numbers";

    CZandrelDlg second(&host);
    const HWND hSecond = second.Create();
    SendMessageW(hSecond, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_EQ(second.Result(), IDCANCEL);

    CZandrelDlg third(&host);
    const HWND hThird = third.Create();
    SendMessageW(hThird, WM_ENDSESSION, TRUE, 0); // the session ends
    EXPECT_EQ(third.Result(), IDCANCEL);
    EXPECT_EQ(third.ExitStatus(), 0);
}

// With a number kept from a failed save, the close box reaches the host's box; Cancel keeps the
// window.
TEST_F(WinDialogTest, CloseBoxWithANumberKept)
{
    std::filesystem::create_directory(dir.Store());
    Start();
    Type(L"123");
    Click(IDC_SET);
    host.m_answer = CCloseAnswer::Stay;
    SendMessageW(hDlg, WM_CLOSE, 0, 0);
    EXPECT_EQ(dlg.Result(), 0);
    ASSERT_EQ(host.m_messages.size(), 2u) << "the error box and the close box";
    EXPECT_EQ(host.m_messages[1].first,
              "Not saved in \"zandrel.ini\": numbers3 123.\n"
              "Try again, close without saving, or Cancel to keep the window open.");
    std::filesystem::remove(dir.Store());
}

// The look-up of every face on the system is the last resort: a face that shows the texts ends the
// search before it.
TEST(WinFaceTest, ChoosesAFaceThatShowsEveryText)
{
    static int s_nListings = 0;
    const auto fnCountedFaces = [] {
        ++s_nListings;
        return JapaneseFaces();
    };
    struct Row {
        const char* name;
        std::wstring face, text, chosen;
    };
    // Wine here shows "ＭＳ Ｐゴシック" and "MS UI Gothic" in IPA's faces, and knows no other.
    const Row rows[] = {
        {"the template's face", L"ＭＳ Ｐゴシック", L"使用 numbers3", L"ＭＳ Ｐゴシック"},
        {"a face this system lacks", L"No Such Face 7", L"使用 numbers3", L"MS UI Gothic"},
        {"found before, taken first", L"No Such Face 8", L"情報", L"MS UI Gothic"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        s_nListings = 0;
        EXPECT_EQ(Narrow(FaceShowing(row.face, row.text, fnCountedFaces)), Narrow(row.chosen));
        EXPECT_EQ(s_nListings, 0);
    }
}

TEST(WinVersionBoxTest, ShowsItsTemplateAndTheIcon)
{
    const CWinTemplate tpl(rc::VersionDialog());
    const HWND hBox = CreateDialogIndirectParamW(
        ResourceModule(), tpl.Get(), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(hBox, nullptr);
    wchar_t sz[64] = L"";
    GetWindowTextW(hBox, sz, 64);
    EXPECT_EQ(Narrow(sz), "zandrelのﾊﾞｰｼﾞｮﾝ情報");
    EXPECT_EQ(SendMessageW(hBox, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    HWND hIcon = nullptr;
    for (HWND h = GetWindow(hBox, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        if ((GetWindowLongW(h, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            hIcon = h;
        }
    }
    ASSERT_NE(hIcon, nullptr);
    EXPECT_NE(SendMessageW(hIcon, STM_GETICON, 0, 0), 0) << "icon 135 from the resources";
    DestroyWindow(hBox);
}

// The version record Windows shows in a file's properties.
TEST(WinVersionBoxTest, VersionRecord)
{
    wchar_t szPath[MAX_PATH];
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::vector<char> data(GetFileVersionInfoSizeW(szPath, nullptr));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(GetFileVersionInfoW(szPath, 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT nLen = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&pFixed), &nLen));
    EXPECT_EQ(pFixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(pFixed->dwFileFlags & pFixed->dwFileFlagsMask, VS_FF_DEBUG);
    EXPECT_EQ(pFixed->dwFileType, static_cast<DWORD>(VFT_APP));
    const std::pair<const wchar_t*, const char*> strings[] = {
        {L"FileVersion", "1, 0, 0, 1"},        {L"InternalName", "zandrel"},
        {L"OriginalFilename", "zandrel.EXE"},  {L"FileDescription", "zandrel MFC ｱﾌﾟﾘｹｰｼｮﾝ"},
        {L"ProductName", "zandrel ｱﾌﾟﾘｹｰｼｮﾝ"},
    };
    for (const auto& [pszName, pszValue] : strings) {
        wchar_t* pszFound = nullptr;
        const std::wstring strKey = std::wstring(L"\\StringFileInfo\\041104b0\\") + pszName;
        ASSERT_TRUE(
            VerQueryValueW(data.data(), strKey.c_str(), reinterpret_cast<void**>(&pszFound), &nLen))
            << Narrow(pszName);
        EXPECT_EQ(Narrow(pszFound), pszValue);
    }
}

} // namespace
