# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
# Cross-builds for Linux on arm64 with Debian's cross toolchain and the arm64 libraries beside the
# machine's own (multiarch), as in the arm64 build system (scripts/cross.sh). Programs built here
# run under qemu-user: the tests through ctest, and gtest's test discovery.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config)
# The build machine's tools (moc, Python), the target's libraries.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
find_program(ZANDREL_QEMU NAMES qemu-aarch64-static qemu-aarch64)
if(ZANDREL_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZANDREL_QEMU})
endif()
