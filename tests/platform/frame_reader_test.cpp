#include "platform/frame_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/daide_framing.h"

namespace quorvel::platform {
namespace {

struct Taken {
  std::uint8_t type;
  std::vector<std::uint8_t> body;
  bool operator==(const Taken&) const = default;
};

// Every frame the reader gives out so far.
std::vector<Taken> take_all(FrameReader& reader) {
  std::vector<Taken> taken;
  FrameReader::Frame frame;
  while (reader.next(frame) == FrameReader::Status::kFrame)
    taken.push_back({frame.type, {frame.body, frame.body + frame.size}});
  return taken;
}

std::vector<std::uint8_t> stream_of(const std::vector<Taken>& frames) {
  std::vector<std::uint8_t> stream;
  for (const Taken& frame : frames) {
    const auto bytes = encode_frame(static_cast<MessageType>(frame.type), frame.body);
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  }
  return stream;
}

// However the socket cuts the stream, the same frames come out, each once and whole, and
// what is held back is exactly the frame still incomplete.
TEST(FrameReader, AnyCutOfTheStreamGivesTheSameFrames) {
  const std::vector<Taken> frames{{kInitialMessage, initial_message_body()},
                                  {kRepresentationMessage, {}},
                                  {kDiplomacyMessage, std::vector<std::uint8_t>(300, 0x4A)},
                                  {kDiplomacyMessage, {0x48, 0x00}}};
  const std::vector<std::uint8_t> stream = stream_of(frames);
  for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{5}, stream.size()}) {
    FrameReader reader;
    std::vector<Taken> taken;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      const std::size_t count = std::min(piece, stream.size() - at);
      reader.append(&stream[at], count);
      const auto now = take_all(reader);
      taken.insert(taken.end(), now.begin(), now.end());
      std::size_t whole = 0;
      for (const Taken& frame : taken)
        whole += kHeaderBytes + frame.body.size();
      EXPECT_EQ(reader.buffered(), at + count - whole) << "piece " << piece;
    }
    EXPECT_EQ(taken, frames) << "piece " << piece;
    EXPECT_EQ(reader.buffered(), 0u);
  }
}

// A header of no known type stops the stream where it stands, before its body comes,
// and the frames before it are still given out.
TEST(FrameReader, AnUnknownTypeStopsTheStreamAtItsHeader) {
  FrameReader reader;
  const std::vector<std::uint8_t> good = stream_of({{kDiplomacyMessage, {0x48, 0x00}}});
  reader.append(good.data(), good.size());
  const std::uint8_t bad[] = {9, 0, 0x10, 0x00};
  reader.append(bad, 2);
  EXPECT_EQ(take_all(reader).size(), 1u);
  EXPECT_FALSE(reader.next_type());
  reader.append(bad + 2, 2);
  FrameReader::Frame frame;
  EXPECT_EQ(reader.next(frame), FrameReader::Status::kUnknownType);
  EXPECT_EQ(reader.next(frame), FrameReader::Status::kUnknownType);
  EXPECT_EQ(reader.next_type(), 9);
  EXPECT_EQ(reader.buffered(), 4u);
}

}  // namespace
}  // namespace quorvel::platform
