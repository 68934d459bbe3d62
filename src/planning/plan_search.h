#pragma once

#include "settings/bot_settings.h"

namespace quorvel {

class Plan;
class TraceLog;

// Widens the candidates by convoy steps (movement phases): an army may step onto a sea
// province one of the bot's fleets holds, a fleet at sea on to the next such fleet or
// onto the land next to it.
void addConvoyCandidates(Plan& plan);
// Gives every order a random target and makes the claims consistent: a unit that loses
// a contest for a province stays and supports the winner.
void randomize(Plan& plan);
// One random change of one unit's order.
void mutate(Plan& plan);
// Cycles of random changes to a copy of the best plan, keeping every copy that scores
// strictly higher; best holds the result. Answers the number of evaluations.
long searchPlan(Plan& best, Plan& work, const AnnealingSettings& settings, TraceLog& trace);
// Lets units that hold support the most valuable neighbour instead (movement phases).
void addSupports(Plan& plan);
// The supports pass: best adopts a copy with supports added unless it scores lower.
void improveWithSupports(Plan& best, Plan& work, int best_value, TraceLog& trace);

}  // namespace quorvel
