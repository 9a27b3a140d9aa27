#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace morvik {

// Bytes a read fills in place. A std::string sets every byte it grows by before the read
// overwrites them, which for a file of a megabyte costs a fifth of the read itself; the bytes
// this buffer grows by stay unset until written.
class ByteBuffer {
  public:
    ByteBuffer() noexcept = default;
    explicit ByteBuffer(std::string_view bytes) { assign(bytes); }
    ByteBuffer(const ByteBuffer& other) { assign(other.view()); }
    ByteBuffer& operator=(const ByteBuffer& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    ByteBuffer(ByteBuffer&& other) noexcept
        : bytes_(std::move(other.bytes_)),
          size_(std::exchange(other.size_, 0)),
          room_(std::exchange(other.room_, 0)) {}
    ByteBuffer& operator=(ByteBuffer&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        room_ = std::exchange(other.room_, 0);
        return *this;
    }

    // `size` bytes: those there already kept up to that many, any beyond them unset.
    void ResizeUnset(std::size_t size) {
        if (size > room_) {
            std::unique_ptr<char[]> grown(new char[size]);
            if (size_ > 0) std::memcpy(grown.get(), bytes_.get(), size_);
            bytes_ = std::move(grown);
            room_ = size;
        }
        size_ = size;
    }

    char* data() noexcept { return bytes_.get(); }
    const char* data() const noexcept { return bytes_.get(); }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string_view view() const noexcept { return {bytes_.get(), size_}; }
    operator std::string_view() const noexcept { return view(); }

    friend bool operator==(const ByteBuffer& a, std::string_view b) noexcept {
        return a.view() == b;
    }

  private:
    void assign(std::string_view bytes) {
        size_ = 0;
        ResizeUnset(bytes.size());
        if (!bytes.empty()) std::memcpy(bytes_.get(), bytes.data(), bytes.size());
    }

    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t room_ = 0;
};

}  // namespace morvik
