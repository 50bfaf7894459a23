#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh folder of its own for one test, removed with everything in it at the end.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

    static std::string ReadAll(const std::filesystem::path& file);
    static void WriteAll(const std::filesystem::path& file, const std::string& content);
    // The names of the files in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::filesystem::path path_;
};
