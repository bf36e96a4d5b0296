// SPDX-FileCopyrightText: 2026 The zandrel developers
// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

// A fresh directory made the working directory for the life of the object.
class CTempWorkDir {
public:
    CTempWorkDir() : m_oldDir(std::filesystem::current_path())
    {
        std::random_device random;
        for (int nTry = 0; m_dir.empty(); ++nTry) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("zandrel-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                m_dir = candidate;
            } else if (nTry == 100) {
                throw std::runtime_error("no fresh temporary directory");
            }
        }
        std::filesystem::current_path(m_dir);
    }
    CTempWorkDir(const CTempWorkDir&) = delete;
    CTempWorkDir& operator=(const CTempWorkDir&) = delete;
    ~CTempWorkDir()
    {
        std::error_code ec;
        std::filesystem::current_path(m_oldDir, ec);
        std::filesystem::remove_all(m_dir, ec);
    }

    const std::filesystem::path& Path() const { return m_dir; }
    // Makes a subdirectory the working directory, then removes it (POSIX allows that).
    void EnterRemovedDirectory() const
    {
        const auto gone = m_dir / "gone";
        std::filesystem::create_directory(gone);
        std::filesystem::current_path(gone);
        std::filesystem::remove(gone);
    }
    std::filesystem::path Store() const { return m_dir / "zandrel.ini"; }

    void WriteStore(const std::string& bytes) const
    {
        std::ofstream(Store(), std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string ReadStore() const
    {
        std::ifstream in(Store(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool StoreExists() const { return std::filesystem::exists(Store()); }
    // What the directory holds, by name, sorted.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_oldDir;
    std::filesystem::path m_dir;
};

// A path as the logic takes it, in UTF-8 on every platform.
inline std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string str = path.u8string();
    return std::string(str.begin(), str.end());
}

// Bytes written as a hex literal, for readable known-good file contents.
inline std::string Bytes(std::initializer_list<unsigned char> list)
{
    return std::string(list.begin(), list.end());
}
