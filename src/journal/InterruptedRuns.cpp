#include "journal/InterruptedRuns.h"

#include <algorithm>

#include "journal/Journal.h"

bool AnyRunInterruptedWhileProgramming(Journal& journal) {
    const std::vector<JournalListing> listings = journal.List();
    return std::any_of(listings.begin(), listings.end(),
                       [](const JournalListing& listing) { return listing.usable && NeedsRestore(listing.header); });
}
