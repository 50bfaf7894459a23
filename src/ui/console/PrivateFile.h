#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

// The support files the program writes (the wire trace, the debug file) hold the ECU's data: they
// are the user's alone. On POSIX a symbolic link is refused rather than followed, and a regular
// file that exists is made private (0600) as it is opened, as a new one is made. On Windows the
// file is opened as any other.
enum class PrivateFileMode { Replace, Append };

// The open file, or null with the reason (without the file's name).
std::FILE* OpenPrivateFile(const std::string& path, PrivateFileMode mode, std::string& reason);

// The wire trace: a private file whose content is replaced, as a stream.
class PrivateOutputFile {
public:
    PrivateOutputFile();
    ~PrivateOutputFile();
    PrivateOutputFile(const PrivateOutputFile&) = delete;
    PrivateOutputFile& operator=(const PrivateOutputFile&) = delete;

    // False with the reason (without the file's name).
    bool Open(const std::string& path, std::string& reason);
    std::ostream& Stream() { return stream_; }

private:
    class Buffer;
    std::unique_ptr<Buffer> buffer_;
    std::ostream stream_;
};
