#pragma once

#include <functional>

// The serial-driver settings call, replaceable so that the request can be tested without a USB adapter.
using SerialDriverControl = std::function<int(int fd, unsigned long request, void* settings)>;

int SystemSerialDriverControl(int fd, unsigned long request, void* settings);

// Asks the driver to hand on received bytes at once: USB serial adapters otherwise hold short
// answers back for up to 16 ms, which adds up to half a minute over an update. A device that has
// no such setting (a pseudo-terminal, most built-in ports) refuses, and that is fine.
void AskForLowLatency(int fd, const SerialDriverControl& control = SystemSerialDriverControl);
