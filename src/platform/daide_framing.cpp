#include "platform/daide_framing.h"

#include <cstring>

namespace quorvel::platform {

std::vector<std::uint8_t> encode_frame(MessageType type, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> frame(kHeaderBytes + body.size());
  frame[0] = type;
  frame[1] = 0;
  write_big_endian(static_cast<std::uint16_t>(body.size()), &frame[2]);
  if (!body.empty()) std::memcpy(&frame[kHeaderBytes], body.data(), body.size());
  return frame;
}

std::vector<std::uint8_t> initial_message_body() {
  std::vector<std::uint8_t> body(4);
  write_big_endian(kProtocolVersion, &body[0]);
  write_big_endian(kMagicNumber, &body[2]);
  return body;
}

std::vector<std::uint8_t> error_message_body(ErrorCode code) {
  std::vector<std::uint8_t> body(2);
  write_big_endian(code, &body[0]);
  return body;
}

void diplomacy_body_to_host(std::vector<std::uint8_t>& body) {
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    const std::uint16_t value = read_big_endian(&body[i]);
    std::memcpy(&body[i], &value, 2);
  }
}

void diplomacy_body_to_wire(std::vector<std::uint8_t>& body) {
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    std::uint16_t value;
    std::memcpy(&value, &body[i], 2);
    write_big_endian(value, &body[i]);
  }
}

}  // namespace quorvel::platform
