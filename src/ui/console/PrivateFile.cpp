#include "ui/console/PrivateFile.h"

#include <streambuf>

// Hands every character to the C stream, which buffers; a flush of the stream flushes the file.
class PrivateOutputFile::Buffer final : public std::streambuf {
public:
    explicit Buffer(std::FILE* file) : file_(file) {}
    ~Buffer() override { std::fclose(file_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        return std::fputc(traits_type::to_char_type(c), file_) == EOF ? traits_type::eof() : c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        return static_cast<std::streamsize>(std::fwrite(text, 1, static_cast<size_t>(count), file_));
    }
    int sync() override { return std::fflush(file_) == 0 ? 0 : -1; }

private:
    std::FILE* const file_;
};

PrivateOutputFile::PrivateOutputFile() : stream_(nullptr) {}

PrivateOutputFile::~PrivateOutputFile() = default;

bool PrivateOutputFile::Open(const std::string& path, std::string& reason) {
    std::FILE* file = OpenPrivateFile(path, PrivateFileMode::Replace, reason);
    if (!file) return false;
    buffer_ = std::make_unique<Buffer>(file);
    stream_.rdbuf(buffer_.get());
    return true;
}
