#pragma once
// Text and Bytes: the two value types every module passes around.
//
// Text is code-page-936 text. It ends at its first zero byte, so a Text never holds one; an
// absent Text and an empty Text are the same. Bytes is a counted buffer that may hold zero bytes
// (request and response bodies). The two are distinct types so that a body is never mistaken
// for text without an explicit conversion.
#include <compare>
#include <cstddef>
#include <string>
#include <string_view>

namespace varneth {

class Text {
  public:
    Text() = default;
    Text(const char* zeroTerminated) : bytes_(zeroTerminated ? zeroTerminated : "") {}
    // Takes the bytes up to the first zero byte, as a zero-terminated string would.
    explicit Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
    explicit Text(std::string&& bytes) : bytes_(std::move(bytes)) {
        if (auto zero = bytes_.find('\0'); zero != std::string::npos)
            bytes_.resize(zero);
    }

    [[nodiscard]] bool empty() const { return bytes_.empty(); }
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }
    [[nodiscard]] int length() const { return static_cast<int>(bytes_.size()); }
    [[nodiscard]] const char* c_str() const { return bytes_.c_str(); }
    [[nodiscard]] std::string_view view() const { return bytes_; }
    [[nodiscard]] const std::string& str() const { return bytes_; }
    [[nodiscard]] unsigned char byteAt(std::size_t i) const {
        return static_cast<unsigned char>(bytes_[i]);
    }

    Text& operator+=(const Text& other) {
        bytes_ += other.bytes_;
        return *this;
    }
    friend Text operator+(Text a, const Text& b) { return a += b; }
    friend Text operator+(Text a, const char* b) { return a += Text(b); }
    friend bool operator==(const Text&, const Text&) = default;
    friend auto operator<=>(const Text&, const Text&) = default;

  private:
    std::string bytes_;
};

class Bytes {
  public:
    Bytes() = default;
    explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
    Bytes(const void* data, std::size_t size) : bytes_(static_cast<const char*>(data), size) {}

    [[nodiscard]] bool empty() const { return bytes_.empty(); }
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }
    [[nodiscard]] const char* data() const { return bytes_.data(); }
    [[nodiscard]] std::string_view view() const { return bytes_; }
    [[nodiscard]] const std::string& str() const { return bytes_; }
    void append(const void* data, std::size_t size) {
        bytes_.append(static_cast<const char*>(data), size);
    }
    void reserve(std::size_t size) { bytes_.reserve(size); }
    void clear() { bytes_.clear(); }
    friend bool operator==(const Bytes&, const Bytes&) = default;

  private:
    std::string bytes_;
};

}  // namespace varneth
