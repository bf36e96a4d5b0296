// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include "zandrelFileOps.h"

#include <cstdint>
#include <functional>
#include <utility>

// The platform's file calls, with the wait for another program timed by a clock of the test's: a
// pause moves it on at once, and first lets m_fnOnPause (another program letting go, say) act. A
// wait then proves what it does without taking its time, however busy the machine.
class CTestClockOps : public CSystemFileOps {
public:
    std::function<void()> m_fnOnPause;
    std::uint32_t Ticks() override { return m_nTicks; }
    void Pause() override
    {
        if (m_fnOnPause) {
            std::exchange(m_fnOnPause, nullptr)();
        }
        m_nTicks += 50;
    }

private:
    std::uint32_t m_nTicks = 0;
};
