// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Time from process start to the dialog on screen: zandrel's main dialog against a bare dialog
// realised from the same template with no logic behind it. Each iteration starts a fresh process
// (this program, in child mode) and stops the clock when the child reports its window exposed.
#include "TemplateDialog.h"
#include "zandrelDlg.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <QApplication>
#include <QTest>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string g_strSelf;

int RunChild(int argc, char** argv, bool bFullDialog)
{
    QApplication app(argc, argv);
    std::unique_ptr<CTemplateDialog> pDlg;
    if (bFullDialog) {
        pDlg = std::make_unique<CZandrelDlg>();
    } else {
        pDlg = std::make_unique<CTemplateDialog>(rc::MainDialog());
    }
    pDlg->InitDialog();
    pDlg->show();
    if (!QTest::qWaitForWindowExposed(pDlg.get())) {
        return 1;
    }
    const char cReady = '1';
    if (write(STDOUT_FILENO, &cReady, 1) != 1) {
        return 1;
    }
    _exit(0); // the start is what is measured; skip the teardown
}

void BM_Startup(benchmark::State& state, const char* pszMode)
{
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe failed");
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::string strSelf = g_strSelf;
        std::string strFlag = "--child";
        std::string strMode = pszMode;
        char* args[] = {strSelf.data(), strFlag.data(), strMode.data(), nullptr};

        const auto t0 = std::chrono::steady_clock::now();
        pid_t pid = 0;
        const int nSpawn = posix_spawn(&pid, g_strSelf.c_str(), &actions, nullptr, args, environ);
        close(fds[1]);
        char cReady = 0;
        const bool bReady = nSpawn == 0 && read(fds[0], &cReady, 1) == 1;
        const auto t1 = std::chrono::steady_clock::now();
        close(fds[0]);
        posix_spawn_file_actions_destroy(&actions);
        int nStatus = 0;
        if (nSpawn == 0) {
            waitpid(pid, &nStatus, 0);
        }
        if (!bReady) {
            state.SkipWithError("the child did not show its window (is there a display?)");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
}
BENCHMARK_CAPTURE(BM_Startup, bare_template_dialog, "bare")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);
BENCHMARK_CAPTURE(BM_Startup, zandrel_dialog, "zandrel")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        return RunChild(argc, argv, std::strcmp(argv[2], "zandrel") == 0);
    }
    char szSelf[4096];
    const ssize_t nLen = readlink("/proc/self/exe", szSelf, sizeof szSelf - 1);
    g_strSelf =
        nLen > 0 ? std::string(szSelf, static_cast<std::size_t>(nLen)) : std::string(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
