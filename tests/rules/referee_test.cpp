// The referee of agreements: what it takes as agreed, and which orders break what.
#include "rules/referee.h"

#include <gtest/gtest.h>

#include <sstream>

#include "protocol/tokens.h"
#include "support/boards.h"
#include "support/datc.h"

namespace quorvel {
namespace {

using rules::Referee;
using testing::Datc;
using testing::parse;

int power(const std::string& name) {
  return parse(name).first_token().subtoken();
}

// "ENG>FRA GER: PRP ( PCE ( ENG FRA ) )": press as the host delivers it.
void deliver(Referee& referee, const std::string& line) {
  const std::string head = line.substr(0, line.find(':'));
  const std::string sender = head.substr(0, head.find('>'));
  std::vector<int> recipients;
  std::istringstream names(head.substr(head.find('>') + 1));
  for (std::string name; names >> name;)
    recipients.push_back(power(name));
  press::PressMessage message;
  ASSERT_EQ(press::read_press(parse(line.substr(line.find(':') + 1)), 30, 7, message), -1) << line;
  referee.on_press(power(sender), recipients, message);
}

// Each breach as "FRA: ( FRA AMY PIC ) MTO BEL".
std::vector<std::string> breaches_of(Referee& referee, Datc& d) {
  std::vector<std::string> found;
  for (const rules::Breach& breach : referee.check(d.game)) {
    found.push_back(printed_text(TokenMessage(Token(CATEGORY_POWER, breach.power))) + ": " +
                    printed_text(breach.order));
  }
  return found;
}

const char* const kUnits = "ENG: A BEL, F NTH; FRA: A PIC, A BUR, F ECH; GER: A RUH, A MUN";
const char* const kCentres = "ENG: BEL HOL LON; FRA: PAR BRE MAR; GER: MUN BER KIE";

struct Case {
  const char* what;
  std::vector<std::string> press;
  std::vector<std::string> orders;
  std::vector<std::string> breaches;
};

TEST(Referee, FindsTheBreachesOfAgreementsInForceAndOnlyThose) {
  const std::string peace = "ENG>FRA: PRP ( PCE ( ENG FRA ) )";
  const std::string yes = "FRA>ENG: YES ( PRP ( PCE ( ENG FRA ) ) )";
  const Case cases[] = {
      {"a move onto a partner's unit",
       {peace, yes},
       {"FRA: A PIC - BEL"},
       {"FRA: ( FRA AMY PIC ) MTO BEL"}},
      {"a support of it, cut or not, is a breach of intent too",
       {peace, yes},
       {"FRA: A PIC - BEL", "FRA: A BUR S A PIC - BEL", "GER: A MUN - BUR"},
       {"FRA: ( FRA AMY PIC ) MTO BEL", "FRA: ( FRA AMY BUR ) SUP ( FRA AMY PIC ) MTO BEL"}},
      {"an attack on somebody else", {peace, yes}, {"FRA: A BUR - RUH"}, {}},
      {"into a partner's empty centre",
       {peace, yes},
       {"ENG: A BEL - HOL", "FRA: A BUR - BEL"},
       {"FRA: ( FRA AMY BUR ) MTO BEL"}},
      {"a power outside the agreement is free", {peace, yes}, {"GER: A RUH - BEL"}, {}},
      {"proposed but never accepted", {peace}, {"FRA: A PIC - BEL"}, {}},
      {"accepted after a cancel is too late",
       {peace, "ENG>FRA: CCL ( PRP ( PCE ( ENG FRA ) ) )", yes},
       {"FRA: A PIC - BEL"},
       {}},
      {"a rejected proposal",
       {peace, "FRA>ENG: REJ ( PRP ( PCE ( ENG FRA ) ) )", yes},
       {"FRA: A PIC - BEL"},
       {}},
      {"supporting the partner's own move is help, not an attack",
       {peace, yes},
       {"ENG: F NTH - LON", "FRA: F ECH S F NTH - LON"},
       {}},
      {"ended this phase: it still binds in it",
       {peace, yes, "ENG>FRA: FCT ( NOT ( PCE ( ENG FRA ) ) )"},
       {"FRA: A PIC - BEL"},
       {"FRA: ( FRA AMY PIC ) MTO BEL"}},
      {"allies keep the peace among them, not with their enemy",
       {"ENG>FRA: PRP ( ALY ( ENG FRA ) VSS ( GER ) )",
        "FRA>ENG: YES ( PRP ( ALY ( FRA ENG ) VSS ( GER ) ) )"},
       {"FRA: A BUR - MUN", "ENG: A BEL - RUH", "ENG: F NTH - ECH", "FRA: F ECH - NTH"},
       {"ENG: ( ENG FLT NTH ) MTO ECH", "FRA: ( FRA FLT ECH ) MTO NTH"}},
      {"a bounce in a demilitarised zone is still an order into it",
       {"FRA>GER: PRP ( DMZ ( FRA GER ) ( BUR RUH ) )",
        "GER>FRA: YES ( PRP ( DMZ ( FRA GER ) ( BUR RUH ) ) )"},
       {"FRA: A PIC - BUR", "GER: A MUN - BUR", "FRA: A BUR H", "GER: A RUH H"},
       {"FRA: ( FRA AMY PIC ) MTO BUR", "GER: ( GER AMY MUN ) MTO BUR"}},
      {"a promised order not given, and one given",
       {"FRA>ENG: PRP ( AND ( XDO ( ( FRA AMY PIC ) MTO BRE ) ) ( XDO ( ( FRA AMY BUR ) HLD ) ) )",
        "ENG>FRA: YES ( PRP ( AND ( XDO ( ( FRA AMY PIC ) MTO BRE ) ) ( XDO ( ( FRA AMY BUR ) HLD "
        ") "
        ") ) )"},
       {"FRA: A PIC - PAR"},
       {"FRA: ( FRA AMY PIC ) MTO PAR"}},
      {"one of two choices kept",
       {"FRA>ENG: PRP ( ORR ( XDO ( ( FRA AMY PIC ) HLD ) ) ( XDO ( ( FRA AMY PIC ) MTO BRE ) ) )",
        "ENG>FRA: YES ( PRP ( ORR ( XDO ( ( FRA AMY PIC ) HLD ) ) ( XDO ( ( FRA AMY PIC ) MTO BRE "
        ") ) ) )"},
       {"FRA: A PIC - BRE"},
       {}},
      {"a peace of three is agreed only when all named recipients said yes",
       {"ENG>FRA GER: PRP ( PCE ( ENG FRA GER ) )",
        "FRA>ENG GER: YES ( PRP ( PCE ( ENG FRA GER ) ) )"},
       {"FRA: A PIC - BEL", "GER: A RUH - BEL"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Datc d("SPR", kUnits, kCentres);
    Referee referee(7);
    for (const std::string& line : c.press)
      deliver(referee, line);
    d.orders(c.orders);
    std::vector<std::string> found = breaches_of(referee, d);
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = c.breaches;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
  }
}

TEST(Referee, AgreementsEndWhenEndedOrBrokenAndAreCountedOnce) {
  Datc d("SPR", kUnits, kCentres);
  Referee referee(7);
  // Proposed both ways at once: one agreement.
  deliver(referee, "ENG>FRA: PRP ( PCE ( ENG FRA ) )");
  deliver(referee, "FRA>ENG: PRP ( PCE ( FRA ENG ) )");
  deliver(referee, "FRA>ENG: YES ( PRP ( PCE ( ENG FRA ) ) )");
  deliver(referee, "ENG>FRA: YES ( PRP ( PCE ( FRA ENG ) ) )");
  deliver(referee, "GER>ENG: PRP ( PCE ( ENG GER ) )");
  deliver(referee, "ENG>GER: YES ( PRP ( PCE ( ENG GER ) ) )");
  ASSERT_EQ(referee.agreements().size(), 2u);
  EXPECT_EQ(referee.made(power("ENG")), 2);
  EXPECT_EQ(referee.made(power("FRA")), 1);
  EXPECT_TRUE(referee.at_peace(power("FRA"), power("ENG")));
  EXPECT_FALSE(referee.at_peace(power("FRA"), power("GER")));

  // What peace forbids France: ENG's units and centres; nothing else.
  const rules::Restrictions forbidden = referee.restrictions(power("FRA"), d.game);
  for (const char* name : {"BEL", "HOL", "LON", "NTH"})
    EXPECT_TRUE(forbidden.no_attack[static_cast<std::size_t>(testing::province(name))]) << name;
  for (const char* name : {"RUH", "PAR", "ECH", "MUN"})
    EXPECT_FALSE(forbidden.no_attack[static_cast<std::size_t>(testing::province(name))]) << name;

  // England ends its peace with Germany, France breaks its own.
  deliver(referee, "ENG>GER: PRP ( NOT ( PCE ( GER ENG ) ) )");
  d.orders({"FRA: A PIC - BEL", "GER: A RUH - BEL"});
  EXPECT_EQ(referee.check(d.game).size(), 2u);
  EXPECT_EQ(referee.broken(power("FRA")), 1);
  EXPECT_EQ(referee.broken(power("GER")), 1);
  d.process();
  referee.close_phase(tok::SPR);
  EXPECT_TRUE(referee.agreements().empty());
  EXPECT_FALSE(referee.at_peace(power("FRA"), power("ENG")));
  const std::vector<std::string> events = referee.take_events();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0], "agreement 1 made by ENG FRA: PCE ( ENG FRA )");
  EXPECT_EQ(events[2], "agreement 2 ended by ENG: it binds until this phase is processed");
  EXPECT_EQ(events[3], "breach of agreement 1 (PCE ( ENG FRA )) by FRA: ( FRA AMY PIC ) MTO BEL");

  // A proposal lapses once the next movement phase is over; a promise is due only once.
  deliver(referee, "ENG>FRA: PRP ( XDO ( ( FRA FLT ECH ) HLD ) )");
  referee.close_phase(tok::FAL);
  referee.close_phase(tok::SPR);
  deliver(referee, "FRA>ENG: YES ( PRP ( XDO ( ( FRA FLT ECH ) HLD ) ) )");
  EXPECT_TRUE(referee.agreements().empty());
  deliver(referee, "ENG>FRA: PRP ( XDO ( ( FRA FLT ECH ) HLD ) )");
  deliver(referee, "FRA>ENG: YES ( PRP ( XDO ( ( FRA FLT ECH ) HLD ) ) )");
  EXPECT_EQ(referee.agreements().size(), 1u);
  referee.close_phase(tok::FAL);
  EXPECT_TRUE(referee.agreements().empty());
}

// A demilitarised zone: no way in for a party's units, nor a support or convoy into it,
// and from its second movement phase no unit of a party left standing in it.
TEST(Referee, ADemilitarisedZoneForbidsEveryWayInAndStayingOn) {
  const std::string zone = "FRA>GER: PRP ( DMZ ( FRA GER ) ( PIC WAL ) )";
  const std::string yes = "GER>FRA: YES ( PRP ( DMZ ( FRA GER ) ( PIC WAL ) ) )";
  const char* const units = "ENG: A LON, F NTH; FRA: A PIC, F ECH, A BUR; GER: A RUH";
  struct ZoneCase {
    const char* what;
    bool second_phase;
    std::vector<std::string> orders;
    std::vector<std::string> breaches;
  };
  const ZoneCase cases[] = {
      {"a support of a stranger's move into it",
       false,
       {"ENG: A LON - WAL", "FRA: F ECH S A LON - WAL"},
       {"FRA: ( FRA FLT ECH ) SUP ( ENG AMY LON ) MTO WAL"}},
      {"a convoy into it",
       false,
       {"ENG: A LON - PIC via ECH", "FRA: F ECH C A LON - PIC"},
       {"FRA: ( FRA FLT ECH ) CVY ( ENG AMY LON ) CTO PIC"}},
      {"a unit standing in it may stay through the first phase", false, {"FRA: A PIC H"}, {}},
      {"not after it, ordered or not", true, {"FRA: A BUR - PAR"}, {"FRA: ( FRA AMY PIC ) HLD"}},
      {"nor ordered out then: it is still there",
       true,
       {"FRA: A PIC - BRE"},
       {"FRA: ( FRA AMY PIC ) MTO BRE"}},
      {"supporting a unit to hold in it is not sending one in", false, {"FRA: A BUR S A PIC"}, {}},
  };
  for (const ZoneCase& c : cases) {
    SCOPED_TRACE(c.what);
    Datc d("SPR", units, kCentres);
    Referee referee(7);
    deliver(referee, zone);
    deliver(referee, yes);
    if (c.second_phase) {
      d.process();
      referee.close_phase(tok::SPR);
    }
    d.orders(c.orders);
    EXPECT_EQ(breaches_of(referee, d), c.breaches);
  }

  // A retreat into it, after the movement phase it was agreed in.
  Datc retreat("SPR", "FRA: A BUR; GER: A MUN, A RUH", kCentres);
  Referee referee(7);
  deliver(referee, zone);
  deliver(referee, yes);
  retreat.orders({"GER: A MUN - BUR", "GER: A RUH S A MUN - BUR", "FRA: A BUR H"});
  EXPECT_TRUE(breaches_of(referee, retreat).empty());
  retreat.process();
  referee.close_phase(tok::SPR);
  retreat.orders({"FRA: A BUR R PIC"});
  EXPECT_EQ(breaches_of(referee, retreat),
            std::vector<std::string>{"FRA: ( FRA AMY BUR ) RTO PIC"});

  // A build in it.
  Datc winter("WIN", "FRA: A BUR", "FRA: PAR BRE MAR BEL");
  Referee builds(7);
  deliver(builds, "FRA>GER: PRP ( DMZ ( FRA GER ) ( PAR ) )");
  deliver(builds, "GER>FRA: YES ( PRP ( DMZ ( FRA GER ) ( PAR ) ) )");
  winter.orders({"FRA: build A PAR", "FRA: build F BRE"});
  EXPECT_EQ(breaches_of(builds, winter), std::vector<std::string>{"FRA: ( FRA AMY PAR ) BLD"});
}

// How agreements are made and unmade besides YES and NOT: a later agreement that cannot be
// kept with an earlier one ends it, a YES may be taken back until everybody answered, and
// an answer that comes in a later turn binds as if it had come at once.
TEST(Referee, ContradictionsCancelledYesAndLateAnswers) {
  const int eng = power("ENG");
  const int fra = power("FRA");
  Referee referee(7);
  auto agree = [&](const std::string& proposer, const std::string& to, const std::string& what) {
    deliver(referee, proposer + ">" + to + ": PRP ( " + what + " )");
    deliver(referee, to + ">" + proposer + ": YES ( PRP ( " + what + " ) )");
  };
  agree("ENG", "FRA", "PCE ( ENG FRA )");
  agree("FRA", "GER", "DMZ ( FRA GER ) ( BUR )");
  agree("FRA", "ENG", "XDO ( ( FRA FLT ECH ) HLD )");
  // None of these contradicts another.
  agree("ENG", "FRA", "DMZ ( ENG FRA ) ( ECH )");
  agree("FRA", "ENG", "XDO ( ( FRA AMY PIC ) MTO BRE )");
  ASSERT_EQ(referee.agreements().size(), 5u);
  referee.take_events();
  // Allied against a partner: the peace ends at once.
  agree("ENG", "GER", "ALY ( ENG GER ) VSS ( FRA )");
  EXPECT_FALSE(referee.at_peace(eng, fra));
  // A promise into a zone ends the zone; another order for a promised unit ends the promise.
  agree("FRA", "ENG", "XDO ( ( FRA AMY PIC ) MTO BUR )");
  agree("FRA", "ENG", "XDO ( ( FRA FLT ECH ) MTO NTH )");
  std::vector<std::string> events = referee.take_events();
  ASSERT_EQ(events.size(), 7u);
  EXPECT_EQ(events[1], "agreement 1 ended: agreement 6 contradicts it");
  EXPECT_EQ(events[3], "agreement 2 ended: agreement 7 contradicts it");
  EXPECT_EQ(events[4], "agreement 5 ended: agreement 7 contradicts it");
  EXPECT_EQ(events[6], "agreement 3 ended: agreement 8 contradicts it");
  ASSERT_EQ(referee.agreements().size(), 4u);

  // A YES taken back before the last recipient answered: not agreed until given again.
  const std::string three = "PCE ( ENG FRA ITA )";
  deliver(referee, "ENG>FRA ITA: PRP ( " + three + " )");
  deliver(referee, "FRA>ENG ITA: YES ( PRP ( " + three + " ) )");
  deliver(referee, "FRA>ENG ITA: CCL ( YES ( PRP ( " + three + " ) ) )");
  deliver(referee, "ITA>ENG FRA: YES ( PRP ( " + three + " ) )");
  EXPECT_FALSE(referee.at_peace(fra, power("ITA")));
  deliver(referee, "FRA>ENG ITA: YES ( PRP ( " + three + " ) )");
  EXPECT_TRUE(referee.at_peace(fra, power("ITA")));
  // Taken back once agreed, it is still agreed: ending it takes a NOT.
  deliver(referee, "FRA>ENG ITA: CCL ( YES ( PRP ( " + three + " ) ) )");
  EXPECT_TRUE(referee.at_peace(fra, power("ITA")));
}

TEST(Referee, AnAnswerInALaterTurnCountsFromTheProposal) {
  // Proposed in spring, answered in the summer's retreats: the spring was its first
  // movement phase, so the promise is past and the zone must be empty by autumn.
  Datc d("SPR", "FRA: A PIC, F ECH; GER: A RUH", kCentres);
  Referee referee(7);
  deliver(referee, "FRA>GER: PRP ( DMZ ( FRA GER ) ( PIC ) )");
  deliver(referee, "FRA>ENG: PRP ( XDO ( ( FRA FLT ECH ) HLD ) )");
  deliver(referee, "ENG>FRA: PRP ( PCE ( ENG FRA ) )");
  d.orders({"FRA: F ECH - NTH"});
  EXPECT_TRUE(breaches_of(referee, d).empty());
  d.process();
  referee.close_phase(tok::SPR);
  deliver(referee, "GER>FRA: YES ( PRP ( DMZ ( FRA GER ) ( PIC ) ) )");
  deliver(referee, "ENG>FRA: YES ( PRP ( XDO ( ( FRA FLT ECH ) HLD ) ) )");
  deliver(referee, "FRA>ENG: YES ( PRP ( PCE ( ENG FRA ) ) )");
  ASSERT_EQ(referee.agreements().size(), 2u);  // the promise binds nothing any more
  referee.close_phase(tok::SUM);
  Datc autumn("FAL", "FRA: A PIC, F NTH; GER: A RUH; ENG: A BEL", kCentres);
  autumn.orders({"FRA: A PIC H"});
  EXPECT_EQ(breaches_of(referee, autumn), std::vector<std::string>{"FRA: ( FRA AMY PIC ) HLD"});

  // A proposal does not lapse a phase early: made in spring it may be taken all autumn,
  // made in the autumn all next spring; made in the summer's retreats it lapses with the
  // autumn.
  Referee lapsing(7);
  deliver(lapsing, "FRA>ENG: PRP ( DRW )");
  lapsing.close_phase(tok::SPR);
  deliver(lapsing, "ENG>FRA: PRP ( SLO ( ENG ) )");
  lapsing.close_phase(tok::SUM);
  deliver(lapsing, "ENG>FRA: YES ( PRP ( DRW ) )");
  deliver(lapsing, "FRA>ENG: PRP ( PCE ( ENG FRA ) )");
  lapsing.close_phase(tok::FAL);
  deliver(lapsing, "FRA>ENG: YES ( PRP ( SLO ( ENG ) ) )");
  deliver(lapsing, "ENG>FRA: YES ( PRP ( PCE ( ENG FRA ) ) )");
  EXPECT_EQ(lapsing.take_events(),
            (std::vector<std::string>{"agreement 1 made by ENG FRA: DRW",
                                      "agreement 2 made by ENG FRA: PCE ( ENG FRA )"}));
}

}  // namespace
}  // namespace quorvel
