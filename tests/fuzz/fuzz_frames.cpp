// Takes arbitrary bytes as a peer's stream, cut into pieces of a size the first byte picks,
// and reads frames from it as the links do.
#include <cstddef>
#include <cstdint>

#include "platform/daide_framing.h"
#include "platform/frame_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quorvel::platform::FrameReader;
  if (size == 0) return 0;
  const std::size_t piece = data[0] + 1u;
  FrameReader reader;
  std::size_t fed = 0;
  std::size_t taken = 0;
  for (std::size_t at = 1; at < size; at += piece) {
    const std::size_t count = size - at < piece ? size - at : piece;
    reader.append(data + at, count);
    fed += count;
    FrameReader::Frame frame;
    FrameReader::Status status;
    while ((status = reader.next(frame)) == FrameReader::Status::kFrame) {
      if (frame.type > quorvel::platform::kErrorMessage) __builtin_trap();
      // Every byte of the body is in the reader; reading it must stay in bounds.
      volatile std::uint8_t sum = 0;
      for (std::size_t i = 0; i < frame.size; ++i)
        sum = static_cast<std::uint8_t>(sum + frame.body[i]);
      taken += quorvel::platform::kHeaderBytes + frame.size;
    }
    if (taken + reader.buffered() != fed) __builtin_trap();
    if (status == FrameReader::Status::kUnknownType) return 0;
  }
  return 0;
}
