#pragma once

#include "app/ControlIds.h"

// The main dialog's layout: 239 by 188 dialog units, and each control with its template text
// and position in dialog units, in template order.
namespace MainDialogTemplate {

inline constexpr int kWidth = 239;
inline constexpr int kHeight = 188;

enum class Kind { StatusText, GroupBox, PushButton, BusyIndicator, RadioButton, ReadOnlyEdit };

struct Control {
    int id;  // 0: no id
    Kind kind;
    const char* text;
    int x, y, width, height;
};

inline constexpr Control kControls[] = {
    {ControlId::StatusLine, Kind::StatusText, "...", 6, 7, 227, 22},
    {0, Kind::GroupBox, "", 3, 0, 233, 161},
    {ControlId::Proceed, Kind::PushButton, "Proceed ->", 79, 166, 81, 16},
    {ControlId::BusyIndicator, Kind::BusyIndicator, "", 6, 32, 227, 8},
    {ControlId::RadioGen1_2M, Kind::RadioButton, "Gen1 2M", 84, 42, 71, 11},
    {ControlId::RadioGen1_3M, Kind::RadioButton, "Gen1 3M", 84, 62, 71, 11},
    {ControlId::RadioGen2, Kind::RadioButton, "Gen2", 84, 82, 71, 11},
    {ControlId::VersionLabel, Kind::ReadOnlyEdit, "", 9, 106, 108, 12},
    {ControlId::VersionValue, Kind::ReadOnlyEdit, "", 123, 106, 108, 12},
    {ControlId::DateLabel, Kind::ReadOnlyEdit, "", 9, 123, 108, 12},
    {ControlId::DateValue, Kind::ReadOnlyEdit, "", 123, 123, 108, 12},
    {ControlId::TimeLabel, Kind::ReadOnlyEdit, "", 9, 140, 108, 12},
    {ControlId::TimeValue, Kind::ReadOnlyEdit, "", 123, 140, 108, 12},
};

// Not in the template: the note on a hunt that finds no adapter, over the choices and the ECU's
// fields, which the hunt keeps hidden.
inline constexpr Control kHuntNote = {0, Kind::StatusText, "", 9, 44, 221, 112};

}  // namespace MainDialogTemplate
