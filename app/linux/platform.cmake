# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# The shell's platform calls on Linux, and libxcb only to ask whether the X server answers before
# Qt tries, and aborts if it does not.
target_sources(zandrel PRIVATE ${CMAKE_CURRENT_LIST_DIR}/zandrelStartup.cpp)
find_package(PkgConfig REQUIRED)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
target_link_libraries(zandrel PRIVATE PkgConfig::XCB)
