#include "linebaud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

int tarvex_sim_line_baud(int fd) {
    struct termios2 t;
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return (int)t.c_ospeed;
}
