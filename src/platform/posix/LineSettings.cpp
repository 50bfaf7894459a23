#include "platform/posix/LineSettings.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

int SystemModemControl(int fd, unsigned long request, int* lines) { return ::ioctl(fd, request, lines); }

bool HoldModemLinesInactive(int fd, const ModemControl& control) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (control(fd, TIOCMBIC, &lines) == 0) return true;
    return errno == ENOTTY || errno == EINVAL;
}

bool ApplyLineSettings(int fd, uint32_t baud) {
    speed_t speed = B0;
    switch (baud) {
    case 9600: speed = B9600; break;
    case 38400: speed = B38400; break;
    default: return false;
    }
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return false;
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                               IXOFF | IXANY | INPCK);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    // With a non-blocking descriptor, an empty queue reads as EAGAIN and only a hung-up line
    // reads as end of file.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0) return false;
    if (tcsetattr(fd, TCSANOW, &settings) != 0) return false;
    return HoldModemLinesInactive(fd);
}

bool SaveLine(int fd, SavedLine& saved, const ModemControl& control) {
    if (tcgetattr(fd, &saved.settings) != 0) return false;
    saved.modemLinesKnown = control(fd, TIOCMGET, &saved.modemLines) == 0;
    return true;
}

void RestoreLine(int fd, const SavedLine& saved, const ModemControl& control) {
    ::tcflush(fd, TCIOFLUSH);
    ::tcsetattr(fd, TCSANOW, &saved.settings);
    // This program only ever drops DTR and RTS: those that were active are raised again.
    int raise = saved.modemLines & (TIOCM_DTR | TIOCM_RTS);
    if (saved.modemLinesKnown && raise != 0) control(fd, TIOCMBIS, &raise);
}
