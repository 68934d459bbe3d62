#include "platform/frame_reader.h"

#include "platform/daide_framing.h"

namespace quorvel::platform {

void FrameReader::append(const std::uint8_t* bytes, std::size_t count) {
  // The frames handed out are done with by now: drop them before the buffer grows.
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(used_));
  used_ = 0;
  bytes_.insert(bytes_.end(), bytes, bytes + count);
}

std::optional<std::uint8_t> FrameReader::next_type() const {
  if (buffered() < kHeaderBytes) return std::nullopt;
  return bytes_[used_];
}

FrameReader::Status FrameReader::next(Frame& frame) {
  const std::optional<std::uint8_t> type = next_type();
  if (!type) return Status::kIncomplete;
  if (*type > kErrorMessage) return Status::kUnknownType;
  const std::size_t size = read_big_endian(&bytes_[used_ + 2]);
  if (buffered() < kHeaderBytes + size) return Status::kIncomplete;
  frame.type = *type;
  frame.body = bytes_.data() + used_ + kHeaderBytes;
  frame.size = size;
  used_ += kHeaderBytes + size;
  return Status::kFrame;
}

}  // namespace quorvel::platform
