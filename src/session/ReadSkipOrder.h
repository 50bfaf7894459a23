#pragma once

#include <array>
#include <cstdint>

#include "link/RequestTable.h"

// The optional reads of the identification and snapshot pass in the order a refused one is
// skipped: each entry's successor is the next entry; the last one's is routine 0x09.
// Unlike the read chain, 21 3A is followed by 21 61 and 21 64.
inline constexpr std::array<int, 81> ReadSkipOrder{
    Row::ReadIdent40,   Row::ReadIdent41,   Row::ReadIdent42,   Row::ReadIdent43,   Row::ReadIdent44,
    Row::ReadIdent45,   Row::ReadIdent46,   Row::ReadIdent47,   Row::ReadIdent48,   Row::ReadIdent49,
    Row::ReadIdent4A,   Row::ReadIdent4B,   Row::ReadIdent4C,   Row::ReadIdent4D,   Row::ReadIdent4E,
    Row::ReadIdent4F,   Row::ReadIdent88,   Row::ReadIdent8A,   Row::ReadIdent90,   Row::ReadIdent91,
    Row::ReadIdent92,   Row::ReadIdent94,   Row::ReadIdent99,   Row::ReadLocal12,   Row::ReadLocal14,
    Row::ReadLocal15,   Row::ReadLocal17,   Row::ReadLocal1A,   Row::ReadLocal1C,   Row::ReadLocal1D,
    Row::ReadLocal1E00, Row::ReadLocal1E01, Row::ReadLocal1F02, Row::ReadLocal20,   Row::ReadLocalC1,
    Row::ReadLocal23,   Row::ReadLocal24,   Row::ReadLocal25,   Row::ReadLocal26,   Row::ReadLocal2C,
    Row::ReadLocal2E,   Row::ReadLocal32,   Row::ReadLocal33,   Row::ReadLocal36,   Row::ReadLocal38,
    Row::ReadLocal39,   Row::ReadLocal3A,   Row::ReadTime,      Row::ReadVersion,   Row::ReadLocal65,
    Row::ReadHistory,   Row::ReadLocal6A,   Row::ReadLocal6D,   Row::ReadLocal70,   Row::ReadLocal71,
    Row::ReadLocal72,   Row::ReadLocal73,   Row::ReadLocal74,   Row::ReadLocal75,   Row::ReadLocal76,
    Row::ReadLocal77,   Row::ReadLocal78,   Row::ReadLocal79,   Row::ReadLocal7C,   Row::ReadLocal84,
    Row::ReadLocal85,   Row::ReadLocal86,   Row::ReadLocal89,   Row::ReadLocalAD,   Row::ReadLocalAE,
    Row::ReadLocalAF,   Row::ReadLocalB800, Row::ReadLocalB801, Row::ReadLocalB802, Row::ReadLocalB810,
    Row::ReadLocalB820, Row::ReadLocalB100, Row::ReadLocalB101, Row::ReadLocalBA,   Row::ReadLocalBD00,
    Row::ReadLocalBE,
};

// Rows a refusal withdraws outside the read order; the run goes on as after their answer. A reset
// the ECU will not do is not among them: nobody may be there to reset it by hand.
inline constexpr std::array<int, 4> WithdrawnWithoutSuccessor{Row::Routine04, Row::Routine06, Row::Routine0F,
                                                              Row::StopSession};
