#pragma once

#include <string>
#include <vector>

#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel::testing {

// Checks a bot's submission for the position of a NOW and an SCO on the map of the MDF
// (the standard map when it is empty).
// Each order goes through the rules engine's order check, as a server takes it, and the
// power must owe nothing after; then what a server takes but a sound bot never sends: a
// unit ordered twice, a support for one of its own moves that is not ordered, a convoy
// its army does not use, a convoyed army whose fleets do not convoy it, two retreats
// into one province. Answers what is wrong, one text per fault.
std::vector<std::string> order_faults(const TokenMessage& now, const TokenMessage& sco, Token power,
                                      const TokenMessage& submission,
                                      const TokenMessage& mdf = TokenMessage());

}  // namespace quorvel::testing
