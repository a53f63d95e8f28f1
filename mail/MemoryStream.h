#pragma once
// A growable byte buffer with a read/write position: the store of MIME bodies.
#include <cstddef>
#include <string>
#include <string_view>

#include "support/ByteBuffer.h"

namespace ruzo {

class TMemoryStream {
public:
    const std::string& bytes() const { return data_; }
    std::string_view view() const { return data_; }
    std::size_t size() const { return data_.size(); }
    bool empty() const { return data_.empty(); }
    std::size_t position() const { return position_; }
    void seek(std::size_t position) { position_ = position < data_.size() ? position : data_.size(); }

    void clear() {
        data_.clear();
        position_ = 0;
    }
    // Writes at the position (overwriting, then growing) and moves the position past the bytes.
    void write(std::string_view bytes) {
        if (position_ == data_.size()) {
            data_.append(bytes);
        } else {
            data_.replace(position_, bytes.size(), bytes);
        }
        position_ += bytes.size();
    }
    // Replaces the whole content and leaves the position at the start.
    void assign(std::string bytes) {
        data_ = std::move(bytes);
        position_ = 0;
    }
    void reserve(std::size_t n) { klv::ReserveBytes(data_, n); }

private:
    std::string data_;
    std::size_t position_ = 0;
};

}  // namespace ruzo
