// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// The program on Linux: the application object that runs the main dialog.
#pragma once

#include <QApplication>

class QWidget;

// The application object: starts the toolkit and runs the main dialog once.
class CZandrelApp : public QApplication {
    Q_OBJECT
public:
    CZandrelApp(int& argc, char** argv);

    // Runs the main dialog modally. Returns false: there is nothing to run after it.
    bool InitInstance();

    QWidget* m_pMainWnd = nullptr;
    // What the process ends with: 0, or 1 where an end request could not save a kept number.
    int m_nExitStatus = 0;
};
