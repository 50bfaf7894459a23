#include "platform/posix/LowLatency.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

int SystemSerialDriverControl(int fd, unsigned long request, void* settings) { return ::ioctl(fd, request, settings); }

void AskForLowLatency(int fd, const SerialDriverControl& control) {
    serial_struct settings{};
    if (control(fd, TIOCGSERIAL, &settings) != 0) return;
    if (settings.flags & ASYNC_LOW_LATENCY) return;
    settings.flags |= ASYNC_LOW_LATENCY;
    control(fd, TIOCSSERIAL, &settings);
}
