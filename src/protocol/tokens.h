#pragma once

// The named DAIDE tokens. Code compares against these, never against bare numbers.

#include "protocol/token.h"

// Every token that has a text: the name is the text, except for the brackets, whose
// texts are "(" and ")". Listed by category in value order. NAR and CCL, which press of
// level 10 needs, come after the other press tokens, as in the DAIDE token list.
// clang-format off
#define QUORVEL_TEXT_TOKENS(X) \
  X(BRA, 0x4000) \
  X(KET, 0x4001) \
  X(AUS, 0x4100) \
  X(ENG, 0x4101) \
  X(FRA, 0x4102) \
  X(GER, 0x4103) \
  X(ITA, 0x4104) \
  X(RUS, 0x4105) \
  X(TUR, 0x4106) \
  X(AMY, 0x4200) \
  X(FLT, 0x4201) \
  X(CTO, 0x4320) \
  X(CVY, 0x4321) \
  X(HLD, 0x4322) \
  X(MTO, 0x4323) \
  X(SUP, 0x4324) \
  X(VIA, 0x4325) \
  X(DSB, 0x4340) \
  X(RTO, 0x4341) \
  X(BLD, 0x4380) \
  X(REM, 0x4381) \
  X(WVE, 0x4382) \
  X(MBV, 0x4400) \
  X(BPR, 0x4401) \
  X(CST, 0x4402) \
  X(ESC, 0x4403) \
  X(FAR, 0x4404) \
  X(HSC, 0x4405) \
  X(NAS, 0x4406) \
  X(NMB, 0x4407) \
  X(NMR, 0x4408) \
  X(NRN, 0x4409) \
  X(NRS, 0x440A) \
  X(NSA, 0x440B) \
  X(NSC, 0x440C) \
  X(NSF, 0x440D) \
  X(NSP, 0x440E) \
  X(NSU, 0x4410) \
  X(NVR, 0x4411) \
  X(NYU, 0x4412) \
  X(YSC, 0x4413) \
  X(SUC, 0x4500) \
  X(BNC, 0x4501) \
  X(CUT, 0x4502) \
  X(DSR, 0x4503) \
  X(FLD, 0x4504) \
  X(NSO, 0x4505) \
  X(RET, 0x4506) \
  X(NCS, 0x4600) \
  X(ECS, 0x4604) \
  X(SCS, 0x4608) \
  X(WCS, 0x460C) \
  X(SPR, 0x4700) \
  X(SUM, 0x4701) \
  X(FAL, 0x4702) \
  X(AUT, 0x4703) \
  X(WIN, 0x4704) \
  X(CCD, 0x4800) \
  X(DRW, 0x4801) \
  X(FRM, 0x4802) \
  X(GOF, 0x4803) \
  X(HLO, 0x4804) \
  X(HST, 0x4805) \
  X(HUH, 0x4806) \
  X(IAM, 0x4807) \
  X(LOD, 0x4808) \
  X(MAP, 0x4809) \
  X(MDF, 0x480A) \
  X(MIS, 0x480B) \
  X(NME, 0x480C) \
  X(NOT, 0x480D) \
  X(NOW, 0x480E) \
  X(OBS, 0x480F) \
  X(OFF, 0x4810) \
  X(ORD, 0x4811) \
  X(OUT, 0x4812) \
  X(PRN, 0x4813) \
  X(REJ, 0x4814) \
  X(SCO, 0x4815) \
  X(SLO, 0x4816) \
  X(SND, 0x4817) \
  X(SUB, 0x4818) \
  X(SVE, 0x4819) \
  X(THX, 0x481A) \
  X(TME, 0x481B) \
  X(YES, 0x481C) \
  X(ADM, 0x481D) \
  X(SMR, 0x481E) \
  X(AOA, 0x4900) \
  X(BTL, 0x4901) \
  X(ERR, 0x4902) \
  X(LVL, 0x4903) \
  X(MRT, 0x4904) \
  X(MTL, 0x4905) \
  X(NPB, 0x4906) \
  X(NPR, 0x4907) \
  X(PDA, 0x4908) \
  X(PTL, 0x4909) \
  X(RTL, 0x490A) \
  X(UNO, 0x490B) \
  X(DSD, 0x490D) \
  X(ALY, 0x4A00) \
  X(AND, 0x4A01) \
  X(BWX, 0x4A02) \
  X(DMZ, 0x4A03) \
  X(ELS, 0x4A04) \
  X(EXP, 0x4A05) \
  X(FCT, 0x4A06) \
  X(FOR, 0x4A07) \
  X(FWD, 0x4A08) \
  X(HOW, 0x4A09) \
  X(IDK, 0x4A0A) \
  X(IFF, 0x4A0B) \
  X(INS, 0x4A0C) \
  X(OCC, 0x4A0E) \
  X(ORR, 0x4A0F) \
  X(PCE, 0x4A10) \
  X(POB, 0x4A11) \
  X(PRP, 0x4A13) \
  X(QRY, 0x4A14) \
  X(SCD, 0x4A15) \
  X(SRY, 0x4A16) \
  X(SUG, 0x4A17) \
  X(THK, 0x4A18) \
  X(THN, 0x4A19) \
  X(TRY, 0x4A1A) \
  X(VSS, 0x4A1C) \
  X(WHT, 0x4A1D) \
  X(WHY, 0x4A1E) \
  X(XDO, 0x4A1F) \
  X(XOY, 0x4A20) \
  X(YDO, 0x4A21) \
  X(CHO, 0x4A22) \
  X(BCC, 0x4A23) \
  X(UNT, 0x4A24) \
  X(NAR, 0x4A25) \
  X(CCL, 0x4A26) \
  X(BOH, 0x5000) \
  X(BUR, 0x5001) \
  X(GAL, 0x5002) \
  X(RUH, 0x5003) \
  X(SIL, 0x5004) \
  X(TYR, 0x5005) \
  X(UKR, 0x5006) \
  X(BUD, 0x5107) \
  X(MOS, 0x5108) \
  X(MUN, 0x5109) \
  X(PAR, 0x510A) \
  X(SER, 0x510B) \
  X(VIE, 0x510C) \
  X(WAR, 0x510D) \
  X(ADR, 0x520E) \
  X(AEG, 0x520F) \
  X(BAL, 0x5210) \
  X(BAR, 0x5211) \
  X(BLA, 0x5212) \
  X(EAS, 0x5213) \
  X(ECH, 0x5214) \
  X(GOB, 0x5215) \
  X(GOL, 0x5216) \
  X(HEL, 0x5217) \
  X(ION, 0x5218) \
  X(IRI, 0x5219) \
  X(MAO, 0x521A) \
  X(NAO, 0x521B) \
  X(NTH, 0x521C) \
  X(NWG, 0x521D) \
  X(SKA, 0x521E) \
  X(TYS, 0x521F) \
  X(WES, 0x5220) \
  X(ALB, 0x5421) \
  X(APU, 0x5422) \
  X(ARM, 0x5423) \
  X(CLY, 0x5424) \
  X(FIN, 0x5425) \
  X(GAS, 0x5426) \
  X(LVN, 0x5427) \
  X(NAF, 0x5428) \
  X(PIC, 0x5429) \
  X(PIE, 0x542A) \
  X(PRU, 0x542B) \
  X(SYR, 0x542C) \
  X(TUS, 0x542D) \
  X(WAL, 0x542E) \
  X(YOR, 0x542F) \
  X(ANK, 0x5530) \
  X(BEL, 0x5531) \
  X(BER, 0x5532) \
  X(BRE, 0x5533) \
  X(CON, 0x5534) \
  X(DEN, 0x5535) \
  X(EDI, 0x5536) \
  X(GRE, 0x5537) \
  X(HOL, 0x5538) \
  X(KIE, 0x5539) \
  X(LON, 0x553A) \
  X(LVP, 0x553B) \
  X(MAR, 0x553C) \
  X(NAP, 0x553D) \
  X(NWY, 0x553E) \
  X(POR, 0x553F) \
  X(ROM, 0x5540) \
  X(RUM, 0x5541) \
  X(SEV, 0x5542) \
  X(SMY, 0x5543) \
  X(SWE, 0x5544) \
  X(TRI, 0x5545) \
  X(TUN, 0x5546) \
  X(VEN, 0x5547) \
  X(BUL, 0x5748) \
  X(SPA, 0x5749) \
  X(STP, 0x574A)
// clang-format on

namespace quorvel::tok {

#define QUORVEL_DEFINE_TOKEN(name, value) inline constexpr Token name{value};
QUORVEL_TEXT_TOKENS(QUORVEL_DEFINE_TOKEN)
#undef QUORVEL_DEFINE_TOKEN

// Diagonal coasts: valid tokens without a text.
inline constexpr Token NEC{0x4602};
inline constexpr Token SEC{0x4606};
inline constexpr Token SWC{0x460A};
inline constexpr Token NWC{0x460E};

// Closes every token array a message holds; what a message gives for an index outside it.
inline constexpr Token END_OF_MESSAGE{0x5FFF};

}  // namespace quorvel::tok
