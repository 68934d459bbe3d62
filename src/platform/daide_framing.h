#pragma once

#include <cstdint>
#include <vector>

namespace quorvel::platform {

// Message types of the DAIDE framing: a 4-byte header (type, pad, big-endian body
// length) and a body whose 16-bit values are big-endian too.
enum MessageType : std::uint8_t {
  kInitialMessage = 0,
  kRepresentationMessage = 1,
  kDiplomacyMessage = 2,
  kFinalMessage = 3,
  kErrorMessage = 4,
};

// Error codes carried by an error message.
enum ErrorCode : std::uint16_t {
  kImTimerPopped = 0x01,
  kImNotFirst = 0x02,
  kImWrongEndian = 0x03,
  kImWrongMagic = 0x04,
  kVersionIncompatible = 0x05,
  kImRepeated = 0x06,
  kImFromServer = 0x07,
  kUnknownMessageType = 0x08,
  kMessageTooShort = 0x09,
  kDmBeforeRm = 0x0A,
  kRmNotFirst = 0x0B,
  kRmRepeated = 0x0C,
  kRmFromClient = 0x0D,
  kInvalidToken = 0x0E,
};

inline constexpr std::uint16_t kProtocolVersion = 1;
inline constexpr std::uint16_t kMagicNumber = 0xDA10;
inline constexpr std::uint16_t kDefaultPort = 16713;
inline constexpr std::size_t kHeaderBytes = 4;
inline constexpr std::size_t kMaxBodyBytes = 0xFFFF;
inline constexpr std::size_t kRepresentationEntryBytes = 6;

inline std::uint16_t read_big_endian(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline void write_big_endian(std::uint16_t value, std::uint8_t* bytes) {
  bytes[0] = static_cast<std::uint8_t>(value >> 8);
  bytes[1] = static_cast<std::uint8_t>(value & 0xFF);
}

// A whole frame: header then body. The body must fit the 16-bit length.
std::vector<std::uint8_t> encode_frame(MessageType type, const std::vector<std::uint8_t>& body);

// Bodies of the fixed messages.
std::vector<std::uint8_t> initial_message_body();
std::vector<std::uint8_t> error_message_body(ErrorCode code);

// Converts a body of 16-bit values between big-endian and host order, in place.
void diplomacy_body_to_host(std::vector<std::uint8_t>& body);
void diplomacy_body_to_wire(std::vector<std::uint8_t>& body);

}  // namespace quorvel::platform
