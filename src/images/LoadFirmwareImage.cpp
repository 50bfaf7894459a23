#include <cstring>
#include <new>

#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "images/ImageCatalogue.h"
#include "images/SRecordReader.h"
#include "images/TagContainers.h"
#include "platform/DialogHost.h"

bool CFlashDlg::LoadFirmwareImage(int32_t index) {
    const ImageCatalogueEntry* entry = FindCatalogueEntry(index);
    if (!entry) return false;
    const std::optional<std::span<const uint8_t>> text = findImageResource(entry->resourceId);
    // A text that does not fit the buffer is refused like one that cannot be found.
    if (!text || text->size() > SRecordText.size()) return false;
    if (!text->empty()) std::memcpy(SRecordText.data(), text->data(), text->size());
    sRecordTextLength = static_cast<uint32_t>(text->size());

    WorkingImage.reset(new (std::nothrow) uint8_t[entry->areaSize]);
    if (!WorkingImage) {
        platform.host.ShowMessageBox(Text::Unavailable, "", MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    workingImageSize = entry->areaSize;
    std::memset(WorkingImage.get(), 0xFF, workingImageSize);

    const bool loaded = ParseSRecords() && BuildTagContainers(entry->AreaEnd(), entry->endTagAddress);
    WorkingImage.reset();
    workingImageSize = 0;
    return loaded;
}

bool CFlashDlg::ParseSRecords() {
    const SRecordParse parse = ::ParseSRecords(std::span<const uint8_t>(SRecordText.data(), sRecordTextLength),
                                               std::span<uint8_t>(WorkingImage.get(), workingImageSize));
    parsePosition = static_cast<int32_t>(parse.parsePosition);
    addressLimitExceeded = parse.outcome == SRecordOutcome::AddressLimitExceeded ? 1 : 0;
    switch (parse.outcome) {
    case SRecordOutcome::CountMatched: return true;
    case SRecordOutcome::AddressLimitExceeded: FinishWithStatus(Text::AddressLimitExceeded); return false;
    case SRecordOutcome::IncorrectRecordCount: FinishWithStatus(Text::IncorrectRecordCount); return false;
    case SRecordOutcome::CountNotVerified: FinishWithStatus(Text::UnverifiedRecordCount); return false;
    case SRecordOutcome::EndOfText: return false;
    }
    return false;
}

bool CFlashDlg::BuildTagContainers(uint32_t areaEnd, uint32_t endTagAddress) {
    if (::BuildTagContainers(std::span<const uint8_t>(WorkingImage.get(), workingImageSize), areaEnd, endTagAddress,
                             {BaseContainer, lastBaseTag, UpperContainer, lastUpperTag}))
        return true;
    FinishWithStatus(Text::UpperContainerError);
    return false;
}
