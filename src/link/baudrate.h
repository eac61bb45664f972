#pragma once
/* Sets and reads back an arbitrary baud rate with termios2/BOTHER. Kept in C on its own:
 * <asm/termbits.h> clashes with <termios.h>. */
#ifdef __cplusplus
extern "C" {
#endif

/* Sets input and output speed of the open tty fd to baud. 0 on success, -1 on failure. */
int tarvex_set_baud(int fd, int baud);
/* The output speed the driver holds now, or -1. */
int tarvex_get_baud(int fd);

#ifdef __cplusplus
}
#endif
