// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
// Linked into every program of the sanitizer build, so that running one by hand or through ctest
// behaves as the test script does, with no environment to remember.

#define ZANDREL_SANITIZER_HOOK extern "C" __attribute__((visibility("default"), used)) const char*

ZANDREL_SANITIZER_HOOK __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

ZANDREL_SANITIZER_HOOK __lsan_default_options()
{
    return "print_suppressions=0";
}

// Leaks inside system libraries that the program cannot free: D-Bus keeps a connection buffer for
// the life of the process, fontconfig caches what it loads, and GTK, which the gtk3 platform
// theme starts, keeps what it sets up in GLib's allocations (their traces end inside GLib). On
// Debian 13, Mesa's GLX keeps its screen configurations and Qt 6.8 its desktop-services object
// (with the D-Bus watcher under it) to the end.
ZANDREL_SANITIZER_HOOK __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:QGenericUnixServices\n";
}
