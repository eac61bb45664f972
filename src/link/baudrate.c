#include "baudrate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

int tarvex_set_baud(int fd, int baud) {
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    tio.c_cflag &= ~(tcflag_t)CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_cflag &= ~(tcflag_t)(CBAUD << IBSHIFT);
    tio.c_cflag |= BOTHER << IBSHIFT;
    tio.c_ispeed = (speed_t)baud;
    tio.c_ospeed = (speed_t)baud;
    return ioctl(fd, TCSETS2, &tio) == 0 ? 0 : -1;
}

int tarvex_get_baud(int fd) {
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return (int)tio.c_ospeed;
}
