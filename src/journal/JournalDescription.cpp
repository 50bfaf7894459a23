#include "journal/JournalDescription.h"

#include "ecu/RecordTexts.h"

namespace {

// A wiped or never-read VIN holds bytes that are no characters.
std::string PrintableVin(const std::array<uint8_t, 17>& vin) {
    std::string text = VinText(vin);
    for (char& c : text)
        if (c < 0x20 || c > 0x7E) c = '.';
    return text.empty() ? "(none)" : text;
}

}  // namespace

std::string DescribeJournal(const JournalHeader& header) {
    return DescribeIdentity(header.Identity()) + "\nRun of: " + JournalTimeText(header.startedAt);
}

std::string JournalListingLine(const JournalListing& listing) {
    if (listing.inUse) return listing.path + "  in use by a running update";
    if (!listing.usable) return listing.path + "  unusable: " + listing.problem;
    const JournalHeader& h = listing.header;
    return listing.path + "  VIN " + PrintableVin(h.vin) + "  HW serial " + HardwareSerialText(h.hardwareSerial) +
           "  run of " + JournalTimeText(h.startedAt) + "  " + ProgressName(h.progress);
}
