#pragma once

namespace quorvel {

// What an order does, as the bot's board keeps its own orders and as the rules and the
// referee of agreements read anybody's.
enum class OrderKind {
  kNone,  // not ordered yet
  kHold,
  kMove,
  kSupportHold,
  kSupportMove,
  kConvoy,
  kConvoyedMove,
  kRetreat,
  kDisband,
  kBuild,
  kRemove,
  kWaive,
};

}  // namespace quorvel
