#include <ctime>

#include "app/CFlashDlg.h"
#include "platform/Clock.h"

void CFlashDlg::BuildDebugReport(DebugReportText& report, std::string_view header) {
    TimestampText timestamp{};
    if (std::tm now{}; platform.clock.LocalTime(now)) timestamp = FormatReportTimestamp(now);
    FormatDebugReport(report, DebugReportInputs{
                                  .header = header,
                                  .vin = ecuDataSnapshot.ident90,
                                  .hardwareSerial = ecuDataSnapshot.ident92,
                                  .imageIndex = imageIndex,
                                  .currentVersion = ecuIdentification.currentVersion,
                                  .timestamp = timestamp.data(),
                              });
}
