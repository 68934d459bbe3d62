#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel::platform {

// Cuts a byte stream into DAIDE frames. Bytes arrive in whatever pieces the socket gives;
// a frame is handed out only once it is whole, and the rest waits for more bytes.
class FrameReader {
 public:
  struct Frame {
    std::uint8_t type = 0;
    // Points into the reader: valid until the next append.
    const std::uint8_t* body = nullptr;
    std::size_t size = 0;
  };

  enum class Status {
    kFrame,
    kIncomplete,
    // Nothing after such a header can be read: the reader stays before it.
    kUnknownType,
  };

  void append(const std::uint8_t* bytes, std::size_t count);

  Status next(Frame& frame);

  // The type of the next frame, as soon as its header is in.
  std::optional<std::uint8_t> next_type() const;

  // Bytes received and not yet handed out in a frame.
  std::size_t buffered() const { return bytes_.size() - used_; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t used_ = 0;
};

}  // namespace quorvel::platform
