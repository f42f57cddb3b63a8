#pragma once
// A stdio stream that collects what is written to it, for the tests of code that prints to a FILE*.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelmora::testing {

class Capture {
public:
    Capture() : file_(open_memstream(&data_, &size_)) {}
    ~Capture() {
        std::fclose(file_);
        std::free(data_);
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    std::FILE* file() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(data_, size_);
    }

private:
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

}  // namespace kelmora::testing
