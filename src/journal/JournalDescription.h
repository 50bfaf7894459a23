#pragma once

#include <string>

#include "journal/Journal.h"

// Which ECU and which run, on three lines: VIN, hardware serial, date and time of the run.
std::string DescribeJournal(const JournalHeader& header);
// One line of the listing of saved journals: file, ECU, time, how far the run got.
std::string JournalListingLine(const JournalListing& listing);
